#pragma once
// Searching by day type instead of by date: "a working day", "a Sunday or
// holiday", "these weekdays", "any day from today on", "any day". A day
// type has no calendar day, so each timetable gets 25 windows (offsets -12
// to +12 around the day asked for) that stand for the running-day calendar:
// per window the calendar classes that typically run there. They are made
// from typical sets that describe the coming month (today to today + 30):
// a class is typical for a kind of day when, over the days of that kind in
// the month, it misses at most a small tolerance and runs more often than
// it misses.
//
// Everything here is per timetable and cached in TimetableRecord::Search:
// the typical sets once per loaded record, the windows again only when the
// day type (or its weekday mask) changes.
#include <cstdint>

#include "load/timetable_record.h"

namespace qo {

enum DayType : int {
  DayTypeWorkingDay = 0,
  DayTypeSundayOrHoliday = 1,
  DayTypeWeekdays = 2,  // the weekdays of a mask, bit 0 Monday .. bit 6 Sunday
  DayTypeFromToday = 3,
  DayTypeEveryDay = 5,
};

// True for the day types above; type 2 needs a weekday in the low 7 bits of
// the mask.
bool IsValidDayType(int dayType, int weekdayMask);

// The timetable's days-off table: one byte per day of validity (1 = a day
// off). The file's own table, or else one made from the Sundays on first
// use (TimetableRecord::HolidaysBuilt is then 1).
struct DaysOffTable {
  uint8_t const* days = nullptr;
  int32_t count = 0;

  // `dayIndex` counts from the first day of validity; outside: not marked.
  bool Marked(int64_t dayIndex) const {
    return dayIndex >= 0 && dayIndex < count && days[dayIndex] != 0;
  }
};
DaysOffTable EnsureDaysOffTable(TimetableRecord& t);

// The day tests that the day types and the fares share (day 0, 1 January
// 1900, is a Monday).
bool IsWorkingDay(TimetableRecord& t, int32_t day);
bool IsSundayOrHoliday(TimetableRecord& t, int32_t day);

// Bytes of one class bit set (a day of the calendar, a window); 0 for a
// timetable without calendar.
inline int32_t CalendarSetBytes(TimetableRecord const& t) {
  return t.RunningDayCalendar.empty() ? 0 : t.RunningDayCalendar[0].bytes();
}

// Typical set `window` (0..24 for offsets -12..+12) of a kind
// (kTypicalMonday + weekday, kTypicalWorkingDay, kTypicalSundayOrHoliday):
// the file's stored set when it brings them, else the one built here on
// first use. CalendarSetBytes(t) bytes; null for a stored set left empty
// (no class).
uint8_t const* TypicalSet(TimetableRecord& t, int kind, int window);

// Makes the timetable's running test read the windows of the day type
// (built anew when they were built for another type or mask) around the
// day asked for (offset 12). The caller has checked the day type.
void PrepareDayTypeCalendars(TimetableRecord& t, int dayType, int weekdayMask);

// The same for every loaded timetable, as a search by day type needs.
void PrepareDayTypeCalendarsForAll(int dayType, int weekdayMask);

}  // namespace qo
