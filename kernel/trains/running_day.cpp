#include "trains/running_day.h"

#include "trains/train_type.h"

namespace qo {

int IsTrainRunningOnDay(SearchFilter const& filter, TimetableRecord const& t, int dayIndex,
                        StationEvent const& event, uint16_t station, int* calendarDay) {
  if (calendarDay) *calendarDay = -1;
  const uint32_t train = event.Train();
  if (!t.TrainTypeWords.empty()) {
    // The stored word serves when every type passes: the type in force at
    // the station could not change the answer then.
    uint32_t word = (filter.TypeMask & t.TrainTypeMask) == t.TrainTypeMask
                        ? t.TrainTypeWords[static_cast<int32_t>(train)]
                        : GetTrainTypeWord(t, train, station);
    if (word & ~filter.TypeMask) return 0;
    if (!filter.WaiveRequired && (word & filter.RequiredAttributes) != filter.RequiredAttributes)
      return 0;
  }
  return RunsOnDayAnyType(filter, t, dayIndex, event, calendarDay) ? 1 : 0;
}

bool RunsOnDayAnyType(SearchFilter const& filter, TimetableRecord const& t, int dayIndex,
                      StationEvent const& event, int* calendarDay) {
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
