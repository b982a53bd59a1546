// Details of one connection of a handle: change points in the three
// modes, via levels, leg distances and durations, the walk before a leg,
// and the common failures.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "Qo.h"
#include "core/byte_order.h"
#include "core/counted_array.h"
#include "format/stored_bits.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"
#include "search/search_handle.h"
#include "search/search_params.h"
#include "search/search_run.h"

namespace qo::test {
namespace {

class ConnectionDetailsTest : public LoadingTest {
 protected:
  // Train A from 0 to 1, a walk of 5 minutes (9 barrier-free) from 1 to 2,
  // train B from 2 to 3. Station 4 bears station 1's name and stands with
  // 1, 2 and 5 in one item of the station list; station 2 lies 10 minutes
  // behind.
  void SetUp() override {
    LoadingTest::SetUp();
    w::TimetableModel& m = model_;
    m = SmallModel(1, 1, 0, 6);
    for (w::Station& s : m.stations) s.type |= 0x01;  // changes allowed
    m.stations[4].name = {"Station 1"};
    m.stations[2].time_shift = 10;
    // Station 3 keeps a shift of 60 minutes until 1 March 2025, none after.
    m.stations[3].time_shift_list = {{.limit = w::DayNumberOf(2025, 12, 31), .shift = 0},
                                     {.limit = w::DayNumberOf(2025, 3, 1), .shift = 60}};
    m.transfers = {{.from = 1, .to = 2, .minutes = 5, .barrier_free_minutes = 9}};
    m.trains = {
        {.stops = {{.station = 0, .departure = 480, .distance = 0},
                   {.station = 5, .arrival = 490, .departure = 490, .distance = 6000},
                   {.station = 1, .arrival = 500, .distance = 12000}}},
        {.stops = {{.station = 2, .departure = 510, .distance = 0},
                   {.station = 3, .arrival = 530, .distance = 7000}},
         .type = 1,
         .calendar = 0},
    };
    m.train_types.push_back({.abbreviation = {"EC"}, .description = {"EuroCity"}});
    // Station 5 (key 600) is marked; keys translate into groups 1 to 3.
    m.stations[5].type |= 0x02;
    m.second_pairs = {{.key_a = 100, .key_b = 600, .between = 150}};
    m.key_translation = {{100, 100001}, {200, 200003}, {300, 300004}, {400, 300005}, {600, 200002}};
    m.first_pairs = {{.key_a = 2, .key_b = 3, .between = 999}};
    // Train B runs on Mondays in March; a variant of its group on
    // Wednesdays at the same minutes (and on to station 4, passing 3 with
    // one stop word), another on Fridays a minute later, which is not the
    // connection's train.
    m.calendars = {{}, {}, {}};
    for (int d = 3; d <= 31; d += 7)
      for (int k = 0; k < 3; ++k)
        if (d + 2 * k <= 31) m.calendars[k].days.push_back(w::DayNumberOf(2025, 3, d + 2 * k));
    m.trains.push_back({.stops = {{.station = 2, .departure = 510},
                                  {.station = 3, .arrival = 530, .departure = 530},
                                  {.station = 4, .arrival = 540}},
                        .type = 1,
                        .attributes = kContinuesGroup,
                        .calendar = 1});
    m.trains.push_back({.stops = {{.station = 2, .departure = 511}, {.station = 3, .arrival = 531}},
                        .type = 1,
                        .attributes = kContinuesGroup,
                        .calendar = 2});
    m.virtual_lists = {
        {.type = 3, .items = {{.stations = {1, 2, 4, 5}}, {.stations = {0}}, {.stations = {3}}}}};
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
    ResetConnParms(nullptr);
    // A search finds train A; the walk and train B are added to its
    // connection as an engine that walks would add them.
    int from = 0, to = 1, list = -1, timetable = 0, count = 0;
    QoConnectionExt2(&from, &list, &timetable, nullptr, 1, &to, &list, &timetable, nullptr, 1,
                     nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0, 470, 10, 3, 2025,
                     0, 1, nullptr, &count, nullptr);
    ASSERT_EQ(count, 1) << QoError();
    Connection& c = CurrentSearchHandle().Connections[0];
    ASSERT_EQ(c.size(), 1u);
    ConnectionLeg b = c[0];
    b.ConnectionId = 0;
    b.Train = 1;
    b.FromStation = 2;
    b.ToStation = 3;
    b.DepartureMinute = 510;
    b.ArrivalMinute = 530;
    c.push_back(b);
    QoError();
  }
  void TearDown() override {
    CurrentSearchHandle() = SearchHandle{};
    CurrentSearchRun() = SearchRun{};
    ResetConnParms(nullptr);
    QoSetDateRemOptions(0, 0, 1);
    QoSetBaseDate(0);
    LoadingTest::TearDown();
  }

