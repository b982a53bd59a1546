// The sample timetables are what a new user searches first: a journey
// between two of their stations must be found through the exported
// interface, with the station words exactly as qobuild writes them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Qo.h"
#include "tools/sample_timetable.h"

namespace qo::textsource {
namespace {

class SampleSearch : public test::SampleTimetable {
 protected:
  void SetUp() override {
    SampleTimetable::SetUp();
    LoadSample("rail");
  }
};

// Wednesday 4 March 2026, by departure from 5:30, changes allowed. Wien is a
// foreign station stated with its own type word.
TEST_F(SampleSearch, FindsJourneysBetweenSampleStations) {
  struct Case {
    char const* from;
    char const* to;
  };
  for (Case c : {Case{"Praha hl.n.", "Ostrava-Svinov"}, Case{"Praha hl.n.", "Wien Hbf"},
                 Case{"Praha hl.n.", "Brno hl.n."}}) {
    SCOPED_TRACE(std::string(c.from) + " - " + c.to);
    int from = QoSearchStationName(0, c.from), to = QoSearchStationName(0, c.to);
    ASSERT_GE(from, 0);
    ASSERT_GE(to, 0);
    int list = -1, timetable = 0, count = 0;
    unsigned char* buffer = nullptr;
    QoConnection(&from, &list, &timetable, 1, &to, &list, &timetable, 1, nullptr, nullptr, nullptr,
                 0, 330, 4, 3, 2026, 1, 1, nullptr, &count, &buffer);
    EXPECT_EQ(QoError(), 0);
    ASSERT_GE(count, 1);
    CONNHEAD_REC head;
    std::memcpy(&head, buffer, sizeof head);
    ASSERT_GE(head.legs, 1);
    CONNLEG_REC last;
    std::memcpy(&last, buffer + sizeof head + static_cast<size_t>(head.legs - 1) * sizeof last,
                sizeof last);
    EXPECT_EQ(last.to, to);
  }
}

}  // namespace
}  // namespace qo::textsource
