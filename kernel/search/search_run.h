#pragma once
// What the request front hands an engine, and what an engine hands back.
//
// The front (search_request.cpp) checks a request, expands its places into
// the working sets below, prepares the per-timetable fields (inclusion word,
// day, marks) and runs the time-window loop; for every window it calls
// RunSearchEngine, which runs the forward engine by departure and the
// backward engine by arrival. An engine reads the request, the settings
// (search_params.h) and the marks (SearchStateOf(t).Marks), appends
// what it finds to the working connection list and returns its count.
//
// One search runs at a time (the program keeps every other call away while
// it runs); only the progress record and the stop flag are shared with
// another thread (search_control.h).
#include <array>
#include <cstdint>
#include <vector>

#include "dates/day_number.h"
#include "search/connection_leg.h"
#include "search/search_limits.h"

namespace qo {

struct TimetableRecord;

// One station of a working set. `station` is minus the key for a
// pass-through point of a via list.
struct SearchStation {
  TimetableRecord* timetable = nullptr;
  int32_t station = 0;
  int32_t minutes = 0;  // access minutes (From and To sets only)
};
using StationSet = std::vector<SearchStation>;

// The request's terms, alike in the working and in a stored request.
struct SearchTerms {
  // The search time: minutes from midnight of the search day (0..1440 as
  // asked; the window loop moves WindowTime, not this).
  int32_t Time = 0;
  bool ByDeparture = true;
  bool ChangesAllowed = true;
  // By date: the day searched. By day type: the type and its weekday mask.
  bool ByDayType = false;
  DayNumber Day = 0;
  int32_t DayType = 0;
  int32_t WeekdayMask = 0;
};

// The request's places and terms. The working request names timetables by
// record (`SearchRequest`); a stored search keeps them by loaded-set index
// (search_handle.h), so the two differ only in their station sets.
template <class Set>
struct BasicSearchRequest : SearchTerms {
  Set From;
  Set To;
  int32_t ViaCount = 0;  // 0..kMaxViaPoints
  std::array<Set, kMaxViaPoints> Via;
  Set ChangePoints;
};

// The working sets and the request's terms; rebuilt by every new search.
using SearchRequest = BasicSearchRequest<StationSet>;

// What one engine run is asked to do.
struct EngineCall {
  bool ComputeBounds = false;  // build the corridor and lower bounds (first window)
  bool ChangesAllowed = true;
  bool ContinueLater = false;
  bool ContinueEarlier = false;
  bool ReportProgress = true;
};

enum class SearchDirection { Forward, Backward };

// The state of the search in progress: the request, the window, and the
// working connection list the engines fill.
struct SearchRun {
  SearchRequest Request;
  // Minutes from midnight of the search day of the current window (may
  // leave 0..1439 as the window loop shifts it), and its minute of day.
  int32_t WindowTime = 0;
  int32_t WindowMinute = 0;
  int32_t WindowLength = 0;
  ConnectionList Found;
  // A continued search's earlier list, which the clean-up compares with
  // (null for a new search).
  ConnectionList const* Earlier = nullptr;
  // The first From and To stations (destination of the bounds).
  SearchStation FirstFrom;
  SearchStation FirstTo;
  // 0 domestic, 1 open, 2 one region; and the region's common name.
  int32_t ScopeMode = 1;
  char CommonRegion[10] = {};
  // Stops-in-via as set; a search may switch it off for itself.
  int32_t SavedStopsInVia = 1;
  // Set by the corridor: some taking-part timetable measures its arcs; a
  // rail and a bus timetable take part with trains preferred; how far a
  // journey may go, in kilometres (0 = no limit).
  bool DistanceMode = false;
  bool PreferTrains = false;
  int32_t DistanceLimit = 0;
};

SearchRun& CurrentSearchRun();

SearchDirection DirectionOf(SearchRequest const& request);

// The engines. Each runs one window of CurrentSearchRun() and returns the
// number of connections in its Found list.
int SearchForward(EngineCall const& call);
int SearchBackward(EngineCall const& call);

// Runs the engine of the request's direction, or the replacement a test
// installed.
int RunSearchEngine(EngineCall const& call);

// Tests only: replaces both engines (null restores them).
using SearchEngineFunction = int (*)(SearchRun& run, EngineCall const& call);
void SetSearchEngineForTesting(SearchEngineFunction engine);

// What the searches did since the caller last cleared it, for measuring
// them: windows run, labels made, rides walked, station events looked at,
// and the time spent preparing, in the rounds and in the clean-up.
struct SearchCounters {
  int64_t Windows = 0;
  int64_t Labels = 0;
  int64_t Rides = 0;
  int64_t Events = 0;
  int64_t PrepareNanoseconds = 0;
  int64_t RoundsNanoseconds = 0;
  int64_t CleanUpNanoseconds = 0;
};

// Counted at every station event a pass looks at: inline, no call.
inline SearchCounters& CurrentSearchCounters() {
  static SearchCounters counters;
  return counters;
}
int64_t SearchClockNanoseconds();

// The day of a leg relative to the base the window loop started from.
void RebaseConnectionDays(SearchRun& run);

}  // namespace qo
