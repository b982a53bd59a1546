// Station queries over places of the virtual lists: stations reached from
// and leading to a place, the lines of a place, and the type words of the
// trains at stations.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "Qo.h"
#include "dates/clock.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

constexpr uint16_t D(int month, int day) { return w::DayNumberOf(2025, month, day); }
constexpr unsigned kAll = 0xFFFFFFFF;

w::Stop Dep(uint16_t s, int m) { return {.station = s, .departure = m}; }
w::Stop Arr(uint16_t s, int m) { return {.station = s, .arrival = m}; }
w::Stop Pass(uint16_t s, int a, int d) { return {.station = s, .arrival = a, .departure = d}; }

enum Station { kA, kB, kC, kD };
enum Train { kAC, kDA, kCD, kAC2 };
// Items of list 0: {A, D}, {B}, {C}.
enum Item { kPlaceAD, kPlaceB, kPlaceC };

class StationSetTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    SetClockForTesting(D(6, 2), 600);
    w::TimetableModel m = SmallModel(1, 1, 0, 0);
    for (char const* name : {"A", "B", "C", "D"})
      m.stations.push_back({.name = {name}, .key = static_cast<int32_t>(m.stations.size() + 1)});
    m.train_types = {{.abbreviation = {"Os"}, .description = {"Train"}},
                     {.abbreviation = {"R"}, .description = {"Fast"}}};
    m.trains = {
        {.stops = {Dep(kA, 480), Pass(kB, 490, 491), Arr(kC, 500)}, .number = "1"},
        {.stops = {Dep(kD, 600), Pass(kB, 610, 611), Arr(kA, 620)}, .number = "2", .type = 1},
        {.stops = {Dep(kC, 700), Arr(kD, 710)}, .number = "3", .attributes = 0x80000000},
        // A later trip of line 1.
        {.stops = {Dep(kA, 495), Pass(kB, 505, 506), Arr(kC, 515)}, .number = "1"},
    };
    // A line A - B - C - D; the shortest way from B to D runs through C.
    m.arcs = {{kA, kB, 10}, {kB, kA, 10}, {kB, kC, 10}, {kC, kB, 10}, {kC, kD, 10}, {kD, kC, 10}};
    m.virtual_lists = {{.type = 3,
                        .name = {"Places"},
                        .items = {{.stations = {kA, kD}, .name = {"AD"}},
                                  {.stations = {kB}, .name = {"B"}},
                                  {.stations = {kC}, .name = {"C"}}}}};
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
    QoError();
  }
  void TearDown() override {
    ResetClockForTesting();
    LoadingTest::TearDown();
  }
};

std::vector<int> Marked(unsigned char const* marks, int n) {
  std::vector<int> out;
  for (int i = 0; i < n; ++i)
    if (marks && marks[i]) out.push_back(i);
  return out;
}

TEST_F(StationSetTest, StationsReachedFromAndLeadingToAPlace) {
  struct Case {
    char const* name;
    bool from;
    int item, list, target;
    std::vector<int> marked;
  };
  const Case cases[] = {
      // A is a member, yet D's train goes on to A: one member never
      // unmarks what another reaches.
      {"from A and D", true, kPlaceAD, 0, -1, {kA, kB, kC}},
      {"leading to B", false, kPlaceB, 0, -1, {kA, kD}},
      {"a station for an item", true, kC, -1, -1, {kD}},
      {"from C, by items", true, kPlaceC, 0, 0, {kPlaceAD}},
      {"to A and D, by items", false, kPlaceAD, 0, 0, {kPlaceAD, kPlaceB, kPlaceC}},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    unsigned char* marks = c.from ? QoStationsFromVL(0, c.item, c.list, c.target, kAll, kAll)
                                  : QoStationsToVL(0, c.item, c.list, c.target, kAll, kAll);
    EXPECT_EQ(Marked(marks, c.target < 0 ? 4 : 3), c.marked);  // 3 items
    EXPECT_EQ(QoError(), 0);
  }
  // Masks: only trains of type 1 (the D-A train) from A and D.
  EXPECT_EQ(Marked(QoStationsFromVL(0, kPlaceAD, 0, -1, kAll, 0x2), 4), (std::vector<int>{kA, kB}));

  struct Bad {
    int item, list, target, error;
  };
  for (Bad const& b : {Bad{kPlaceB, 5, -1, ErrVirtListIndex}, Bad{kPlaceB, 0, 5, ErrVirtListIndex},
                       Bad{9, 0, -1, ErrStationIndex}, Bad{99, -1, -1, ErrStationIndex}}) {
    EXPECT_EQ(QoStationsToVL(0, b.item, b.list, b.target, kAll, kAll), nullptr);
    EXPECT_EQ(QoError(), b.error);
  }
  EXPECT_EQ(QoStationsFromVL(7, 0, 0, -1, kAll, kAll), nullptr);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
}

