#pragma once
// Trains marked as running only within a region group (type bit 31) may be
// offered between two stations only when both lie in one group. A group is
// the part of a region name before its first '-', for names marked with a
// leading '*'.
#include "load/timetable_record.h"

namespace qo {

// True when the timetable has no regions, when both stations have the same
// region, or when neither region name starts with '*'; otherwise true only
// when the two names agree up to their first '-' (at most 19 characters
// each). Both stations must be below StationCount.
bool AreStationsInSameRegionGroup(const TimetableRecord& t, int station1, int station2);

}  // namespace qo
