#pragma once
// Whether an engine pass can end at all. A journey ends with a ride left
// at an end station (forward a To station, backward a From station), and
// a pass reaches only so far in time: its window and slack, then per round
// the longest wait, the longest ride and the longest walk. When no train
// that runs on a day of that span calls at an end station with the stop
// word that ends a ride there, the pass finds nothing, in any round: it
// need not run them. A station served only on other days (a night line, a
// weekend line) used to cost every retry window a full pass.
#include <cstdint>
#include <vector>

#include "search/search_run.h"

namespace qo {

struct TimetableRecord;

// The minutes of the search day a pass reaches, both ends included, and
// the most minutes a time-zone step takes a ride back in any timetable
// that takes part.
struct PassReach {
  int64_t Early = 0;
  int64_t Late = 0;
  int32_t StepBack = 0;
};

// `maxChanges` as the pass runs it (0 when changes are not allowed).
PassReach ReachOfPass(SearchRun const& run, bool backward, int maxChanges);
// Whether a train that runs within the reach calls at an end station.
bool EndWithinReach(SearchRun const& run, bool backward, PassReach const& reach);

// Appends the times within the reach, on the pass's scale (backward
// kMirror - minute) and rising, at which a train that runs on its day
// (under any day type) calls at the station: every time a ride can end
// there.
void EndTimesWithinReach(PassReach const& reach, bool backward, TimetableRecord& t, int32_t station,
                         std::vector<int32_t>& times);

}  // namespace qo
