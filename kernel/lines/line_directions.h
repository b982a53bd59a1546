#pragma once
// The lines of a timetable and the directions of a line: the distinct stop
// sequences its trips run in a day, a week or a day type, merged (a shorter
// sequence that a longer one covers joins it) and ranked by how many trips
// run them.
//
// Cores fill caller-owned containers and return 0 or a kernel error code;
// they never set the last error.
#include <cstdint>
#include <vector>

#include "lines/line_validity.h"
#include "load/timetable_record.h"

namespace qo {

inline constexpr uint32_t kRareTripBit = 0x00400000;
inline constexpr uint32_t kDirectionFlagBit = 0x00200000;

// True when the train's type word lies inside the mask (or the timetable
// has no type words).
bool TripInsideMask(TimetableRecord const& t, uint32_t train, uint32_t mask);

// The train's line number; 0 without a number table.
inline int32_t LineNumberOf(TimetableRecord const& t, uint32_t train) {
  return t.MainNumbers.Values.empty() ? 0 : t.MainNumbers.Values[static_cast<int32_t>(train)];
}

// The run of trips with `train`'s number that holds it: its first trip and
// the trip after its last. Any trip of a line stands for the whole line.
uint32_t LineRunBegin(TimetableRecord const& t, uint32_t train);
uint32_t LineRunEnd(TimetableRecord const& t, uint32_t train);

// The representative (first) trip of every line whose type word lies inside
// the mask, in train order.
void CollectLineTrains(TimetableRecord const& t, uint32_t mask, std::vector<int32_t>& out);

// Whether the later of two consecutive words at one station, with time word
// `time`, is a stop of its own rather than the departure of the same stop: a
// request stop without the no-alighting bit, in a timetable without train
// continuations.
bool LaterWordIsOwnStop(TimetableRecord const& t, uint16_t time);

// The stop words (time low, station high) of a stop list with one word per
// station visit: of two consecutive words at one station the earlier goes,
// unless the later is a stop of its own (LaterWordIsOwnStop).
void CollapseRepeatedStops(TimetableRecord const& t, uint8_t const* words, int32_t count,
                           std::vector<uint32_t>& out);

inline uint16_t WordStation(uint32_t word) { return static_cast<uint16_t>(word >> 16); }
inline uint16_t WordTime(uint32_t word) { return static_cast<uint16_t>(word); }

struct LineDirection {
  int32_t weight = 0;  // trips that joined after the first
  int32_t flag = 0;    // type bit 0x200000 of the first trip
  std::vector<uint32_t> stops;
  int32_t firstTrip = 0;
  std::vector<uint8_t> endMarks;  // filled by MarkDirectionEnds
};

struct DirectionRequest {
  uint32_t mask = 0xFFFFFFFF;
  uint32_t train = 0;                // any trip of the line
  int day = 0, month = 0, year = 0;  // year 0: day type and weekday mask
  bool week = false;
};

// The directions of the line in their final order. ErrDate for a date that
// does not convert; no directions without a number table.
int CollectLineDirections(TimetableRecord& t, LineSettings const& settings,
                          DirectionRequest const& request, std::vector<LineDirection>& out);

// Marks per station of each direction: 1 at both ends, and where two
// directions share equal-named ends, at the first intermediate station of
// each that the other lacks.
void MarkDirectionEnds(TimetableRecord& t, std::vector<LineDirection>& directions);

}  // namespace qo
