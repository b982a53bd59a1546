// Journeys over timetables whose arcs carry their lengths: the engines
// count kilometres, keep a shorter way that arrives later from the same
// departure, and stop a ride beyond the distance limit. And the
// prefer-trains mode over a rail and a bus timetable.
#include <gtest/gtest.h>

#include "kernel/search/engine_test_support.h"

namespace qo::test {
namespace {

constexpr uint16_t kDay = w::DayNumberOf(2025, 6, 11);

// A stop with its distance from the train's first stop, in metres.
w::Stop Km(w::Stop stop, int32_t metres) {
  stop.distance = metres;
  return stop;
}

// Arcs both ways between every two stations: their lengths make the
// search count kilometres (the trains carry their own).
std::vector<w::Arc> AllArcs(int stations) {
  std::vector<w::Arc> arcs;
  for (int a = 0; a < stations; ++a)
    for (int b = 0; b < stations; ++b)
      if (a != b)
        arcs.push_back(
            {.from = static_cast<uint16_t>(a), .to = static_cast<uint16_t>(b), .length = 1000});
  return arcs;
}

class EngineDistanceTest : public EngineTest {
 protected:
  void LoadModel(w::TimetableModel const& m) {
    QoCloseData();
    ASSERT_EQ(Load({dir_.Write("distance.qo", m)}), 1);
    SetSearchDay(kDay);
  }
  static RouterQuery Query(uint16_t to, int time, int changes) {
    return {.From = 0,
            .To = to,
            .SearchDay = kDay,
            .WindowTime = time,
            .Interval = 60,
            .MaxChanges = changes,
            .ChangesAllowed = changes > 0};
  }
};

// From 0 to 3 by a long way (train 1 over 1, 100 km, arriving 6:50) or a
// short one (train 2 over 2, 20 km, arriving 6:55). The trains carry their
// kilometres, or the kernel sums the arcs they run over.
TEST_F(EngineDistanceTest, TheDistanceLimitEndsALongRide) {
  enum Lengths { kNoArcs, kByTrain, kByArc };
  struct Case {
    char const* name;
    Lengths lengths;
    int32_t limitMetres;
    std::string found;
  } const cases[] = {
      {"both ways", kByTrain, 0, " 600-650/1 600-655/1"},
      {"the long way goes beyond the limit", kByTrain, 60000, " 600-655/1"},
      {"... summed over the arcs", kByArc, 60000, " 600-655/1"},
      {"without arc lengths no kilometres count", kNoArcs, 60000, " 600-650/1 600-655/1"},
  };
  for (Case const& c : cases) {
    w::TimetableModel m = LineTimetable(1, 1, 4, 100);
    if (c.lengths != kNoArcs) m.arcs = AllArcs(4);
    m.trains = {
        Trip({Km(Dep(0, 600), 0), Km(Pass(1, 620, 621), 50000), Km(Arr(3, 650), 100000)}, "1"),
        Trip({Km(Dep(0, 600), 0), Km(Pass(2, 625, 626), 10000), Km(Arr(3, 655), 20000)}, "2")};
    if (c.lengths == kByArc) {
      for (w::Arc& arc : m.arcs) {
        const int far = (arc.from == 1 || arc.to == 1) ? 50000 : 10000;
        if (arc.from == 3 || arc.to == 3 || arc.from == 0 || arc.to == 0) arc.length = far;
      }
      for (w::Train& t : m.trains)
        for (w::Stop& stop : t.stops) stop.distance.reset();
      m.has_distances = true;
    }
    LoadModel(m);
    CurrentSearchSettings().MaxSearchDistance = c.limitMetres;
    EXPECT_EQ(Describe(Journeys(RunForward(Query(3, 590, 0)))), c.found) << c.name;
    EXPECT_EQ(Describe(Journeys(RunBackward(Query(3, 700, 0)))), c.found) << c.name;
    CurrentSearchSettings().MaxSearchDistance = 0;
  }
}

// From 0 to 3 by train 3 (1 -> 2 -> 3), reached at 1 by train 1 (6:20,
// 100 km) or at 2 by train 2 (6:35, 10 km). Counting kilometres the
// journey boards train 3 again at 2, later but by a way much shorter, and
// takes that way; by time alone the earlier boarding at 1 rules the train.
TEST_F(EngineDistanceTest, ALaterBoardingByAShorterWay) {
  struct Case {
    char const* name;
    bool arcs;
    uint16_t change;
  } const cases[] = {
      {"counting kilometres", true, 2},
      {"by time alone", false, 1},
  };
  for (Case const& c : cases) {
    w::TimetableModel m = LineTimetable(1, 1, 4, 100);
    if (c.arcs) m.arcs = AllArcs(4);
    m.trains = {
        Trip({Km(Dep(0, 600), 0), Km(Arr(1, 620), 100000)}, "1"),
        Trip({Km(Dep(0, 600), 0), Km(Arr(2, 635), 10000)}, "2"),
        Trip({Km(Dep(1, 630), 0), Km(Pass(2, 640, 640), 5000), Km(Arr(3, 700), 10000)}, "3")};
    LoadModel(m);
    ConnectionList found = RunForward(Query(3, 590, 1));
    ASSERT_EQ(Describe(Journeys(found)), " 600-700/2") << c.name;
    EXPECT_EQ(found.front().front().ToStation, c.change) << c.name;
    if (!c.arcs) continue;
    // Backward the shorter way's key is the better one at the From station.
    found = RunBackward(Query(3, 710, 1));
    ASSERT_EQ(Describe(Journeys(found)), " 600-700/2") << c.name;
    EXPECT_EQ(found.front().front().ToStation, c.change) << c.name;
  }
}

// From 0 to 3 with a change at 2: train 1 reaches 2 first (6:20) by
// 100 km, train 2 later (6:25) by 10 km, both from 6:00; train 3 goes on
// at 6:30. Counting kilometres the later arrival at the change is kept
// beside the earlier one, and the journey takes the short way.
TEST_F(EngineDistanceTest, AShorterWayToTheChangeIsKept) {
  struct Case {
    char const* name;
    bool arcs;
    int firstArrival;
  } const cases[] = {
      {"counting kilometres", true, 625},
      {"by time alone", false, 620},
  };
  for (Case const& c : cases) {
    for (bool shortFirst : {false, true}) {
      w::TimetableModel m = LineTimetable(1, 1, 4, 100);
      if (c.arcs) m.arcs = AllArcs(4);
      w::Train longWay = Trip({Km(Dep(0, 600), 0), Km(Arr(2, 620), 100000)}, "1");
      w::Train shortWay = Trip({Km(Dep(0, 600), 0), Km(Arr(2, 625), 10000)}, "2");
      m.trains = {shortFirst ? shortWay : longWay, shortFirst ? longWay : shortWay,
                  Trip({Km(Dep(2, 630), 0), Km(Arr(3, 700), 10000)}, "3")};
      LoadModel(m);
      ConnectionList found = RunForward(Query(3, 590, 1));
      ASSERT_EQ(Describe(Journeys(found)), " 600-700/2") << c.name;
      EXPECT_EQ(found.front().front().ArrivalMinute, c.firstArrival) << c.name << shortFirst;
    }
  }
}

// Trains preferred: a rail and a bus timetable take part, but the files
// mark no station where a rail journey must not be left for a bus, so the
// mode finds what the search without it finds.
TEST_F(EngineDistanceTest, PreferredTrainsHoldNoJourneyBack) {
  w::TimetableModel rail = LineTimetable(1, 1, 2, 5000);
  rail.trains = {Trip({Dep(0, 600), Arr(1, 620)}, "R1")};
  w::TimetableModel bus = LineTimetable(2, 2, 2, 5001);
  bus.trains = {Trip({Dep(0, 625), Arr(1, 640)}, "B1")};
  ASSERT_EQ(Load({dir_.Write("rail.qo", rail), dir_.Write("bus.qo", bus)}), 2);
  SetSearchDay(kDay);
  for (int prefer : {1, 0}) {
    CurrentSearchSettings().Parms.PreferTrains = prefer;
    SearchRun& run = RunSearch({.From = {{.timetable = TimetableAt(0), .station = 0}},
                                .To = {{.timetable = TimetableAt(1), .station = 1}},
                                .Time = 590,
                                .MaxChanges = 1},
                               {}, SearchDirection::Forward);
    EXPECT_EQ(run.PreferTrains, prefer == 1);
    EXPECT_EQ(Describe(Journeys(run.Found)), " 600-640/2") << prefer;
  }
}

}  // namespace
}  // namespace qo::test
