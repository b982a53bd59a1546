// The rules that decide which trains a journey boards, where it may leave
// them and which changes it may make: one small timetable per rule, each
// showing the connection the rule adds or removes.
#include <gtest/gtest.h>

#include <functional>

#include "kernel/search/engine_test_support.h"
#include "search/search_state.h"
#include "servicecodes/service_codes.h"

namespace qo::test {
namespace {

constexpr uint16_t kDay = w::DayNumberOf(2025, 6, 11);

w::TimetableModel Line(int stations, uint8_t kind = 1) {
  w::TimetableModel m;
  m.kind = kind;
  for (int s = 0; s < stations; ++s)
    m.stations.push_back(
        {.name = {"Stop " + std::to_string(s)}, .key = 100 * (s + 1), .type = 0x01});
  m.train_types = {{.abbreviation = {"Os"}, .description = {"Train"}},
                   {.abbreviation = {"R"}, .description = {"Fast train"}}};
  m.search.min_change_time = 2;
  return m;
}

w::Stop Call(uint16_t station, int minute, uint16_t flags = 0) {
  return {.station = station, .arrival = minute, .departure = minute, .flags = flags};
}

w::Train Trip(std::vector<w::Stop> stops, std::string number, int type = 0,
              uint32_t attributes = 0) {
  return {.stops = std::move(stops),
          .number = std::move(number),
          .type = type,
          .attributes = attributes};
}

// One request: the From stations (0 unless named), the To stations in their order, and what
// the case sets before the pass.
struct Request {
  std::vector<uint16_t> to;
  int time = 580;
  int changes = 0;
  std::vector<uint16_t> via{};
  std::vector<uint16_t> from{0};
};

struct Case {
  char const* name;
  std::function<void(w::TimetableModel&)> model;
  std::function<void()> settings;
  Request request;
  std::string found;
};

// The lower bounds prune from the first label on, so that every rule is
// also seen through them.
class EngineRideRulesTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    SetLabelsBeforeLowerBoundsForTesting(0);
  }

  std::string Run(Request const& r) {
    TimetableRecord* t = LoadedSet()[0];
    PassSetup setup{.Time = r.time, .MaxChanges = r.changes, .Marks = true};
    for (uint16_t from : r.from) setup.From.push_back({.timetable = t, .station = from});
    for (uint16_t to : r.to) setup.To.push_back({.timetable = t, .station = to});
    for (uint16_t via : r.via) setup.Via.push_back({{.timetable = t, .station = via}});
    return Describe(Journeys(
        RunSearch(setup, {.ChangesAllowed = r.changes > 0}, SearchDirection::Forward).Found));
  }

  void Check(Case const& c) {
    w::TimetableModel m = Line(5);
    c.model(m);
    QoCloseData();
    ASSERT_EQ(Load({dir_.Write("rules.qo", m)}), 1) << c.name;
    SetSearchDay(kDay);
    if (c.settings) c.settings();
    EXPECT_EQ(Run(c.request), c.found) << c.name;
    CurrentSearchSettings() = SearchSettings{};
  }
};

ConnParms& Parms() { return CurrentSearchSettings().Parms; }

