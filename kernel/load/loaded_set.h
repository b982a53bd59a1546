#pragma once
// The set of loaded timetables. Records keep stable heap addresses: the set
// holds pointers, so growing, shrinking or sorting it never moves a record.
#include <cstddef>
#include <vector>

namespace qo {

struct TimetableRecord;

std::vector<TimetableRecord*>& LoadedSet();

inline int LoadedCount() { return static_cast<int>(LoadedSet().size()); }

// The record at a timetable index, or null when the index is outside
// 0..count-1.
TimetableRecord* TimetableAt(int index);

}  // namespace qo
