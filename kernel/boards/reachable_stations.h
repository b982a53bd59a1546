#pragma once
// The stations a station's trains go on to, or come from.
#include <cstdint>
#include <vector>

#include "load/timetable_record.h"

namespace qo {

// Marks (sets to 1) in `marks` (StationCount bytes) every station that a
// train leaving `station` calls at after it (`from`), or that a train
// reaching it called at before (not `from`); never the station itself.
// Trains pass when their type word lies within mask1 and meets mask2.
// `station` must be below StationCount.
void MarkReachableStations(TimetableRecord& t, uint16_t station, bool from, uint32_t mask1,
                           uint32_t mask2, std::vector<uint8_t>& marks);

}  // namespace qo
