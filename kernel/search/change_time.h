#pragma once
// The shortest change time at a station: its own when the timetable's
// station change times are in force, else the hour's from the timetable's
// table by hour, else the timetable's minimum change time.
#include <cstdint>

namespace qo {

struct TimetableRecord;

int32_t GetChangeTime(TimetableRecord const& t, uint16_t station, int32_t minute);

// The longest change time (minutes a journey may wait for its next train).
int32_t GetMaxChangeTime(TimetableRecord const& t);

}  // namespace qo
