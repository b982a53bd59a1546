// Earlier and later connections of the current handle: the windows beyond
// the searched range, the two-day limit, the errors that end a continued
// search and the flags they clear, stops and the time limit on every path,
// and the day a handle was searched for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <set>
#include <tuple>
#include <vector>

#include "Qo.h"
#include "dates/clock.h"
#include "frame/error_codes.h"
#include "gtfs/gtfs_import.h"
#include "kernel/loading/loading_test_support.h"
#include "search/connection_order.h"
#include "search/floor_math.h"
#include "search/search_control.h"
#include "search/search_handle.h"
#include "search/search_params.h"
#include "search/search_run.h"

namespace qo::test {
namespace {

// A connection of a result buffer: first departure and last arrival as
// minutes from midnight of the search day, and the number of legs.
using Trip = std::tuple<int, int, int>;

std::vector<Trip> Trips(unsigned char const* buffer, int count) {
  std::vector<Trip> out;
  for (int c = 0; c < count; ++c) {
    CONNHEAD_REC head;
    std::memcpy(&head, buffer, sizeof head);
    buffer += sizeof head;
    CONNLEG_REC first, last;
    std::memcpy(&first, buffer, sizeof first);
    std::memcpy(&last, buffer + (head.legs - 1) * sizeof(CONNLEG_REC), sizeof last);
    buffer += head.legs * sizeof(CONNLEG_REC);
    out.emplace_back(first.departure_day * 1440 + first.departure,
                     last.arrival_day * 1440 + last.arrival, head.legs);
  }
  return out;
}

int Id(void* handle, int index) {
  unsigned char* buffer = QoGetConnection(handle, index);
  if (!buffer) return 0;
  CONNHEAD_REC head;
  std::memcpy(&head, buffer, sizeof head);
  return head.id;
}

class NextConnectionsTest : public LoadingTest {
 protected:
  void TearDown() override {
    CurrentSearchHandle() = SearchHandle{};
    CurrentSearchRun() = SearchRun{};
    SetSearchEngineForTesting(nullptr);
    QoSetChangeFun(nullptr);
    SetSearchTimeLimit(0);
    ResetTickCountForTesting();
    ResetConnParms(nullptr);
    LoadingTest::TearDown();
  }

  // Station 0 to 2 directly, one train at the top of every hour; with
  // `change`, the same over station 1 with two trains.
  void LoadHourly(bool change = false) {
    w::TimetableModel m = SmallModel(1, 1, 0, 3);
    for (w::Station& s : m.stations) s.type |= 0x01;  // changes allowed
    m.trains.clear();
    for (int h = 0; h < 24; ++h) {
      if (change) {
        m.trains.push_back({.stops = {Dep(0, h * 60), Arr(1, h * 60 + 20)}});
        m.trains.push_back({.stops = {Dep(1, h * 60 + 30), Arr(2, h * 60 + 50)}});
      } else {
        m.trains.push_back({.stops = {Dep(0, h * 60), Arr(2, h * 60 + 40)}});
      }
    }
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
    ResetConnParms(nullptr);
    QoError();
  }

  static int Search(int time, int byDeparture = 1, int day = 10, int month = 3, int year = 2025) {
    int from = 0, to = 2, list = -1, timetable = 0, count = 0;
    QoConnectionExt2(&from, &list, &timetable, nullptr, 1, &to, &list, &timetable, nullptr, 1,
                     nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0, time, day, month,
                     year, 1, byDeparture, nullptr, &count, nullptr);
    return count;
  }

