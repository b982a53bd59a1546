#pragma once
// The fewest rides a journey needs from a station to an end station of a
// pass, whatever the time of day: over the lines of the timetable (each
// distinct sequence of stations a train calls at, on any day), with the
// walks a pass takes between rides. A pass that has grown large leaves a station
// alone when the rides it has left cannot reach an end from there: a pass
// that can find nothing (an end served only by lines two changes too far)
// used to run every round of every retry window in full.
#include <cstdint>
#include <vector>

namespace qo {

struct TimetableRecord;

inline constexpr uint8_t kNoRideLevel = 0xFF;

// Per station of `t` the fewest rides (kNoRideLevel: none leads to an end,
// or more than 254 would): forward from the station to the nearest of
// `ends`, backward from one of them to the station. An end station itself
// needs none. The lines are found once per loaded timetable and the levels
// of the last ends asked are kept, in the timetable's engine scratch: the
// list stays valid until other ends are asked.
std::vector<uint8_t> const& EndRideLevels(TimetableRecord& t, std::vector<int32_t> const& ends,
                                          bool backward);

// The same for a journey that must still pass the via point of `bit` (in
// the timetable's search marks) on its way: the fewest rides to pass it
// with `after` still to go (the levels once it has: to the end, or on over
// the next via point).
void ViaRideLevels(TimetableRecord& t, uint16_t bit, bool backward,
                   std::vector<uint8_t> const& after, std::vector<uint8_t>& levels);

// The kept levels when they are for these ends, else null: a later window
// of the same search uses them before its first round.
std::vector<uint8_t> const* KeptEndRideLevels(TimetableRecord& t, std::vector<int32_t> const& ends,
                                              bool backward);

}  // namespace qo
