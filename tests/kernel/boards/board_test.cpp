// Arrivals and departures boards: single stations, towards and from a
// second station, sets of stations and places of the virtual lists.
#include <gtest/gtest.h>

#include <string>
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
constexpr unsigned kAllTypes = 0xDFFFFFFF;  // no keeping of trains that run no more

w::Stop Dep(uint16_t s, int m, uint16_t flags = 0) {
  return {.station = s, .departure = m, .flags = flags};
}
w::Stop Arr(uint16_t s, int m, uint16_t flags = 0) {
  return {.station = s, .arrival = m, .flags = flags};
}
w::Stop Pass(uint16_t s, int a, int d) { return {.station = s, .arrival = a, .departure = d}; }

using Row = std::tuple<int, int, int, int>;  // station, other, train, minute

std::vector<Row> Rows(ARRDEP_REC const* r, int n) {
  std::vector<Row> rows;
  for (int i = 0; i < n; ++i)
    rows.emplace_back(r[i].station, r[i].other == 0xFFFF ? -1 : r[i].other, r[i].train,
                      r[i].minute);
  return rows;
}

// Stations: 0 Hub, 1 Mid, 2 End, 3 End (a second stop of the same name),
// 4 North (region "*CZ-a"), 5 South (region "*SK-b"), 6 East (region "*CZ-c"),
// 7 Far, 8 Late, 9 Beyond.
enum Station { kHub, kMid, kEnd, kEnd2, kNorth, kSouth, kEast, kFar, kLate, kBeyond };

class BoardTest : public LoadingTest {
 protected:
  enum Train {
    kToEnd,
    kLoop,
    kToEnd2,
    kBack,
    kOld,
    kGroupSouth,
    kGroupEast,
    kNoAlight,
    kLine1,
    kLine2,
    kNight
  };

  void SetUp() override {
    LoadingTest::SetUp();
    SetClockForTesting(D(6, 2), 600);
    w::TimetableModel m = SmallModel(1, 1, 0, 0);
    for (char const* name :
         {"Hub", "Mid", "End", "End", "North", "South", "East", "Far", "Late", "Beyond"})
      m.stations.push_back({.name = {name}, .key = static_cast<int32_t>(m.stations.size() + 1)});
    m.regions = {"*CZ-a", "*SK-b", "*CZ-c"};
    m.stations[kNorth].region = 0;
    m.stations[kSouth].region = 1;
    m.stations[kEast].region = 2;
    m.train_types = {{.abbreviation = {"Os"}, .description = {"Train"}},
                     {.abbreviation = {"R"}, .description = {"Fast"}}};
    m.calendars = {{.days = {D(1, 5)}}, {.days = {D(6, 1)}}};
    m.trains = {
        {.stops = {Dep(kHub, 480), Pass(kMid, 490, 491), Arr(kEnd, 500)}, .number = "1"},
        // Calls at the hub twice.
        {.stops = {Dep(kHub, 600), Pass(kMid, 610, 611), Pass(kHub, 620, 621), Arr(kEnd, 640)},
         .number = "2"},
        {.stops = {Dep(kHub, 700), Arr(kEnd2, 720)}, .number = "3", .type = 1},
        {.stops = {Dep(kEnd, 800), Pass(kMid, 810, 811), Arr(kHub, 820)}, .number = "4"},
        // Ran in January only.
        {.stops = {Dep(kHub, 900), Arr(kEnd, 920)}, .number = "5", .calendar = 0},
        {.stops = {Dep(kNorth, 1000), Arr(kSouth, 1010)}, .number = "6", .attributes = 0x80000000},
        {.stops = {Dep(kNorth, 1020), Arr(kEast, 1030)}, .number = "7", .attributes = 0x80000000},
        {.stops = {Dep(kHub, 1100), Arr(kMid, 1110, 0x1000)}, .number = "8"},
        // Two trips of line 9.
        {.stops = {Dep(kEnd, 1200), Arr(kMid, 1210)}, .number = "9", .calendar = 0},
        {.stops = {Dep(kMid, 1150), Arr(kHub, 1160)}, .number = "9"},
        // Ran yesterday only; after midnight it calls at Late on request.
        {.stops = {Dep(kFar, 1430),
                   {.station = kLate, .arrival = 1450, .departure = 1451, .flags = 0x5000},
                   Arr(kBeyond, 1460)},
         .number = "10",
         .calendar = 1},
    };
    // A place of Hub and Mid, and one of East alone.
    m.virtual_lists = {{.type = 3,
                        .name = {"Places"},
                        .items = {{.stations = {kHub, kMid}, .name = {"Centre"}},
                                  {.stations = {kEast}, .name = {"East"}}}}};
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
    QoError();
  }
  void TearDown() override {
    ResetClockForTesting();
    LoadingTest::TearDown();
  }
};

