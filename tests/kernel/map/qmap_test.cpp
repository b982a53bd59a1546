// QMap data through the exports: coordinates by date, the polylines of the
// arcs, and the accessors' index checks.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "Qo.h"
#include "frame/error_codes.h"
#include "kernel/map/map_test_support.h"

namespace qo::test {
namespace {

constexpr int kOld = 40000, kNew = 45000;

// MapModel(1, 4): stations 0..3 keyed 100..400. Station 0 moved on day
// kNew; station 1 has a coordinate, 2 none, 3 one; a place of no station
// (key 250) sits between. Two arcs: 0 -> 1 over polylines 0 and 1, 1 -> 3
// over polyline 2.
w::QMapModel Content() {
  w::QMapModel q;
  q.coors = {{100, kNew, {2, 20}, {{2, 1, kOld, {0, 1}}}},
             {100, kOld, {1, 10}},
             {200, kOld, {3, 30}, {{4, 1, kOld, {2}}}},
             {250, kOld, {9, 90}},
             {400, kOld, {4, 40}}};
  q.polylines = {{{2, 20}, {2.5, 25}, {2.8, 28}},
                 {{2.8, 28}, {2.9, 29}, {2.95, 29.5}, {3, 30}},
                 {{3, 30}, {4, 40}}};
  return q;
}

class QMap : public MapTest {
 protected:
  void SetUp() override {
    MapTest::SetUp();
    w::TimetableModel with = MapModel(1, 4);
    with.extension_names = {".qmap"};
    dir_.Save("a.qmap",
              w::WriteExtension({.type = w::ExtensionType::kQMap, .qmap = Content()}).bytes);
    ASSERT_EQ(Load({dir_.Write("a.qo", with), WriteWithMap("b", MapModel(2, 2), nullptr)}), 2);
    QoError();
  }
};

TEST_F(QMap, CoordinatesByDate) {
  ASSERT_EQ(QoQMapAvail(0), 1);
  EXPECT_EQ(QoQMapAvail(1), 0);
  struct Case {
    int date;
    std::vector<double> x;
  };
  const Case cases[] = {
      {kNew + 3, {2, 3, 0, 4}},
      {kNew, {2, 3, 0, 4}},
      {kNew - 1, {1, 3, 0, 4}},
      // Before every record the oldest holds; the walk never reaches the
      // records of the next key.
      {kOld - 1, {1, 3, 0, 4}},
      {1, {1, 3, 0, 4}},
  };
  const unsigned short stations[] = {0, 1, 2, 3};
  for (Case const& c : cases) {
    std::vector<double> x(4, -1), y(4, -1);
    ASSERT_EQ(QoQMapCoor(0, stations, 4, c.date, x.data(), y.data()), 1);
    EXPECT_EQ(x, c.x) << c.date;
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(y[i], 10 * x[i]);
  }
  EXPECT_EQ(QoQMapMissingCoor(0, 2), 1);
  EXPECT_EQ(QoQMapMissingCoor(0, 0), 0);
  EXPECT_EQ(QoError(), 0);

  EXPECT_EQ(QoQMapMissingCoor(0, 4), 0);
  EXPECT_EQ(QoError(), ErrStationIndex);
  EXPECT_EQ(QoQMapMissingCoor(1, 0), 0);
  EXPECT_EQ(QoError(), ErrNotSupported);
  double x = -1, y = -1;
  EXPECT_EQ(QoQMapCoor(1, stations, 1, 0, &x, &y), 0);
  EXPECT_EQ(QoError(), ErrNotSupported);
  EXPECT_EQ(QoQMapCoor(2, stations, 1, 0, &x, &y), 0);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
}

// A counted array of polyline indexes as callers pass it.
struct Indexes {
  explicit Indexes(std::vector<int32_t> v)
      : words{static_cast<int32_t>(4 * v.size()), static_cast<int32_t>(v.size())} {
    words.insert(words.end(), v.begin(), v.end());
  }
  const int* get() const { return words.data() + 2; }
  std::vector<int32_t> words;
};

TEST_F(QMap, ArcsAndPolylines) {
  int count = -1;
  const int* refs = QoQMapArcPolyLinesQuick(0, 0, &count);
  ASSERT_NE(refs, nullptr);
  EXPECT_EQ(std::vector<int>(refs, refs + count), (std::vector<int>{0, 1}));
  refs = QoQMapArcPolyLinesQuick(0, 1, &count);
  ASSERT_NE(refs, nullptr);
  EXPECT_EQ(std::vector<int>(refs, refs + count), std::vector<int>{2});
  QoQMapPolyLineQuick(0, 1, &count);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(QoError(), 0);

  // 3 + 4 points joined give 6: the shared point is taken once.
  const double *x = nullptr, *y = nullptr;
  ASSERT_EQ(QoQMapPolyLinesQuick(0, Indexes({0, 1}).get(), &x, &y), 6);
  EXPECT_EQ(std::vector<double>(x, x + 6), (std::vector<double>{2, 2.5, 2.8, 2.9, 2.95, 3}));
  EXPECT_EQ(y[5], 30);
  EXPECT_EQ(QoQMapPolyLinesQuick(0, Indexes({2}).get(), &x, &y), 2);

  // Fewer than two points: 0, and the arrays stay as they were.
  const double* kept = x;
  EXPECT_EQ(QoQMapPolyLinesQuick(0, Indexes({}).get(), &x, &y), 0);
  EXPECT_EQ(x, kept);
  EXPECT_EQ(QoError(), 0);

  // Indexes outside the tables are refused, not read: the closing arc is
  // no arc of its own.
  EXPECT_EQ(QoQMapArcPolyLinesQuick(0, 2, &count), nullptr);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);
  EXPECT_EQ(QoQMapArcPolyLinesQuick(0, -1, &count), nullptr);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);
  QoQMapPolyLineQuick(0, 3, &count);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);
  EXPECT_EQ(QoQMapPolyLinesQuick(0, Indexes({0, 7}).get(), &x, &y), 0);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);
  EXPECT_EQ(x, kept);
}

TEST_F(QMap, WithoutNetworkOrPatterns) {
  // This QMap has no path network, and the timetable no stop patterns.
  EXPECT_EQ(QoQMapMissingStation(0, -1), -1);
  EXPECT_EQ(QoError(), ErrNotSupported);
  EXPECT_EQ(QoQMapShpNearStations(0, 2, 20, kNew, 100, 0, nullptr, nullptr, 0, 10, 10), 0);
  EXPECT_EQ(QoError(), ErrNotSupported);
  EXPECT_EQ(QoQMapLines(0, 0, 10, 0, 40, ~0u, 0, 0, nullptr), 0);
  EXPECT_EQ(QoError(), ErrNotSupported);
  int a, b, kind;
  EXPECT_EQ(QoQMapMissingArc(0, -1, &a, &b, &kind), -1);
  EXPECT_EQ(QoError(), ErrNotSupported);
  // The station queries need no network.
  const int* stations = nullptr;
  EXPECT_EQ(QoQMapStations(0, 0, 10, 0, 40, kNew, &stations, nullptr, nullptr), 3);
  EXPECT_EQ(QoError(), 0);
}

}  // namespace
}  // namespace qo::test
