#pragma once
// What a search (or a board, or a stop timetable) asks of the trains of one
// timetable: which train types take part, which attributes they must carry,
// and which day is searched, by date or by day type. The running test of the
// train data access reads it; the search sets it up per request.
#include <array>
#include <cstdint>
#include <vector>

namespace qo {

// Offsets -12..+12 around the day searched by day type.
inline constexpr int kDayTypeWindowCount = 25;
inline constexpr int kDayTypeWindowCentre = 12;

struct SearchFilter {
  // The timetable's inclusion word: a train's type word must lie inside it
  // (every bit it has set also set here). All bits: every train type.
  uint32_t TypeMask = 0xFFFFFFFF;
  // Attribute bits a train must carry, unless the search waives them.
  uint32_t RequiredAttributes = 0;
  bool WaiveRequired = false;

  // Searching by day type instead of by date.
  bool DayTypeMode = false;
  // The day searched, as the position that day index 0 has: by date the
  // search day minus the timetable's first day of validity (an index into
  // the running-day calendar); by day type the position among the windows
  // below (kDayTypeWindowCentre for the day asked for, moved by the window
  // shifts of the search).
  int32_t DayOffset = 0;
  // By day type: per window, a bit set over the calendar classes of the
  // same form as a day of the running-day calendar.
  std::array<std::vector<uint8_t>, kDayTypeWindowCount> DayTypeWindows{};
};

}  // namespace qo
