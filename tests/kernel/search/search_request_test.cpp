// The request front: its checks in order, the day and time it hands the
// engine, the window loop with its shifts and retries, overlap trimming,
// stop and the result buffer. The engine is replaced by a recorder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Qo.h"
#include "calendars/day_type_state.h"
#include "dates/clock.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"
#include "search/search_control.h"
#include "search/search_handle.h"
#include "search/search_params.h"
#include "search/search_request.h"
#include "search/search_run.h"

namespace qo::test {
namespace {

// What the engine was asked: per window "minute@day" of the first
// timetable's day offset relative to the base.
struct EngineLog {
  static inline std::vector<std::string> windows;
  static inline int findInWindow = -1;  // the window that finds a connection
  static inline bool stopAfterFinding = false;
  static inline bool stopFirst = false;

  static int Engine(SearchRun& run, EngineCall const&) {
    DayTypeState const& s = DayTypesOf(*TimetableAt(0));
    windows.push_back(std::to_string(run.WindowMinute) + "@" +
                      std::to_string(s.Filter.DayOffset - s.BaseDayOffset));
    if (stopFirst) RequestSearchStop();
    if (static_cast<int>(windows.size()) - 1 == findInWindow) {
      ConnectionLeg leg;
      leg.FromStation = run.Request.From.front().station;
      leg.ToStation = run.Request.To.front().station;
      leg.Train = 0;
      leg.DepartureMinute = run.WindowMinute;
      leg.ArrivalMinute = run.WindowMinute + 20;
      run.Found.push_back({leg});
      if (stopAfterFinding) RequestSearchStop();
    }
    return static_cast<int>(run.Found.size());
  }
  static std::string Windows() {
    std::string out;
    for (std::string const& w : windows) out += (out.empty() ? "" : " ") + w;
    return out;
  }
  static void Reset() {
    windows.clear();
    findInWindow = -1;
    stopAfterFinding = stopFirst = false;
  }
};

// Station places of timetable 0, written as a list of stations.
struct Places {
  std::vector<int> items, lists, timetables;
  Places() = default;
  Places(std::initializer_list<int> stations, int list = -1, int timetable = 0) {
    for (int s : stations) Add(s, list, timetable);
  }
  Places& Add(int item, int list = -1, int timetable = 0) {
    items.push_back(item);
    lists.push_back(list);
    timetables.push_back(timetable);
    return *this;
  }
  PlaceArrays Arrays() const {
    return {items.data(), lists.data(), timetables.data(), nullptr, static_cast<int>(items.size())};
  }
};

class SearchRequestTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    CurrentSearchSettings() = SearchSettings();
    EngineLog::Reset();
    SetSearchEngineForTesting(&EngineLog::Engine);
    w::TimetableModel m = SmallModel(1, 1, 0, 6);
    m.trains = {{.stops = {Dep(0, 480), Pass(1, 500, 501), Arr(2, 530)}}};
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
    QoError();
  }
  void TearDown() override {
    SetSearchEngineForTesting(nullptr);
    CurrentSearchSettings() = SearchSettings();
    LoadingTest::TearDown();
  }

  Places const a_{0}, b_{2};

  static ConnectionQuery Query(Places const& from, Places const& to, int time = 600) {
    ConnectionQuery q;
    q.From = from.Arrays();
    q.To = to.Arrays();
    q.Time = time;
    q.Day = 10;
    q.Month = 3;
    q.Year = 2025;
    return q;
  }
  static int Run(ConnectionQuery const& q) {
    int count = -1;
    int error = SearchConnections(q, &count);
    EXPECT_EQ(count, error ? 0 : static_cast<int>(CurrentSearchRun().Found.size()));
    return error;
  }
};