TEST_F(EngineRideRulesTest, WhichTrainsARideTakes) {
  auto twoTrains = [](uint32_t attributes) {
    return [attributes](w::TimetableModel& m) {
      m.trains = {Trip({Dep(0, 600), Arr(2, 630)}, "1"),
                  Trip({Dep(0, 610), Arr(2, 650)}, "2", 0, attributes)};
    };
  };
  auto lowFloor = [] { Parms().LowFloorOnly = 1; };
  auto beds = [] { Parms().UseBeds = 1; };
  auto nightTrain = [](uint32_t attributes, int departure, int arrival) {
    return [=](w::TimetableModel& m) {
      m.trains = {Trip({Dep(0, departure), Arr(2, arrival)}, "1", 0, attributes)};
    };
  };
  // Train 1 may be ridden three hours from 0 without a bed, not to 3; it
  // is boarded again at 2 (after train 2), rides its own three hours to 3
  // and changes onto train 5 there.
  auto boardedAgain = [](w::TimetableModel& m) {
    m.stations.push_back({.name = {"Stop 5"}, .key = 600, .type = 0x01});
    m.trains = {Trip({Dep(0, 600), Call(2, 700), Call(3, 785), Call(1, 805), Arr(5, 810)}, "1"),
                Trip({Dep(0, 600), Arr(2, 650)}, "2"), Trip({Dep(0, 630), Arr(1, 800)}, "3"),
                Trip({Dep(0, 630), Arr(4, 810)}, "4"), Trip({Dep(3, 787), Arr(4, 790)}, "5")};
  };
  auto regions = [](std::string const& second) {
    return [second](w::TimetableModel& m) {
      m.regions = {"*A-1", second};
      m.stations[0].region = 0;
      m.stations[2].region = 1;
      m.stations[2].type = 0x03;  // abroad: the search is not a domestic one
      m.trains = {Trip({Dep(0, 600), Arr(2, 630)}, "1", 0, 0x80000000)};
    };
  };
  auto requestStops = [](w::TimetableModel& m) {
    m.kind = 2;
    m.trains = {Trip({Call(0, 600, 0x5000), Call(1, 610, 0x5000), Call(2, 620)}, "1")};
  };
  // Trains that may not be left at stop 2; with `second` one that may.
  auto noAlighting = [](bool second) {
    return [second](w::TimetableModel& m) {
      m.trains = {Trip({Dep(0, 600), Call(2, 630, 0x1000), Arr(3, 640)}, "1")};
      if (second) m.trains.push_back(Trip({Dep(0, 610), Arr(2, 650)}, "2"));
    };
  };
  Case const cases[] = {
      {"both trains", twoTrains(0x100000), nullptr, {{2}}, " 600-630/1 610-650/1"},
      {"no train may be left at To", noAlighting(false), nullptr, {{2}, 580, 2}, " (none)"},
      {"... it may be left beyond", noAlighting(false), nullptr, {{3}}, " 600-640/1"},
      {"... another train may be", noAlighting(true), nullptr, {{2}, 580, 2}, " 610-650/1"},
      {"low floor only", twoTrains(0x100000), lowFloor, {{2}}, " 610-650/1"},
      {"no low-floor train", twoTrains(0), lowFloor, {{2}}, " (none)"},
      {"a day train without beds", nightTrain(0, 600, 700), beds, {{2}}, " 600-700/1"},
      {"without a bed the night is not spent on the train",
       nightTrain(0, 1300, 1390),
       beds,
       {{2}, 1280},
       " (none)"},
      {"... nor more than three hours", nightTrain(0, 600, 790), beds, {{2}}, " (none)"},
      {"... in a sleeper both are",
       nightTrain(0x2000000, 1300, 1500),
       beds,
       {{2}, 1280},
       " 1300-1500/1"},
      {"... and each boarding rides its own three hours",
       boardedAgain,
       beds,
       {{4}, 580, 2},
       " 600-790/3 630-810/1"},
      {"no local traffic within one region group", regions("*A-2"), nullptr, {{2}}, " (none)"},
      {"... between two groups it runs", regions("*B-1"), nullptr, {{2}}, " 600-630/1"},
      {"a bus flagged down is not flagged to stop again", requestStops, nullptr, {{1}}, " (none)"},
      {"... it stops where it stops anyway", requestStops, nullptr, {{2}}, " 600-620/1"},
  };
  for (Case const& c : cases) Check(c);
}

TEST_F(EngineRideRulesTest, RequiredServiceCodes) {
  auto codes = [](w::TimetableModel& m) {
    m.service_codes.codes = {{.name = "Bicycles"}};
    m.service_codes.sets = {0x1};
    m.service_codes.filter_letters = "B";
    m.service_codes.letter_masks = {0x1};
    m.trains = {Trip({Dep(0, 600), Arr(2, 630)}, "1"), Trip({Dep(0, 610), Arr(2, 650)}, "2")};
    m.trains[1].service_set = 0;
  };
  auto require = [] {
    uint8_t const bicycles = 'B';
    EnableServiceCodes(*LoadedSet()[0], &bicycles, 1);
  };
  Check({"every train", codes, nullptr, {{2}}, " 600-630/1 610-650/1"});
  Check({"the train with bicycles", codes, require, {{2}}, " 610-650/1"});
}

