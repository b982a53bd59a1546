#pragma once
// Seeded random timetables for checking the search engine against the
// reference router: a few lines over a handful of stations, each run
// several times a day in either direction, some trips crossing midnight,
// some trains running on a few days only, random change times.
#include <cstdint>

#include "writer/timetable_model.h"

namespace qo::test {

inline constexpr uint16_t kNetworkSearchDay = writer::DayNumberOf(2025, 6, 11);

writer::TimetableModel RandomNetwork(uint32_t seed);

}  // namespace qo::test