TEST_F(BoardTest, DeparturesAndArrivalsOfAStation) {
  ARRDEP_REC* r = nullptr;
  int n = QoArrDep(0, kHub, -1, 1, kAll, kAll, &r);
  EXPECT_EQ(Rows(r, n), (std::vector<Row>{{kHub, -1, kToEnd, 480},
                                          {kHub, -1, kLoop, 600},
                                          {kHub, -1, kLoop, 621},
                                          {kHub, -1, kToEnd2, 700},
                                          {kHub, -1, kOld, 900},
                                          {kHub, -1, kNoAlight, 1100}}));
  // Towards End: the second stop named End is not End without the switch,
  // and a stop where no one alights does not count.
  n = QoArrDep(0, kHub, kEnd, 1, kAll, kAll, &r);
  EXPECT_EQ(Rows(r, n), (std::vector<Row>{{kHub, kEnd, kToEnd, 480},
                                          {kHub, kEnd, kLoop, 600},
                                          {kHub, kEnd, kLoop, 621},
                                          {kHub, kEnd, kOld, 900}}));
  n = QoArrDep(0, kHub, kMid, 1, kAll, kAll, &r);
  EXPECT_EQ(Rows(r, n), (std::vector<Row>{{kHub, kMid, kToEnd, 480}, {kHub, kMid, kLoop, 600}}));
  // A request stop is one where passengers may alight.
  n = QoArrDep(0, kFar, kLate, 1, kAll, kAll, &r);
  EXPECT_EQ(Rows(r, n), (std::vector<Row>{{kFar, kLate, kNight, 1430}}));
  // Arrivals at Hub from Mid.
  n = QoArrDep(0, kMid, kHub, 0, kAll, kAll, &r);
  EXPECT_EQ(Rows(r, n),
            (std::vector<Row>{
                {kHub, kMid, kLoop, 620}, {kHub, kMid, kBack, 820}, {kHub, kMid, kLine2, 1160}}));
  n = QoArrDep(0, -1, kEnd, 0, kAll, kAll, &r);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(QoError(), 0);
}

TEST_F(BoardTest, MasksAndTheRunningTest) {
  ARRDEP_REC* r = nullptr;
  struct Case {
    char const* name;
    unsigned mask1, mask2;
    std::vector<int> trains;
    int station = kHub;
  };
  const Case cases[] = {
      {"everything, the old train kept",
       kAll,
       kAll,
       {kToEnd, kLoop, kLoop, kToEnd2, kOld, kNoAlight}},
      {"only trains that still run", kAllTypes, kAll, {kToEnd, kLoop, kLoop, kToEnd2, kNoAlight}},
      {"within type 0 only", 0x20000001, kAll, {kToEnd, kLoop, kLoop, kOld, kNoAlight}},
      {"meeting type 1", kAll, 0x2, {kToEnd2}},
      // Its event after midnight belongs to yesterday's run.
      {"yesterday's train after midnight", kAllTypes, kAll, {kNight}, kLate},
      {"yesterday's train before midnight", kAllTypes, kAll, {}, kFar},
  };
  for (const Case& c : cases) {
    int n = QoArrDep(0, c.station, -1, 1, c.mask1, c.mask2, &r);
    std::vector<int> trains;
    for (int i = 0; i < n; ++i) trains.push_back(r[i].train);
    EXPECT_EQ(trains, c.trains) << c.name;
  }
}

