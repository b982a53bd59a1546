#pragma once
// The lines (train numbers) that serve a station.
#include <cstdint>
#include <vector>

#include "boards/board_core.h"
#include "load/timetable_record.h"

namespace qo {

// One line at a station (8 bytes): the first train met with its number,
// and whether any train of that number departs or arrives there.
struct StationLine {
  int32_t train;
  uint16_t departs;
  uint16_t arrives;
};
static_assert(sizeof(StationLine) == 8);

// Appends the lines of `station` to `out` (a number already in `out` only
// gets its flags), taking departing and/or arriving events that pass the
// filter. `station` must be below StationCount.
void CollectStationLines(TimetableRecord& t, uint16_t station, bool departures, bool arrivals,
                         const BoardFilter& filter, std::vector<StationLine>& out);

}  // namespace qo
