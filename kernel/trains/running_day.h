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
bool RunsOnDayAnyType(SearchFilter const& filter, TimetableRecord const& t, int dayIndex,
                      StationEvent const& event, int* calendarDay = nullptr);

}  // namespace qo
