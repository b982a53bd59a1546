// QMap station queries through the exports: stations and list items in a
// rectangle, an item's coordinates, stations without a coordinate, the
// course of an arc between two points, and the nearest stations along the
// path network with the path to one of them.
#include <gtest/gtest.h>

#include <vector>

#include "Qo.h"
#include "frame/error_codes.h"
#include "kernel/map/qmap_fixture.h"

namespace qo::test {
namespace {

TEST_F(QMapNet, StationsAndItemsInARectangle) {
  const int* stations = nullptr;
  const double *x = nullptr, *y = nullptr;
  int n = QoQMapStations(0, 10, 40, 10, 20, kQNew, &stations, &x, &y);
  EXPECT_EQ(Vec(stations, n), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Vec(x, n), (std::vector<double>{10, 20, 30, 40}));
  // Before the move station 1 stood at (20, 16), still inside; a point at
  // y 0 is no point, whatever the rectangle.
  n = QoQMapStations(0, 15, 25, 15.5, 20, kQNew - 1, &stations, &x, &y);
  EXPECT_EQ(Vec(stations, n), std::vector<int>{1});
  EXPECT_EQ(QoQMapStations(0, 100, 120, -5, 5, kQNew, &stations, &x, &y), 0);

  int list = -2;
  const int* items = nullptr;
  n = QoQMapVLStations(0, 10, 20, 10, 20, kQNew, &list, &items, &x, &y);
  EXPECT_EQ(list, 0);
  ASSERT_EQ(Vec(items, n), std::vector<int>{0});
  EXPECT_EQ(x[0], 15);  // the mean of the item's stations inside
  EXPECT_EQ(y[0], 15);
  n = QoQMapVLStations(0, 15, 65, 10, 20, kQNew, &list, &items, &x, &y);
  ASSERT_EQ(Vec(items, n), (std::vector<int>{0, 2}));
  EXPECT_EQ(x[0], 20);  // only station 1 of item 0 is inside
  EXPECT_EQ(x[1], 60);
  EXPECT_EQ(QoError(), 0);
}

TEST_F(QMapNet, ItemCoordinatesKeepMissingOnlyWhenAsked) {
  const int* stations = nullptr;
  const double *x = nullptr, *y = nullptr;
  int n = QoQMapVLItemCoor(0, 0, 0, kQNew, 0, &stations, &x, &y);
  EXPECT_EQ(Vec(stations, n), (std::vector<int>{0, 1}));
  // Station 10 has an x but y 0, station 11 nothing: both are dropped
  // unless kept.
  EXPECT_EQ(QoQMapVLItemCoor(0, 0, 1, kQNew, 0, &stations, &x, &y), 0);
  n = QoQMapVLItemCoor(0, 0, 1, kQNew, 1, &stations, &x, &y);
  EXPECT_EQ(Vec(stations, n), (std::vector<int>{10, 11}));
  EXPECT_EQ(Vec(x, n), (std::vector<double>{110, 0}));
  EXPECT_EQ(QoError(), 0);
  // The station list (-1) names a station.
  n = QoQMapVLItemCoor(0, -1, 3, kQNew, 0, &stations, &x, &y);
  EXPECT_EQ(Vec(stations, n), std::vector<int>{3});

  EXPECT_EQ(QoQMapVLItemCoor(0, 0, 3, kQNew, 1, &stations, &x, &y), 0);  // no such item
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(QoQMapVLItemCoor(0, 1, 0, kQNew, 1, &stations, &x, &y), 0);
  EXPECT_EQ(QoError(), ErrVirtListIndex);
}

TEST_F(QMapNet, MissingStationsOneAfterAnother) {
  EXPECT_EQ(QoQMapMissingStation(0, -1), 11);
  EXPECT_EQ(QoQMapMissingStation(0, 10), 11);
  EXPECT_EQ(QoQMapMissingStation(0, 11), -1);
  EXPECT_EQ(QoError(), 0);
}

TEST_F(QMapNet, ArcCourseBetweenTwoPoints) {
  const double *x = nullptr, *y = nullptr;
  struct Case {
    double x1, y1, x2, y2;
    std::vector<double> xs;
  };
  const Case cases[] = {
      // Feet on two segments: the bend between them is kept.
      {12, 16, 17, 14, {12, 15, 17}},
      // One segment.
      {11, 16, 13, 14, {11, 13}},
      // The second point is looked for only from the first on: behind it
      // the nearest is the start of the first point's segment.
      {17, 14, 12, 16, {17, 15}},
      // Beyond the ends the end points themselves.
      {0, 15, 30, 15, {10, 15, 20}},
      // One point twice is given once.
      {15, 20, 15, 10, {15}},
  };
  for (Case const& c : cases) {
    int n = QoQMapArcPointsQuick(0, c.x1, c.y1, c.x2, c.y2, 0, &x, &y);
    EXPECT_EQ(Vec(x, n), c.xs) << c.x1 << " " << c.x2;
    for (int i = 0; i < n; ++i) EXPECT_EQ(y[i], 15);
  }
  EXPECT_EQ(QoQMapArcPointsQuick(0, 0, 0, 0, 0, 7, &x, &y), 0);  // the closing arc
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);
}

struct Near {
  std::vector<int> stations, distances;
};

Near NearStations(double x, double y, int date, double reach, int max, int oneGroup,
                  double edgeLimit = 50, double box = 1000) {
  const int *stations = nullptr, *distances = nullptr;
  int n = QoQMapShpNearStations(0, x, y, date, reach, max, &stations, &distances, oneGroup,
                                edgeLimit, box);
  return {Vec(stations, n), Vec(distances, n)};
}

TEST_F(QMapNet, NearStationsAlongThePaths) {
  // The point (12, 4) enters the network at (12, 5), 1 away: path node 0
  // is 2 + 1 from there, path node 1 8 + 1, the path nodes 10 apart, and
  // each station 10 above its path node (station 1's old point 12).
  struct Case {
    int date;
    double reach;
    int max, oneGroup;
    double edgeLimit, box;
    std::vector<int> stations, distances;
  };
  const Case cases[] = {
      // Eleven stations are reached; a maximum of 0 gives 10. Station 2's
      // second node adds no second entry, the place of no station none.
      {kQNew,
       1000,
       0,
       0,
       50,
       1000,
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
       {13, 19, 29, 39, 49, 59, 69, 79, 89, 99}},
      {kQNew,
       1000,
       11,
       0,
       50,
       1000,
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
       {13, 19, 29, 39, 49, 59, 69, 79, 89, 99, 109}},
      {kQNew,
       1000,
       5000,
       0,
       50,
       1000,
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
       {13, 19, 29, 39, 49, 59, 69, 79, 89, 99, 109}},
      {kQNew, 30, 0, 0, 50, 1000, {0, 1, 2}, {13, 19, 29}},
      // A box that holds path nodes 0 and 1 alone enters at the same edge.
      {kQNew, 30, 0, 0, 50, 15, {0, 1, 2}, {13, 19, 29}},
      // The point itself is farther from the network than the reach.
      {kQNew, 0.5, 0, 0, 50, 1000, {}, {}},
      // One key group: the first station's.
      {kQNew, 1000, 0, 1, 50, 1000, {0, 1, 2, 3, 4, 5}, {13, 19, 29, 39, 49, 59}},
      // Before the move station 1 is reached at its old point.
      {kQNew - 1, 30, 0, 0, 50, 1000, {0, 1, 2}, {13, 21, 29}},
      // No edge near enough, no path node inside the box.
      {kQNew, 1000, 0, 0, 0.5, 1000, {}, {}},
      {kQNew, 1000, 0, 0, 50, 1, {}, {}},
  };
  for (Case const& c : cases) {
    Near near = NearStations(12, 4, c.date, c.reach, c.max, c.oneGroup, c.edgeLimit, c.box);
    EXPECT_EQ(near.stations, c.stations) << c.reach << " " << c.max << " " << c.edgeLimit;
    EXPECT_EQ(near.distances, c.distances);
  }
  EXPECT_EQ(QoError(), 0);
}

TEST_F(QMapNet, PathToAStation) {
  const double *x = nullptr, *y = nullptr;
  int distance = -1;
  int n = QoQMapShpNearStationPath(0, 12, 4, 3, kQNew, &x, &y, &distance, 50, 1000);
  EXPECT_EQ(Vec(x, n), (std::vector<double>{12, 20, 30, 40, 40}));
  EXPECT_EQ(Vec(y, n), (std::vector<double>{5, 5, 5, 5, 15}));
  EXPECT_EQ(distance, 39);
  // A box that holds path nodes 0 and 1 alone: the same path.
  n = QoQMapShpNearStationPath(0, 12, 4, 3, kQNew, &x, &y, &distance, 50, 15);
  EXPECT_EQ(Vec(x, n), (std::vector<double>{12, 20, 30, 40, 40}));
  EXPECT_EQ(distance, 39);
  // Going back from the entry: node 0 is the nearer way to station 0.
  n = QoQMapShpNearStationPath(0, 12, 4, 0, kQNew, &x, &y, &distance, 50, 1000);
  EXPECT_EQ(Vec(x, n), (std::vector<double>{12, 10, 10}));
  EXPECT_EQ(distance, 13);
  n = QoQMapShpNearStationPath(0, 12, 4, 1, kQNew - 1, &x, &y, &distance, 50, 1000);
  EXPECT_EQ(Vec(y, n), (std::vector<double>{5, 5, 16}));
  EXPECT_EQ(distance, 21);
  // A station without a coordinate cannot be reached.
  EXPECT_EQ(QoQMapShpNearStationPath(0, 12, 4, 11, kQNew, &x, &y, &distance, 50, 1000), 0);
  EXPECT_EQ(distance, 0);
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(QoQMapShpNearStationPath(0, 12, 4, 12, kQNew, &x, &y, &distance, 50, 1000), 0);
  EXPECT_EQ(QoError(), ErrStationIndex);
}

}  // namespace
}  // namespace qo::test
