// The trains over arcs: which pairs of stops match an arc, the window of
// days and minutes with trains past midnight, the validity bounds, the type
// masks and the trains that run only abroad.
#include "map/trains_on_arcs.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "Qo.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

constexpr int kFirst = w::DayNumberOf(2025, 1, 1);
constexpr int kLast = w::DayNumberOf(2025, 12, 31);
constexpr int kNight = kFirst + 10;  // the one day the night train leaves
constexpr int kAll = -1;

// Stations 0..4 keyed 100..500; station 4 is abroad.
//   0 Os      0 8:00, 1 8:20-8:25, 2 8:45               every day
//   1 Os      0 9:00, 2 9:30 (not calling at 1)          every day
//   2 Os      1 23:50, 2 0:20 next day                   kNight only
//   3 Os      4 10:00, 3 10:30 (abroad but its end)      every day
//   4 Os      3 11:00, 4 11:30 (ends abroad)             every day
//   5 Ex      0 12:00, 1 12:20, type bit 1 + 0x20000000  every day
//   6 Os      0 23:00, 1 0:30-0:40, 2 1:00 next day      every day
w::TimetableModel Network() {
  w::TimetableModel m = SmallModel(1, 1, 0, 5);
  m.stations[4].type = 0x02;
  m.train_types = {{.abbreviation = {"Os"}}, {.abbreviation = {"Ex"}}};
  m.calendars = {{.days = {kNight}}};
  m.trains = {
      {.stops = {Dep(0, 480), Pass(1, 500, 505), Arr(2, 525)}, .number = "10"},
      {.stops = {Dep(0, 540), Arr(2, 570)}, .number = "11"},
      {.stops = {Dep(1, 1430), Arr(2, 1460)}, .number = "12", .calendar = 0},
      {.stops = {Dep(4, 600), Arr(3, 630)}, .number = "13"},
      {.stops = {Dep(3, 660), Arr(4, 690)}, .number = "14"},
      {.stops = {Dep(0, 720), Arr(1, 740)}, .number = "15", .type = 1, .attributes = 0x20000000},
      {.stops = {Dep(0, 1380), Pass(1, 1470, 1480), Arr(2, 1500)}, .number = "16"},
  };
  return m;
}

struct Arc {
  int from, to;
};

struct Query {
  std::vector<Arc> arcs;
  int startDay = 0, startMinute = 0, endDay = 0, endMinute = 0;
  bool skipForeign = false;
  unsigned all = 0xFFFFFFFF, some = 0xFFFFFFFF;
};

// The trains with the station of each one's arc.
std::vector<std::pair<int, int>> Trains(int timetable, Query const& q) {
  std::vector<int> from, to;
  for (Arc const& a : q.arcs) {
    from.push_back(a.from);
    to.push_back(a.to);
  }
  int const* trains = nullptr;
  int const* stations = nullptr;
  int n = QoTrainsOnArcs(timetable, from.data(), to.data(), static_cast<int>(q.arcs.size()),
                         q.skipForeign, q.startDay, q.startMinute, q.endDay, q.endMinute, q.all,
                         q.some, &trains, &stations);
  std::vector<std::pair<int, int>> out;
  for (int i = 0; i < n; ++i) out.emplace_back(trains[i], stations[i]);
  return out;
}

using Found = std::vector<std::pair<int, int>>;

class TrainsOnArcs : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    ASSERT_EQ(Load({dir_.Write("arcs.qo", Network())}), 1);
  }
};

TEST_F(TrainsOnArcs, ArcRules) {
  struct Case {
    char const* what;
    Query query;
    Found found;
  };
  const Case cases[] = {
      {"every train straight from 1 to 2, whatever its days",
       {{{200, 300}}},
       {{0, 1}, {2, 1}, {6, 1}}},
      {"consecutive stops only: 0 8:00 - 2 passes 1 on the way", {{{100, 300}}}, {{1, 0}}},
      {"the arrival and departure words at one station are no arc", {{{200, 200}}}, {}},
      {"a key of no station drops its arc", {{{100, 999}, {999, 200}}}, {}},
      {"each train once, at its first matching arc",
       {{{200, 300}, {100, 200}}},
       {{0, 0}, {2, 1}, {5, 0}, {6, 0}}},
      {"against the direction of the arc", {{{300, 200}}}, {}},
      {"type bits: wholly inside the first mask",
       {.arcs = {{100, 200}}, .all = 0x1},
       {{0, 0}, {6, 0}}},
      {"type bits: sharing one with the second; 0x20000000 is no type bit",
       {.arcs = {{100, 200}}, .all = 0x3, .some = 0x2},
       {{5, 0}}},
      {"abroad kept", {{{500, 400}, {400, 500}}}, {{3, 4}, {4, 3}}},
      {"abroad left out: only the train whose every stop but the last is abroad",
       {.arcs = {{500, 400}, {400, 500}}, .skipForeign = true},
       {{4, 3}}},
  };
  for (Case const& c : cases) EXPECT_EQ(Trains(0, c.query), c.found) << c.what;
  EXPECT_EQ(QoError(), 0);
}

