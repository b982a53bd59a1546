#pragma once
// Continuing the current handle's search with the next later or earlier
// window, merged into the connections the handle already holds.
#include "search/search_handle.h"

namespace qo {

// Runs windows beyond the handle's searched range until one brings a
// connection the handle lacks. Returns 0 with the merged list in the
// current handle and CurrentSearchRun().Found (*first: the first new one
// by departure, the last new one towards earlier times), or the error.
int SearchNextConnections(bool earlier, int* first, int* count);

// Merges the run's new connections with copies of the handle's list, in
// order and cleaned; *first as above. False when no new one is left.
bool MergeNextConnections(SearchRun& run, SearchHandle const& handle, bool earlier, int* first);

}  // namespace qo
