#pragma once
// Station points of the GIS map: a station's point, the point of a station
// key, and the stations nearest to a place over the loaded set.
#include <cstdint>
#include <vector>

#include "load/timetable_record.h"

namespace qo {

// The station's point; false (x, y untouched) when the timetable has no
// map, the station is outside the timetable or has no point.
bool GisStationPoint(TimetableRecord const& t, int32_t station, int32_t* x, int32_t* y);

// The first point of the station point table whose stored key equals
// `key`. The key -1 stands for "no station" and never matches.
bool GisKeyPoint(TimetableRecord const& t, int32_t key, int32_t* x, int32_t* y);

struct CircleStation {
  int64_t Distance;
  int32_t Timetable;
  int32_t Station;
};

struct CircleQuery {
  const int* Selection = nullptr;  // per loaded timetable, non-zero = searched; null = all
  int32_t X = 0;
  int32_t Y = 0;  // taken as minus its absolute value
  int32_t MinimumCount = 0;
  int64_t SoftLimit = 0;
  int64_t Radius = 0;  // 0 = any distance
  int32_t Capacity = 0;
};

// The stations with a point, nearest first (then by timetable and station),
// at most Capacity; past the first MinimumCount only those not farther
// than SoftLimit. Distances are whole map units, truncated. `work` is the
// caller's scratch array, reused between calls.
void StationsInCircle(CircleQuery const& q, std::vector<CircleStation>& work,
                      std::vector<CircleStation>& out);

}  // namespace qo