  static int Next(int earlier, int* first = nullptr, std::vector<Trip>* trips = nullptr) {
    int count = -1;
    unsigned char* buffer = nullptr;
    const int n = QoNextConnection(earlier, first, &count, &buffer);
    EXPECT_EQ(n, count);
    if (trips) *trips = n ? Trips(buffer, n) : std::vector<Trip>{};
    return n;
  }
};

// Each continued search moves the window by its length; the one that would
// leave the search day by more than two days fails with 17 and disallows
// that direction, while the other stays allowed.
TEST_F(NextConnectionsTest, WindowsMoveUntilTheTwoDayLimit) {
  LoadHourly();
  struct Case {
    int time, byDeparture, earlier, successes;
  } const cases[] = {
      {1320, 1, 0, 8},  // 1680 .. 4200; 4560 is past 4320
      {480, 1, 1, 9},   // 120 .. -2760; -3120 is below -2880
      {1320, 0, 0, 8},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(testing::Message() << c.time << (c.byDeparture ? " dep" : " arr")
                                    << (c.earlier ? " earlier" : " later"));
    ASSERT_GT(Search(c.time, c.byDeparture), 0);
    const int length = CurrentSearchHandle().WindowLength;
    ASSERT_EQ(length, 360);
    const int oldestId = Id(nullptr, c.earlier ? 0 : QoGetConnCount(nullptr) - 1);
    int previous = QoGetConnCount(nullptr);
    for (int k = 1; k <= c.successes; ++k) {
      int first = -1;
      std::vector<Trip> trips;
      const int n = Next(c.earlier, &first, &trips);
      ASSERT_GT(n, previous) << "round " << k << " error " << QoError();
      EXPECT_TRUE(std::is_sorted(trips.begin(), trips.end(), [&](Trip const& a, Trip const& b) {
        return c.byDeparture ? std::get<0>(a) < std::get<0>(b) : std::get<1>(a) < std::get<1>(b);
      }));
      // The new ones lie beyond the old list: first new at its later end,
      // last new at its earlier end.
      EXPECT_EQ(first, c.earlier ? n - previous - 1 : previous);
      previous = n;
      int earliest = 0, latest = 0;
      QoGetConnTimeRange(nullptr, &earliest, &latest);
      if (c.earlier)
        EXPECT_EQ(earliest, c.time - k * length - (c.byDeparture ? 0 : length));
      else
        EXPECT_EQ(latest, c.time + k * length + (c.byDeparture ? length : 0));
    }
    // Connections already held keep their IDs.
    EXPECT_NE(QoGetConnection(nullptr, -oldestId), nullptr);

    EXPECT_EQ(Next(c.earlier), 0);
    EXPECT_EQ(QoError(), ErrDateShiftTooBig);
    int earlierAllowed = -1, laterAllowed = -1;
    QoSearchAllowed(&earlierAllowed, &laterAllowed);
    EXPECT_EQ(earlierAllowed, c.earlier ? 0 : 1);
    EXPECT_EQ(laterAllowed, c.earlier ? 1 : 0);
    EXPECT_EQ(Next(c.earlier), 0);
    EXPECT_EQ(QoError(), ErrNoNextConnection);
    EXPECT_EQ(QoGetConnCount(nullptr), previous);  // the list is kept
  }
}

TEST_F(NextConnectionsTest, EmptyOrDisallowedHandlesAndNothingFound) {
  LoadHourly();
  EXPECT_EQ(Next(0), 0);
  EXPECT_EQ(QoError(), ErrConnListEmpty);

  ASSERT_GT(Search(480), 0);
  void* taken = QoGetConnHandle();
  EXPECT_EQ(Next(0), 0);
  EXPECT_EQ(QoError(), ErrConnListEmpty);
  QoSetConnHandle(&taken);
  QoSetSearchAllowed(nullptr, 0, 1);
  EXPECT_EQ(Next(1), 0);
  EXPECT_EQ(QoError(), ErrNoNextConnection);
  EXPECT_GT(Next(0), 0);

  // A reload empties the current handle.
  ASSERT_EQ(Load({dir_ / "a.qo"}), 1);
  QoError();
  EXPECT_EQ(Next(0), 0);
  EXPECT_EQ(QoError(), ErrConnListEmpty);

  // Nothing in any window: 12, and that direction is no longer allowed.
  ASSERT_GT(Search(480), 0);
  SetSearchEngineForTesting([](SearchRun&, EngineCall const&) { return 0; });
  EXPECT_EQ(Next(0), 0);
  EXPECT_EQ(QoError(), ErrConnectionNotFound);
  int earlierAllowed = -1, laterAllowed = -1;
  QoSearchAllowed(&earlierAllowed, &laterAllowed);
  EXPECT_EQ(earlierAllowed, 1);
  EXPECT_EQ(laterAllowed, 0);
}

// The engine the tests install: what it finds and what it does meanwhile.
struct FakeEngine {
  static inline int calls = 0;
  static inline bool advanceClock = false;
  static inline bool stop = false;
  static inline ConnectionList finds;
  static int Run(SearchRun& run, EngineCall const&) {
    ++calls;
    if (advanceClock) SetTickCountForTesting(TickCount() + 50);
    if (stop) QoStopSearch();
    // Days as an engine counts them: from the window's day.
    const int32_t day = DayOfSearchTime(run.WindowTime);
    for (Connection c : finds) {
      for (ConnectionLeg& leg : c) {
        leg.DepartureDay -= day;
        leg.ArrivalDay -= day;
      }
      run.Found.push_back(c);
    }
    return static_cast<int>(run.Found.size());
  }
  static void Reset() {
    calls = 0;
    advanceClock = stop = false;
    finds.clear();
  }
};

// The time limit ends a continued search wherever it loops: after an empty
// window, and after a window that brought only connections the handle
// already holds (which would otherwise go on to the two-day limit).
TEST_F(NextConnectionsTest, TheTimeLimitEndsEveryLoop) {
  LoadHourly();
  for (bool onlyKnown : {false, true}) {
    SCOPED_TRACE(onlyKnown ? "only known connections" : "empty windows");
    ASSERT_GT(Search(480), 0);
    FakeEngine::Reset();
    if (onlyKnown) {
      Connection known = CurrentSearchHandle().Connections.front();
      known.front().ConnectionId = 0;
      FakeEngine::finds = {known};
    }
    FakeEngine::advanceClock = true;
    SetTickCountForTesting(1000);
    SetSearchTimeLimit(1);
    SetSearchEngineForTesting(&FakeEngine::Run);
    const int before = QoGetConnCount(nullptr);
    EXPECT_EQ(Next(0), 0);
    EXPECT_EQ(QoError(), ErrConnectionNotFound);
    EXPECT_EQ(FakeEngine::calls, 1);
    EXPECT_EQ(QoGetConnCount(nullptr), before);

    // Without a limit the known-only path runs on to the day limit.
    SetSearchTimeLimit(0);
    QoSetSearchAllowed(nullptr, 1, 1);
    FakeEngine::calls = 0;
    EXPECT_EQ(Next(0), 0);
    EXPECT_EQ(QoError(), onlyKnown ? ErrDateShiftTooBig : ErrConnectionNotFound);
    EXPECT_GT(FakeEngine::calls, 1);
    SetSearchEngineForTesting(nullptr);
  }
}

// A stop keeps what was found and returns it; a stop before anything was
// found gives 11 and leaves the searched range and the flags as they were.
TEST_F(NextConnectionsTest, AStopReturnsWhatWasFoundOrNothingWithError11) {
  LoadHourly(true);
  ASSERT_GT(Search(480), 0);
  const int before = QoGetConnCount(nullptr);
  int earliest = 0, latest = 0;
  QoGetConnTimeRange(nullptr, &earliest, &latest);

  // The real engine, stopped by the change callback at its first change:
  // 11, and the searched range, the flags and the list stay as they were.
  static int asked = 0;
  asked = 0;
  QoSetChangeFun([](int, int, int, int, int, int, int, int*) {
    ++asked;
    QoStopSearch();
    return 1;
  });
  EXPECT_EQ(Next(0), 0);
  EXPECT_EQ(QoError(), ErrSearchInterrupted);
  EXPECT_GT(asked, 0);
  QoSetChangeFun(nullptr);
  int e = 0, l = 0;
  QoGetConnTimeRange(nullptr, &e, &l);
  EXPECT_EQ(e, earliest);
  EXPECT_EQ(l, latest);
  int earlierAllowed = -1, laterAllowed = -1;
  QoSearchAllowed(&earlierAllowed, &laterAllowed);
  EXPECT_EQ(earlierAllowed + laterAllowed, 2);
  EXPECT_EQ(QoGetConnCount(nullptr), before);

  // Stopped after finding one: it is merged and returned without error.
  FakeEngine::Reset();
  Connection found = CurrentSearchHandle().Connections.back();
  found.front().ConnectionId = 0;
  for (ConnectionLeg& leg : found) {
    leg.DepartureDay += 1;
    leg.ArrivalDay += 1;
  }
  FakeEngine::finds = {found};
  FakeEngine::stop = true;
  SetSearchEngineForTesting(&FakeEngine::Run);
  int first = -1;
  EXPECT_EQ(Next(0, &first), before + 1);
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(first, before);
  EXPECT_EQ(FakeEngine::calls, 1);
}

TEST_F(NextConnectionsTest, TheDateOfTheHandle) {
  LoadHourly();
  struct Case {
    int day, month, year;
    int expected[3];
  } const cases[] = {
      {10, 3, 2025, {10, 3, 2025}},
      {2, 0x7F, 0, {2, 0x7F, 0}},  // day type 2, every week day
      {0, 0, 0, {0, 0, 0}},        // working days
  };
  SetClockForTesting(w::DayNumberOf(2025, 3, 10), 0);
  for (Case const& c : cases) {
    ASSERT_GT(Search(480, 1, c.day, c.month, c.year), 0) << QoError();
    int got[3] = {-1, -1, -1};
    QoGetConnDate(nullptr, &got[0], &got[1], &got[2]);
    EXPECT_EQ(std::vector<int>(got, got + 3), std::vector<int>(c.expected, c.expected + 3));
  }
  void* taken = QoGetConnHandle();
  int got[3] = {-1, -1, -1};
  QoGetConnDate(nullptr, &got[0], &got[1], &got[2]);
  EXPECT_EQ(got[2], 0);
  ASSERT_EQ(Load({dir_ / "a.qo"}), 1);
  QoError();
  QoGetConnDate(taken, &got[0], &got[1], &got[2]);
  EXPECT_EQ(QoError(), ErrConnListReleased);
  EXPECT_EQ(got[0] + got[1] + got[2], 0);
  QoSetConnHandle(&taken);
  ResetClockForTesting();
}

// The handle keeps the settings and the selection of its search: a
// continued search runs under them whatever was set meanwhile.
TEST_F(NextConnectionsTest, ContinuedSearchesRunUnderTheHandlesSettings) {
  LoadHourly();
  ASSERT_GT(Search(480), 0);
  CONNPARMS_REC* parms = QoGetConnectionParms();
  parms->window_changes = 60;
  ASSERT_EQ(QoSetConnectionParms(parms), 0);
  ASSERT_GT(Next(0), 0);
  int earliest = 0, latest = 0;
  QoGetConnTimeRange(nullptr, &earliest, &latest);
  EXPECT_EQ(latest, 480 + 2 * 360);
  EXPECT_EQ(QoGetConnectionParms()->window_changes, 360);
}

// Later and earlier connections on the Plzeň network are those a new
// search at the shifted time finds in the added window.
TEST_F(NextConnectionsTest, PlzenAgreesWithAFreshSearchAtTheShiftedTime) {
  const std::string feed = std::string(QO_SHARED_DATA_DIR) + "/plzen-city-gtfs.zip";
  if (!std::filesystem::exists(feed)) GTEST_SKIP() << "the Plzeň feed is absent: " << feed;
  gtfs::ImportResult imported = gtfs::ImportFeed(feed);
  for (w::Station& s : imported.model.stations) s.type |= 0x01;  // changes allowed
  ASSERT_EQ(Load({dir_.Write("plzen.qo", imported.model, imported.options)}), 1);
  ResetConnParms(nullptr);
  QoError();
  std::vector<w::Train> const& trains = imported.model.trains;
  ASSERT_GT(trains.size(), 100u);

  auto search = [&](int from, int to, int time, int byDeparture) {
    int list = -1, timetable = 0, count = 0;
    unsigned char* buffer = nullptr;
    QoConnectionExt2(&from, &list, &timetable, nullptr, 1, &to, &list, &timetable, nullptr, 1,
                     nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0, time, 11, 3, 2026,
                     1, byDeparture, nullptr, &count, &buffer);
    return count ? Trips(buffer, count) : std::vector<Trip>{};
  };
  // The trips of `list` whose searched end lies in [low, high).
  auto within = [](std::vector<Trip> const& list, int low, int high, bool byDeparture) {
    std::set<Trip> out;
    for (Trip const& t : list) {
      const int at = byDeparture ? std::get<0>(t) : std::get<1>(t);
      if (at >= low && at < high) out.insert(t);
    }
    return out;
  };
  int compared = 0;
  for (int q = 0; q < 80; ++q) {
    // Two stops of one trip: a pair the network surely joins.
    std::vector<w::Stop> const& stops = trains[static_cast<size_t>(q * 7919) % trains.size()].stops;
    if (stops.size() < 2) continue;
    const size_t a = static_cast<size_t>(q) % (stops.size() - 1);
    const int from = stops[a].station;
    const int to = stops[a + 1 + static_cast<size_t>(q * 31) % (stops.size() - a - 1)].station;
    const int byDeparture = q % 2 == 0;
    const int earlier = q % 4 >= 2;
    const int time = 360 + (q * 37) % 720;
    if (from == to) continue;
    SCOPED_TRACE(testing::Message()
                 << "from " << from << " to " << to << " at " << time
                 << (byDeparture ? " dep" : " arr") << (earlier ? " earlier" : " later"));
    if (search(from, to, time, byDeparture).empty()) continue;
    const int length = CurrentSearchHandle().WindowLength;
    int start = 0, end = 0;
    QoGetConnTimeRange(nullptr, &start, &end);
    std::vector<Trip> merged;
    if (Next(earlier, nullptr, &merged) == 0) continue;
    int newStart = 0, newEnd = 0;
    QoGetConnTimeRange(nullptr, &newStart, &newEnd);
    // The window the continued search added (one, unless it had to go on).
    if ((earlier ? start - newStart : newEnd - end) != length) continue;
    const int shifted = byDeparture ? (earlier ? newStart : end) : (earlier ? start : newEnd);
    // A new search at the shifted time covers that window from its start.
    const int low = earlier ? newStart : end;
    const int high = earlier ? start : newEnd;
    if (shifted < 0 || shifted > 1440) continue;
    std::vector<Trip> fresh = search(from, to, shifted, byDeparture);
    // The fresh search searched only its first window for these.
    int freshStart = 0, freshEnd = 0;
    QoGetConnTimeRange(nullptr, &freshStart, &freshEnd);
    if (freshEnd - freshStart != length) continue;
    EXPECT_EQ(within(merged, low + 1, high, byDeparture),
              within(fresh, low + 1, high, byDeparture));
    ++compared;
  }
  EXPECT_GT(compared, 5);
}

}  // namespace
}  // namespace qo::test
