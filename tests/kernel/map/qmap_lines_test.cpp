// QMap exports over services: lines in a rectangle, a line's stop
// patterns, the course of a train and of a found connection, the cover of
// lines, the legend of arc lists and the pattern stops without an arc.
#include <gtest/gtest.h>

#include <vector>

#include "Qo.h"
#include "frame/error_codes.h"
#include "kernel/map/qmap_fixture.h"
#include "search/search_handle.h"

namespace qo::test {
namespace {

std::vector<int> Lines(double minX, double maxX, unsigned mask = 0xFFFFFFFF) {
  const int* trains = nullptr;
  int n = QoQMapLines(0, minX, maxX, 10, 20, mask, 0, 0, &trains);
  return Vec(trains, n);
}

TEST_F(QMapNet, LinesThroughARectangle) {
  // Line 1 is taken once by its first train; its later run (train 5) has
  // the number of the train taken last.
  EXPECT_EQ(Lines(5, 45), std::vector<int>{0});
  EXPECT_EQ(Lines(55, 95), (std::vector<int>{3, 4}));
  EXPECT_EQ(Lines(55, 95, 1), std::vector<int>{4});  // train 3 is of type bit 1
  EXPECT_EQ(Lines(200, 300), std::vector<int>{});
  EXPECT_EQ(QoError(), 0);
}

TEST_F(QMapNet, PatternsOfALine) {
  const int* trains = nullptr;
  // Trains 0 and 1 share a pattern; train 5 runs a part course (byte 64).
  int n = QoQMapTrainPatterns(0, 0, 0, 0, &trains);
  EXPECT_EQ(Vec(trains, n), (std::vector<int>{0, 2}));
  n = QoQMapTrainPatterns(0, 1, 0, 0, &trains);
  EXPECT_EQ(Vec(trains, n), (std::vector<int>{1, 2}));
  // Nothing qualifies from train 5 on: the start train alone.
  n = QoQMapTrainPatterns(0, 5, 0, 0, &trains);
  EXPECT_EQ(Vec(trains, n), std::vector<int>{5});
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(QoQMapTrainPatterns(0, 6, 0, 0, &trains), 0);
  EXPECT_EQ(QoError(), ErrTrainIndex);
}

TEST_F(QMapNet, CourseOfATrain) {
  const int *stations = nullptr, *arcs = nullptr;
  const double *x = nullptr, *y = nullptr;
  int n = QoQMapTrain(0, 0, kQNew, &stations, &x, &y, &arcs);
  EXPECT_EQ(Vec(stations, n), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Vec(x, n), (std::vector<double>{10, 20, 30, 40}));
  EXPECT_EQ(Vec(arcs, n - 1), (std::vector<int>{0, 1, 2}));
  // Before kNew station 1 stood elsewhere and the arc 2 -> 3 was not yet.
  n = QoQMapTrain(0, 0, kQNew - 1, &stations, &x, &y, &arcs);
  EXPECT_EQ(Vec(y, n), (std::vector<double>{15, 16, 15, 15}));
  EXPECT_EQ(Vec(arcs, n - 1), (std::vector<int>{0, 1, -1}));
  // Back: no arc from 1 to 0.
  n = QoQMapTrain(0, 2, kQNew, &stations, &x, &y, &arcs);
  EXPECT_EQ(Vec(arcs, n - 1), (std::vector<int>{4, 3, -1}));
  // A pattern of one stop is no course, and no error.
  EXPECT_EQ(QoQMapTrain(0, 4, kQNew, &stations, &x, &y, &arcs), 0);
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(QoQMapTrain(0, -1, kQNew, &stations, &x, &y, &arcs), 0);
  EXPECT_EQ(QoError(), ErrTrainIndex);
}

TEST_F(QMapNet, MissingArcsOneAfterAnother) {
  // Pattern 1 ends 1 -> 0 (stop 7), pattern 2 7 -> 8 (stop 10); the arc
  // 2 -> 3 counts though it begins only on kNew.
  int a = -1, b = -1, kind = -1;
  EXPECT_EQ(QoQMapMissingArc(0, -1, &a, &b, &kind), 7);
  EXPECT_EQ(std::vector<int>({a, b, kind}), (std::vector<int>{1, 0, 1}));
  EXPECT_EQ(QoQMapMissingArc(0, 7, &a, &b, &kind), 10);
  EXPECT_EQ(std::vector<int>({a, b, kind}), (std::vector<int>{7, 8, 1}));
  EXPECT_EQ(QoQMapMissingArc(0, 10, &a, &b, &kind), -1);
  EXPECT_EQ(QoError(), 0);
}

struct Cover {
  int lines = 0;
  std::vector<int> stations, trains;
  std::vector<double> x;
  std::vector<std::vector<int>> from, to, arcs, continuations, starts, ends;
};

Cover LinesCover(double minX, double maxX, int day, std::vector<const char*> filters = {}) {
  Cover c;
  const int *stations = nullptr, *trains = nullptr;
  const double *x = nullptr, *y = nullptr;
  int count = -1;
  const int* const* lists[6] = {};
  c.lines = QoQMapLinesCover(0, minX, maxX, 10, 20, 0xFFFFFFFF, day, 0,
                             filters.empty() ? nullptr : filters.data(),
                             static_cast<int>(filters.size()), &stations, &x, &y, &count, &trains,
                             &lists[0], &lists[1], &lists[2], &lists[3], &lists[4], &lists[5]);
  c.stations = Vec(stations, count);
  c.x = Vec(x, count);
  c.trains = Vec(trains, c.lines);
  std::vector<std::vector<int>>* outs[6] = {&c.from,          &c.to,     &c.arcs,
                                            &c.continuations, &c.starts, &c.ends};
  for (int k = 0; k < 6; ++k)
    for (int l = 0; l < c.lines; ++l) outs[k]->push_back(Counted(lists[k][l]));
  return c;
}

TEST_F(QMapNet, LinesCoverArcsStationsAndEnds) {
  // A day the trains run on, after kNew.
  const int day = QoDMYToDate(10, 3, 2025);
  Cover c = LinesCover(5, 45, day);
  // Line 1 twice: trains 0 to 2, and train 5 after line 3.
  ASSERT_EQ(c.lines, 2);
  EXPECT_EQ(c.trains, (std::vector<int>{0, 5}));
  EXPECT_EQ(c.stations, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(c.x, (std::vector<double>{10, 20, 30, 40}));
  // Both ways of line 1; 1 -> 0 has no arc.
  EXPECT_EQ(c.arcs[0], (std::vector<int>{0, 1, 2, 4, 3}));
  EXPECT_EQ(c.from[0], (std::vector<int>{0, 1, 2, 3, 2}));
  EXPECT_EQ(c.to[0], (std::vector<int>{1, 2, 3, 2, 1}));
  EXPECT_EQ(c.starts[0], (std::vector<int>{0, 3}));
  EXPECT_EQ(c.ends[0], (std::vector<int>{3, 0}));
  // Train 5's pattern does not end the line's course.
  EXPECT_EQ(c.arcs[1], std::vector<int>{0});
  EXPECT_EQ(c.starts[1], std::vector<int>{0});
  EXPECT_EQ(c.ends[1], std::vector<int>{});

  // Line 2 continues into its key group by the arc of kind 2 from its
  // last station.
  c = LinesCover(55, 95, day, {"2"});
  ASSERT_EQ(c.lines, 1);
  EXPECT_EQ(c.trains, std::vector<int>{3});
  EXPECT_EQ(c.arcs[0], std::vector<int>{5});
  EXPECT_EQ(c.continuations[0], std::vector<int>{6});
  EXPECT_EQ(LinesCover(5, 95, day, {"4", "x"}).lines, 0);
  EXPECT_EQ(QoError(), 0);
}

// The first network with named lines: trains 0 to 2 and 5 are line "Ab",
// train 4 a line without number.
class QMapNamedLines : public QMapNet {
 protected:
  void SetUp() override {
    QMapNet::SetUp();
    QoCloseData();
    w::TimetableModel m = QMapTimetable();
    for (size_t train : {0, 1, 2, 5}) m.trains[train].number = "Ab";
    m.trains[4].number = "0";
    dir_.Save("n.qmap",
              w::WriteExtension({.type = w::ExtensionType::kQMap, .qmap = QMapNetwork()}).bytes);
    ASSERT_EQ(Load({dir_.Write("n.qo", m)}), 1);
  }
};

TEST_F(QMapNamedLines, LinesCoverFiltersByNumberNameOrNone) {
  const int day = QoDMYToDate(10, 3, 2025);
  EXPECT_EQ(LinesCover(5, 95, day).trains, (std::vector<int>{0, 3, 4, 5}));
  // A name ignoring case; the empty text a line without number; a number
  // by its decimal value.
  EXPECT_EQ(LinesCover(5, 95, day, {"aB"}).trains, (std::vector<int>{0, 5}));
  EXPECT_EQ(LinesCover(5, 95, day, {""}).trains, std::vector<int>{4});
  EXPECT_EQ(LinesCover(5, 95, day, {"02"}).trains, std::vector<int>{3});
  EXPECT_EQ(LinesCover(5, 95, day, {"2", "AB"}).trains, (std::vector<int>{0, 3, 5}));
  EXPECT_EQ(LinesCover(5, 95, day, {"Ab ", "2x", "A"}).lines, 0);
  EXPECT_EQ(QoError(), 0);
}

TEST_F(QMapNet, LinesCoverWithoutADayFindsTodaysArcs) {
  // Without a day the coordinates are today's, and so are the arcs: none
  // of them would be valid on day 0.
  Cover c = LinesCover(5, 45, 0);
  ASSERT_EQ(c.lines, 2);
  EXPECT_EQ(c.arcs[0], (std::vector<int>{0, 1, 2, 4, 3}));
  EXPECT_EQ(c.x, (std::vector<double>{10, 20, 30, 40}));
}

// A counted array of ints as callers pass it.
struct CountedIn {
  explicit CountedIn(std::vector<int> v)
      : words{static_cast<int>(4 * v.size()), static_cast<int>(v.size())} {
    words.insert(words.end(), v.begin(), v.end());
  }
  const int* get() const { return words.size() > 2 ? words.data() + 2 : nullptr; }
  std::vector<int> words;
};

struct Legend {
  std::vector<std::vector<int>> groups, chains;
  std::vector<int> chainGroups;
};

Legend Describe(std::vector<std::vector<int>> lists, int* groupCount) {
  std::vector<CountedIn> in;
  std::vector<const int*> pointers;
  for (auto& l : lists) in.emplace_back(l);
  for (auto& c : in) pointers.push_back(c.get());
  const int* const* groups = nullptr;
  const int* const* chains = nullptr;
  const int* chainGroups = nullptr;
  int chainCount = -1;
  QoQMapDesc(0, pointers.data(), static_cast<int>(pointers.size()), &groups, groupCount, &chains,
             &chainGroups, &chainCount);
  Legend legend;
  for (int g = 0; g < *groupCount; ++g) legend.groups.push_back(Counted(groups[g]));
  for (int c = 0; c < chainCount; ++c) legend.chains.push_back(Counted(chains[c]));
  legend.chainGroups = Vec(chainGroups, chainCount);
  return legend;
}

TEST_F(QMapNet, LegendChainsPolylinesOfOneGroup) {
  // One list over arcs 0, 1, 2 runs over polylines 0, 1, 2, which continue
  // one another: one chain.
  int groups = 0;
  Legend legend = Describe({{0, 1, 2}}, &groups);
  EXPECT_EQ(groups, 1);
  EXPECT_EQ(legend.groups, (std::vector<std::vector<int>>{{0}}));
  EXPECT_EQ(legend.chains, (std::vector<std::vector<int>>{{0, 1, 2}}));
  EXPECT_EQ(legend.chainGroups, std::vector<int>{0});

  // Kept groups keep their numbers. Lists 0 and 1 share polyline 1 (arcs
  // 1 and 3): three groups of one polyline each, which no neighbour
  // shares, so no chain.
  legend = Describe({{0, 1}, {4, 3}}, &groups);
  EXPECT_EQ(groups, 3);
  EXPECT_EQ(legend.groups, (std::vector<std::vector<int>>{{0}, {0, 1}, {1}}));
  EXPECT_TRUE(legend.chains.empty());

  // Afresh: the table starts empty.
  groups = 0;
  legend = Describe({{5}, {5}}, &groups);
  EXPECT_EQ(legend.groups, (std::vector<std::vector<int>>{{0, 1}}));
  EXPECT_EQ(QoError(), 0);

  // No lists: nothing, not even an error.
  QoQMapDesc(0, nullptr, 0, nullptr, &groups, nullptr, nullptr, nullptr);
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(groups, 1);
}

TEST_F(QMapNet, CourseOfAFoundConnection) {
  int from = 0, to = 3, list = -1, timetable = 0, count = 0;
  QoConnectionExt2(&from, &list, &timetable, nullptr, 1, &to, &list, &timetable, nullptr, 1,
                   nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0, 470, 10, 3, 2025, 1,
                   1, nullptr, &count, nullptr);
  ASSERT_GE(count, 1);
  const int* timetables = nullptr;
  const int* const* stations = nullptr;
  const double* const* xs = nullptr;
  const double* const* ys = nullptr;
  const int* const* arcs = nullptr;
  ASSERT_EQ(QoQMapConn(nullptr, 0, &timetables, &stations, &xs, &ys, &arcs), 1);
  EXPECT_EQ(timetables[0], 0);
  EXPECT_EQ(Counted(stations[0]), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Counted(arcs[0]), (std::vector<int>{0, 1, 2}));
  ASSERT_NE(xs[0], nullptr);
  EXPECT_EQ(std::vector<double>(xs[0], xs[0] + 4), (std::vector<double>{10, 20, 30, 40}));
  EXPECT_EQ(QoQMapConn(nullptr, 99, &timetables, &stations, &xs, &ys, &arcs), 0);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);
  CurrentSearchHandle() = SearchHandle{};
}

TEST_F(QMapNet, PatternsAreCutAtTwoHundred) {
  // 205 trains of one line, each with its own pattern (kinds differ).
  w::TimetableModel m = QMapTimetable();
  m.trains.resize(1);
  m.stop_patterns.clear();
  for (int16_t k = 0; k < 205; ++k) {
    m.stop_patterns.push_back({{0, k}, {1, k}});
    m.trains.push_back(m.trains[0]);
    m.trains.back().stop_pattern = k;
  }
  m.trains.erase(m.trains.begin());
  dir_.Save("b.qmap",
            w::WriteExtension({.type = w::ExtensionType::kQMap, .qmap = QMapNetwork()}).bytes);
  // It joins the loaded set as the last timetable.
  ASSERT_EQ(Load({dir_.Write("b.qo", m)}), 2);
  const int last = QoQoCount() - 1;
  const int* trains = nullptr;
  int n = QoQMapTrainPatterns(last, 0, 0, 0, &trains);
  ASSERT_EQ(n, 200);
  EXPECT_EQ(trains[199], 199);
}

// Train 4 (line "3", at x 50 and 60) runs only on Thursday 13 March 2025.
TEST_F(QMapNet, LinesOnADayOrInItsWeek) {
  QoCloseData();
  w::TimetableModel m = QMapTimetable();
  const int thursday = w::DayNumberOf(2025, 3, 13);
  m.calendars = {{.days = {static_cast<uint16_t>(thursday)}}};
  m.trains[4].calendar = 0;
  dir_.Save("c.qmap",
            w::WriteExtension({.type = w::ExtensionType::kQMap, .qmap = QMapNetwork()}).bytes);
  ASSERT_EQ(Load({dir_.Write("c.qo", m)}), 1);
  struct Case {
    int day, week;
    std::vector<int> trains;
  };
  const Case cases[] = {
      {0, 0, {3, 4}},             // no running test
      {thursday, 0, {3, 4}},      // its day
      {thursday + 1, 0, {3}},     // the day after
      {thursday + 3, 0, {3}},     // Sunday of its week
      {thursday + 3, 1, {3, 4}},  // the week of that Sunday starts on Monday 10 March
      {thursday - 3, 1, {3, 4}},  // Monday of its week
      {thursday + 4, 1, {3}},     // the next week
      {-5, 1, {3, 4}},            // a negative day is no day
  };
  for (Case const& c : cases) {
    const int* trains = nullptr;
    const int n = QoQMapLines(0, 55, 95, 10, 20, 0xFFFFFFFF, c.day, c.week, &trains);
    EXPECT_EQ(Vec(trains, n), c.trains) << c.day - thursday << " week " << c.week;
  }
  // A line's patterns on a day: train 4 alone, or nothing but itself.
  const int* trains = nullptr;
  EXPECT_EQ(QoQMapTrainPatterns(0, 4, thursday, 0, &trains), 1);
  EXPECT_EQ(trains[0], 4);
  EXPECT_EQ(QoError(), 0);
}

// A second network, along y = 15: stations 0, 1, 2 (group 1) with
// polylines 0: 0 -> 1, 1: 1 -> 2 (continuing 0), 2: 2 -> 1, 3: 1 -> 0
// (continuing 2); arcs 0: 0 -> 1 over 0, 1: 1 -> 2 over 1, 2: 1 -> 0 over
// 3, 3: 2 -> 1 over 2. Group 2: its base point (key 20000) with arc 4 of
// kind 2 to station 7 over polyline 4; station 6 with arc 5 of kind 1 to
// station 7 over polyline 5. Train 0, line "2", runs 7 -> 6 with group
// number 2 in its pattern byte.
class QMapBackAndForth : public QMapNet {
 protected:
  void SetUp() override {
    QMapNet::SetUp();
    QoCloseData();
    w::TimetableModel m = QMapTimetable();
    m.stop_patterns = {{{7, 1}, {6, 1}}};
    w::Train t = m.trains[3];
    t.stops = {Dep(7, 480), Arr(6, 490)};
    t.stop_pattern = 0;
    t.stop_pattern_byte = 2;
    m.trains = {t};
    auto at = [](double x) { return w::QMapPoint{x, 15}; };
    w::QMapModel q;
    q.coors = {{QKey(0), kQOld, at(1), {{1, 1, kQOld, {0}}}},
               {QKey(1), kQOld, at(2), {{2, 1, kQOld, {1}}, {0, 1, kQOld, {3}}}},
               {QKey(2), kQOld, at(3), {{1, 1, kQOld, {2}}}},
               {20000, kQOld, {5, 12}, {{5, 2, kQOld, {4}}}},
               {QKey(6), kQOld, at(6), {{5, 1, kQOld, {5}}}},
               {QKey(7), kQOld, at(7)}};
    q.polylines = {{at(1), at(2)}, {at(2), at(3)},   {at(3), at(2)},
                   {at(2), at(1)}, {{5, 12}, at(7)}, {at(6), at(7)}};
    q.neighbours = {{1}, {}, {3}, {}, {}, {}};
    dir_.Save("d.qmap", w::WriteExtension({.type = w::ExtensionType::kQMap, .qmap = q}).bytes);
    ASSERT_EQ(Load({dir_.Write("d.qo", m)}), 1);
  }
};

TEST_F(QMapBackAndForth, LegendDropsAChainRunningAnotherBackwards) {
  // One list both ways: chain 2, 3 runs chain 0, 1 backwards.
  int groups = 0;
  Legend legend = Describe({{0, 1, 2, 3}}, &groups);
  EXPECT_EQ(legend.chains, (std::vector<std::vector<int>>{{0, 1}}));
  // Each way its own list: two groups, and both chains stay.
  groups = 0;
  legend = Describe({{0, 1}, {3, 2}}, &groups);
  EXPECT_EQ(legend.chains, (std::vector<std::vector<int>>{{0, 1}, {2, 3}}));
  EXPECT_EQ(legend.chainGroups, (std::vector<int>{0, 1}));
  EXPECT_EQ(QoError(), 0);
}

TEST_F(QMapBackAndForth, LinesCoverContinuesFromTheGroupsBasePoint) {
  // Station 6's own arc is of kind 1; the arc of kind 2 (the pattern's
  // group number in the low byte) leaves the base point of group 2.
  Cover c = LinesCover(0, 10, QoDMYToDate(10, 3, 2025));
  ASSERT_EQ(c.lines, 1);
  EXPECT_EQ(c.continuations[0], std::vector<int>{4});
  EXPECT_EQ(QoError(), 0);
}

}  // namespace
}  // namespace qo::test
