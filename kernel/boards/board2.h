#pragma once
// A board whose entries carry each train's first and last stop beside its
// stop at the board's station, optionally only trains heading towards (or
// coming from) a second station.
#include <cstdint>
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

// Work arrays kept from call to call.
struct Board2Work {
  std::vector<uint8_t> marked;  // per train
  std::vector<int32_t> trains;
  std::vector<BoardEntry> board;
  std::vector<RouteRecord> route;
  std::vector<int32_t> fromStation, fromTowards, predecessors;
};

// The board of `station` (below StationCount); `towards` -1 or a station
// below StationCount. Neither arrivals nor departures means departures.
// `out` is replaced; sorted by the minute at the stop, then by train.
int CollectBoard2(TimetableRecord& t, uint16_t station, int towards, bool arrivals,
                  bool departures, const BoardFilter& filter, int mergeFlags, Board2Work& work,
                  std::vector<Board2Entry>& out);

}  // namespace qo
