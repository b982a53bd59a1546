#pragma once
// What a search leaves in each timetable: whether and with which train
// types the timetable takes part, the day it searches (or the day-type
// windows that stand for the calendar), the days-off table and the typical
// sets from which the day-type windows are made. One per TimetableRecord;
// it lives and dies with the record, so nothing here outlives the data it
// was derived from.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "trains/search_filter.h"

namespace qo {

// The derived sets: seven typical weeks (the reference day a Monday ..
// Sunday), working days and Sundays or holidays, each 25 windows.
inline constexpr int kTypicalMonday = 0;
inline constexpr int kTypicalWorkingDay = 7;
inline constexpr int kTypicalSundayOrHoliday = 8;
inline constexpr int kTypicalKinds = 9;
inline constexpr int kTypicalSetCount = kTypicalKinds * kDayTypeWindowCount;

// The search's inclusion word: 0 = the timetable takes no part, all bits =
// it takes part with every train type; otherwise the caller's type mask
// with 0x18000000 (group variants) added.
inline constexpr uint32_t kIncludeAll = 0xFFFFFFFF;
inline constexpr uint32_t kIncludeNone = 0;

// Change settings of one timetable: the values in force and the defaults
// they are reset to.
struct ChangeSettings {
  int32_t MaxChangeTime = 0;
  int32_t MinChangeTime = 0;
  int32_t DefaultMinTimes = 0;  // use the timetable's own per-station minimums
  int32_t ChangePenalty = 0;
  std::vector<std::vector<uint8_t>> PenaltyRows;  // by change type
};

// The timetable's search defaults, taken from the file at the first reset
// and changed by QoSetDefaultSearchInterval and QoSetDefaultMaxChange.
struct TimetableSearchDefaults {
  bool Taken = false;
  bool Present = false;  // a file without a direct window length has none
  int32_t MaxChanges = 0;
  int32_t WindowDirect = 0;
  int32_t WindowChanges = 0;
  int32_t DeltaMaxType = 0;
  int32_t DeltaMaxMetres = 0;
  int32_t DeltaMaxPercent = 0;
  int32_t RetriesDirect = 0;
  int32_t RetriesChanges = 0;
  ChangeSettings Change;
};

// Where a journey may alight, what counts as via and target, per station
// of the timetable; set by PrepareSearchMarks and the corridor before every
// engine run. Empty vectors until the first search.
struct SearchMarks {
  std::vector<int16_t> Alighting;  // 0: no ride alights here
  std::vector<uint8_t> Allowed;    // present only while a distance corridor applies
  std::vector<uint8_t> Target;     // 0: no To station; else 2 x group + 1 (+1 town-list mismatch)
  std::vector<uint16_t> StopVia;   // bit k: a station of via point k
  std::vector<uint16_t> PassVia;   // bit k: passes via point k
  std::vector<uint16_t> ArcPassVia;  // per arc of the station graph
};

// Scratch of the engines for this timetable (profiles, label chains, ride
// marks), sized once per loaded record by the engine that owns it.
struct EngineScratch;

struct TimetableSearchState {
  // The running test's view of this timetable: Filter.TypeMask is the
  // inclusion word; then the day searched, day-type mode and its windows.
  SearchFilter Filter;
  // The day offset saved before a window loop moves Filter.DayOffset.
  int32_t BaseDayOffset = 0;
  // The mask of day type 2 the windows were built for (the day type itself
  // is TimetableRecord::DayWindowMode).
  int32_t WindowMask = 0;

  // The train-type codes of the request found in the timetable's code
  // table: their mask pairs, and all of them OR-ed together.
  std::vector<uint64_t> CodePairs;
  uint64_t CodeMask = 0;

  ChangeSettings Change;
  TimetableSearchDefaults Defaults;
  // Left out of the selection of the last reset.
  bool LeftOutOfReset = false;

  SearchMarks Marks;
  std::shared_ptr<EngineScratch> Engine;

  // Walking links as the search sees them: a copy of the minute bytes that
  // QoEnableWalk switches, so that the image (and its CRC) stays as read.
  // Empty: the image's bytes hold.
  std::vector<int8_t> WalkMinutes;

  // The days-off table made from the Sundays when the file brings none
  // (TimetableRecord::HolidaysBuilt tells it is in use).
  std::vector<uint8_t> BuiltDaysOff;

  // The typical sets made from the calendar when the file stores none
  // (TimetableRecord::StoredWindowsBuilt): set k of kind j at
  // (j * 25 + k) * set bytes.
  std::vector<uint8_t> TypicalSets;
};

}  // namespace qo
