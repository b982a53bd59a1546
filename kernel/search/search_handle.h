#pragma once
// The search handle: a finished search's request and found connections.
// The kernel keeps one current handle; a caller may take it out (and owns
// it then) and give it back. Its fields are filled by StoreSearchInHandle.
#include <cstdint>

#include "search/search_run.h"

namespace qo {

struct SearchHandle {
  SearchRequest Request;
  // Window times of the earliest and the latest window searched, minutes
  // from midnight of the search day (may leave 0..1439).
  int32_t EarlierWindowTime = 0;
  int32_t LaterWindowTime = 0;
  int32_t EarlierAllowed = 0;
  int32_t LaterAllowed = 0;
  int32_t WindowLength = 0;
  // 0: nothing stored yet (an empty handle is never stale).
  uint32_t Stamp = 0;
  // The loaded set's data generation when the search was stored: the
  // request refers to timetables by their place in that set.
  uint32_t Generation = 0;
  ConnectionList Connections;
};

SearchHandle& CurrentSearchHandle();

// After a search: the request (a new search only), the day and the found
// connections of `run` go into the current handle.
void StoreSearchInHandle(SearchRun& run, bool newSearch);

// A handle stored before timetables were loaded or closed since.
bool IsStaleHandle(SearchHandle const& handle);

// Empties the current handle when its data is gone; the re-index calls it.
void ReleaseStaleCurrentHandle();

// A connection argument: 0 and up an index, negative the negated
// connection ID. The index in the list, or -1 with the kernel error set
// (33 unknown ID, 20 index beyond the list).
int FindConnectionIndex(SearchHandle const& handle, int connection);

}  // namespace qo
