// The rail sample's seat reservations as a client of the library sees
// them: the station-key extension written beside the timetable, the
// stations that sell reservations, and the reservation trains between two
// of them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "Qo.h"
#include "tools/sample_timetable.h"

namespace qo::textsource {
namespace {

class SampleReservation : public test::SampleTimetable {
 protected:
  void SetUp() override {
    SampleTimetable::SetUp();
    LoadSample("rail");
  }
};

TEST_F(SampleReservation, ExpressesBetweenPrahaAndOstrava) {
  const int praha = QoSearchStationName(0, "Praha hl.n.");
  ASSERT_GE(praha, 0);
  EXPECT_EQ(QoStReservKey(0, praha), 54001);

  // The town Praha holds Praha hl.n., which sells reservations.
  const int town = QoSearchStation2(0, 0, 0, 554782, nullptr);
  ASSERT_GE(town, 0);
  EXPECT_EQ(QoHasReserv(GLOBALSEARCH_REC{0, 0, town}, 1), 54001);

  // Wednesday 4 March 2026: the two-hourly Ex 141 series and the night
  // train R 443, all boarded at Praha hl.n.; both Ostrava stations are one
  // reservation key.
  int const* trains = nullptr;
  int const* stations = nullptr;
  const int n =
      QoSearchReservedTrain(nullptr, 0, 54001, 54301, 4, 3, 2026, nullptr, &trains, &stations);
  EXPECT_EQ(QoError(), 0);
  std::set<std::string> numbers;
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(stations[i], praha);
    char const* number = nullptr;
    QoTrainInfo(0, 0, trains[i], &number, nullptr, nullptr, nullptr);
    numbers.insert(number);
  }
  EXPECT_EQ(numbers.size(), static_cast<size_t>(n)) << "each train once";
  EXPECT_EQ(numbers.count("141"), 1u);
  EXPECT_EQ(numbers.count("443"), 1u);
  EXPECT_EQ(numbers.count("3101"), 0u) << "a regional train takes no reservations";
}

}  // namespace
}  // namespace qo::textsource
