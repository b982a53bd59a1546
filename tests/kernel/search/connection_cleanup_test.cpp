// The clean-up of found connections on small hand-laid lists. Legs name
// stations and trains of a timetable that is not loaded, so every change
// between two different stations counts as a long walk and no station is
// one place with another.
#include "search/connection_cleanup.h"

#include <gtest/gtest.h>

#include "kernel/search/connection_legs.h"
#include "kernel/search/engine_test_support.h"
#include "search/change_rules.h"
#include "search/connection_order.h"

namespace qo::test {
namespace {

// Runs the passes of a search by departure with changes, without via
// points or a change-time callback.
ConnectionList CleanUp(ConnectionList list) {
  RemoveDuplicateConnections(list);
  RemoveDetourConnections(list, nullptr, true, false, false);
  RemoveDominatedConnections(list);
  return list;
}

TEST(ConnectionCleanupTest, AOneLegConnectionGoesOnlyAsADuplicate) {
  const Connection slowDirect = {Leg(1, 0, 9, 600, 1300)};
  // A fast connection with a change, leaving at the same time, and one
  // leaving earlier that arrives much earlier.
  const Connection fast = {Leg(2, 0, 5, 600, 640), Leg(3, 5, 9, 650, 700)};
  const Connection earlier = {Leg(4, 0, 5, 500, 520), Leg(5, 5, 9, 530, 560)};
  ConnectionList list = {earlier, fast, slowDirect};
  ConnectionList cleaned = CleanUp(list);
  ASSERT_EQ(cleaned.size(), 3u);

  list = {earlier, fast, slowDirect, slowDirect};
  EXPECT_EQ(CleanUp(list).size(), 3u);
}

TEST(ConnectionCleanupTest, MoreChangesArrivingNoEarlierAreDominated) {
  // Same departure: the connection with more changes that arrives no
  // earlier goes; an earlier departure over the same timetables that
  // arrives no earlier goes as well.
  const Connection two = {Leg(1, 0, 5, 600, 640), Leg(2, 5, 9, 650, 700)};
  const Connection three = {Leg(1, 0, 5, 600, 640), Leg(3, 5, 6, 645, 660), Leg(4, 6, 9, 670, 700)};
  ConnectionList list = {two, three};
  ConnectionList cleaned = CleanUp(list);
  ASSERT_EQ(cleaned.size(), 1u);
  EXPECT_EQ(cleaned[0].size(), 2u);

  const Connection earlierSlow = {Leg(5, 0, 4, 560, 640), Leg(6, 4, 9, 650, 710)};
  list = {earlierSlow, two};
  cleaned = CleanUp(list);
  ASSERT_EQ(cleaned.size(), 1u);
  EXPECT_EQ(LegDeparture(cleaned[0].front()), 600);
}

TEST(ConnectionCleanupTest, TheDistancePassAppliesOnlyToJourneysOverFourHours) {
  // A journey of two legs over 100 km against one with a change more over
  // 50 km, leaving at the same time; the longer one arrives far later.
  struct Case {
    int32_t duration;
    bool removed;
  };
  for (Case c : {Case{300, true}, Case{240, false}}) {
    SCOPED_TRACE(c.duration);
    const Connection shortWay = {Leg(1, 0, 5, 600, 620, 20000), Leg(2, 5, 6, 620, 640, 20000),
                                 Leg(3, 6, 9, 640, 650, 10000)};
    const Connection longWay = {Leg(4, 0, 7, 600, 700, 50000),
                                Leg(5, 7, 9, 700, 600 + c.duration, 50000)};
    ConnectionList list = {shortWay, longWay};
    RemoveDominatedConnections(list);
    EXPECT_EQ(list.size(), c.removed ? 1u : 2u);
  }
}

TEST(ConnectionCleanupTest, SameTrainsToAnotherStationWithinHalfAnHour) {
  // The same first train ridden on to another To station: the change goes
  // when riding on arrives less than 30 minutes later.
  struct Case {
    int32_t rideOnArrival;
    size_t left;
  };
  for (Case c : {Case{720, 1}, Case{729, 1}, Case{730, 2}, Case{740, 2}}) {
    SCOPED_TRACE(c.rideOnArrival);
    const Connection change = {Leg(1, 0, 5, 600, 650), Leg(2, 5, 9, 655, 700)};
    const Connection rideOn = {Leg(1, 0, 8, 600, c.rideOnArrival)};
    ConnectionList list = {change, rideOn};
    ConnectionList cleaned = CleanUp(list);
    ASSERT_EQ(cleaned.size(), c.left);
    if (c.left == 1) {
      EXPECT_EQ(cleaned[0].size(), 1u);
    }
  }
}

TEST(ConnectionCleanupTest, ADetourNextToAMuchShorterConnectionGoes) {
  const Connection detour = {Leg(1, 0, 5, 600, 800), Leg(2, 5, 9, 810, 1000)};
  const Connection quick = {Leg(3, 0, 9, 650, 700)};
  ConnectionList list = {detour, quick};
  ConnectionList cleaned = CleanUp(list);
  ASSERT_EQ(cleaned.size(), 1u);
  EXPECT_EQ(cleaned[0].size(), 1u);
}

TEST(ConnectionCleanupTest, EqualityOfConnections) {
  const Connection a = {Leg(1, 0, 5, 600, 640), Leg(2, 5, 9, 650, 700)};
  Connection sameTrainsOtherBoarding = a;
  sameTrainsOtherBoarding[1].FromStation = 6;  // left at the same station
  Connection otherTrain = a;
  otherTrain[1].Train = 3;
  Connection otherEnds = a;
  otherEnds[1].FromStation = 6;
  otherEnds[1].ToStation = 8;
  EXPECT_TRUE(ConnectionsEqual(a, a));
  EXPECT_TRUE(ConnectionsEqual(a, sameTrainsOtherBoarding));
  EXPECT_FALSE(ConnectionsEqual(a, otherTrain));
  EXPECT_FALSE(ConnectionsEqual(a, otherEnds));
  EXPECT_FALSE(ConnectionsEqual(a, {a[0]}));

  const Connection one = {Leg(1, 0, 9, 600, 700)};
  Connection oneLater = one;
  oneLater[0].ArrivalMinute = 701;
  Connection oneOtherTrain = one;
  oneOtherTrain[0].Train = 4;  // outside bus and city timetables the times and places decide
  EXPECT_TRUE(ConnectionsEqual(one, oneOtherTrain));
  EXPECT_FALSE(ConnectionsEqual(one, oneLater));
}

TEST(ConnectionCleanupTest, MoreConnectionsAlwaysMakeTheBetterList) {
  const Connection fast = {Leg(1, 0, 9, 600, 610)};
  const Connection slow = {Leg(2, 0, 9, 600, 1400)};
  EXPECT_TRUE(IsBetterConnectionList({slow, slow}, {fast}));
  EXPECT_FALSE(IsBetterConnectionList({fast}, {slow, slow}));
  EXPECT_TRUE(IsBetterConnectionList({fast, slow}, {slow, slow}));
  EXPECT_FALSE(IsBetterConnectionList({slow, slow}, {slow, slow}));
  EXPECT_EQ(AverageConnectionDuration({}), 100000);
}

TEST(ConnectionCleanupTest, ChangeStationSetsKeepTheLargestOfNestedSets) {
  const Connection viaFive = {Leg(1, 0, 5, 600, 640), Leg(2, 5, 9, 650, 700)};
  const Connection viaFiveAndSix = {Leg(1, 0, 5, 600, 640), Leg(2, 5, 6, 650, 660),
                                    Leg(3, 6, 9, 670, 700)};
  const Connection viaSeven = {Leg(4, 0, 7, 600, 640), Leg(5, 7, 9, 650, 700)};
  EXPECT_EQ(CollectChangeStations(viaFiveAndSix), (ChangeStationSet{{5, 0}, {6, 0}}));
  using Sets = std::vector<ChangeStationSet>;
  EXPECT_EQ(CollectChangeStationSets({viaFive, viaFiveAndSix, viaSeven}),
            (Sets{{{5, 0}, {6, 0}}, {{7, 0}}}));
  EXPECT_EQ(CollectChangeStationSets({viaFiveAndSix, viaFive}), (Sets{{{5, 0}, {6, 0}}}));
  // A journey without a change restricts nothing.
  const Connection direct = {Leg(1, 0, 9, 600, 700)};
  EXPECT_EQ(CollectChangeStationSets({direct}), Sets{});
  EXPECT_EQ(CollectChangeStationSets({direct, viaSeven}), (Sets{{{7, 0}}}));
}

TEST(ConnectionCleanupTest, SortingNeedsNoLoadedTimetable) {
  // Nothing is loaded: the stations sort by their numbers, and a
  // timetable index past the set reads nothing.
  Connection late = {Leg(1, 0, 9, 700, 760)};
  Connection early = {Leg(2, 0, 5, 600, 640), Leg(3, 5, 9, 650, 800)};
  Connection earlyOther = {Leg(4, 1, 9, 600, 790)};
  earlyOther[0].Timetable = 7;
  ConnectionList list = {late, early, earlyOther};
  SortConnectionsByDeparture(list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0][0].Train, 4);
  EXPECT_EQ(list[1][0].Train, 2);
  EXPECT_EQ(list[2][0].Train, 1);
  SortConnectionsByArrival(list);
  EXPECT_EQ(list[0][0].Train, 1);
  EXPECT_EQ(list[1][0].Train, 4);
  EXPECT_EQ(list[2][0].Train, 2);
}

// The rules that read the trains themselves, on a loaded rail timetable.
class CleanupOnTimetableTest : public EngineTest {
 protected:
  void LoadTrains(std::vector<w::Train> trains, std::vector<w::Transfer> walks = {},
                  std::vector<w::TrainPair> pairs = {}, uint32_t maxWait = 0) {
    w::TimetableModel m = SmallModel(1, 1, 0, 6);
    if (maxWait > 0) m.search.max_change_time = maxWait;
    m.trains = std::move(trains);
    m.transfers = std::move(walks);
    m.train_pairs = std::move(pairs);
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  }
};

TEST_F(CleanupOnTimetableTest, LegDistancesAreWholeKilometresAlongTheTrain) {
  w::Train train = {.stops = {Dep(0, 600), Pass(1, 620, 621), Arr(2, 640)}};
  train.stops[0].distance = 0;
  train.stops[1].distance = 12340;
  train.stops[2].distance = 25000;
  LoadTrains({train});
  struct Case {
    int32_t from, to, departure, arrival, distance;
  };
  for (Case c :
       {Case{0, 2, 600, 640, 25000}, Case{0, 1, 600, 620, 12000}, Case{1, 2, 621, 640, 13000}}) {
    SCOPED_TRACE(c.from * 10 + c.to);
    ConnectionLeg leg = Leg(0, c.from, c.to, c.departure, c.arrival);
    FixLegDistance(leg);
    EXPECT_EQ(leg.Distance, c.distance);
  }
}

TEST_F(CleanupOnTimetableTest, NoDistancesLeaveTheLegUnknown) {
  LoadTrains({{.stops = {Dep(0, 600), Arr(2, 640)}}});
  ConnectionLeg leg = Leg(0, 0, 2, 600, 640, 5000);
  FixLegDistance(leg);
  EXPECT_EQ(leg.Distance, -1);
}

TEST_F(CleanupOnTimetableTest, WaitingAtTheStartOrRidingOnWouldHaveDone) {
  // Train 0 from 0 to 3; train 1 from 3 to 5. Each case adds a call of one
  // of them that makes the change needless, or not.
  struct Case {
    char const* name;
    std::vector<w::Stop> first, second;
    bool byDeparture;
    bool removed;
  };
  const Case cases[] = {
      {"the second train left the start later",
       {Dep(0, 600), Arr(3, 620)},
       {Dep(0, 650), Pass(3, 669, 670), Arr(5, 700)},
       true,
       true},
      {"... exactly when the journey left",
       {Dep(0, 600), Arr(3, 620)},
       {Dep(0, 600), Pass(3, 669, 670), Arr(5, 700)},
       true,
       true},
      {"... before the journey left",
       {Dep(0, 600), Arr(3, 620)},
       {Dep(0, 590), Pass(3, 669, 670), Arr(5, 700)},
       true,
       false},
      {"the first train rides on to the end sooner",
       {Dep(0, 600), Pass(3, 620, 621), Arr(5, 690)},
       {Dep(3, 670), Arr(5, 700)},
       false,
       true},
      {"... later",
       {Dep(0, 600), Pass(3, 620, 621), Arr(5, 710)},
       {Dep(3, 670), Arr(5, 700)},
       false,
       false},
      {"the second train passes the start again",
       {Dep(0, 600), Arr(3, 620)},
       {Dep(3, 670), Pass(0, 680, 681), Arr(5, 700)},
       false,
       true},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    LoadTrains({{.stops = c.first}, {.stops = c.second}});
    const Connection d = {Leg(0, 0, 3, 600, 620), Leg(1, 3, 5, 670, 700)};
    ConnectionList list = {d};
    RemoveDetourConnections(list, nullptr, c.byDeparture, false, false);
    EXPECT_EQ(list.empty(), c.removed);
    // Via points and a change-time callback keep it.
    list = {d};
    RemoveDetourConnections(list, nullptr, c.byDeparture, true, false);
    EXPECT_EQ(list.size(), 1u);
    list = {d};
    RemoveDetourConnections(list, nullptr, c.byDeparture, false, true);
    EXPECT_EQ(list.size(), 1u);
    Clear();
  }
}

TEST_F(CleanupOnTimetableTest, AChangeMovesOntoAStationBothTrainsServe) {
  // Train 0 reaches 3 at 620; the journey walks 3 minutes from 3 to 4 and
  // boards train 1 there at 640.
  const std::vector<w::Transfer> walks = {{.from = 3, .to = 4, .minutes = 3},
                                          {.from = 4, .to = 3, .minutes = 3}};
  struct Case {
    char const* name;
    std::vector<w::Stop> first, second;
    ConnectionLeg in, out;  // the legs after the move
  };
  const Case cases[] = {
      {"boards where the first train arrives",
       {Dep(0, 600), Arr(3, 620)},
       {Dep(3, 630), Pass(4, 639, 640), Arr(5, 700)},
       Leg(0, 0, 3, 600, 620),
       Leg(1, 3, 5, 630, 700)},
      {"the second train leaves there too early",
       {Dep(0, 600), Arr(3, 620)},
       {Dep(3, 619), Pass(4, 639, 640), Arr(5, 700)},
       Leg(0, 0, 3, 600, 620),
       Leg(1, 4, 5, 640, 700)},
      {"alights where the second train leaves",
       {Dep(0, 600), Pass(3, 620, 621), Arr(4, 630)},
       {Dep(4, 640), Arr(5, 700)},
       Leg(0, 0, 4, 600, 630),
       Leg(1, 4, 5, 640, 700)},
      {"the first train comes there too late",
       {Dep(0, 600), Pass(3, 620, 621), Arr(4, 641)},
       {Dep(4, 640), Arr(5, 700)},
       Leg(0, 0, 3, 600, 620),
       Leg(1, 4, 5, 640, 700)},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    LoadTrains({{.stops = c.first}, {.stops = c.second}}, walks);
    ConnectionList list;
    ASSERT_TRUE(ConsolidateLegs({Leg(0, 0, 3, 600, 620), Leg(1, 4, 5, 640, 700)}, list));
    ASSERT_EQ(list.size(), 1u);
    ASSERT_EQ(list[0].size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
      ConnectionLeg const& want = i == 0 ? c.in : c.out;
      EXPECT_EQ(list[0][i].FromStation, want.FromStation) << i;
      EXPECT_EQ(list[0][i].ToStation, want.ToStation) << i;
      EXPECT_EQ(LegDeparture(list[0][i]), LegDeparture(want)) << i;
      EXPECT_EQ(LegArrival(list[0][i]), LegArrival(want)) << i;
    }
    Clear();
  }
}

TEST_F(CleanupOnTimetableTest, AChangeMovesToTheLongestWaitBothTrainsAllow) {
  // Train 0 runs 0 - 1 - 2 - 3; the journey changes at 2 (or walks from 3
  // to 4) to train 1, which calls at 1 before.
  struct Case {
    char const* name;
    std::vector<w::Stop> first, second;
    uint32_t maxWait;
    Connection found;
    int32_t changeAt;  // the station of the change after the move
  };
  const Case cases[] = {
      {"10 minutes at 1 instead of 8 at 2",
       {Dep(0, 600), Pass(1, 610, 610), Pass(2, 620, 620), Arr(3, 630)},
       {Dep(1, 620), Pass(2, 628, 628), Arr(5, 650)},
       240,
       {Leg(0, 0, 2, 600, 620), Leg(1, 2, 5, 628, 650)},
       1},
      {"... but not above the longest wait",
       {Dep(0, 600), Pass(1, 610, 610), Pass(2, 620, 620), Arr(3, 630)},
       {Dep(1, 620), Pass(2, 628, 628), Arr(5, 650)},
       9,
       {Leg(0, 0, 2, 600, 620), Leg(1, 2, 5, 628, 650)},
       2},
      {"not to a shorter change than the walk gave",
       {Dep(0, 600), Pass(1, 610, 610), Arr(3, 630)},
       {Dep(1, 615), Pass(4, 660, 660), Arr(5, 700)},
       240,
       {Leg(0, 0, 3, 600, 630), Leg(1, 4, 5, 660, 700)},
       -1},
      {"... but to a longer one",
       {Dep(0, 600), Pass(1, 610, 610), Arr(3, 630)},
       {Dep(1, 650), Pass(4, 660, 660), Arr(5, 700)},
       240,
       {Leg(0, 0, 3, 600, 630), Leg(1, 4, 5, 660, 700)},
       1},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    LoadTrains({{.stops = c.first}, {.stops = c.second}}, {}, {}, c.maxWait);
    ConnectionList list = {c.found};
    MoveAllChangeStations(list);
    ConnectionLeg const& in = list[0][0];
    ConnectionLeg const& out = list[0][1];
    if (c.changeAt < 0) {
      EXPECT_EQ(in.ToStation, c.found[0].ToStation);
      EXPECT_EQ(out.FromStation, c.found[1].FromStation);
    } else {
      EXPECT_EQ(in.ToStation, c.changeAt);
      EXPECT_EQ(out.FromStation, c.changeAt);
    }
    // The ends of the journey never move.
    EXPECT_EQ(LegDeparture(in), 600);
    EXPECT_EQ(LegArrival(out), LegArrival(c.found[1]));
    Clear();
  }
}

TEST_F(CleanupOnTimetableTest, InACityTheChangeStaysAtOneStopWithTheStopsOwnChangeTime) {
  // Both trains call at stops 1 and 2; the stop's own change time there
  // decides, not the timetable's: 5 minutes at 1 are too few for its 10.
  w::TimetableModel m = SmallModel(1, 3, 0, 6);
  m.search.min_change_time = 2;
  m.stations[1].change_time = 10;
  m.stations[2].change_time = 2;
  m.trains = {{.stops = {Dep(0, 600), Pass(1, 610, 610), Pass(2, 620, 620), Arr(3, 630)}},
              {.stops = {Dep(1, 615), Pass(2, 623, 623), Arr(5, 650)}}};
  ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  struct Case {
    int16_t ownAtOne;
    int32_t changeAt;
  };
  for (Case c : {Case{10, 2}, Case{5, 1}}) {
    SCOPED_TRACE(c.ownAtOne);
    if (c.ownAtOne != 10) {
      Clear();
      m.stations[1].change_time = c.ownAtOne;
      ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
    }
    ConnectionList list = {{Leg(0, 0, 2, 600, 620), Leg(1, 2, 5, 623, 650)}};
    MoveAllChangeStations(list);
    EXPECT_EQ(list[0][0].ToStation, c.changeAt);
    EXPECT_EQ(list[0][1].FromStation, c.changeAt);
  }
}

TEST_F(CleanupOnTimetableTest, ListsCompareByTheTimeSpentAcrossTimeShifts) {
  // Station 5 keeps its clocks an hour ahead: 6:00 to 7:40 there is 40
  // minutes, which beats 50 minutes to station 4.
  w::TimetableModel m = SmallModel(1, 1, 0, 6);
  m.stations[5].time_shift = 60;
  ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  CurrentSearchRun().Request.Day = static_cast<DayNumber>(TimetableAt(0)->FirstDay + 1);
  const Connection intoTheShift = {Leg(0, 0, 5, 600, 700)};
  const Connection atHome = {Leg(0, 0, 4, 600, 650)};
  EXPECT_EQ(AverageConnectionDuration({intoTheShift}), 40);
  EXPECT_TRUE(IsBetterConnectionList({intoTheShift}, {atHome}));
  EXPECT_FALSE(IsBetterConnectionList({atHome}, {intoTheShift}));
  // More connections still win whatever their durations.
  EXPECT_TRUE(IsBetterConnectionList({atHome, atHome}, {intoTheShift}));
}

TEST_F(CleanupOnTimetableTest, ASearchThroughAChangePointKeepsItsChangeThere) {
  // Train 0 runs 0 - 1 - 2 - 3, train 1 runs 1 - 2 - 5: the longest wait
  // between them is at 1, but a search through 2 changes at 2.
  w::TimetableModel m = SmallModel(1, 1, 0, 6);
  for (w::Station& station : m.stations) station.type = 0x01;
  m.search.min_change_time = 2;
  m.trains = {{.stops = {Dep(0, 600), Pass(1, 610, 610), Pass(2, 620, 620), Arr(3, 630)}},
              {.stops = {Dep(1, 620), Pass(2, 628, 628), Arr(5, 650)}}};
  ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  SetSearchDay(static_cast<uint16_t>(TimetableAt(0)->FirstDay + 10));
  for (int32_t changePoint : {-1, 2}) {
    SCOPED_TRACE(changePoint);
    StationSet changePoints;
    if (changePoint >= 0) changePoints = {{.timetable = TimetableAt(0), .station = changePoint}};
    SearchRun& run = RunSearch({.From = {{.timetable = TimetableAt(0), .station = 0}},
                                .To = {{.timetable = TimetableAt(0), .station = 5}},
                                .ChangePoints = changePoints,
                                .Time = 590,
                                .MaxChanges = 1},
                               {}, SearchDirection::Forward);
    CleanUpConnectionList(run, true);
    ASSERT_EQ(Describe(Journeys(run.Found)), " 600-650/2");
    EXPECT_EQ(run.Found[0][0].ToStation, changePoint >= 0 ? 2 : 1);
    EXPECT_EQ(run.Found[0][1].FromStation, changePoint >= 0 ? 2 : 1);
  }
}

TEST_F(CleanupOnTimetableTest, LegsOfOneTrainJoinAndNightRidesNeedBeds) {
  w::Train night = {.stops = {Dep(0, 1390), Arr(3, 1430)}};
  w::Train sleeper = night;
  sleeper.attributes = 0x2000000;
  LoadTrains({{.stops = {Dep(0, 600), Pass(3, 620, 621), Arr(4, 630)}}, night, sleeper});

  ConnectionList list;
  ASSERT_TRUE(ConsolidateLegs({Leg(0, 0, 3, 600, 620), Leg(0, 3, 4, 621, 630)}, list));
  ASSERT_EQ(list.back().size(), 1u);
  EXPECT_EQ(list.back()[0].ToStation, 4);
  EXPECT_EQ(LegArrival(list.back()[0]), 630);

  struct Case {
    int32_t train, useBeds;
    bool kept;
  };
  for (Case c : {Case{1, 0, true}, Case{1, 1, false}, Case{2, 1, true}}) {
    SCOPED_TRACE(c.train * 10 + c.useBeds);
    CurrentSearchSettings().Parms.UseBeds = c.useBeds;
    EXPECT_EQ(ConsolidateLegs({Leg(c.train, 0, 3, 1390, 1430)}, list), c.kept);
  }
}

TEST_F(CleanupOnTimetableTest, ATrainStoredInVariantsTakesTheListedOne) {
  w::Train first = {.stops = {Dep(0, 600), Arr(3, 620)}, .attributes = 0x8000000};
  w::Train other = {.stops = {Dep(0, 600), Arr(3, 620)}};
  w::Train slower = {.stops = {Dep(0, 600), Arr(3, 625)}};
  LoadTrains({first, slower, other}, {}, {{.train = 0, .other = 1}, {.train = 0, .other = 2}});
  SetSearchDay(static_cast<uint16_t>(TimetableAt(0)->FirstDay + 10));

  ConnectionList list;
  ASSERT_TRUE(ConsolidateLegs({Leg(0, 0, 3, 600, 620)}, list));
  EXPECT_EQ(list.back()[0].Train, 2);
  // The same journey again is dropped once it took the variant.
  EXPECT_FALSE(ConsolidateLegs({Leg(0, 0, 3, 600, 620)}, list));
  EXPECT_EQ(list.size(), 1u);
}

// A journey that changes between a timetable and another one holding the
// same stations under the same keys. The clean-up leaves such a change
// where the engine made it: a rail station and the bus stop sharing its
// key are two stops, so the change takes the bus timetable's 3 minutes and
// may not become the 2 minutes at the next shared station; two bus
// timetables that share a stop change there at once.
TEST_F(CleanupOnTimetableTest, AChangeBetweenTimetablesStaysWhereTheEngineMadeIt) {
  constexpr uint16_t kDay = w::DayNumberOf(2025, 6, 11);
  struct Case {
    char const* name;
    uint8_t firstKind;
    std::string found;
    int32_t busDeparture;
  } const cases[] = {
      {"rail station and bus stop", 1, " 580-630/2", 605},
      {"one bus stop in two timetables", 2, " 580-620/2", 600},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    // Keys 5000-5002 and 5001-5003: the first timetable's stations 1 and 2
    // are the bus timetable's 0 and 1.
    w::TimetableModel first = SmallModel(1, c.firstKind, 0, 3);
    w::TimetableModel bus = SmallModel(2, 2, 0, 3);
    for (int s = 0; s < 3; ++s) {
      first.stations[static_cast<size_t>(s)].key = 5000 + s;
      first.stations[static_cast<size_t>(s)].type = 0x01;
      bus.stations[static_cast<size_t>(s)].key = 5001 + s;
      bus.stations[static_cast<size_t>(s)].type = 0x01;
    }
    first.search.min_change_time = 2;
    bus.search.min_change_time = 3;
    first.trains = {{.stops = {Dep(0, 580), Pass(1, 600, 600), Arr(2, 610)}, .number = "1"}};
    bus.trains = {{.stops = {Dep(0, 600), Arr(2, 620)}, .number = "2"},
                  {.stops = {Dep(0, 605), Pass(1, 612, 612), Arr(2, 630)}, .number = "3"}};
    ASSERT_EQ(Load({dir_.Write("first.qo", first), dir_.Write("bus.qo", bus)}), 2);
    SetSearchDay(kDay);
    const int firstTt = TimetableAt(0)->TimetableId == 1 ? 0 : 1;
    const int busTt = 1 - firstTt;

    SearchRun& run = RunSearch({.From = {{.timetable = TimetableAt(firstTt), .station = 0}},
                                .To = {{.timetable = TimetableAt(busTt), .station = 2}},
                                .Time = 570,
                                .MaxChanges = 1},
                               {}, SearchDirection::Forward);
    CleanUpConnectionList(run, true);
    EXPECT_EQ(Describe(Journeys(run.Found)), c.found);
    ASSERT_EQ(run.Found.size(), 1u);
    ASSERT_EQ(run.Found[0].size(), 2u);
    ConnectionLeg const& in = run.Found[0][0];
    ConnectionLeg const& out = run.Found[0][1];
    EXPECT_EQ(in.Timetable, firstTt);
    EXPECT_EQ(in.ToStation, 1);
    EXPECT_EQ(LegArrival(in), 600);
    EXPECT_EQ(out.Timetable, busTt);
    EXPECT_EQ(out.FromStation, 0);
    EXPECT_EQ(LegDeparture(out), c.busDeparture);

    // Moving the change on its own keeps it too: the two legs lie in
    // different timetables.
    Connection const kept = run.Found[0];
    MoveAllChangeStations(run.Found);
    EXPECT_EQ(run.Found[0][0].ToStation, kept[0].ToStation);
    EXPECT_EQ(run.Found[0][1].FromStation, kept[1].FromStation);
    EXPECT_EQ(LegDeparture(run.Found[0][1]), LegDeparture(kept[1]));
    Clear();
  }
}

}  // namespace
}  // namespace qo::test