TEST_F(BoardTest, ErrorsAndTheSameStation) {
  struct Case {
    int timetable, a, b, departures, error;
  };
  const Case cases[] = {
      {1, kHub, -1, 1, ErrTimetableIndex}, {0, -1, -1, 1, ErrFromToMissing},
      {0, kHub, 99, 1, ErrStationIndex},   {0, 99, -1, 0, ErrStationIndex},
      {0, -1, kHub, 1, ErrParameters},
  };
  for (const Case& c : cases) {
    ARRDEP_REC* r = nullptr;
    EXPECT_EQ(QoArrDep(c.timetable, c.a, c.b, c.departures, kAll, kAll, &r), 0);
    EXPECT_EQ(QoError(), c.error) << c.a << " " << c.b;
  }
  ARRDEP_REC sentinel{};
  ARRDEP_REC* r = &sentinel;
  EXPECT_EQ(QoArrDep(0, kMid, kMid, 1, kAll, kAll, &r), 0);
  EXPECT_EQ(r, &sentinel);
  EXPECT_EQ(QoError(), 0);
}

TEST_F(BoardTest, RegionGroupOnlyTrains) {
  ARRDEP_REC* r = nullptr;
  // North and South lie in different groups, North and East in one.
  EXPECT_EQ(QoArrDep(0, kNorth, kSouth, 1, kAll, kAll, &r), 0);
  ASSERT_EQ(QoArrDep(0, kNorth, kEast, 1, kAll, kAll, &r), 1);
  EXPECT_EQ(r[0].train, kGroupEast);
  EXPECT_EQ(QoArrDep(0, kNorth, kSouth, 0, kAll, kAll, &r), 0);
  EXPECT_EQ(QoArrDep(0, kNorth, -1, 1, kAll, kAll, &r), 2);
}

TEST_F(BoardTest, SetsOfStationsAndTheEqualNamedStation) {
  ARRDEP_REC* r = nullptr;
  int from[] = {kHub};
  int to[] = {kEnd};
  // The stop named End like End stands in for it and is reported.
  int n = QoArrDepExt(0, from, 1, to, 1, 1, kAll, kAll, &r);
  EXPECT_EQ(Rows(r, n), (std::vector<Row>{{kHub, kEnd, kToEnd, 480},
                                          {kHub, kEnd, kLoop, 600},
                                          {kHub, kEnd, kLoop, 621},
                                          {kHub, kEnd2, kToEnd2, 700},
                                          {kHub, kEnd, kOld, 900}}));
  // Two pairs: a train is listed by the first pair only, sorted by minute.
  int from2[] = {kMid, kHub};
  n = QoArrDepExt(0, from2, 2, to, 1, 1, kAll, kAll, &r);
  std::vector<Row> rows = Rows(r, n);
  std::vector<Row> expected = {{kMid, kEnd, kToEnd, 491},
                               {kMid, kEnd, kLoop, 611},
                               {kHub, kEnd2, kToEnd2, 700},
                               {kHub, kEnd, kOld, 900}};
  EXPECT_EQ(rows, expected);
  // Arrivals at End from anywhere.
  n = QoArrDepExt(0, nullptr, 0, to, 1, 0, kAll, kAll, &r);
  EXPECT_EQ(n, 3);
  int bad[] = {-1};
  EXPECT_EQ(QoArrDepExt(0, bad, 1, to, 1, 1, kAll, kAll, &r), 0);
  EXPECT_EQ(QoError(), ErrStationIndex);
}

TEST_F(BoardTest, AnEarlierErrorDoesNotEmptyTheBoard) {
  ARRDEP_REC* r = nullptr;
  EXPECT_EQ(QoArrDep(0, 99, -1, 1, kAll, kAll, &r), 0);  // leaves error 4
  int from[] = {kHub};
  EXPECT_EQ(QoArrDepExt(0, from, 1, nullptr, 0, 1, kAll, kAll, &r), 6);
  EXPECT_EQ(QoArrDepVL(0, kHub, -1, -1, -1, 1, kAll, kAll, &r), 6);
  EXPECT_EQ(QoPeekError(), ErrStationIndex);  // the caller's code is left alone
}

