#pragma once
// A seeded national-size network for the search benchmark: a rail, a bus
// and a city timetable over one grid of places, about 30,000 stations and
// 50,000 trips a day of about 20 stops at scale 1, fifty calendar classes
// over a year, walking links between neighbouring stops, the bus and city
// stops that stand at a rail station merged with it and linked to it, and
// long lines along rows and columns of each grid that join the short ones
// and, through the merged stops, the grids.
#include <cstdint>
#include <vector>

#include "writer/timetable_model.h"
#include "writer/timetable_writer.h"

namespace qo::bench {

struct GeneratedNetwork {
  std::vector<writer::TimetableModel> timetables;  // rail, bus, city
  writer::WriteOptions options;
};

GeneratedNetwork GenerateNetwork(uint32_t seed, double scale);

// A day of the generated calendars on which most classes run (a Wednesday).
inline constexpr uint16_t kGeneratedSearchDay = writer::DayNumberOf(2025, 6, 11);

}  // namespace qo::bench