TEST_F(SearchRequestTest, ChecksComeInOrderWithTheirErrors) {
  Places const a{0}, b{2}, none{};
  Places badTimetable{0};
  badTimetable.timetables[0] = 1;
  Places passThrough{0};
  passThrough.lists[0] = -3;
  struct Case {
    char const* name;
    ConnectionQuery query;
    int error;
  };
  auto with = [](ConnectionQuery q, auto change) {
    change(q);
    return q;
  };
  static Places const badStation{9}, badList = Places{0}.Add(0, 0).Add(0, 0), viaKeyBad = [] {
    Places p{0};
    p.lists[0] = -3;
    p.timetables[0] = static_cast<int>(0x80000000u | 4);
    return p;
  }();
  static Places const badItemList{0};
  const Case cases[] = {
      {"empty From", Query(none, b), ErrFromOrToMissing},
      {"empty To", Query(a, none), ErrFromOrToMissing},
      {"From timetable", Query(badTimetable, b), ErrTimetableIndex},
      {"From station", Query(badStation, b), ErrStationIndex},
      {"To list", Query(a, badList), ErrVirtListIndex},
      {"pass-through in From", Query(passThrough, b), ErrVirtListIndex},
      {"pass-through in To", Query(a, passThrough), ErrVirtListIndex},
      {"pass-through via of a bad timetable",
       with(Query(a, b), [&](ConnectionQuery& q) { q.Via = viaKeyBad.Arrays(); }),
       ErrTimetableIndex},
      // Identical lists are refused before the date is looked at.
      {"identical lists, bad date",
       with(Query(a, a), [](ConnectionQuery& q) { q.Day = 31, q.Month = 2; }), ErrStationsOverlap},
      {"bad date", with(Query(a, b), [](ConnectionQuery& q) { q.Day = 31, q.Month = 2; }), ErrDate},
      {"day type 4", with(Query(a, b), [](ConnectionQuery& q) { q.Year = 0, q.Day = 4; }), ErrDate},
      {"day type 2, mask 0x80",
       with(Query(a, b), [](ConnectionQuery& q) { q.Year = 0, q.Day = 2, q.Month = 0x80; }),
       ErrDate},
      {"time 1441", Query(a, b, 1441), ErrDate},
      {"time -1", Query(a, b, -1), ErrDate},
      {"1440 by departure on a day type",
       with(Query(a, b, 1440), [](ConnectionQuery& q) { q.Year = 0, q.Day = 5; }), ErrDate},
      // Within 12 days of the calendar the places are there, the day is not.
      {"date just before validity",
       with(Query(a, b), [](ConnectionQuery& q) { q.Day = 25, q.Month = 12, q.Year = 2024; }),
       ErrDateOutOfRange},
      // Further away no timetable takes part: no stations on a day of no
      // timetable.
      {"date far outside validity", with(Query(a, b), [](ConnectionQuery& q) { q.Year = 2026; }),
       ErrConnectionNotFound},
      {"nothing found", Query(a, b), ErrConnectionNotFound},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Run(c.query), c.error);
  }
  // A pass-through via entry of a valid timetable is taken.
  static Places const viaKey = [] {
    Places p{0};
    p.items[0] = 4711;
    p.lists[0] = -3;
    p.timetables[0] = static_cast<int>(0x80000000u);
    return p;
  }();
  ConnectionQuery q = Query(a, b);
  q.Via = viaKey.Arrays();
  EXPECT_EQ(Run(q), ErrConnectionNotFound);
}

TEST_F(SearchRequestTest, MoreViaPointsThanASearchPassesAreRefused) {
  Places via;
  for (int k = 0; k < 17; ++k) via.Add(k % 2 ? 3 : 4, -1, static_cast<int>(0x80000000u));
  ConnectionQuery q = Query(a_, b_);
  q.Via = via.Arrays();
  EXPECT_EQ(Run(q), ErrParameters);
  via.items.resize(16), via.lists.resize(16), via.timetables.resize(16);
  q.Via = via.Arrays();
  EXPECT_EQ(Run(q), ErrConnectionNotFound);
  EXPECT_EQ(CurrentSearchRun().Request.ViaCount, 16);
}

TEST_F(SearchRequestTest, MidnightByDepartureByArrivalAndOnADayType) {
  struct Case {
    char const* name;
    int year, day;
    bool byDeparture;
    int error;
    std::string firstWindow;
  };
  const Case cases[] = {
      {"by departure: 0:00 of the next day", 2025, 10, true, ErrConnectionNotFound, "0@0"},
      {"by arrival: 24:00 of the day", 2025, 10, false, ErrConnectionNotFound, "1440@0"},
      {"by departure on a day type", 0, 5, true, ErrDate, ""},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    EngineLog::Reset();
    ConnectionQuery q = Query(a_, b_, 1440);
    q.Year = c.year;
    q.Day = c.day;
    q.ByDeparture = c.byDeparture;
    EXPECT_EQ(Run(q), c.error);
    EXPECT_EQ(EngineLog::windows.empty() ? "" : EngineLog::windows.front(), c.firstWindow);
  }
  // The next day is the day searched: 11 March.
  EngineLog::Reset();
  ConnectionQuery q = Query(a_, b_, 1440);
  Run(q);
  EXPECT_EQ(CurrentSearchRun().Request.Day, DmyToDay(2025, 3, 11));
}