TEST_F(BoardTest, ABoardSurvivesTheOtherBoards) {
  ARRDEP_REC* held = nullptr;
  int n = QoArrDep(0, kHub, -1, 1, kAll, kAll, &held);
  std::vector<Row> before = Rows(held, n);
  ARRDEP_REC* r = nullptr;
  int from[] = {kMid};
  QoArrDepExt(0, from, 1, nullptr, 0, 1, kAll, kAll, &r);
  QoArrDepVL(0, kEnd, -1, -1, -1, 1, kAll, kAll, &r);
  EXPECT_EQ(Rows(held, n), before);
}

// The exports that build on boards, routes and date filters leave every
// result the caller holds as it was. Each held result is shorter than the
// one the later exports work with, so a replaced buffer is read after it
// was freed.
TEST_F(BoardTest, HeldResultsSurviveTheExportsBuiltOnThem) {
  // Arrivals at Hub reduced to those from beyond the Centre place.
  ARRDEP_REC* reduced = nullptr;
  int reducedCount = QoArrDep(0, -1, kHub, 0, kAll, kAll, &reduced);
  reducedCount = QoArrDepReduce(0, 0, 0, 0, reducedCount, &reduced);
  ARRDEP_REC* board = nullptr;
  int boardCount = QoArrDep(0, kEnd, -1, 1, kAll, kAll, &board);
  ARRDEP_REC* dated = board;
  int datedCount = QoArrDepDate(0, 1, 2, 6, 2025, boardCount, &dated);
  ARRDEP_REC* place = nullptr;
  int placeCount = QoArrDepVL(0, kEnd, -1, -1, -1, 1, kAll, kAll, &place);
  ROUTE2_REC* route = nullptr;
  int routeCount = QoTrainRoute(0, kBack, &route);
  ASSERT_EQ(std::make_tuple(boardCount, placeCount, datedCount, reducedCount, routeCount),
            std::make_tuple(2, 2, 1, 1, 3));
  auto routeRows = [&] {
    std::vector<Row> rows;
    for (int i = 0; i < routeCount; ++i)
      rows.emplace_back(route[i].station, route[i].arrival, route[i].departure, route[i].flags);
    return rows;
  };
  const std::vector<Row> boardRows = Rows(board, boardCount), placeRows = Rows(place, placeCount),
                         datedRows = Rows(dated, datedCount),
                         reducedRows = Rows(reduced, reducedCount), stops = routeRows();

  EXPECT_EQ(QoLocalTrain(0, kLoop, kHub, 2, 6, 2025, 1), kLoop);
  EXPECT_EQ(QoLocalTrain(0, kBack, kHub, 2, 6, 2025, 0), kBack);
  ARRDEP2_REC* r2 = nullptr;
  EXPECT_GT(QoArrDep2(0, kHub, kEnd, 0, 1, 1, kAll, kAll, 0, &r2), 0);
  ARRDEP_EXT_REC* merged = nullptr;
  // From the Centre place on 2 June, reduced to the trains that leave it.
  EXPECT_GT(QoArrDepVLExt(0, 0, 0, -1, -1, -1, 1, nullptr, nullptr, 1, 2, 6, 2025, &merged), 0);
  EXPECT_EQ(QoError(), 0);

  EXPECT_EQ(Rows(board, boardCount), boardRows);
  EXPECT_EQ(Rows(place, placeCount), placeRows);
  EXPECT_EQ(Rows(dated, datedCount), datedRows);
  EXPECT_EQ(Rows(reduced, reducedCount), reducedRows);
  EXPECT_EQ(routeRows(), stops);
}

