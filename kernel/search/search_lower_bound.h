#pragma once
// The fewest minutes a journey can take between a station and the end
// station of a pass, whatever the time of day: the shortest way over the
// fewest minutes any train takes between two of its consecutive stops and
// over every walk of the timetable (switched off or not, barrier-free or
// not). A label that cannot be at the end by the time it must be there
// even so is pruned before it is scanned. A stop word that steps back in
// time (a time-zone step) counts as no minutes: the bounds are lower ones
// only where no train steps back, and the engine uses them only there.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qo {

struct TimetableRecord;

inline constexpr int32_t kEndUnreachable = 1 << 28;

// A pass looks for the lower bounds, and for the fewest rides to an end
// (search_ride_levels), once it has made this many labels: a small pass
// does not pay for their search. Tests set 0, so that every pass with a
// bound uses them, and reset it.
size_t LabelsBeforeLowerBounds();
void SetLabelsBeforeLowerBoundsForTesting(size_t labels);
void ResetLabelsBeforeLowerBoundsForTesting();

// Per station of `t` the lower bound in minutes (kEndUnreachable when no
// train or walk leads there): forward from the station to the nearest of
// `ends`, backward from it to the station. The graph is built once per
// loaded timetable, and the bounds of the last ends asked are kept (the
// windows of a search ask for the same): both live in the timetable's
// engine scratch, and the list stays valid until other ends are asked.
std::vector<int32_t> const& EndLowerBounds(TimetableRecord& t, std::vector<int32_t> const& ends,
                                           bool backward);

// The same for a journey that must still pass the via point of `bit` (in
// the timetable's search marks) on its way: the fewest minutes to a
// station where it may pass it, plus `after` there (the bounds once it
// has: to the end, or on over the next via point).
void ViaLowerBounds(TimetableRecord& t, uint16_t bit, bool backward,
                    std::vector<int32_t> const& after, std::vector<int32_t>& minutes);

}  // namespace qo
