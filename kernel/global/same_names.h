#pragma once
// A step of the re-index (api/loaded_set_steps.cpp runs it).

namespace qo {

// Marks stations of different timetables that share a name (bit 0x04 of
// their station type words, through SetDerivedStationTypeBits) and drops
// the global-list set, which names timetables by index.
void MarkSameNameStations();

}  // namespace qo