TEST_F(BoardTest, BoardWithRouteEndsListsDeparturesWhenNeitherSideIsAsked) {
  ARRDEP2_REC* r = nullptr;
  auto trains = [&](int arrivals, int departures) {
    std::vector<int> out;
    int n = QoArrDep2(0, kHub, -1, 0, arrivals, departures, kAll, kAll, 0, &r);
    for (int i = 0; i < n; ++i) out.push_back(r[i].train);
    return out;
  };
  // Trains that end at Hub (the return trip, line 9) only arrive there.
  const std::vector<int> departures = {kToEnd, kLoop, kLoop, kToEnd2, kOld, kNoAlight};
  EXPECT_EQ(trains(0, 1), departures);
  EXPECT_EQ(trains(0, 0), departures);
  EXPECT_EQ(trains(1, 0), (std::vector<int>{kLoop, kBack, kLine2}));
  EXPECT_EQ(QoError(), 0);
}

TEST_F(BoardTest, EntriesOfADate) {
  ARRDEP_REC* r = nullptr;
  int n = QoArrDep(0, kHub, -1, 1, kAll, kAll, &r);
  ASSERT_EQ(n, 6);
  ARRDEP_REC* kept = r;
  EXPECT_EQ(QoArrDepDate(0, 1, 5, 1, 2025, n, &kept), 6);
  EXPECT_NE(kept, r);
  kept = r;
  ASSERT_EQ(QoArrDepDate(0, 1, 2, 6, 2025, n, &kept), 5);
  for (int i = 0; i < 5; ++i) EXPECT_NE(kept[i].train, kOld);
  EXPECT_EQ(QoError(), 0);
  kept = r;
  EXPECT_EQ(QoArrDepDate(0, 1, 2, 6, 2030, n, &kept), 0);
  EXPECT_EQ(QoError(), ErrDateOutOfRange);
}

TEST_F(BoardTest, ReduceToTrainsLeavingThePlace) {
  ARRDEP_REC* r = nullptr;
  int n = QoArrDep(0, kHub, -1, 1, kAll, kAll, &r);
  ASSERT_EQ(n, 6);
  // One station: nothing to reduce.
  ARRDEP_REC* kept = r;
  EXPECT_EQ(QoArrDepReduce(0, 1, 0, 1, n, &kept), n);
  EXPECT_EQ(kept, r);
  // Centre is Hub and Mid: the train that only reaches Mid stays inside.
  n = QoArrDepReduce(0, 1, 0, 0, n, &kept);
  std::vector<int> trains;
  for (int i = 0; i < n; ++i) trains.push_back(kept[i].train);
  EXPECT_EQ(trains, (std::vector<int>{kToEnd, kLoop, kLoop, kToEnd2, kOld}));
  // Arrivals at Hub: the trip from Mid came from inside.
  n = QoArrDep(0, -1, kHub, 0, kAll, kAll, &r);
  kept = r;
  n = QoArrDepReduce(0, 0, 0, 0, n, &kept);
  trains.clear();
  for (int i = 0; i < n; ++i) trains.push_back(kept[i].train);
  EXPECT_EQ(trains, (std::vector<int>{kBack}));
  EXPECT_EQ(QoArrDepReduce(0, 0, 5, 0, n, &kept), 0);
  EXPECT_EQ(QoError(), ErrVirtListIndex);
}

TEST_F(BoardTest, BoardBetweenPlaces) {
  ARRDEP_REC* r = nullptr;
  // From the Centre item to End: Mid's and Hub's trains, each listed once.
  int n = QoArrDepVL(0, 0, 0, kEnd, -1, 1, kAll, kAll, &r);
  EXPECT_EQ(Rows(r, n), (std::vector<Row>{{kHub, kEnd, kToEnd, 480},
                                          {kHub, kEnd, kLoop, 600},
                                          {kHub, kEnd, kLoop, 621},
                                          {kHub, kEnd2, kToEnd2, 700},
                                          {kHub, kEnd, kOld, 900}}));
  EXPECT_EQ(QoArrDepVL(0, 0, 3, -1, -1, 1, kAll, kAll, &r), 0);
  EXPECT_EQ(QoError(), ErrVirtListIndex);
  EXPECT_EQ(QoArrDepVL(0, 7, 0, -1, -1, 1, kAll, kAll, &r), 0);
  EXPECT_EQ(QoError(), ErrFromToMissing);
}

