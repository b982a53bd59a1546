#pragma once
// The train a board shows at a station on a date: where a through train is
// stored as several trains (a local part inside a longer run), the part
// that carries the journey at that station.
#include <cstdint>
#include <vector>

#include "calendars/train_calendar.h"
#include "load/timetable_record.h"

namespace qo {

// The train to show instead of `train` at `station` on the day: the train
// itself when the station is negative, when it does not run then, or when
// no other train of the same minute at the station qualifies. `train`
// must be below TrainCount and `station` below StationCount (or negative).
// *error gets the running test's error (0 for none).
int32_t FindLocalTrain(TimetableRecord& t, uint32_t train, int32_t station, const RunDay& when,
                       bool departure, int* error);

}  // namespace qo
