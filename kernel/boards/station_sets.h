#pragma once
// Station queries over the member stations of a virtual-list item, and the
// type words of the trains at stations.
#include <cstdint>
#include <vector>

#include "boards/board_core.h"
#include "boards/station_lines.h"
#include "load/timetable_record.h"

namespace qo {

// The member stations of `item` of `list` (list negative: the item is a
// station) into `out` (replaced); members outside the timetable's stations
// are left out. ErrVirtListIndex for a bad list, ErrStationIndex for an
// item or station out of range.
int ItemMemberStations(const TimetableRecord& t, int item, int list, std::vector<uint16_t>& out);

// The stations reached from (or leading to) any member station of the item,
// one byte per station into `marks` (replaced); with `target` not negative,
// one byte per item of that list instead, 1 when any of its member stations
// is marked. `scratch` is a work array the caller keeps. Errors as
// ItemMemberStations, and ErrVirtListIndex for a bad target.
int MarkReachableStationsVL(TimetableRecord& t, int item, int list, int target, bool from,
                            uint32_t mask1, uint32_t mask2, std::vector<uint8_t>& scratch,
                            std::vector<uint8_t>& marks);

// The lines at the member stations of the item, one record per number
// (`out` replaced).
int CollectStationLinesVL(TimetableRecord& t, int item, int list, bool departures, bool arrivals,
                          const BoardFilter& filter, std::vector<StationLine>& out);

// out[i] = OR of the type words of all trains with an event at stations[i]
// (0 for a station out of range).
void CollectArrDepTypes(TimetableRecord& t, const uint16_t* stations, int count, uint32_t* out);

}  // namespace qo
