// Routes as the interface hands them out, the route by regions with its
// distances, and whether a train runs abroad.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Qo.h"
#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

w::Stop StopAt(uint16_t station, int arrival, int departure, int32_t km = -1, uint16_t flags = 0) {
  w::Stop stop{.station = station, .arrival = arrival, .departure = departure, .flags = flags};
  if (km >= 0) stop.distance = km * 1000;
  return stop;
}

// The route as text: per record "station arrival/departure days flags km".
std::string Route(int train) {
  ROUTE2_REC* route = nullptr;
  int n = QoTrainRoute(0, train, &route);
  std::string out;
  for (int i = 0; i < n; ++i) {
    ROUTE2_REC const& r = route[i];
    char row[96];
    std::snprintf(row, sizeof row, "%s%u %d/%d %d/%d %x %d", i ? " | " : "", r.station, r.arrival,
                  r.departure, r.arrival_day, r.departure_day, r.flags, r.distance);
    out += row;
  }
  return out;
}

using TrainRoute = LoadingTest;

TEST_F(TrainRoute, RecordsPerStop) {
  w::TimetableModel m = SmallModel(1, 1, 0, 5);
  m.train_types.push_back({.abbreviation = {"Bus"}});
  m.stop_flag_mask = 0x2;  // trains of type 1 lose the boarding flags
  m.trains = {
      // Leaves at 23:30 and reaches B after midnight; C is passed.
      {.stops = {StopAt(0, -1, 1410, 0), StopAt(1, 1450, 1455, 5), StopAt(2, 1470, 1470, 9),
                 StopAt(3, 1500, -1, 20)}},
      // Stop flags: both boarding flags together mean neither.
      {.stops = {StopAt(0, -1, 600), StopAt(1, 610, 610, -1, 0x0800),
                 StopAt(2, 620, 620, -1, 0x1800 | 0x8000), StopAt(3, 630, -1)}},
      // The same stops on a train whose type the per-stop flag mask names.
      {.stops = {StopAt(0, -1, 600), StopAt(1, 610, 610, -1, 0x0800),
                 StopAt(2, 620, 620, -1, 0x8000), StopAt(3, 630, -1)},
       .type = 1},
      // A stop whose second word joins another train (0x4000 without 0x1000).
      {.stops = {StopAt(0, -1, 600), StopAt(1, 610, 615, -1, 0x4000), StopAt(3, 630, -1)}},
  };
  ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  EXPECT_EQ(Route(0),
            "0 -1/1410 0/0 0 0 | 1 10/15 1/1 0 5000 | 2 -1/30 1/1 0 9000 | 3 60/-1 1/1 0 20000");
  EXPECT_EQ(Route(1),
            "0 -1/600 0/0 0 -1 | 1 -1/610 0/0 800 -1 | 2 -1/620 0/0 8000 -1 | 3 630/-1 0/0 0 -1");
  EXPECT_EQ(Route(2),
            "0 -1/600 0/0 0 -1 | 1 -1/610 0/0 0 -1 | 2 -1/620 0/0 8000 -1 | 3 630/-1 0/0 0 -1");
  EXPECT_EQ(Route(3),
            "0 -1/600 0/0 0 -1 | 1 -1/610 0/0 4000 -1 | 1 -1/615 0/0 4000 -1 | 3 630/-1 0/0 0 -1");

  ROUTE2_REC* route = reinterpret_cast<ROUTE2_REC*>(1);
  EXPECT_EQ(QoTrainRoute(0, 4, &route), 0);
  EXPECT_EQ(route, nullptr);
  EXPECT_EQ(QoError(), 6);
}

TEST_F(TrainRoute, BusStopsBothFlagsOfAJoinDrop) {
  w::TimetableModel m = SmallModel(1, 2, 0, 3);
  m.trains = {{.stops = {StopAt(0, -1, 600), StopAt(1, 610, 610, -1, 0x5000), StopAt(2, 630, -1)}}};
  ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  EXPECT_EQ(Route(0), "0 -1/600 0/0 0 -1 | 1 -1/610 0/0 0 -1 | 2 630/-1 0/0 0 -1");
}

// Stations 0 and 1 lie in region R0, 2 to 4 in R1; 3 and 4 are abroad.
class RegionRoute : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    w::TimetableModel m = SmallModel(1, 1, 0, 5);
    m.regions = {"R0", "R1"};
    for (int s = 0; s < 5; ++s) m.stations[s].region = s < 2 ? 0 : 1;
    m.stations[3].type = m.stations[4].type = 0x02;
    m.trains = {
        {.stops = {StopAt(0, -1, 480, 0), StopAt(1, 490, 490, 10), StopAt(2, 500, 500, 25),
                   StopAt(3, 510, 510, 30), StopAt(4, 520, -1, 42)}},
        {.stops = {StopAt(0, -1, 600), StopAt(1, 620, -1)}},  // no distances, no arcs
        {.stops = {StopAt(3, -1, 600, 0), StopAt(4, 620, -1, 12)}},
    };
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  }
};

TEST_F(RegionRoute, RegionsAndDistancesPerStop) {
  int *regions = nullptr, *distances = nullptr;
  ASSERT_EQ(QoTrainRegDist(0, 0, 0, &regions, &distances), 5);
  EXPECT_EQ(std::vector<int>(regions, regions + 5), (std::vector<int>{0, 0, 1, 1, 1}));
  EXPECT_EQ(std::vector<int>(distances, distances + 5),
            (std::vector<int>{0, 10000, 25000, 30000, 42000}));
  // Only where the region changes, and the ends.
  ASSERT_EQ(QoTrainRegDist(0, 0, 1, &regions, &distances), 4);
  EXPECT_EQ(std::vector<int>(distances, distances + 4), (std::vector<int>{0, 10000, 25000, 42000}));
  EXPECT_EQ(QoTrainRegDist(0, 1, 0, &regions, &distances), 0);
  EXPECT_EQ(regions, nullptr);
  EXPECT_EQ(QoError(), 0);
}

TEST_F(RegionRoute, DistanceInsideSelectedRegions) {
  int const r0[] = {1, 0}, r1[] = {0, 1};
  struct Case {
    int mode;
    int const* selection;
    int metres;
  };
  const Case cases[] = {
      {0, nullptr, 42000},
      // The 15 km across the border: 7 to the lower region, 8 to the higher.
      {0, r0, 10000 + 7000},
      {0, r1, 8000 + 5000 + 12000},
      {1, r0, 10000 + 15000},  // leaving counts
      {2, r0, 10000},
      {1, r1, 17000},
      {2, r1, 15000 + 17000},  // entering counts
  };
  for (Case const& c : cases) {
    int start = -1;
    EXPECT_EQ(QoTrainRegDist2(0, 0, c.mode, c.selection, &start), c.metres)
        << c.mode << " "
        << (c.selection == r0 ? "R0"
            : c.selection     ? "R1"
                              : "all");
    EXPECT_EQ(start, 480);
  }
  EXPECT_EQ(QoTrainRegDist2(0, 1, 0, r0, nullptr), -1);
  EXPECT_EQ(QoTrainRegDist2(0, 0, 3, r0, nullptr), -1);
  EXPECT_EQ(QoError(), 8);
}

TEST_F(RegionRoute, DomesticForeignOrBoth) {
  EXPECT_EQ(QoTrTypeIntl(0, 0), 3);
  EXPECT_EQ(QoTrTypeIntl(0, 1), 1);
  EXPECT_EQ(QoTrTypeIntl(0, 2), 2);
}

}  // namespace
}  // namespace qo::test
