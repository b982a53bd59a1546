#pragma once
// Closing timetables: a record leaves the set and is freed with everything
// it holds (image, extensions, derived data).

namespace qo {

// Closes the timetable at index, then runs the full re-index when asked, or
// else rebuilds the set's cross references so that nothing keeps pointing
// at the closed timetable or at the indexes that moved. False for a bad
// index.
bool CloseTimetable(int index, bool reindex);

// Closes every timetable from the last to the first; only the last close
// runs the full re-index.
void CloseAllTimetables();

}  // namespace qo