// A town of a list of type 1 counts fifteen member stations; past them only
// stations where trains start or end belong to it.
TEST_F(BoardTest, AGroupTakesFifteenMembersAndEndStationsPastThem) {
  Clear();
  w::TimetableModel m = SmallModel(1, 1, 0, 0);
  constexpr uint16_t kOutA = 17, kOutB = 18;
  for (int s = 0; s <= kOutB; ++s)
    m.stations.push_back({.name = {"S" + std::to_string(s)}, .key = s + 1});
  w::VirtListItem town{.name = {"Town"}};
  for (uint16_t s = 0; s < kOutA; ++s) town.stations.push_back(s);
  m.virtual_lists = {{.type = 1, .name = {"Towns"}, .items = {town}}};
  m.trains = {
      {.stops = {Dep(kOutA, 600), Pass(14, 610, 611), Arr(kOutB, 620)}},  // the 15th member
      {.stops = {Dep(kOutA, 630), Pass(15, 640, 641), Arr(kOutB, 650)}},  // the 16th
      {.stops = {Dep(16, 700), Arr(kOutB, 720)}},                         // starts at the 17th
  };
  ASSERT_EQ(Load({dir_.Write("town.qo", m)}), 1);
  struct Case {
    char const* name;
    int fromItem, fromList, toItem, toList, departures;
    std::vector<int> trains;
  };
  const Case cases[] = {
      {"leaving the town", 0, 0, kOutB, -1, 1, {0, 2}},
      {"reaching the town", kOutA, -1, 0, 0, 0, {0}},
  };
  for (const Case& c : cases) {
    ARRDEP_REC* r = nullptr;
    int n = QoArrDepVL(0, c.fromItem, c.fromList, c.toItem, c.toList, c.departures, kAll, kAll, &r);
    std::vector<int> trains;
    for (int i = 0; i < n; ++i) trains.push_back(r[i].train);
    EXPECT_EQ(trains, c.trains) << c.name;
  }
  EXPECT_EQ(QoError(), 0);
}

TEST_F(BoardTest, TripsOfALine) {
  DEPLINE_REC* r = nullptr;
  ASSERT_EQ(QoDepLine(0, kLine1, 0, 0, 0, &r), 2);
  EXPECT_EQ(r[0].train, kLine2);
  EXPECT_EQ(r[0].first, kMid);
  EXPECT_EQ(r[0].last, kHub);
  EXPECT_EQ(r[0].minute, 1150);
  EXPECT_EQ(r[1].train, kLine1);
  ASSERT_EQ(QoDepLine(0, kLine1, 2, 6, 2025, &r), 1);
  EXPECT_EQ(r[0].train, kLine2);
  EXPECT_EQ(QoDepLine(0, 99, 0, 0, 0, &r), 0);
  EXPECT_EQ(QoError(), ErrTrainIndex);
}

TEST_F(BoardTest, StationsReachedFromAndLeadingTo) {
  auto marked = [](unsigned char const* marks) {
    std::vector<int> stations;
    for (int s = 0; s <= kEast; ++s)
      if (marks && marks[s]) stations.push_back(s);
    return stations;
  };
  // The loop train calls at Hub twice: Hub itself is never marked.
  EXPECT_EQ(marked(QoStationsFrom(0, kHub, kAll, kAll)), (std::vector<int>{kMid, kEnd, kEnd2}));
  EXPECT_EQ(marked(QoStationsFrom(0, kHub, kAll, 0x2)), (std::vector<int>{kEnd2}));
  EXPECT_EQ(marked(QoStationsTo(0, kHub, kAll, kAll)), (std::vector<int>{kMid, kEnd}));
  EXPECT_EQ(QoStationsFrom(0, 99, kAll, kAll), nullptr);
  EXPECT_EQ(QoError(), ErrStationIndex);
}

