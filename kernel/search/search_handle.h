#pragma once
// The search handle: a finished search's request and found connections.
// The kernel keeps one current handle; a caller may take it out (and owns
// it then) and give it back. Its fields are filled by StoreSearchInHandle.
//
// Timetables are kept by their index in the loaded set together with the
// data generation they belong to, never by record address: records come
// and go with every load and close, and a handle may outlive them. A
// handle of an older generation is stale and refused.
#include <array>
#include <cstdint>
#include <vector>

#include "search/search_limits.h"
#include "search/search_params.h"
#include "search/search_run.h"

namespace qo {

// One station of a stored working set: `Station` is minus the key for a
// pass-through point of a via list.
struct HandleStation {
  int32_t Timetable = 0;
  int32_t Station = 0;
  int32_t Minutes = 0;
};
using HandleStationSet = std::vector<HandleStation>;

using HandleRequest = BasicSearchRequest<HandleStationSet>;

struct SearchHandle {
  HandleRequest Request;
  // Window times of the earliest and the latest window searched, minutes
  // from midnight of the search day (may leave 0..1439).
  int32_t EarlierWindowTime = 0;
  int32_t LaterWindowTime = 0;
  int32_t EarlierAllowed = 0;
  int32_t LaterAllowed = 0;
  int32_t WindowLength = 0;
  // The settings in force when the search was made, per timetable arrays
  // included, and every timetable's inclusion word: a continued search
  // runs under them whatever was set since.
  ConnParmsInput Parms;
  std::vector<uint32_t> Inclusion;
  // 0: nothing stored yet (an empty handle is never stale).
  uint32_t Stamp = 0;
  // The loaded set's data generation when the search was stored.
  uint32_t Generation = 0;
  ConnectionList Connections;
};

SearchHandle& CurrentSearchHandle();

// After a search: the request (a new search only), the day and the found
// connections of `run` go into the current handle.
void StoreSearchInHandle(SearchRun& run, bool newSearch);

// The working sets of a stored request, for the loaded set the handle was
// stored in (the caller made sure it is not stale).
void RestoreSearchRequest(HandleRequest const& stored, SearchRequest& request);

// A handle stored before timetables were loaded or closed since.
bool IsStaleHandle(SearchHandle const& handle);

// Empties the current handle when its data is gone; the re-index calls it.
void ReleaseStaleCurrentHandle();

// The handle an export works on (null: the current one), or null with
// error 30 when it was stored before the timetables changed.
SearchHandle* LiveHandle(void* handle);

// A connection argument: 0 and up an index, negative the negated
// connection ID. The index in the list, or -1 with the kernel error set
// (33 unknown ID, 20 index beyond the list).
int FindConnectionIndex(SearchHandle const& handle, int connection);

// The connection of a live handle for a connection argument, or null with
// the kernel error set (30, 33, 20).
Connection* FindConnection(void* handle, int connection);

}  // namespace qo