TEST_F(StationSetTest, LinesOfAPlace) {
  STLINE_REC* r = nullptr;
  int n = QoStLinesVL(0, kPlaceAD, 0, 1, 1, kAll, kAll, &r);
  std::vector<std::tuple<int, int, int>> lines;
  for (int i = 0; i < n; ++i) lines.emplace_back(r[i].train, r[i].departs, r[i].arrives);
  // The D-A train departs at D and arrives at A: one record, both flags.
  EXPECT_EQ(lines, (std::vector<std::tuple<int, int, int>>{{kAC, 1, 0}, {kDA, 1, 1}, {kCD, 0, 1}}));
  EXPECT_EQ(QoStLinesVL(0, kB, -1, 0, 1, kAll, kAll, nullptr), 2);
  EXPECT_EQ(QoStLinesVL(0, kPlaceAD, 0, 0, 0, kAll, kAll, &r), 0);
  EXPECT_EQ(QoError(), ErrParameters);
  EXPECT_EQ(QoStLinesVL(0, kPlaceAD, 3, 1, 1, kAll, kAll, &r), 0);
  EXPECT_EQ(QoError(), ErrVirtListIndex);
}

TEST_F(StationSetTest, TypeWordsOfTheTrainsAtStations) {
  unsigned short const stations[] = {kA, kC, kD, 999};
  unsigned out[4] = {7, 7, 7, 7};
  QoArrDepTypes(0, stations, 4, out);
  EXPECT_EQ(out[0] & 0x80000003u, 0x3u);         // types 0 and 1
  EXPECT_EQ(out[1] & 0x80000003u, 0x80000001u);  // type 0, one train with the high bit
  EXPECT_EQ(out[2] & 0x80000003u, 0x80000003u);
  EXPECT_EQ(out[3], 0u);
  EXPECT_EQ(QoError(), 0);
}

using Entry = std::tuple<int, int, int, int, int>;  // train, first, last, stop arrival, departure

std::vector<Entry> Entries(ARRDEP2_REC const* r, int n) {
  std::vector<Entry> out;
  for (int i = 0; i < n; ++i)
    out.emplace_back(r[i].train, r[i].first.station, r[i].last.station, r[i].stop.arrival,
                     r[i].stop.departure);
  return out;
}

