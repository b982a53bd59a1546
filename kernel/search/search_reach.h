#pragma once
// Whether an engine pass can end at all. A journey ends with a ride left
// at an end station (forward a To station, backward a From station), and
// a pass reaches only so far in time: its window and slack, then per round
// the longest wait, the longest ride and the longest walk. When no train
// that runs on a day of that span calls at an end station with the stop
// word that ends a ride there, the pass finds nothing, in any round: it
// need not run them. A station served only on other days (a night line, a
// weekend line) used to cost every retry window a full pass.
#include "search/search_run.h"

namespace qo {

// `maxChanges` as the pass runs it (0 when changes are not allowed).
bool EndWithinReach(SearchRun const& run, bool backward, int maxChanges);

}  // namespace qo