TEST_F(SearchRequestTest, EmptyWindowsMoveByTheirLengthUntilTheRetriesAreSpent) {
  struct Case {
    char const* name;
    bool changes, byDeparture;
    int time, findIn;
    int error;
    std::string windows;
  };
  const Case cases[] = {
      // Direct: window 1440, retries 3 -> four windows, each a day later.
      {"direct by departure", false, true, 600, -1, ErrConnectionNotFound,
       "600@0 600@1 600@2 600@3"},
      // With changes: window 360, retries 2; before midnight the day
      // offset goes below the base (floor, not truncation).
      {"changes by arrival", true, false, 300, -1, ErrConnectionNotFound, "300@0 1380@-1 1020@-1"},
      {"found in the second window", true, true, 1200, 1, 0, "1200@0 120@1"},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    EngineLog::Reset();
    EngineLog::findInWindow = c.findIn;
    ConnectionQuery q = Query(a_, b_, c.time);
    q.ChangesAllowed = c.changes;
    q.ByDeparture = c.byDeparture;
    EXPECT_EQ(Run(q), c.error);
    EXPECT_EQ(EngineLog::Windows(), c.windows);
    // The day offsets go back to the base after the search.
    DayTypeState const& s = DayTypesOf(*TimetableAt(0));
    EXPECT_EQ(s.Filter.DayOffset, s.BaseDayOffset);
  }
  // The connection found a day later carries that day.
  ASSERT_EQ(CurrentSearchRun().Found.size(), 1u);
  EXPECT_EQ(CurrentSearchRun().Found[0][0].DepartureDay, 1);
  EXPECT_EQ(CurrentSearchHandle().LaterWindowTime, 1560);
}

TEST_F(SearchRequestTest, StopKeepsWhatWasFoundAndOtherwiseFails) {
  EngineLog::findInWindow = 0;
  EngineLog::stopAfterFinding = true;
  EXPECT_EQ(Run(Query(a_, b_)), 0);
  EXPECT_EQ(CurrentSearchRun().Found.size(), 1u);

  EngineLog::Reset();
  EngineLog::stopFirst = true;
  EXPECT_EQ(Run(Query(a_, b_)), ErrSearchInterrupted);
  EXPECT_EQ(EngineLog::windows.size(), 1u);

  // A stop asked for before the search begins does not reach it.
  EngineLog::Reset();
  QoStopSearch();
  EXPECT_EQ(Run(Query(a_, b_)), ErrConnectionNotFound);
  EXPECT_EQ(EngineLog::windows.size(), 3u);  // retries with changes: 2
}

TEST_F(SearchRequestTest, TheTimeLimitEndsTheWindowLoop) {
  SetTickCountForTesting(1000);
  QoSetSearchMaxTicks(1);
  static auto slow = [](SearchRun& run, EngineCall const& call) {
    SetTickCountForTesting(1002);
    return EngineLog::Engine(run, call);
  };
  SetSearchEngineForTesting([](SearchRun& run, EngineCall const& call) { return slow(run, call); });
  EXPECT_EQ(Run(Query(a_, b_)), ErrConnectionNotFound);
  EXPECT_EQ(EngineLog::windows.size(), 1u);
  // No limit when it is negative.
  EngineLog::Reset();
  QoSetSearchMaxTicks(-5);
  EXPECT_EQ(Run(Query(a_, b_)), ErrConnectionNotFound);
  EXPECT_EQ(EngineLog::windows.size(), 3u);  // retries with changes: 2
  QoSetSearchMaxTicks(0);
  ResetTickCountForTesting();
}

TEST_F(SearchRequestTest, SharedStationsLeaveTheLargerSide) {
  struct Case {
    char const* name;
    Places from, to;
    int error;
    size_t fromLeft, toLeft;
  };
  const Case cases[] = {
      {"To shares one of two From stations", Places{0, 2}, Places{2}, ErrConnectionNotFound, 1, 1},
      {"From shares one of three To stations", Places{3}, Places{1, 3, 4}, ErrConnectionNotFound, 1,
       2},
      // Same count, shared station: nothing to trim.
      {"same count", Places{0, 2}, Places{2, 3}, ErrStationsOverlap, 2, 2},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Run(Query(c.from, c.to)), c.error);
    if (c.error == ErrConnectionNotFound) {
      EXPECT_EQ(CurrentSearchRun().Request.From.size(), c.fromLeft);
      EXPECT_EQ(CurrentSearchRun().Request.To.size(), c.toLeft);
    }
  }
}