// From 0 to 2 over a train 0 -> 1 (arriving at 6:00) and a change at 1.
TEST_F(EngineRideRulesTest, WhichChangesAJourneyMakes) {
  auto change = [](std::vector<std::vector<uint8_t>> penalties, uint32_t maxWait) {
    return [=](w::TimetableModel& m) {
      m.change_penalty_rows = penalties;
      m.search.max_change_time = maxWait;
      m.trains = {Trip({Dep(0, 590), Arr(1, 600)}, "1"), Trip({Dep(1, 605), Arr(2, 620)}, "2", 1),
                  Trip({Dep(1, 615), Arr(2, 630)}, "3", 0)};
    };
  };
  ChangeTimeFunction const tenMinutes = [](int, int station, int, int, int arriving, int departure,
                                           int, int* changeTime) {
    if (changeTime && station == 1 && arriving >= 0 && departure < 0) *changeTime = 10;
    return 1;
  };
  ChangeTimeFunction const refuseStation1 = [](int, int station, int, int, int arriving,
                                               int departure, int, int* changeTime) {
    return station == 1 && arriving >= 0 && departure < 0 && !changeTime ? 0 : 1;
  };
  Case const cases[] = {
      {"the first train on", change({}, 240), nullptr, {{2}, 580, 1}, " 590-620/2"},
      {"a penalty for the change to a fast train",
       change({{0, 10}}, 240),
       nullptr,
       {{2}, 580, 1},
       " 590-630/2"},
      {"the longest wait", change({}, 10), nullptr, {{2}, 580, 1}, " 590-620/2"},
      {"... is not waited beyond", change({{0, 10}}, 10), nullptr, {{2}, 580, 1}, " (none)"},
      {"the callback gives the change time",
       change({}, 240),
       [=] { CurrentSearchSettings().ChangeFun = tenMinutes; },
       {{2}, 580, 1},
       " 590-630/2"},
      {"the callback refuses the station",
       change({}, 240),
       [=] { CurrentSearchSettings().ChangeFun = refuseStation1; },
       {{2}, 580, 1},
       " (none)"},
  };
  for (Case const& c : cases) Check(c);
}

// Trains 0 -> 1 -> 3 (6:00-6:30) and 0 -> 2 -> 3 (6:00-6:40); the arc
// from 1 to 3 runs past station 2.
TEST_F(EngineRideRulesTest, ViaPointsAndTheToGroups) {
  auto network = [](w::TimetableModel& m) {
    m.arcs = {{.from = 0, .to = 1, .length = 1000},
              {.from = 0, .to = 2, .length = 1000},
              {.from = 1, .to = 3, .length = 1000},
              {.from = 2, .to = 3, .length = 1000}};
    m.pass_via.assign(m.stations.size(), {});
    m.pass_via[2] = {2};
    m.trains = {Trip({Dep(0, 600), Call(1, 610), Arr(3, 630)}, "1"),
                Trip({Dep(0, 600), Call(2, 620), Arr(3, 640)}, "2")};
  };
  auto slowTrain = [](w::TimetableModel& m) {
    m.trains = {Trip({Dep(0, 600), Call(2, 620), Arr(3, 640)}, "2")};
  };
  auto passThrough = [] { Parms().StopsInVia = 0; };
  // Train 1 leaves the journey at 1 and at 2. Train 2 is boarded at 1
  // first, then at 2 before the via point 3: that ride has passed the via
  // point when it reaches 1, and goes on to 4.
  auto boardedAgainBeforeTheVia = [](w::TimetableModel& m) {
    m.trains = {Trip({Dep(0, 600), Call(1, 605), Arr(2, 608)}, "1"),
                Trip({Dep(2, 610), Call(3, 615), Call(1, 620), Arr(4, 630)}, "2")};
  };
  Case const cases[] = {
      {"both trains", network, nullptr, {{3}}, " 600-630/1 600-640/1"},
      {"a via point where the train stops", network, nullptr, {{3}, 580, 0, {2}}, " 600-640/1"},
      {"a via point passed through", network, passThrough, {{3}, 580, 0, {2}}, " 600-630/1"},
      {"a To station of the first group ends the ride", slowTrain, nullptr, {{2, 3}}, " 600-620/1"},
      {"a later group is passed for a better one", slowTrain, nullptr, {{3, 2}}, " 600-640/1"},
      {"a ride goes on past a via point where the same journey boarded before it",
       boardedAgainBeforeTheVia,
       nullptr,
       {{4}, 580, 1, {3}},
       " 600-630/2"},
  };
  for (Case const& c : cases) Check(c);
}

