// Rules of the forward engine that small timetables show best: how an
// arrival at midnight is kept, the boarding rule of a continued search,
// the longest window, the time limit, the stop flag and a journey of
// sixteen trains.
#include <gtest/gtest.h>

#include "kernel/search/engine_test_support.h"
#include "search/search_handle.h"

namespace qo::test {
namespace {

constexpr uint16_t kDay = w::DayNumberOf(2025, 6, 11);

// Stations 0..n-1, every one a place to change at.
w::TimetableModel Line(int stations) {
  w::TimetableModel m;
  for (int s = 0; s < stations; ++s)
    m.stations.push_back(
        {.name = {"Stop " + std::to_string(s)}, .key = 100 * (s + 1), .type = 0x01});
  m.train_types = {{.abbreviation = {"Os"}, .description = {"Train"}}};
  m.search.min_change_time = 2;
  return m;
}

w::Train Trip(std::vector<w::Stop> stops, std::string number, int calendar = -1) {
  return {.stops = std::move(stops), .number = std::move(number), .calendar = calendar};
}

RouterQuery Query(uint16_t from, uint16_t to, int time, int interval, int changes) {
  return {.From = from,
          .To = to,
          .SearchDay = kDay,
          .WindowTime = time,
          .Interval = interval,
          .MaxChanges = changes,
          .ChangesAllowed = changes > 0};
}

class EngineRulesTest : public EngineTest {
 protected:
  void LoadModel(w::TimetableModel const& m) {
    ASSERT_EQ(Load({dir_.Write("rules.qo", m)}), 1);
    SetSearchDay(kDay);
  }
};

TEST_F(EngineRulesTest, AnArrivalAtMidnightIsMinute1440OfTheDayBefore) {
  w::TimetableModel m = Line(3);
  m.trains = {Trip({Dep(0, 1400), Arr(1, 1440)}, "1"), Trip({Dep(0, 1420), Arr(2, 1450)}, "2")};
  LoadModel(m);
  struct Case {
    char const* name;
    uint16_t to;
    int departure, arrivalMinute, arrivalDay;
  } const cases[] = {
      {"at 24:00", 1, 1400, 1440, 0},
      {"after midnight", 2, 1420, 10, 1},
  };
  for (Case const& c : cases) {
    ConnectionList found = RunForward(Query(0, c.to, 1380, 120, 0));
    ASSERT_EQ(found.size(), 1u) << c.name;
    ConnectionLeg const& leg = found[0][0];
    EXPECT_EQ(leg.DepartureMinute, c.departure) << c.name;
    EXPECT_EQ(leg.DepartureDay, 0) << c.name;
    EXPECT_EQ(leg.ArrivalMinute, c.arrivalMinute) << c.name;
    EXPECT_EQ(leg.ArrivalDay, c.arrivalDay) << c.name;
  }
}

TEST_F(EngineRulesTest, AContinuedSearchDoesNotBoardAgainAtTheWindowTime) {
  w::TimetableModel m = Line(2);
  m.trains = {Trip({Dep(0, 600), Arr(1, 630)}, "1"), Trip({Dep(0, 601), Arr(1, 640)}, "2")};
  LoadModel(m);
  EXPECT_EQ(Describe(Journeys(RunForward(Query(0, 1, 600, 60, 0)))), " 600-630/1 601-640/1");
  EXPECT_EQ(Describe(Journeys(RunForward(Query(0, 1, 600, 60, 0), {.ContinueLater = true}))),
            " 601-640/1");
}

TEST_F(EngineRulesTest, AWindowWithItsSlackEndsAfter1439Minutes) {
  // Both trains run on the next day only: at 8:00 the departure lies 1439
  // minutes after the window opens at 8:01, at 8:01 one minute beyond.
  w::TimetableModel m = Line(2);
  m.calendars = {{.days = {static_cast<uint16_t>(kDay + 1)}}};
  m.trains = {Trip({Dep(0, 480), Arr(1, 500)}, "1", 0), Trip({Dep(0, 481), Arr(1, 490)}, "2", 0)};
  LoadModel(m);
  EXPECT_EQ(Describe(Journeys(RunForward(Query(0, 1, 481, 1440, 2)))), " 1920-1940/1");
}

TEST_F(EngineRulesTest, DeparturesAfterTheWindowAreFoundButMarkedForRemoval) {
  w::TimetableModel m = Line(2);
  m.trains = {Trip({Dep(0, 600), Arr(1, 630)}, "1"), Trip({Dep(0, 661), Arr(1, 690)}, "2")};
  LoadModel(m);
  ConnectionList found = RunForward(Query(0, 1, 600, 60, 1));
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0][0].RemovalMark, 0);
  EXPECT_EQ(found[1][0].DepartureMinute, 661);
  EXPECT_EQ(found[1][0].RemovalMark, 1);
}

class EngineTimeTest : public EngineRulesTest {
 protected:
  // A direct train and a faster journey with one change.
  void SetUp() override {
    EngineRulesTest::SetUp();
    w::TimetableModel m = Line(3);
    m.trains = {Trip({Dep(0, 600), Arr(2, 700)}, "1"), Trip({Dep(0, 610), Arr(1, 620)}, "2"),
                Trip({Dep(1, 625), Arr(2, 650)}, "3")};
    LoadModel(m);
  }
};

TEST_F(EngineTimeTest, ATimeLimitAfterRoundZeroStillHandsOutTheDirectTrains) {
  EXPECT_EQ(Describe(Journeys(RunForward(Query(0, 2, 590, 60, 2)))), " 600-700/1 610-650/2");
  SetTickCountForTesting(1000);
  BeginSearch();
  SetSearchTimeLimit(5);
  SetTickCountForTesting(1006);
  EXPECT_EQ(Describe(Journeys(RunForward(Query(0, 2, 590, 60, 2)))), " 600-700/1");
}

TEST_F(EngineTimeTest, AStopBeforeThePassLeavesTheListAsItWas) {
  RequestSearchStop();
  EXPECT_TRUE(RunForward(Query(0, 2, 590, 60, 2)).empty());
  BeginSearch();
  EXPECT_EQ(RunForward(Query(0, 2, 590, 60, 2)).size(), 2u);
}

TEST_F(EngineRulesTest, AJourneyOfSixteenTrainsIsTracedAndStoredWhole) {
  w::TimetableModel m = Line(17);
  for (uint16_t s = 0; s < 16; ++s)
    m.trains.push_back(
        Trip({Dep(s, 600 + 10 * s), Arr(s + 1, 605 + 10 * s)}, std::to_string(s + 1)));
  LoadModel(m);
  ConnectionList found = RunForward(Query(0, 16, 600, 60, 15));
  ASSERT_EQ(found.size(), 1u);
  ASSERT_EQ(found[0].size(), 16u);
  for (int32_t i = 0; i < 16; ++i) {
    EXPECT_EQ(found[0][static_cast<size_t>(i)].FromStation, i);
    EXPECT_EQ(found[0][static_cast<size_t>(i)].Train, i);
  }
  StoreSearchInHandle(CurrentSearchRun(), true);
  ASSERT_EQ(CurrentSearchHandle().Connections.size(), 1u);
  Connection const& stored = CurrentSearchHandle().Connections[0];
  ASSERT_EQ(stored.size(), 16u);
  EXPECT_EQ(stored.back().ToStation, 16);
  EXPECT_EQ(stored.back().ArrivalMinute, 755);
  // One change fewer than the journey needs finds nothing.
  EXPECT_TRUE(RunForward(Query(0, 16, 600, 60, 14)).empty());
}

}  // namespace
}  // namespace qo::test
