#pragma once
// Steps of the re-index that belong to other parts of the kernel. Each is a
// plain function that the re-index calls at its place in the order; the
// module that owns the step gives it its body (and takes the definition
// over from reindex_hooks.cpp).
namespace qo {

// Resets the connection-search parameters to the defaults of the timetables
// now loaded (their per-timetable arrays follow the set). Filled by the
// search parameters.
void ResetConnParms();

// Marks stations of different timetables that share a name (bit 0x04 of
// their station type words, through SetDerivedStationTypeBits) and drops
// the global-list set, which names timetables by index. Filled by the global
// lists.
void MarkSameNameStations();

}  // namespace qo