  w::TimetableModel model_;

  static std::vector<std::pair<int, int>> Changes(void* handle, int connection, int mode) {
    int const* timetables = nullptr;
    int const* stations = nullptr;
    const int n = QoGetConnChanges(handle, connection, mode, &timetables, &stations);
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < n; ++i) out.emplace_back(timetables[i], stations[i]);
    return out;
  }
};

TEST_F(ConnectionDetailsTest, ChangePointsInEveryMode) {
  using P = std::vector<std::pair<int, int>>;
  // Both ends of the walk.
  EXPECT_EQ(Changes(nullptr, 0, 0), (P{{0, 1}, {0, 2}}));
  // Station 4 has the name of station 1; station 5 another.
  EXPECT_EQ(Changes(nullptr, 0, 1), (P{{0, 1}, {0, 2}, {0, 4}}));
  EXPECT_EQ(Changes(nullptr, 0, 2), (P{{0, 200}, {0, 300}}));
  EXPECT_EQ(QoError(), 0);

  // A connection of one leg has none.
  Connection one = {CurrentSearchHandle().Connections[0][0]};
  one.front().ConnectionId = 0;
  CurrentSearchHandle().Connections.push_back(one);
  int const* stations = reinterpret_cast<int const*>(1);
  EXPECT_EQ(QoGetConnChanges(nullptr, 1, 0, nullptr, &stations), 0);
  EXPECT_EQ(stations, nullptr);
}

TEST_F(ConnectionDetailsTest, LegDistancesDurationsAndWalks) {
  Connection& stored = CurrentSearchHandle().Connections[0];
  const int id = stored.front().ConnectionId;
  stored[0].Distance = 12000;
  stored[1].Distance = 7000;
  struct Case {
    int leg, distance, duration, walk, via;
  } const cases[] = {
      {0, 12000, 20, 0, 0},
      {1, 7000, 30, 5, 0},  // leaves station 2 at 510, 500 in its shifted time
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.leg);
    int distance = 0, duration = 0;
    QoGetConnTrainDist(nullptr, -id, c.leg, &distance, &duration);
    EXPECT_EQ(distance, c.distance);
    EXPECT_EQ(duration, c.duration);
    EXPECT_EQ(QoGetConnLinkDist(nullptr, -id, c.leg), c.walk);
    EXPECT_EQ(QoGetLevelVia(nullptr, 0, c.leg), c.via);
    EXPECT_EQ(QoError(), 0);
  }
  // The head's duration takes station 3's shift of the search day (none),
  // not that of a limit compared with minutes.
  uint8_t const* buffer = QoGetConnection(nullptr, 0);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(LoadLE<int32_t>(buffer + 12), 50);

  // A low-floor search walks the barrier-free way.
  CurrentSearchHandle().Parms.Values.LowFloorOnly = 1;
  EXPECT_EQ(QoGetConnLinkDist(nullptr, 0, 1), 9);
}

// The days are those of the leg that runs least, from the base day for
// the limit when the options ask for it. Train B's days are those of the
// variants of its group that run at the leg's minutes: Mondays and
// Wednesdays, not the Fridays of the variant a minute later.
TEST_F(ConnectionDetailsTest, RunningDaysOfTheConnection) {
  QoSetBaseDate(w::DayNumberOf(2025, 3, 10));  // a Monday
  QoSetDateRemOptions(1, 1, 7);
  unsigned char const* days = nullptr;
  int first = 0;
  char const* text = QoGetConnDateRemExt(nullptr, 0, 'e', &days, &first);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(first, w::DayNumberOf(2025, 3, 10));
  ASSERT_NE(days, nullptr);
  std::vector<int> got;
  for (int i = 0; i < GetArrayCount(days); ++i) got.push_back(days[i] != 0);
  EXPECT_EQ(got, (std::vector<int>{1, 0, 1, 0, 0, 0, 0}));
  EXPECT_STREQ(text, QoGetDateRemTxt(first, days, 'E', 0));

  // Train A alone runs every day: nothing for a lower-case letter, the
  // words for every day for an upper-case one.
  Connection one = {CurrentSearchHandle().Connections[0][0]};
  one.front().ConnectionId = 0;
  CurrentSearchHandle().Connections.push_back(one);
  EXPECT_EQ(QoGetConnDateRem(nullptr, 1, 'e'), nullptr);
  EXPECT_EQ(QoError(), 0);
  ASSERT_NE(QoGetConnDateRem(nullptr, 1, 'E'), nullptr);
  EXPECT_STRNE(QoGetConnDateRem(nullptr, 1, 'E'), "");
}

