#pragma once
// What the running test reads for one timetable, and what the day-type
// calendars derive for it: the filter (inclusion word, the day searched or
// the day-type windows that stand for the calendar), the days-off table made
// from the Sundays and the typical sets the windows are made from. The
// record holds it through a forward-declared pointer (the loader knows
// nothing of calendars); it lives and dies with the record, so nothing here
// outlives the data it was derived from.
#include <cstdint>
#include <memory>
#include <vector>

#include "load/timetable_record.h"
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

struct DayTypeState {
  // The running test's view of this timetable: Filter.TypeMask is the
  // inclusion word; then the day searched, day-type mode and its windows.
  SearchFilter Filter;
  // The day offset saved before a window loop moves Filter.DayOffset.
  int32_t BaseDayOffset = 0;
  // The mask of day type 2 the windows were built for (the day type itself
  // is TimetableRecord::DayWindowMode).
  int32_t WindowMask = 0;
  // The day (today) the windows and the typical sets were made on: the
  // sets describe the month from today, so a new day makes them anew.
  int32_t WindowToday = -1;
  int32_t TypicalToday = -1;

  // The days-off table made from the Sundays when the file brings none
  // (TimetableRecord::HolidaysBuilt tells it is in use).
  std::vector<uint8_t> BuiltDaysOff;

  // The typical sets made from the calendar when the file stores none
  // (TimetableRecord::StoredWindowsBuilt): set k of kind j at
  // (j * 25 + k) * set bytes.
  std::vector<uint8_t> TypicalSets;
};

// The timetable's state, made on first use.
inline DayTypeState& DayTypesOf(TimetableRecord& t) {
  if (!t.DayTypes) t.DayTypes = std::make_shared<DayTypeState>();
  return *t.DayTypes;
}

// Without making it: the defaults (every train type, day offset 0) until a
// caller with a writable record made it.
inline DayTypeState const& DayTypesOf(TimetableRecord const& t) {
  static DayTypeState const defaults;
  return t.DayTypes ? *t.DayTypes : defaults;
}

}  // namespace qo
