#pragma once
// The set of loaded timetables and the set-wide index built over it.
//
// Records keep stable heap addresses: the set holds pointers, so growing,
// shrinking or sorting it never moves a record. A timetable's index is its
// position in the set and changes with every load (sorting) and close
// (removal); whatever refers to another timetable keeps its index and is
// rebuilt by the re-index.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qo {

struct TimetableRecord;

std::vector<TimetableRecord*>& LoadedSet();

inline int LoadedCount() { return static_cast<int>(LoadedSet().size()); }

// The record at a timetable index, or null when the index is outside
// 0..count-1.
TimetableRecord* TimetableAt(int index);

// The index of a record in the set, -1 when it is not (or no longer) in it.
int IndexOfTimetable(TimetableRecord const* record);

// Set-wide station numbering and what hangs on it; rebuilt by every
// re-index.
struct SetIndex {
  // SetStations: set-wide number -> timetable index and station.
  std::vector<int32_t> StationTimetable;
  std::vector<uint16_t> StationIndex;
  // Per set-wide number: the same-key station of the next timetable of its
  // merge group (the last points back to the first), -1 when merged with
  // none.
  std::vector<int32_t> MergedStationRing;
  // A city-transport timetable is linked to the town of another timetable.
  bool LinkedCity = false;
  // A bus timetable follows a rail timetable in the set.
  bool TownsShared = false;
  // Advanced whenever timetables are loaded or closed: what was made from
  // older data (a search handle) knows itself stale.
  uint32_t DataGeneration = 0;
};

SetIndex& LoadedSetIndex();

// Loading choices that stay for the life of the process.
struct LoadSettings {
  // Sort the set and the file list by name (decoration, path) instead of
  // kind, area and date.
  bool SortByName = false;
  // Bit n set: extension files of type n (0..5) are skipped.
  uint32_t SkippedExtensionTypes = 0;
  // Where QoInit and QoMakeListExt look when the caller names no directory;
  // empty until a caller sets one (the library's own directory stands).
  std::string DataDirectory;
};

LoadSettings& LoadOptions();

// Records being loaded are pinned: closing one (from the caller's load
// callback) takes it out of the set but leaves freeing it to the loader,
// which is still working on it and sees afterwards that it was cancelled.
void PinLoadingRecord(TimetableRecord* record);
void UnpinLoadingRecord(TimetableRecord* record);
bool IsLoadingRecord(TimetableRecord const* record);

}  // namespace qo
