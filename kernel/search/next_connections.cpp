#include "search/next_connections.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "calendars/day_type_calendars.h"
#include "calendars/day_type_state.h"
#include "frame/error_codes.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "search/connection_cleanup.h"
#include "search/connection_order.h"
#include "search/floor_math.h"
#include "search/search_control.h"
#include "search/search_marks.h"
#include "search/search_request.h"

namespace qo {
namespace {

// The furthest a continued search may move from its search day.
constexpr int32_t kMaxDayShift = 2;

void ResetDayOffsets() {
  for (TimetableRecord* t : LoadedSet()) {
    DayTypeState& days = DayTypesOf(*t);
    days.Filter.DayOffset = days.BaseDayOffset;
  }
}

// The handle's settings, selection and day become the kernel's again.
void RestoreSearch(SearchHandle const& h, SearchRun& run) {
  RestoreSearchRequest(h.Request, run.Request);
  ApplyConnParms(h.Parms);
  std::vector<int> masks(h.Inclusion.begin(), h.Inclusion.end());
  ApplyTimetableSelection(masks.size() == static_cast<size_t>(LoadedCount()) ? masks.data()
                                                                             : nullptr);
  if (h.Request.ByDayType)
    PrepareDayTypeCalendarsForAll(h.Request.DayType, h.Request.WeekdayMask);
  else
    SetSearchDay(h.Request.Day);
  // Shared From and To stations may be dropped again; the places were
  // accepted when the search was new.
  CheckPlacesOverlap(run.Request);
  PrepareSearchMarks(run, !h.Request.ByDeparture);
  run.Earlier = &h.Connections;
  run.WindowLength = h.WindowLength;
}

}  // namespace

bool MergeNextConnections(SearchRun& run, SearchHandle const& handle, bool earlier, int* first) {
  ConnectionList& list = run.Found;
  // A new connection the handle already holds stays the old one, with its
  // ID: a caller may hold that ID, and it is nothing new.
  std::erase_if(list, [&](Connection const& c) {
    return std::any_of(handle.Connections.begin(), handle.Connections.end(),
                       [&](Connection const& old) { return ConnectionsEqual(c, old); });
  });
  for (Connection& c : list)
    for (ConnectionLeg& leg : c) leg.KeptMark = 1;
  for (Connection const& old : handle.Connections) {
    list.push_back(old);
    for (ConnectionLeg& leg : list.back()) leg.KeptMark = 0;
  }
  const bool byDeparture = handle.Request.ByDeparture;
  byDeparture ? SortConnectionsByDeparture(list) : SortConnectionsByArrival(list);
  RemoveDuplicateConnections(list);
  if (handle.Request.ChangesAllowed) {
    RemoveDetourConnections(list, nullptr, byDeparture, handle.Request.ViaCount > 0,
                            CurrentSearchSettings().ChangeFun != nullptr);
    RemoveDominatedConnections(list);
  }
  int found = -1;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].empty() || !list[i].front().KeptMark) continue;
    if (found < 0 || earlier) found = static_cast<int>(i);
  }
  for (Connection& c : list)
    for (ConnectionLeg& leg : c) leg.KeptMark = 0;
  if (first) *first = found < 0 ? 0 : found;
  return found >= 0;
}

int SearchNextConnections(bool earlier, int* first, int* count) {
  BeginSearch();
  if (first) *first = 0;
  if (count) *count = 0;
  SearchRun& run = CurrentSearchRun();
  run.Found.clear();
  ReleaseStaleCurrentHandle();
  SearchHandle& h = CurrentSearchHandle();
  if (h.Request.From.empty() || h.Request.To.empty()) return ErrConnListEmpty;
  int32_t& allowed = earlier ? h.EarlierAllowed : h.LaterAllowed;
  if (!allowed) return ErrNoNextConnection;

  RestoreSearch(h, run);
  ConnParms const& p = CurrentSearchSettings().Parms;
  const bool changes = h.Request.ChangesAllowed;
  const int retries = WindowRetries(p, changes);
  const int32_t earlierOnEntry = h.EarlierWindowTime;
  const int32_t laterOnEntry = h.LaterWindowTime;
  int32_t& windowTime = earlier ? h.EarlierWindowTime : h.LaterWindowTime;
  for (TimetableRecord* t : LoadedSet())
    DayTypesOf(*t).BaseDayOffset = DayTypesOf(*t).Filter.DayOffset;

  int round = 0;
  for (;;) {
    for (;;) {
      run.WindowTime = windowTime;
      earlier ? ShiftWindowEarlier(run) : ShiftWindowLater(run);
      windowTime = run.WindowTime;
      if (std::abs(DayOfSearchTime(run.WindowTime)) > kMaxDayShift) {
        allowed = 0;
        FreeLabels(run);
        ResetDayOffsets();
        return ErrDateShiftTooBig;
      }
      EngineCall call;
      call.ComputeBounds = round == 0 || p.AutoStrategy != 0;
      call.ChangesAllowed = changes;
      call.ContinueLater = !earlier;
      call.ContinueEarlier = earlier;
      RunSearchEngine(call);
      const int found = CleanUpConnectionList(run, h.Request.ByDeparture);
      if (SearchStopRequested() || found > 0) break;
      ++round;
      if (round > retries || IsSearchTimeUp()) break;
    }
    FreeLabels(run);
    if (run.Found.empty()) {
      ResetDayOffsets();
      if (SearchStopRequested()) {
        h.EarlierWindowTime = earlierOnEntry;
        h.LaterWindowTime = laterOnEntry;
        return ErrSearchInterrupted;
      }
      allowed = 0;
      return ErrConnectionNotFound;
    }
    RebaseConnectionDays(run);
    if (MergeNextConnections(run, h, earlier, first)) break;
    // Only known connections: on to the next window. The stop and the time
    // limit end this path too, not only the day limit.
    run.Found.clear();
    ++round;
    if (SearchStopRequested()) {
      h.EarlierWindowTime = earlierOnEntry;
      h.LaterWindowTime = laterOnEntry;
      return ErrSearchInterrupted;
    }
    if (IsSearchTimeUp()) {
      allowed = 0;
      return ErrConnectionNotFound;
    }
  }
  StoreSearchInHandle(run, false);
  if (count) *count = static_cast<int>(run.Found.size());
  return 0;
}

}  // namespace qo