TEST_F(TrainsOnArcs, WindowOfDaysAndMinutes) {
  const Arc arc{200, 300};
  struct Case {
    char const* what;
    int startDay, startMinute, endDay, endMinute;
    Found found;
  };
  const Case cases[] = {
      {"the night train's day", kNight, 0, kNight, 1439, {{0, 1}, {2, 1}, {6, 1}}},
      {"before midnight on its day", kNight, 1435, kNight, 1438, {{2, 1}}},
      {"after midnight: it left the day before", kNight + 1, 0, kNight + 1, 30, {{2, 1}}},
      {"after its arrival", kNight + 1, 25, kNight + 1, 45, {{6, 1}}},
      {"a day it did not leave the day before", kNight + 2, 0, kNight + 2, 50, {{6, 1}}},
      {"over several days", kNight - 5, 600, kNight + 5, 0, {{0, 1}, {2, 1}, {6, 1}}},
      {"train 6 is at 1 on its second day: it left on the first day of validity",
       kFirst + 1,
       0,
       kFirst + 1,
       60,
       {{6, 1}}},
      {"on the first day it would have left before the validity", kFirst, 0, kFirst, 60, {}},
      {"the day after validity ends is still tried for a train that left on its last day",
       kLast,
       1400,
       kLast + 1,
       60,
       {{6, 1}}},
      // Nothing at all:
      {"the end before the start", kNight, 0, kNight - 1, 1439, {}},
      {"one day, the end minute before the start minute", kNight, 600, kNight, 500, {}},
      {"starting after the validity", kLast + 1, 0, kLast + 3, 0, {}},
      {"ending before the validity", kFirst - 3, 0, kFirst - 1, 1439, {}},
  };
  for (Case const& c : cases) {
    Query q{.arcs = {arc},
            .startDay = c.startDay,
            .startMinute = c.startMinute,
            .endDay = c.endDay,
            .endMinute = c.endMinute};
    EXPECT_EQ(Trains(0, q), c.found) << c.what;
  }
}

TEST(MinuteIntervals, MeetOnTheCircle) {
  struct Case {
    int a, b, c, d;
    bool meet;
  };
  const Case cases[] = {
      {600, 660, 0, 1440, true},  {600, 660, 700, 800, false}, {600, 660, 660, 700, true},
      {1430, 1440, 0, 30, true},  {0, 20, 25, 30, false},      {1430, 1440, 25, 30, false},
      {650, 655, 600, 700, true},
  };
  for (Case const& c : cases) {
    EXPECT_EQ(MinuteIntervalsMeet(c.a, c.b, c.c, c.d), c.meet)
        << c.a << "-" << c.b << " " << c.c << "-" << c.d;
    EXPECT_EQ(MinuteIntervalsMeet(c.c, c.d, c.a, c.b), c.meet);
  }
}

TEST_F(TrainsOnArcs, RefusedRequests) {
  EXPECT_EQ(Trains(0, {}), Found{});
  int const key = 100;
  int const* trains = &key;
  EXPECT_EQ(QoTrainsOnArcs(0, &key, &key, -1, 0, 0, 0, 0, 0, kAll, kAll, &trains, nullptr), 0);
  EXPECT_EQ(trains, nullptr);
  EXPECT_EQ(QoTrainsOnArcs(0, nullptr, nullptr, 3, 0, 0, 0, 0, 0, kAll, kAll, nullptr, nullptr), 0);
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(QoTrainsOnArcs(1, &key, &key, 1, 0, 0, 0, 0, 0, kAll, kAll, nullptr, nullptr), 0);
  EXPECT_EQ(QoError(), ErrTimetableIndex);

  // A timetable without station keys has no arcs to look up.
  QoCloseData();
  w::TimetableModel unkeyed = Network();
  unkeyed.write_station_keys = false;
  ASSERT_EQ(Load({dir_.Write("unkeyed.qo", unkeyed)}), 1);
  EXPECT_EQ(Trains(0, {{{100, 200}}}), Found{});
  EXPECT_EQ(QoError(), 0);
}

}  // namespace
}  // namespace qo::test
