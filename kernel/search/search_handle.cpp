#include "search/search_handle.h"

#include <utility>

#include "calendars/day_type_state.h"
#include "frame/error_codes.h"
#include "frame/kernel_error.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"

namespace qo {
namespace {

uint32_t g_searchCounter = 1;
int32_t g_nextConnectionId = 1;

HandleStationSet Stored(StationSet const& set) {
  HandleStationSet out;
  out.reserve(set.size());
  for (SearchStation const& s : set)
    out.push_back({IndexOfTimetable(s.timetable), s.station, s.minutes});
  return out;
}

StationSet Working(HandleStationSet const& set) {
  StationSet out;
  out.reserve(set.size());
  for (HandleStation const& s : set) {
    // An index the set no longer has (never for a live handle) is left out
    // rather than followed.
    if (TimetableRecord* t = TimetableAt(s.Timetable)) out.push_back({t, s.Station, s.Minutes});
  }
  return out;
}

// The stored and the working request differ only in how their station
// sets name a timetable.
template <class Out, class In, class ConvertSet>
void CopyRequest(In const& in, Out& out, ConvertSet convert) {
  static_cast<SearchTerms&>(out) = in;
  out.From = convert(in.From);
  out.To = convert(in.To);
  out.ViaCount = in.ViaCount;
  for (int32_t k = 0; k < in.ViaCount; ++k)
    out.Via[static_cast<size_t>(k)] = convert(in.Via[static_cast<size_t>(k)]);
  out.ChangePoints = convert(in.ChangePoints);
}

HandleRequest StoredRequest(SearchRequest const& r) {
  HandleRequest out;
  CopyRequest(r, out, Stored);
  return out;
}

}  // namespace

SearchHandle& CurrentSearchHandle() {
  static SearchHandle handle;
  return handle;
}

void StoreSearchInHandle(SearchRun& run, bool newSearch) {
  SearchHandle& h = CurrentSearchHandle();
  if (newSearch) {
    h = SearchHandle{};
    h.EarlierWindowTime = h.LaterWindowTime = run.Request.Time;
    h.WindowLength = run.WindowLength;
    h.EarlierAllowed = h.LaterAllowed = 1;
    h.Parms = ConnParmsInForce();
    h.Request = StoredRequest(run.Request);
  }
  h.Request.ByDayType = run.Request.ByDayType;
  h.Request.Day = run.Request.Day;
  h.Request.DayType = run.Request.DayType;
  h.Request.WeekdayMask = run.Request.WeekdayMask;
  h.Inclusion.clear();
  for (TimetableRecord* t : LoadedSet()) h.Inclusion.push_back(DayTypesOf(*t).Filter.TypeMask);
  for (Connection& connection : run.Found) {
    if (!connection.empty() && connection.front().ConnectionId == 0)
      connection.front().ConnectionId = g_nextConnectionId++;
  }
  h.Connections = run.Found;
  h.Stamp = g_searchCounter++;
  h.Generation = LoadedSetIndex().DataGeneration;
}

void RestoreSearchRequest(HandleRequest const& stored, SearchRequest& r) {
  r = SearchRequest{};
  CopyRequest(stored, r, Working);
}

bool IsStaleHandle(SearchHandle const& handle) {
  return handle.Stamp != 0 && handle.Generation != LoadedSetIndex().DataGeneration;
}

void ReleaseStaleCurrentHandle() {
  SearchHandle& h = CurrentSearchHandle();
  if (IsStaleHandle(h)) h = SearchHandle{};
}

SearchHandle* LiveHandle(void* handle) {
  ReleaseStaleCurrentHandle();
  SearchHandle* h = handle ? static_cast<SearchHandle*>(handle) : &CurrentSearchHandle();
  if (IsStaleHandle(*h)) {
    SetKernelError(ErrConnListReleased);
    return nullptr;
  }
  return h;
}

Connection* FindConnection(void* handle, int connection) {
  SearchHandle* h = LiveHandle(handle);
  if (!h) return nullptr;
  const int index = FindConnectionIndex(*h, connection);
  return index < 0 ? nullptr : &h->Connections[static_cast<size_t>(index)];
}

int FindConnectionIndex(SearchHandle const& handle, int connection) {
  const int count = static_cast<int>(handle.Connections.size());
  if (connection >= 0) {
    if (connection < count) return connection;
    SetKernelError(ErrIndexOutOfRange);
    return -1;
  }
  for (int i = 0; i < count; ++i) {
    Connection const& c = handle.Connections[static_cast<size_t>(i)];
    if (!c.empty() && c.front().ConnectionId == -connection) return i;
  }
  SetKernelError(ErrConnectionId);
  return -1;
}

}  // namespace qo
