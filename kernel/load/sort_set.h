#pragma once
// The two orders of the loaded set (and of the file list, which sorts by the
// same keys): by kind, area and first data day, or by name.
#include "load/timetable_record.h"

namespace qo {

// Sorts the set in the order LoadOptions().SortByName chooses. Ties keep
// their load order.
void SortLoadedSet();

// Whether a sorts before b in the chosen order.
bool TimetableBefore(TimetableRecord const& a, TimetableRecord const& b, bool byName);

}  // namespace qo
