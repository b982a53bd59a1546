#pragma once
// The legend sentence of a stop-timetable departure whose trip leaves the
// line's usual route: which stops it skips, which extra stops it makes,
// where it ends early or goes on beyond the line, and into which line it
// runs on. Built from the two station sequences by a greedy alignment, in
// the words of the timetable's data language.
#include <cstdint>
#include <string>

#include "load/timetable_record.h"

namespace qo {

inline constexpr size_t kMaxRouteTextLength = 2047;

// The names (without region) joined by ", ", the word " and " of the
// current kernel language before the last; at most 2,047 characters.
void JoinStationNames(TimetableRecord& t, uint16_t const* stations, int32_t count,
                      std::string& out);

// The route of trip stations `trip` (N, from the stop on, repeats
// collapsed) against the line's stations `line` (E >= 1, from the stop on),
// with the trip's through-running station (-1 none) and line value (0
// none; negative: text -V-1 of the number texts). Kernel text; empty when
// nothing differs. Selects the kernel language of data language `language`.
void BuildRouteDifferenceText(TimetableRecord& t, int language, int32_t const* line, int32_t E,
                              uint16_t const* trip, int32_t N, int32_t throughStation,
                              int32_t throughLine, std::string& out);

}  // namespace qo