// The stations passed as keys, with the second pair table's keys between
// them; translated (and the first pair table's keys between groups) when
// a marked station is passed.
TEST_F(ConnectionDetailsTest, FullViaOfConnectionsAndTrains) {
  auto keys = [](int n, int const* k) { return std::vector<int>(k, k + n); };
  using V = std::vector<int>;
  struct Case {
    int kind, areaOrLeg, translate;
    V expected;
    int marked;
  } const cases[] = {
      {1, 0, 0, {100, 150, 600, 200, 300, 400}, 1},
      {-1, 1, 0, {300, 400}, 0},
      {-1, 1, 1, {300, 400}, 0},  // nothing marked: as stored
      {1, 0, 1, {100001, 150, 200002, 200003, 999, 300004, 300005}, 1},
      {2, 0, 0, {}, 0},  // no bus legs
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind << " " << c.areaOrLeg << " " << c.translate);
    int const* timetables = nullptr;
    int const* k = nullptr;
    int marked = -1, firstDay = 0, category = 0;
    const int n = QoGetFullVia(nullptr, 0, c.kind, c.areaOrLeg, c.translate, &timetables, &k,
                               &marked, &firstDay, &category);
    EXPECT_EQ(keys(n, k), c.expected);
    EXPECT_EQ(marked, c.marked);
    if (n > 0) {
      EXPECT_EQ(timetables[n - 1], 0);
      EXPECT_EQ(firstDay, w::DayNumberOf(2025, 3, 10));
      EXPECT_EQ(category, 1);  // train B is an EC
    }
  }
  EXPECT_EQ(QoGetFullVia(nullptr, 0, -1, 2, 0, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);

  int const* k = nullptr;
  int marked = -1;
  int n = QoGetTrainFullVia(0, 0, 600, 200, 0, 0, &k, &marked);
  EXPECT_EQ(keys(n, k), (V{600, 200}));
  n = QoGetTrainFullVia(0, 0, 0, 0, 0, 1, &k, &marked);
  EXPECT_EQ(keys(n, k), (V{100001, 150, 200002, 200003}));
  EXPECT_EQ(marked, 1);
  EXPECT_EQ(QoGetTrainFullVia(0, 9, 0, 0, 0, 0, &k, nullptr), 0);
  EXPECT_EQ(QoError(), ErrTrainIndex);
  EXPECT_EQ(QoGetTrainFullVia(1, 0, 0, 0, 0, 0, &k, nullptr), 0);
  EXPECT_EQ(QoError(), ErrTimetableIndex);

  // Translation asked of a timetable without a key table.
  model_.key_translation.clear();
  ASSERT_EQ(Load({dir_.Write("other/b.qo", model_)}), 2);
  QoError();
  const int without = TimetableAt(0)->FareArrays[0].empty() ? 0 : 1;
  EXPECT_EQ(QoGetTrainFullVia(without, 0, 0, 0, 0, 1, &k, &marked), 0);
  EXPECT_EQ(QoError(), ErrNotSupported);
}

TEST_F(ConnectionDetailsTest, FailuresInTheirOrder) {
  int distance = 0, duration = 0;
  QoGetConnTrainDist(nullptr, 0, 2, &distance, &duration);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);
  EXPECT_EQ(distance, -1);
  EXPECT_EQ(duration, -1);
  EXPECT_EQ(QoGetLevelVia(nullptr, 0, -1), 0);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);
  EXPECT_EQ(QoGetConnLinkDist(nullptr, -999, 1), 0);
  EXPECT_EQ(QoError(), ErrConnectionId);
  EXPECT_EQ(QoGetConnChanges(nullptr, 3, 0, nullptr, nullptr), 0);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);

  void* taken = QoGetConnHandle();
  ASSERT_EQ(Load({dir_ / "a.qo"}), 1);
  QoError();
  EXPECT_EQ(QoGetConnChanges(taken, -999, 0, nullptr, nullptr), 0);
  EXPECT_EQ(QoError(), ErrConnListReleased);
  QoGetConnTrainDist(taken, 0, 0, &distance, nullptr);
  EXPECT_EQ(QoError(), ErrConnListReleased);
  EXPECT_EQ(QoGetConnDateRem(taken, 0, 'E'), nullptr);
  EXPECT_EQ(QoError(), ErrConnListReleased);
  EXPECT_EQ(distance, -1);
  QoSetConnHandle(&taken);
}

// Change times between the two trains of a connection that a search finds
// from station 0 to `to` at `time` on 10 March 2025.
class ChangeTimeTest : public LoadingTest {
 protected:
  void TearDown() override {
    CurrentSearchHandle() = SearchHandle{};
    CurrentSearchRun() = SearchRun{};
    LoadingTest::TearDown();
  }

