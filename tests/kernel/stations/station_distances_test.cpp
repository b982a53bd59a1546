// Shortest distances over the station graph, against a plain Dijkstra on
// the same arcs; the search that stops at one target, against the full one.
#include "stations/station_distances.h"

#include <gtest/gtest.h>

#include <queue>
#include <random>
#include <vector>

#include "Qo.h"
#include "core/counted_array.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

std::vector<int> Copy(int const* array) {
  return array ? std::vector<int>(array, array + GetArrayCount(array)) : std::vector<int>{};
}

using StationDistances = LoadingTest;

// 0 -> 1 -> 2 the long way round beats the direct arc 0 -> 2; 3 hangs on a
// walking link from 2; 4 has no arcs at all.
TEST_F(StationDistances, PathsLinksAndUnreachableStations) {
  w::TimetableModel m = SmallModel(1, 1, 0, 5);
  m.arcs = {{0, 2, 900}, {0, 1, 300}, {1, 2, 400}, {2, 0, 700}, {3, 2, 50}};
  m.transfers = {{.from = 2, .to = 3, .minutes = 5}};
  w::TimetableModel bare = SmallModel(2, 1, 0, 2);
  ASSERT_EQ(Load({dir_.Write("a.qo", m), dir_.Write("bare.qo", bare)}), 2);
  int const t = At(0).TimetableId == 1 ? 0 : 1;

  int* distances = nullptr;
  int* predecessors = nullptr;
  ASSERT_EQ(QoGetStationDist(t, 0, &distances, &predecessors, 0), 1);
  EXPECT_EQ(Copy(distances), (std::vector<int>{0, 300, 700, 0x7FFFFFFF, 0x7FFFFFFF}));
  EXPECT_EQ(Copy(predecessors), (std::vector<int>{-1, 0, 1, 0, 0}));

  ASSERT_EQ(QoGetStationDist(t, 0, &distances, &predecessors, 1), 1);
  EXPECT_EQ(Copy(distances), (std::vector<int>{0, 300, 700, 700, 0x7FFFFFFF}));
  EXPECT_EQ(Copy(predecessors), (std::vector<int>{-1, 0, 1, 2, 0}));

  ASSERT_EQ(QoGetStationDist(t, 4, &distances, nullptr, 1), 1);
  EXPECT_EQ(Copy(distances), (std::vector<int>{0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0}));

  struct Case {
    int timetable, station, error;
  };
  const Case cases[] = {{1 - t, 0, ErrNotSupported},
                        {t, 5, ErrStationIndex},
                        {t, -1, ErrStationIndex},
                        {2, 0, ErrTimetableIndex}};
  for (Case const& c : cases) {
    distances = predecessors = reinterpret_cast<int*>(&m);
    EXPECT_EQ(QoGetStationDist(c.timetable, c.station, &distances, &predecessors, 1), 0);
    EXPECT_EQ(QoError(), c.error);
    EXPECT_EQ(distances, nullptr);
    EXPECT_EQ(predecessors, nullptr);
  }
}

// Arcs of negative length (a damaged file) would let the labels fall for
// ever round a cycle: they are not used.
TEST_F(StationDistances, NegativeArcsAreLeftOut) {
  w::TimetableModel m = SmallModel(1, 1, 0, 3);
  m.arcs = {{0, 1, 10}, {1, 2, -40}, {2, 1, 5}, {1, 0, 7}};
  ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  std::vector<int32_t> distances, predecessors;
  ComputeStationDistances(At(0), 0, false, distances, predecessors);
  EXPECT_EQ(distances, (std::vector<int32_t>{0, 10, kUnreachable}));
  StationDistanceScratch scratch;
  EXPECT_EQ(ShortestStationDistance(At(0), 0, 2, scratch), kUnreachable);
  EXPECT_EQ(ShortestStationDistance(At(0), 2, 0, scratch), 12);
}

TEST_F(StationDistances, EqualToDijkstraOnRandomGraphs) {
  std::mt19937 random(7);
  StationDistanceScratch scratch;
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE(round);
    Clear();
    int const n = 60;
    w::TimetableModel m = SmallModel(1, 1, 0, n);
    for (int a = 0; a < 4 * n; ++a) {
      m.arcs.push_back({static_cast<uint16_t>(random() % n), static_cast<uint16_t>(random() % n),
                        static_cast<int32_t>(random() % 1000)});
    }
    for (int l = 0; l < n / 4; ++l)
      m.transfers.push_back(
          {.from = static_cast<uint16_t>(random() % n), .to = static_cast<uint16_t>(random() % n)});
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
    for (bool transfers : {false, true}) {
      std::vector<int64_t> expected(n, kUnreachable);
      using Entry = std::pair<int64_t, int>;
      std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
      expected[0] = 0;
      queue.push({0, 0});
      while (!queue.empty()) {
        auto [d, u] = queue.top();
        queue.pop();
        if (d != expected[u]) continue;
        auto relax = [&](int v, int64_t through) {
          if (through < expected[v]) queue.push({expected[v] = through, v});
        };
        for (w::Arc const& arc : m.arcs)
          if (arc.from == u) relax(arc.to, d + arc.length);
        if (transfers)
          for (w::Transfer const& link : m.transfers)
            if (link.from == u) relax(link.to, d);
      }
      std::vector<int32_t> distances, predecessors;
      ComputeStationDistances(At(0), 0, transfers, distances, predecessors);
      for (int s = 0; s < n; ++s) {
        EXPECT_EQ(distances[s], expected[s]) << "station " << s;
        // Without links, the search that stops at s, on a scratch that the
        // searches before it left behind.
        if (!transfers) {
          EXPECT_EQ(ShortestStationDistance(At(0), 0, static_cast<uint16_t>(s), scratch),
                    expected[s])
              << "station " << s;
        }
        if (s == 0 || distances[s] == kUnreachable) continue;
        // The predecessor lies on a shortest path.
        int p = predecessors[s];
        bool onPath = false;
        for (w::Arc const& arc : m.arcs)
          onPath |= arc.from == p && arc.to == s && distances[p] + arc.length == distances[s];
        if (transfers)
          for (w::Transfer const& link : m.transfers)
            onPath |= link.from == p && link.to == s && distances[p] == distances[s];
        EXPECT_TRUE(onPath) << "station " << s << " from " << p;
      }
    }
  }
}

}  // namespace
}  // namespace qo::test
