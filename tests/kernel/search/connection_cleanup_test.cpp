// The clean-up of found connections on small hand-laid lists. Legs name
// stations and trains of a timetable that is not loaded, so every change
// between two different stations counts as a long walk and no station is
// one place with another.
#include "search/connection_cleanup.h"

#include <gtest/gtest.h>

#include "search/connection_order.h"

namespace qo::test {
namespace {

ConnectionLeg Leg(int32_t train, int32_t from, int32_t to, int32_t departure, int32_t arrival,
                  int32_t distance = -1) {
  ConnectionLeg leg;
  leg.Train = train;
  leg.FromStation = from;
  leg.ToStation = to;
  leg.DepartureDay = departure / 1440;
  leg.DepartureMinute = departure % 1440;
  leg.ArrivalDay = arrival / 1440;
  leg.ArrivalMinute = arrival % 1440;
  leg.Distance = distance;
  return leg;
}

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
  EXPECT_EQ(CollectChangeStationSets({viaFive, viaFiveAndSix, viaSeven}), 2);
  EXPECT_EQ(CollectChangeStationSets({viaFiveAndSix, viaFive}), 1);
  EXPECT_EQ(CollectChangeStationSets({{Leg(1, 0, 9, 600, 700)}}), 1);
}

}  // namespace
}  // namespace qo::test
