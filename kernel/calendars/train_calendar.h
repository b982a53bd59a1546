#pragma once
// The running-day calendar of a timetable, and whether a train runs.
//
// Trains with equal running days share a calendar class (an i16 per
// train). The calendar keeps, per day of validity, the bit set of the
// classes that run that day (bit c in byte c / 8): a train runs on day d
// when its class bit is set in set d. The days are the days on which the
// train leaves its first stop; a train met at a later stop after midnight
// left one or more days earlier, which the day steps of its stops tell.
//
// By day type (calendars/day_type_calendars.h) 25 windows around the day
// asked for stand in for the calendar.
//
// Cores return 0 or a kernel error code and never set the last error.
#include <cstdint>
#include <vector>

#include "load/timetable_record.h"
#include "trains/running_day.h"

namespace qo {

// The train's calendar class (0 for a timetable without classes). `train`
// is below TrainCount.
inline int32_t TrainCalendarClass(TimetableRecord const& t, uint32_t train) {
  return t.CalendarClass.empty() ? 0 : t.CalendarClass[static_cast<int32_t>(train)];
}

// True when the class runs on calendar day `dayIndex` (counted from the
// first day of validity); false outside the calendar.
inline bool ClassRunsOnCalendarDay(TimetableRecord const& t, int32_t calendarClass,
                                   int64_t dayIndex) {
  if (dayIndex < 0 || dayIndex >= static_cast<int64_t>(t.RunningDayCalendar.size())) return false;
  RecordArray const& set = t.RunningDayCalendar[static_cast<size_t>(dayIndex)];
  return !set.empty() && ClassRunsIn(set.At(0), set.bytes(), calendarClass);
}

// The stop word of a train that the calendar queries look at, and the
// train's day offset there (days since it left its first stop).
struct CalendarStop {
  int32_t index = 0;
  int dayOffset = 0;
};

// Finds the train's stop at `station` (negative: its first stop). Without
// `departure` the first word at the station; with it the word the train
// leaves from: never the train's last word, and of two words at the station
// the later. False when the train does not call there. Decodes the train
// into the timetable's current stop list.
bool FindCalendarStop(TimetableRecord& t, uint32_t train, int32_t station, bool departure,
                      CalendarStop* out);

// A date or a day type as the exports take them: a year of 0 makes `day`
// the day type and `month` its weekday mask.
struct RunDay {
  int day = 0;
  int month = 0;
  int year = 0;
};

// Whether the train runs on the date (a day number) at the station
// (negative: its first stop). ErrStationIndex when the station is not on
// its route, ErrDateOutOfRange when the day the train left lies outside
// the calendar.
int TrainRunsOnDate(TimetableRecord& t, uint32_t train, int32_t date, int32_t station,
                    bool departure, bool* runs);

// Whether the train runs on the day type at the station, the running test
// switched to the day type's windows. `dayShift` moves the day asked for
// (a stop timetable asks for the day on which the train reaches a later
// stop); the exports pass 0. ErrDate for a day type that does not exist,
// ErrStationIndex as above.
int TrainRunsOnDayType(TimetableRecord& t, uint32_t train, int dayType, int weekdayMask,
                       int32_t station, bool departure, int dayShift, bool* runs);

// Either of the two. ErrDate also for a date that does not exist.
int TrainRunsOn(TimetableRecord& t, uint32_t train, RunDay const& when, int32_t station,
                bool departure, bool* runs);

// Days between the train's first stop and its stop at the station (0 when
// it does not call there).
int TrainDayOffsetAt(TimetableRecord& t, uint32_t train, uint16_t station, bool departure);

// True when the train's class runs on every day of the calendar.
bool TrainRunsEveryDay(TimetableRecord const& t, uint32_t train);

// One byte per calendar day, 1 where the train runs.
void TrainRunningDays(TimetableRecord const& t, uint32_t train, std::vector<uint8_t>& out);

}  // namespace qo
