// The sample timetables are what a new user searches first: a journey
// between two of their stations must be found through the exported
// interface, with the station words exactly as qobuild writes them.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "Qo.h"
#include "qobuild/text_source.h"
#include "writer/timetable_writer.h"

namespace qo::textsource {
namespace {

class SampleSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ifstream in(std::string(QO_DATA_DIR) + "/rail.txt", std::ios::binary);
    ASSERT_TRUE(in);
    std::stringstream text;
    text << in.rdbuf();
    CompiledSource source = ParseTimetableSource(text.str(), "rail.txt");
    path_ = (std::filesystem::temp_directory_path() / "qo-sample-search-rail.qo").string();
    writer::SaveFile(path_, WriteCompiledSource(source).timetable.bytes);
    char const* paths[] = {path_.c_str()};
    ASSERT_EQ(QoInit2(paths, 1, nullptr), 1);
  }
  void TearDown() override {
    QoCloseData();
    std::filesystem::remove(path_);
  }

  std::string path_;
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
