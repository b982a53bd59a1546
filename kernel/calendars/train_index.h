#pragma once
// The train index rule of the calendar and service-code exports: 0 to
// TrainCount - 1, anything else is error 6. (A stand-in until the trains
// module offers one check for every export that takes a train.)
#include <cstdint>

#include "load/timetable_record.h"

namespace qo {

inline bool IsTrainIndex(const TimetableRecord& t, int train) {
  return train >= 0 && static_cast<uint32_t>(train) < t.TrainCount;
}

inline bool IsStationIndex(const TimetableRecord& t, int station) {
  return station >= 0 && static_cast<uint32_t>(station) < t.StationCount;
}

}  // namespace qo
