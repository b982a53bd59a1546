#pragma once
// Closing timetables: a record leaves the set and is freed with everything
// it holds (image, extensions, derived data).

namespace qo {

// Closes the timetable at index. The caller then runs the full re-index or
// RebuildSetReferences, so that nothing keeps pointing at the closed
// timetable or at the indexes that moved. False for a bad index.
bool CloseTimetable(int index);

// Closes every timetable from the last to the first; the caller runs the
// full re-index after.
void CloseAllTimetables();

}  // namespace qo
