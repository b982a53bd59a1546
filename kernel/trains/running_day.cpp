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

}  // namespace qo
