#pragma once
// Whether a train event at a station takes part in a search on a day.
#include <cstdint>

#include "load/timetable_record.h"
#include "trains/search_filter.h"
#include "trains/station_events.h"

namespace qo {

// True when the calendar class `calendarClass` has its bit in `set`.
inline bool ClassRunsIn(uint8_t const* set, int32_t setBytes, int32_t calendarClass) {
  return calendarClass >= 0 && calendarClass / 8 < setBytes &&
         (set[calendarClass / 8] >> (calendarClass % 8) & 1) != 0;
}

// Non-zero when the event's train passes the filter's type masks and runs
// on the day `dayIndex` days after the day searched, counting from the
// event's own day (an event a day after the train's first departure tests
// the train's run one day earlier). *calendarDay (may be null) gets the
// day of the running-day calendar that was read, -1 when none was (day-type
// mode, filtered out, outside the calendar).
int IsTrainRunningOnDay(SearchFilter const& filter, TimetableRecord const& t, int dayIndex,
                        StationEvent const& event, uint16_t station, int* calendarDay);

// The day half of the test above: whether the event's train runs on that
// day, whatever its type. The type in force may change along a train's
// route, so a test made at one station for a ride boarded at another
// leaves the types out.
inline bool RunsOnDayAnyType(SearchFilter const& filter, TimetableRecord const& t, int dayIndex,
                             StationEvent const& event, int* calendarDay = nullptr) {
  if (calendarDay) *calendarDay = -1;
  const uint32_t train = event.Train();
  const int32_t day = filter.DayOffset + dayIndex - event.DayOffset();
  const int32_t calendarClass =
      t.CalendarClass.empty() ? 0 : t.CalendarClass[static_cast<int32_t>(train)];
  if (filter.DayTypeMode) {
    if (day < 0 || day >= kDayTypeWindowCount) return false;
    std::vector<uint8_t> const& set = filter.DayTypeWindows[static_cast<size_t>(day)];
    return ClassRunsIn(set.data(), static_cast<int32_t>(set.size()), calendarClass);
  }
  if (day < 0 || day >= static_cast<int32_t>(t.RunningDayCalendar.size())) return false;
  if (calendarDay) *calendarDay = day;
  RecordArray const& set = t.RunningDayCalendar[static_cast<size_t>(day)];
  return ClassRunsIn(set.At(0), set.bytes(), calendarClass);
}

}  // namespace qo