// A journey 0 -> 2 -> 4 (a via point at 2), change, 4 -> 3: the first leg
// names the station where it passed the via point, by departure and by
// arrival alike.
TEST_F(EngineRideRulesTest, ALegNamesTheViaStationsItPassed) {
  w::TimetableModel m = Line(5);
  m.trains = {Trip({Dep(0, 600), Call(2, 610), Arr(4, 620)}, "1"),
              Trip({Dep(4, 630), Arr(3, 650)}, "2")};
  ASSERT_EQ(Load({dir_.Write("via.qo", m)}), 1);
  SetSearchDay(kDay);
  for (bool backward : {false, true}) {
    TimetableRecord* t = LoadedSet()[0];
    SearchRun& run = RunSearch({.From = {{.timetable = t, .station = 0}},
                                .To = {{.timetable = t, .station = 3}},
                                .Via = {{{.timetable = t, .station = 2}}},
                                .Time = backward ? 660 : 590,
                                .MaxChanges = 1,
                                .Marks = true},
                               {}, backward ? SearchDirection::Backward : SearchDirection::Forward);
    ASSERT_EQ(run.Found.size(), 1u) << backward;
    Connection const& c = run.Found[0];
    ASSERT_EQ(c.size(), 2u) << backward;
    EXPECT_EQ(c[0].FirstViaStation, 2) << backward;
    EXPECT_EQ(c[0].LastViaStation, 2) << backward;
    EXPECT_EQ(c[0].ViaLevel, 1) << backward;
    EXPECT_EQ(c[1].FirstViaStation, -1) << backward;
    EXPECT_EQ(c[1].ViaLevel, 1) << backward;
  }
}

// A train 0 -> 1 -> 3 is boarded at the From station listed first.
TEST_F(EngineRideRulesTest, TheFirstListedFromStationIsPreferred) {
  auto train = [](w::TimetableModel& m) {
    m.trains = {Trip({Dep(0, 600), Call(1, 610), Arr(3, 640)}, "1")};
  };
  Case const cases[] = {
      {"from either", train, nullptr, {{3}, 590, 0, {}, {0}}, " 600-640/1"},
      {"... or the other", train, nullptr, {{3}, 590, 0, {}, {1}}, " 610-640/1"},
      {"not again at a later-listed one", train, nullptr, {{3}, 590, 0, {}, {0, 1}}, " 600-640/1"},
      {"not before the next stop when that is listed earlier",
       train,
       nullptr,
       {{3}, 590, 0, {}, {1, 0}},
       " 610-640/1"},
  };
  for (Case const& c : cases) Check(c);
}

// Two trains from 0 reach 2 at 6:30, leaving at 6:00 and 6:05. Under one
// number in a rail timetable they are one train, and the later departure
// does not stand beside the earlier one; a variant of a train group, a
// bus or another number does.
TEST_F(EngineRideRulesTest, TwoRecordsOfOneTrain) {
  auto trains = [](std::string second, uint32_t attributes, uint8_t kind) {
    return [=](w::TimetableModel& m) {
      m.kind = kind;
      m.trains = {Trip({Dep(0, 600), Arr(2, 630)}, "7", 0, attributes),
                  Trip({Dep(0, 605), Arr(2, 630)}, second)};
    };
  };
  Case const cases[] = {
      {"one number", trains("7", 0, 1), nullptr, {{2}}, " 600-630/1"},
      {"two numbers", trains("8", 0, 1), nullptr, {{2}}, " 600-630/1 605-630/1"},
      {"a group variant", trains("7", 0x8000000, 1), nullptr, {{2}}, " 600-630/1 605-630/1"},
      {"buses", trains("7", 0, 2), nullptr, {{2}}, " 600-630/1 605-630/1"},
  };
  for (Case const& c : cases) Check(c);
}

// A train 0 -> 4 -> 1 -> 3: a stop between two From stations makes the
// later one a start of its own, unless the From list is a long one (a
// whole town) through which the train may wander.
TEST_F(EngineRideRulesTest, AStopBetweenTwoFromStations) {
  auto train = [](w::TimetableModel& m) {
    m.trains = {Trip({Dep(0, 600), Call(4, 605), Call(1, 610), Arr(3, 640)}, "1")};
  };
  std::vector<uint16_t> sixteen = {0, 1};
  sixteen.resize(16, 2);
  std::vector<uint16_t> fifteen(sixteen.begin(), sixteen.begin() + 15);
  Case const cases[] = {
      {"two From stations", train, nullptr, {{3}, 590, 0, {}, {0, 1}}, " 600-640/1 610-640/1"},
      {"fifteen entries", train, nullptr, {{3}, 590, 0, {}, fifteen}, " 600-640/1 610-640/1"},
      {"sixteen entries", train, nullptr, {{3}, 590, 0, {}, sixteen}, " 600-640/1"},
  };
  for (Case const& c : cases) Check(c);
}