TEST_F(StationSetTest, BoardWithFirstAndLastStops) {
  ARRDEP2_REC* r = nullptr;
  struct Case {
    char const* name;
    int station, towards, arrivals, departures, merge;
    std::vector<Entry> entries;
  };
  const Case cases[] = {
      {"neither asked means departures",
       kB,
       -1,
       0,
       0,
       0,
       {{kAC, kA, kC, 490, 491}, {kAC2, kA, kC, 505, 506}, {kDA, kD, kA, 610, 611}}},
      {"departures towards C",
       kB,
       kC,
       0,
       1,
       0,
       {{kAC, kA, kC, 490, 491}, {kAC2, kA, kC, 505, 506}}},
      {"arrivals from D", kB, kD, 1, 0, 0, {{kDA, kD, kA, 610, 611}}},
      {"departures ending on the way to D",
       kB,
       kD,
       0,
       1,
       0,
       {{kAC, kA, kC, 490, 491}, {kAC2, kA, kC, 505, 506}}},
      {"arrivals at the last stop", kA, -1, 1, 0, 0, {{kDA, kD, kA, 620, -1}}},
      {"no departure from the last stop",
       kA,
       -1,
       0,
       1,
       0,
       {{kAC, kA, kC, -1, 480}, {kAC2, kA, kC, -1, 495}}},
      {"same first and last station merged",
       kB,
       -1,
       0,
       1,
       0x04 | 0x08,
       {{kAC, kA, kC, 490, 491}, {kDA, kD, kA, 610, 611}}},
      {"a differing minute keeps both",
       kB,
       -1,
       0,
       1,
       0x04 | 0x01,
       {{kAC, kA, kC, 490, 491}, {kAC2, kA, kC, 505, 506}, {kDA, kD, kA, 610, 611}}},
      // Without general remarks their flag names nothing to agree in.
      {"the remark flag in a timetable without remarks",
       kB,
       -1,
       0,
       1,
       0x200,
       {{kAC, kA, kC, 490, 491}, {kAC2, kA, kC, 505, 506}, {kDA, kD, kA, 610, 611}}},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    int n =
        QoArrDep2(0, c.station, c.towards, 0, c.arrivals, c.departures, kAll, kAll, c.merge, &r);
    EXPECT_EQ(Entries(r, n), c.entries);
    EXPECT_EQ(QoError(), 0);
  }
  // Masks: only type 1.
  ASSERT_EQ(QoArrDep2(0, kB, -1, 0, 1, 1, kAll, 0x2, 0, &r), 1);
  EXPECT_EQ(r[0].train, kDA);
  EXPECT_EQ(QoArrDep2(0, 99, -1, 0, 0, 1, kAll, kAll, 0, &r), 0);
  EXPECT_EQ(QoError(), ErrStationIndex);
  EXPECT_EQ(QoArrDep2(0, kB, 99, 0, 0, 1, kAll, kAll, 0, &r), 0);
  EXPECT_EQ(QoError(), ErrStationIndex);
}

