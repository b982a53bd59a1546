#include "calendars/train_calendar.h"

#include "calendars/day_type_calendars.h"
#include "calendars/day_type_state.h"
#include "dates/day_number.h"
#include "frame/error_codes.h"
#include "trains/train_stops.h"

namespace qo {

bool FindCalendarStop(TimetableRecord& t, uint32_t train, int32_t station, bool departure,
                      CalendarStop* out) {
  *out = {};
  if (station < 0) return true;
  const StopList stops = DecodeTrainStops(t, train);
  int dayOffset = 0;
  for (int32_t i = 0; i < stops.count; ++i) {
    dayOffset += GetStopDayStep(t, stops, i);
    if (stops.Station(i) != station) continue;
    if (departure) {
      const int32_t last = stops.count - 1;
      if (i == last) break;
      // Of an arrival and a departure word the train leaves from the later.
      if (stops.Station(i + 1) == station && i + 1 != last) continue;
    }
    *out = {i, dayOffset};
    return true;
  }
  return false;
}

int TrainRunsOnDate(TimetableRecord& t, uint32_t train, int32_t date, int32_t station,
                    bool departure, bool* runs) {
  *runs = false;
  CalendarStop stop;
  if (!FindCalendarStop(t, train, station, departure, &stop)) return ErrStationIndex;
  const int64_t day = int64_t{date} - t.FirstDay - stop.dayOffset;
  if (day < 0 || day >= static_cast<int64_t>(t.RunningDayCalendar.size())) return ErrDateOutOfRange;
  *runs = ClassRunsOnCalendarDay(t, TrainCalendarClass(t, train), day);
  return 0;
}

int TrainRunsOnDayType(TimetableRecord& t, uint32_t train, int dayType, int weekdayMask,
                       int32_t station, bool departure, int dayShift, bool* runs) {
  *runs = false;
  if (!IsValidDayType(dayType, weekdayMask)) return ErrDate;
  PrepareDayTypeCalendars(t, dayType, weekdayMask);
  CalendarStop stop;
  if (!FindCalendarStop(t, train, station, departure, &stop)) return ErrStationIndex;
  int const offset = -dayShift - stop.dayOffset;
  if (offset < -kDayTypeWindowCentre || offset > kDayTypeWindowCentre) return 0;
  std::vector<uint8_t> const& window =
      DayTypesOf(t).Filter.DayTypeWindows[static_cast<size_t>(offset + kDayTypeWindowCentre)];
  *runs =
      ClassRunsIn(window.data(), static_cast<int32_t>(window.size()), TrainCalendarClass(t, train));
  return 0;
}

int TrainRunsOn(TimetableRecord& t, uint32_t train, RunDay const& when, int32_t station,
                bool departure, bool* runs) {
  if (when.year == 0)
    return TrainRunsOnDayType(t, train, when.day, when.month, station, departure, 0, runs);
  *runs = false;
  const DayNumber date = DmyToDay(when.year, when.month, when.day);
  if (date == kNoDate) return ErrDate;
  return TrainRunsOnDate(t, train, date, station, departure, runs);
}

int TrainDayOffsetAt(TimetableRecord& t, uint32_t train, uint16_t station, bool departure) {
  CalendarStop stop;
  return FindCalendarStop(t, train, station, departure, &stop) ? stop.dayOffset : 0;
}

bool TrainRunsEveryDay(TimetableRecord const& t, uint32_t train) {
  const int32_t calendarClass = TrainCalendarClass(t, train);
  for (size_t day = 0; day < t.RunningDayCalendar.size(); ++day)
    if (!ClassRunsOnCalendarDay(t, calendarClass, static_cast<int64_t>(day))) return false;
  return true;
}

void TrainRunningDays(TimetableRecord const& t, uint32_t train, std::vector<uint8_t>& out) {
  const int32_t calendarClass = TrainCalendarClass(t, train);
  out.resize(t.RunningDayCalendar.size());
  for (size_t day = 0; day < out.size(); ++day)
    out[day] = ClassRunsOnCalendarDay(t, calendarClass, static_cast<int64_t>(day)) ? 1 : 0;
}

}  // namespace qo