// From 0 over 1 and back through 0 (where the second train takes no one
// on) to 3: the change-time callback decides whether a ride may pass the
// first From station again.
TEST_F(EngineRideRulesTest, TheCallbackAtTheFirstFromStation) {
  auto loop = [](w::TimetableModel& m) {
    m.trains = {Trip({Dep(0, 600), Arr(1, 610)}, "1"),
                Trip({Dep(1, 615), Call(0, 625, 0x4000), Arr(3, 650)}, "2")};
  };
  auto allowing = [] {
    CurrentSearchSettings().ChangeFun = [](int, int, int, int, int, int, int, int*) { return 1; };
  };
  // Passing station 0 by a train is asked with that train as both trains.
  auto refusing = [] {
    CurrentSearchSettings().ChangeFun = [](int, int station, int, int, int arriving, int,
                                           int departing, int*) {
      return station == 0 && arriving >= 0 && departing == arriving ? 0 : 1;
    };
  };
  Case const cases[] = {
      {"without a callback", loop, nullptr, {{3}, 590, 1}, " 600-650/2"},
      {"a callback that allows it", loop, allowing, {{3}, 590, 1}, " 600-650/2"},
      {"a callback that refuses it", loop, refusing, {{3}, 590, 1}, " (none)"},
  };
  for (Case const& c : cases) Check(c);
}

// The end 4 is served at 650 and 660 only. Once the direct train at 610
// has found 660, a journey that left at 600 must be there by 650, the
// end's last time before it: the change at 2 onto the train of 650 still
// counts, the later change onto the one of 660 not.
TEST_F(EngineRideRulesTest, AnEndServedRarelyIsReachedByItsLastTimeBeforeAFoundArrival) {
  auto rarelyServed = [](w::TimetableModel& m) {
    m.trains = {Trip({Dep(0, 610), Arr(4, 660)}, "1"), Trip({Dep(0, 600), Arr(2, 615)}, "2"),
                Trip({Dep(2, 640), Arr(4, 650)}, "3"), Trip({Dep(0, 605), Arr(3, 640)}, "4"),
                Trip({Dep(3, 645), Arr(4, 660)}, "5")};
  };
  Check({"by the end's times", rarelyServed, nullptr, {{4}, 590, 1}, " 600-650/2 610-660/1"});
  // A second end 3, served at 630 and 640: by its own times, after the
  // direct train of 605 found 640 there.
  auto secondEnd = [&](w::TimetableModel& m) {
    rarelyServed(m);
    m.trains.push_back(Trip({Dep(2, 620), Arr(3, 630)}, "6"));
  };
  Check({"by each end's times",
         secondEnd,
         nullptr,
         {{4, 3}, 590, 1},
         " 600-630/2 600-650/2 605-640/1 610-660/1"});
}

// Two ways from 0 to 3: changing at 1 (two journeys) or at 2 (one). The
// automatic strategy searches each way on its own and keeps the list with
// more connections.
TEST_F(EngineRideRulesTest, TheAutomaticStrategyKeepsTheBetterWay) {
  auto twoWays = [](w::TimetableModel& m) {
    m.trains = {Trip({Dep(0, 600), Arr(1, 610)}, "1"), Trip({Dep(1, 615), Arr(3, 640)}, "2"),
                Trip({Dep(0, 620), Arr(2, 630)}, "3"), Trip({Dep(2, 635), Arr(3, 650)}, "4"),
                Trip({Dep(0, 630), Arr(1, 640)}, "5"), Trip({Dep(1, 645), Arr(3, 670)}, "6")};
  };
  Check({"every way", twoWays, nullptr, {{3}, 590, 1}, " 600-640/2 620-650/2 630-670/2"});
  Check({"the better way",
         twoWays,
         [] { Parms().AutoStrategy = 1; },
         {{3}, 590, 1},
         " 600-640/2 630-670/2"});
  EXPECT_EQ(CurrentSearchRun().Request.ChangePoints.size(), 0u) << "the change points are restored";
}

}  // namespace
}  // namespace qo::test