  Connection const* TwoLegs(std::vector<w::Train> trains, int stations, int to, int time) {
    ResetConnParms(nullptr);
    w::TimetableModel m = SmallModel(1, 1, 0, stations);
    for (w::Station& s : m.stations) s.type |= 0x01;
    m.trains = std::move(trains);
    if (Load({dir_.Write("a.qo", m)}) != 1) return nullptr;
    ResetConnParms(nullptr);
    int from = 0, list = -1, timetable = 0, count = 0;
    QoConnectionExt2(&from, &list, &timetable, nullptr, 1, &to, &list, &timetable, nullptr, 1,
                     nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0, time, 10, 3, 2025,
                     1, 1, nullptr, &count, nullptr);
    if (count < 1) return nullptr;
    Connection const& c = CurrentSearchHandle().Connections[0];
    return c.size() == 2 ? &c : nullptr;
  }

  static std::vector<int> ChangeTimes(int leg, int before, int after) {
    int const* times = nullptr;
    const int n = QoGetConnChangeTime(nullptr, 0, leg, &times, before, after);
    return n > 0 ? std::vector<int>(times, times + n) : std::vector<int>{};
  }
};

// A train that reaches the end of its run at 24:00 keeps that minute at
// its last stop; the leg that alights there arrives at minute 1440, and
// its change to the train at 0:05 is found like any other.
TEST_F(ChangeTimeTest, AfterAnArrivalAtMidnight) {
  Connection const* c =
      TwoLegs({{.stops = {{.station = 0, .departure = 1420}, {.station = 1, .arrival = 1440}}},
               {.stops = {{.station = 1, .departure = 5}, {.station = 2, .arrival = 20}}}},
              3, 2, 1410);
  ASSERT_NE(c, nullptr) << QoError();
  ASSERT_EQ((*c)[0].ArrivalMinute, 1440);
  EXPECT_EQ(ChangeTimes(0, 0, 1), (std::vector<int>{-1, 5}));
  EXPECT_EQ(ChangeTimes(1, 1, 0), (std::vector<int>{5, -1}));
}

// Changes between two trains that share two stations: train A runs
// 0-1-2-3, train B 1-2-4, five minutes to change at 1, three at 2.
TEST_F(ChangeTimeTest, ChangeTimesAndMovingAChange) {
  Connection const* found =
      TwoLegs({{.stops = {{.station = 0, .departure = 480, .distance = 0},
                          {.station = 1, .arrival = 490, .departure = 490, .distance = 5000},
                          {.station = 2, .arrival = 502, .departure = 502, .distance = 9000},
                          {.station = 3, .arrival = 510, .distance = 15000}}},
               {.stops = {{.station = 1, .departure = 495, .distance = 0},
                          {.station = 2, .arrival = 505, .departure = 505, .distance = 4000},
                          {.station = 4, .arrival = 525, .distance = 20000}}}},
              5, 4, 470);
  ASSERT_NE(found, nullptr) << QoError();
  Connection const& c = *found;
  // The clean-up chose the longer change.
  EXPECT_EQ(c[0].ToStation, 1);

  using V = std::vector<int>;
  struct Case {
    int leg, before, after;
    V expected;
  } const cases[] = {
      {0, 0, 1, {-1, 5, 3, -1}},
      {1, 1, 0, {5, 3, -1}},
      {1, 0, 1, {-1, -1, -1}},  // nothing after the last leg
  };
  for (Case const& k : cases) EXPECT_EQ(ChangeTimes(k.leg, k.before, k.after), k.expected) << k.leg;

  const int other = 2;
  struct Expect {
    int station, arrival, departure, distanceA, distanceB;
  } const expect[] = {{1, 490, 495, 5000, 20000}, {2, 502, 505, 9000, 16000}};
  Expect const& e = expect[other - 1];
  EXPECT_EQ(QoSetConnChangeStation(nullptr, 0, 0, other), 1);
  EXPECT_EQ(c[0].ToStation, e.station);
  EXPECT_EQ(c[1].FromStation, e.station);
  EXPECT_EQ(c[0].ArrivalMinute, e.arrival);
  EXPECT_EQ(c[1].DepartureMinute, e.departure);
  EXPECT_EQ(c[0].Distance, e.distanceA);
  EXPECT_EQ(c[1].Distance, e.distanceB);
  // Not to a station one of the trains does not serve, and never after the
  // last leg.
  EXPECT_EQ(QoSetConnChangeStation(nullptr, 0, 0, 3), 0);
  EXPECT_EQ(c[0].ToStation, e.station);
  EXPECT_EQ(QoSetConnChangeStation(nullptr, 0, 1, -1), 0);
  EXPECT_EQ(QoSetConnChangeStation(nullptr, 0, 2, -1), 0);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);
}

}  // namespace
}  // namespace qo::test
