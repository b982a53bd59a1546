// The forward engine behind the request front: a connection of sixteen
// trains comes out whole in the result buffer, a direct search that finds
// nothing tries four windows before it reports error 12, and a place whose
// trains run on no day a pass reaches costs no rounds.
#include <gtest/gtest.h>

#include <cstring>

#include "frame/error_codes.h"
#include "kernel/search/engine_test_support.h"
#include "search/search_run.h"

namespace qo::test {
namespace {

class EngineFrontTest : public EngineTest {
 protected:
  // Stops 0..16 in a row, one train between each two, five minutes each.
  void SetUp() override {
    EngineTest::SetUp();
    w::TimetableModel m;
    for (int s = 0; s <= 16; ++s)
      m.stations.push_back(
          {.name = {"Stop " + std::to_string(s)}, .key = 100 * (s + 1), .type = 0x01});
    m.train_types = {{.abbreviation = {"Os"}, .description = {"Train"}}};
    m.search.min_change_time = 2;
    for (uint16_t s = 0; s < 16; ++s)
      m.trains.push_back({.stops = {Dep(s, 600 + 10 * s), Arr(s + 1, 605 + 10 * s)},
                          .number = std::to_string(s + 1)});
    ASSERT_EQ(Load({dir_.Write("line.qo", m)}), 1);
    CurrentSearchSettings().Parms.MaxChanges = 15;
  }

  int Search(int to, bool changes, int* count, unsigned char** buffer) {
    int fromItem = 0, toItem = to, list = -1, timetable = 0;
    return QoConnection(&fromItem, &list, &timetable, 1, &toItem, &list, &timetable, 1, nullptr,
                        nullptr, nullptr, 0, 590, 11, 6, 2025, changes ? 1 : 0, 1, nullptr, count,
                        buffer);
  }
};

TEST_F(EngineFrontTest, SixteenLegsComeOutWholeInTheResultBuffer) {
  int count = 0;
  unsigned char* buffer = nullptr;
  Search(16, true, &count, &buffer);
  ASSERT_EQ(QoError(), 0);
  ASSERT_EQ(count, 1);
  ASSERT_NE(buffer, nullptr);
  CONNHEAD_REC head;
  std::memcpy(&head, buffer, sizeof head);
  ASSERT_EQ(head.legs, 16);
  EXPECT_EQ(head.duration, 155);
  for (int i = 0; i < 16; ++i) {
    CONNLEG_REC leg;
    std::memcpy(&leg, buffer + sizeof head + static_cast<size_t>(i) * sizeof leg, sizeof leg);
    EXPECT_EQ(leg.from, i);
    EXPECT_EQ(leg.to, i + 1);
    EXPECT_EQ(leg.departure, 600 + 10 * i);
  }
}

TEST_F(EngineFrontTest, ADirectSearchWithoutTrainsTriesFourWindowsThenFails) {
  int count = -1;
  unsigned char* buffer = nullptr;
  Search(16, false, &count, &buffer);
  EXPECT_EQ(QoError(), ErrConnectionNotFound);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(buffer, nullptr);
  EXPECT_EQ(QoGetSearchProgress()->passes, 4);
}

// Stations 0, 1 and 2: trains from 0 to 1 every hour of every day; the
// only train that calls at 2 runs on one day. A pass whose span holds no
// run of it makes no labels and still counts as a window; one whose span
// holds it, also across midnight either way, finds it.
class EngineReachTest : public EngineTest {
 protected:
  void Build(uint16_t day, int departure, bool toTwo) {
    w::TimetableModel m;
    for (int s = 0; s < 3; ++s)
      m.stations.push_back(
          {.name = {"Stop " + std::to_string(s)}, .key = 100 * (s + 1), .type = 0x01});
    m.train_types = {{.abbreviation = {"Os"}, .description = {"Train"}}};
    m.search.min_change_time = 2;
    for (int h = 0; h < 24; ++h)
      m.trains.push_back({.stops = {Dep(0, 60 * h), Arr(1, 60 * h + 10)}});
    m.calendars = {{.days = {day}}};
    const uint16_t from = toTwo ? 1 : 2, to = toTwo ? 2 : 1;
    m.trains.push_back({.stops = {Dep(from, departure), Arr(to, departure + 20)}, .calendar = 0});
    ASSERT_EQ(Load({dir_.Write("reach.qo", m)}), 1);
  }

  int Search(int from, int to, int time, int day, bool byDeparture, int* count) {
    int list = -1, timetable = 0;
    CurrentSearchCounters() = {};
    return QoConnection(&from, &list, &timetable, 1, &to, &list, &timetable, 1, nullptr, nullptr,
                        nullptr, 0, time, day, 6, 2025, 1, byDeparture ? 1 : 0, nullptr, count,
                        nullptr);
  }
};

TEST_F(EngineReachTest, APlaceServedOnNoDayInReachCostsNoRoundsAndOnlyThatDayFindsIt) {
  struct Case {
    char const* name;
    uint16_t runs;  // the one day of the train that calls at 2
    int departure;  // its departure minute
    bool toTwo;     // it goes 1 -> 2 (by departure, 0 to 2); else 2 -> 1 (by arrival, 2 to 1)
    int time, day;  // the search, in June 2025
    bool found;
  };
  const Case cases[] = {
      {"by departure, three weeks away", w::DayNumberOf(2025, 7, 2), 600, true, 590, 11, false},
      {"by arrival, three weeks before", w::DayNumberOf(2025, 5, 21), 600, false, 1000, 11, false},
      {"by departure, after midnight", w::DayNumberOf(2025, 6, 12), 180, true, 1260, 11, true},
      {"by arrival, before midnight", w::DayNumberOf(2025, 6, 11), 1400, false, 60, 12, true},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    Build(c.runs, c.departure, c.toTwo);
    int count = -1;
    Search(c.toTwo ? 0 : 2, c.toTwo ? 2 : 1, c.time, c.day, c.toTwo, &count);
    if (c.found) {
      EXPECT_EQ(QoError(), 0);
      EXPECT_GE(count, 1);
    } else {
      EXPECT_EQ(QoError(), ErrConnectionNotFound);
      EXPECT_EQ(count, 0);
      EXPECT_EQ(CurrentSearchCounters().Labels, 0);
      EXPECT_EQ(QoGetSearchProgress()->passes, 3);
    }
    QoCloseQo(0, 0);
  }
}

}  // namespace
}  // namespace qo::test