// Trains at B heading out over a small graph: A - B - C - D with a branch
// C - E. The timetable lists the arc B -> C as leading towards D.
class Board2Test : public LoadingTest {
 protected:
  enum { kA, kB, kC, kD, kE };
  void SetUp() override {
    LoadingTest::SetUp();
    SetClockForTesting(D(6, 2), 600);
    w::TimetableModel m = SmallModel(1, 1, 0, 0);
    for (char const* name : {"A", "B", "C", "D", "E"})
      m.stations.push_back({.name = {name}, .key = static_cast<int32_t>(m.stations.size() + 1)});
    m.train_types = {{.abbreviation = {"Os"}}, {.abbreviation = {"R"}}};
    for (int c = 0; c < 3; ++c) {
      w::Calendar calendar;
      for (uint16_t day = m.first_day; day <= m.last_day; ++day)
        if ((day - m.first_day) % (2 + c) == 0) calendar.days.push_back(day);
      m.calendars.push_back(calendar);
    }
    auto trip = [](std::vector<uint16_t> stations, int atB) {
      std::vector<w::Stop> stops;
      int minute = atB - 10 * static_cast<int>(std::find(stations.begin(), stations.end(), kB) -
                                               stations.begin());
      for (size_t i = 0; i < stations.size(); ++i, minute += 10)
        stops.push_back(i == 0                     ? Dep(stations[i], minute)
                        : i + 1 == stations.size() ? Arr(stations[i], minute)
                                                   : Pass(stations[i], minute - 1, minute));
      return stops;
    };
    constexpr uint32_t kVariant = 0x10000000;
    m.trains = {
        {.stops = trip({kB, kC, kE}, 500), .number = "10"},
        // One train in two variants with the same days: the longer stands.
        {.stops = trip({kA, kB, kC}, 600), .number = "20", .type = 1, .calendar = 0},
        {.stops = trip({kA, kB, kC, kD}, 600),
         .number = "20",
         .type = 1,
         .attributes = kVariant,
         .calendar = 0},
        {.stops = trip({kB, kC}, 700), .number = "30", .second_number = "Alfa", .remarks = {{"x"}}},
        {.stops = trip({kB, kC, kD}, 710),
         .number = "30",
         .second_number = "Alfa",
         .type = 1,
         .remarks = {{"y"}}},
        {.stops = trip({kB, kC, kD}, 720),
         .number = "31",
         .second_number = "Alfa",
         .type = 1,
         .remarks = {{"y"}}},
        // Here the first variant is the longer one.
        {.stops = trip({kA, kB, kC, kD}, 800), .number = "40", .calendar = 1},
        {.stops = trip({kB, kC}, 800), .number = "40", .attributes = kVariant, .calendar = 1},
        // Variants on other days both stay.
        {.stops = trip({kA, kB, kC}, 900), .number = "50", .calendar = 1},
        {.stops = trip({kB, kC}, 900), .number = "50", .attributes = kVariant, .calendar = 2},
    };
    m.arcs = {{kA, kB, 10}, {kB, kA, 10}, {kB, kC, 10}, {kC, kB, 10},
              {kC, kD, 10}, {kD, kC, 10}, {kC, kE, 10}, {kE, kC, 10}};
    m.pass_via = {{}, {}, {}, {2}, {}};  // B -> C leads towards D
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
    QoError();
    QoGetDateRemOptions(&fromBaseDay_, &limit_, &maxDays_);
  }
  void TearDown() override {
    QoSetDateRemOptions(fromBaseDay_, limit_, maxDays_);
    ResetClockForTesting();
    LoadingTest::TearDown();
  }
  // The trains of B's departures.
  static std::vector<int> Trains(int towards, int passVia, int merge) {
    ARRDEP2_REC* r = nullptr;
    int n = QoArrDep2(0, kB, towards, passVia, 0, 1, kAll, kAll, merge, &r);
    std::vector<int> out;
    for (int i = 0; i < n; ++i) out.push_back(r[i].train);
    return out;
  }
  int fromBaseDay_ = 0, limit_ = 0, maxDays_ = 0;
};

TEST_F(Board2Test, MergeFlagsOnTextsTypesAndRemarks) {
  QoSetDateRemOptions(0, limit_, maxDays_);
  struct Case {
    char const* name;
    int merge;
    std::vector<int> trains;
  };
  const Case cases[] = {
      {"none", 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"number", 0x040, {0, 1, 3, 5, 6, 8}},
      {"name", 0x080, {0, 3, 6}},
      {"type", 0x100, {0, 1, 3, 4, 6}},
      {"general remarks", 0x200, {0, 3, 4, 6}},
      {"number and general remarks", 0x040 | 0x200, {0, 1, 3, 4, 5, 6, 8}},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Trains(-1, 0, c.merge), c.trains);
  }
}

TEST_F(Board2Test, VariantsWithTheSameDaysShowOnce) {
  QoSetDateRemOptions(1, limit_, maxDays_);
  // 1 lies within 2's route and goes; 7 within 6's; 8 and 9 run on other
  // days.
  EXPECT_EQ(Trains(-1, 0, 0), (std::vector<int>{0, 2, 3, 4, 5, 6, 8, 9}));
  QoSetDateRemOptions(0, limit_, maxDays_);
  EXPECT_EQ(Trains(-1, 0, 0).size(), 10u);
}

TEST_F(Board2Test, PassViaArcsLeadTowardsTheStation) {
  QoSetDateRemOptions(0, limit_, maxDays_);
  // Train 0 ends at E, off every shortest path to D, yet leaves over B -> C.
  EXPECT_EQ(Trains(kD, 0, 0), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(Trains(kD, 1, 0), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  // Nothing is listed towards E: the flag changes nothing there.
  EXPECT_EQ(Trains(kE, 1, 0), Trains(kE, 0, 0));
}

}  // namespace
}  // namespace qo::test