TEST_F(BoardTest, LinesOfAStation) {
  STLINE_REC* r = nullptr;
  // Line 9: one trip leaves Mid, the other arrives there (on another day).
  int n = QoStLines(0, kMid, 1, 1, kAll, kAll, &r);
  std::vector<std::tuple<int, int, int>> lines;
  for (int i = 0; i < n; ++i) lines.emplace_back(r[i].train, r[i].departs, r[i].arrives);
  EXPECT_EQ(lines,
            (std::vector<std::tuple<int, int, int>>{
                {kToEnd, 1, 1}, {kLoop, 1, 1}, {kBack, 1, 1}, {kNoAlight, 0, 1}, {kLine2, 1, 1}}));
  EXPECT_EQ(QoStLines(0, kMid, 0, 0, kAll, kAll, &r), 0);
  EXPECT_EQ(QoError(), ErrParameters);
}

// A timetable of the given area whose trains (number, minute) leave
// station 0 for station 1.
w::TimetableModel TrainsFrom0(uint32_t id, uint8_t area,
                              std::vector<std::pair<std::string, int>> trains) {
  w::TimetableModel m = SmallModel(id, 1, area, 2);
  m.trains.clear();
  for (auto& [number, minute] : trains)
    m.trains.push_back({.stops = {Dep(0, minute), Arr(1, minute + 20)}, .number = number});
  return m;
}

// Two timetables of one kind, area and first day that both carry train 10.
class MergedBoardTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    SetClockForTesting(D(6, 2), 600);
    ASSERT_EQ(Load({dir_.Write("a.qo", TrainsFrom0(1, 0, {{"10", 480}})),
                    dir_.Write("b.qo", TrainsFrom0(2, 0, {{"9", 480}, {"10", 480}, {"11", 470}}))}),
              2);
    QoError();
  }
  void TearDown() override {
    ResetClockForTesting();
    LoadingTest::TearDown();
  }
};

TEST_F(MergedBoardTest, SortedByNumberAndTheSecondCopyDropped) {
  // The order reads train texts; texts the caller holds stay as they were.
  char const* number = nullptr;
  ASSERT_EQ(QoTrainStationInfo(1, 0, 2, -1, &number, nullptr, nullptr, nullptr), 1);
  const std::string heldNumber = number;
  ARRDEP_EXT_REC* r = nullptr;
  int n = QoArrDepVLExt(0, 0, -1, -1, -1, -1, 1, nullptr, nullptr, 0, 0, 0, 0, &r);
  EXPECT_EQ(number, heldNumber);
  std::vector<std::pair<int, int>> rows;  // timetable, train
  for (int i = 0; i < n; ++i) rows.emplace_back(r[i].timetable, r[i].entry.train);
  EXPECT_EQ(rows, (std::vector<std::pair<int, int>>{{1, 2}, {1, 0}, {0, 0}}));
  // Only the first timetable asked for.
  unsigned masks[] = {kAll, 0};
  EXPECT_EQ(QoArrDepVLExt(0, 0, -1, -1, -1, -1, 1, masks, nullptr, 0, 0, 0, 0, &r), 1);
  EXPECT_EQ(QoError(), 0);
}

TEST_F(MergedBoardTest, TimetablesOfAnotherAreaKeepBothCopiesInTimetableOrder) {
  Clear();
  ASSERT_EQ(Load({dir_.Write("a.qo", TrainsFrom0(1, 0, {{"10", 480}})),
                  dir_.Write("c.qo", TrainsFrom0(3, 1, {{"9", 480}, {"10", 480}}))}),
            2);
  QoError();
  ARRDEP_EXT_REC* r = nullptr;
  int n = QoArrDepVLExt(0, 0, -1, -1, -1, -1, 1, nullptr, nullptr, 0, 0, 0, 0, &r);
  std::vector<std::pair<int, int>> rows;  // timetable, train
  for (int i = 0; i < n; ++i) rows.emplace_back(r[i].timetable, r[i].entry.train);
  EXPECT_EQ(rows, (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {1, 1}}));
  EXPECT_EQ(QoError(), 0);
}

}  // namespace
}  // namespace qo::test
