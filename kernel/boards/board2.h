#pragma once
// A board whose entries carry each train's first and last stop beside its
// stop at the board's station, optionally only trains heading towards (or
// coming from) a second station.
#include <cstdint>
#include <string>
#include <vector>

#include "boards/board_core.h"
#include "load/timetable_record.h"
#include "trains/train_route.h"

namespace qo {

// One entry (52 bytes).
struct Board2Entry {
  int32_t train;
  RouteRecord first;
  RouteRecord last;
  RouteRecord stop;  // at the board's station
};
static_assert(sizeof(Board2Entry) == 52);

// Merge flags: fields in which two neighbouring entries must agree for the
// second to be dropped.
inline constexpr int kMergeStopDeparture = 0x001;
inline constexpr int kMergeStopArrival = 0x002;
inline constexpr int kMergeFirstStation = 0x004;
inline constexpr int kMergeLastStation = 0x008;
inline constexpr int kMergeFirstDeparture = 0x010;
inline constexpr int kMergeLastArrival = 0x020;
inline constexpr int kMergeNumber = 0x040;  // number text at the board's station
inline constexpr int kMergeName = 0x080;    // name text there
inline constexpr int kMergeType = 0x100;    // type there
inline constexpr int kMergeGeneralRemarks = 0x200;

struct Board2Request {
  uint16_t station = 0;  // below StationCount
  int towards = -1;      // -1 or a station below StationCount
  // Trains that pass the arcs the timetable lists as leading towards
  // `towards` head that way too.
  bool usePassVia = false;
  bool arrivals = false;
  bool departures = false;  // neither: departures
  int mergeFlags = 0;
};

// Work arrays kept from call to call.
struct Board2Work {
  std::vector<uint8_t> marked;  // per train
  std::vector<int32_t> trains;
  std::vector<BoardEntry> board;
  std::vector<RouteRecord> route;
  std::vector<int32_t> fromStation, fromTowards, predecessors;
  std::vector<uint8_t> arcMarks;  // per arc: leads towards the second station
  // Texts of the entries at the board's station, for the merge flags.
  std::vector<std::string> numbers, names;
  std::vector<int32_t> types;
  std::vector<uint16_t> routeA, routeB;
  std::string remarkA, remarkB;
};

// The board; `out` is replaced, sorted by the minute at the stop, then by
// train, with group variants of one train that say the same running days
// and entries that agree in the merge flags' fields folded into one.
int CollectBoard2(TimetableRecord& t, Board2Request const& request, BoardFilter const& filter,
                  Board2Work& work, std::vector<Board2Entry>& out);

}  // namespace qo