TEST_F(SearchRequestTest, TheResultBufferHoldsLongConnectionsWhole) {
  // Many connections of 16 legs: each needs more than the usual growth
  // step leaves free.
  ConnectionList list(40);
  for (size_t c = 0; c < list.size(); ++c) {
    for (int l = 0; l < 16; ++l) {
      ConnectionLeg leg;
      leg.FromStation = l;
      leg.ToStation = l + 1;
      leg.DepartureMinute = 10 * l;
      leg.ArrivalMinute = 10 * l + 5;
      leg.Train = static_cast<int32_t>(c);
      leg.Distance = 1000;
      leg.ConnectionId = static_cast<int32_t>(c + 1);
      list[c].push_back(leg);
    }
  }
  uint8_t const* buffer = BuildConnectionResult(list, false, 0);
  int32_t bytes;
  std::memcpy(&bytes, buffer - 8, 4);
  ASSERT_EQ(bytes, static_cast<int32_t>(list.size() * (20 + 16 * 36)));
  uint8_t const* at = buffer;
  for (size_t c = 0; c < list.size(); ++c) {
    CONNHEAD_REC head;
    std::memcpy(&head, at, sizeof head);
    ASSERT_EQ(head.id, static_cast<int>(c + 1));
    ASSERT_EQ(head.legs, 16);
    EXPECT_EQ(head.distance, 16000);
    EXPECT_EQ(head.duration, 155);
    at += sizeof head;
    for (int l = 0; l < 16; ++l) {
      CONNLEG_REC leg;
      std::memcpy(&leg, at, sizeof leg);
      ASSERT_EQ(leg.from, l);
      ASSERT_EQ(leg.train, static_cast<int>(c));
      ASSERT_EQ(leg.arrival, 10 * l + 5);
      at += sizeof leg;
    }
  }
}

TEST_F(SearchRequestTest, TheExportsHandOutCountBufferAndError) {
  Places const from{0}, to{2};
  EngineLog::findInWindow = 0;
  int count = -1;
  unsigned char* buffer = reinterpret_cast<unsigned char*>(1);
  EXPECT_EQ(QoConnection(from.items.data(), from.lists.data(), from.timetables.data(), 1,
                         to.items.data(), to.lists.data(), to.timetables.data(), 1, nullptr,
                         nullptr, nullptr, 0, 600, 10, 3, 2025, 1, 1, nullptr, &count, &buffer),
            1);
  EXPECT_EQ(count, 1);
  ASSERT_NE(buffer, nullptr);
  CONNLEG_REC leg;
  std::memcpy(&leg, buffer + sizeof(CONNHEAD_REC), sizeof leg);
  EXPECT_EQ(leg.from, 0);
  EXPECT_EQ(leg.to, 2);

  // A new search may go on both ways; the flags are the current handle's.
  int earlier = -1, later = -1;
  QoSearchAllowed(&earlier, &later);
  EXPECT_EQ(earlier * 10 + later, 11);
  QoResetSearchAllowed();
  QoSearchAllowed(&earlier, &later);
  EXPECT_EQ(earlier * 10 + later, 0);
  EXPECT_EQ(QoSetSearchAllowed(nullptr, 5, 0), &CurrentSearchHandle());
  QoSearchAllowed(&earlier, &later);
  EXPECT_EQ(earlier * 10 + later, 10);

  EXPECT_EQ(QoConnection(from.items.data(), from.lists.data(), from.timetables.data(), 0,
                         to.items.data(), to.lists.data(), to.timetables.data(), 1, nullptr,
                         nullptr, nullptr, 0, 600, 10, 3, 2025, 1, 1, nullptr, &count, &buffer),
            0);
  EXPECT_EQ(QoError(), ErrFromOrToMissing);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(buffer, nullptr);

  // A single key does nothing and sets no error.
  int const keys[] = {100};
  EXPECT_EQ(QoConnectionIT(keys, 1, 600, 10, 3, 2025, 1, 1, nullptr, &count, &buffer), 0);
  EXPECT_EQ(QoError(), 0);
}

}  // namespace
}  // namespace qo::test
