#pragma once
// The trains that run straight from one station to the next over given arcs
// (pairs of station keys), optionally within a window of days and minutes:
// the traffic over a section of line. Only the trains that call at an arc's
// first station are looked at, found through that station's events.
#include <cstdint>
#include <vector>

#include "load/timetable_record.h"

namespace qo {

struct ArcTrainQuery {
  int32_t const* fromKeys = nullptr;
  int32_t const* toKeys = nullptr;
  int32_t arcCount = 0;
  bool skipForeign = false;  // leave out trains that run only abroad
  // Start day = end day = 0: no window.
  int32_t startDay = 0, startMinute = 0;
  int32_t endDay = 0, endMinute = 0;
  uint32_t allBits = 0xFFFFFFFF;   // a type word has no bit outside it
  uint32_t someBits = 0xFFFFFFFF;  // and shares one with it
};

// What the query reuses from call to call.
struct ArcTrainWork {
  std::vector<uint8_t> stationMarks;  // per station: an end of a kept arc
  std::vector<uint32_t> arcs;         // kept arcs as from << 16 | to, sorted
  std::vector<uint32_t> candidates;   // trains calling at a first station
};

// Intervals of minutes on the 24-hour circle, [a, b] and [c, d]: true when
// one holds an end of the other, each measured forward from its start.
bool MinuteIntervalsMeet(int a, int b, int c, int d);

// Per train 1 when it runs only abroad: fewer than two stop words, or every
// stop word but the last at a foreign station. Built once per timetable.
std::vector<uint8_t> const& ForeignRunMarks(TimetableRecord& t);

// Appends, in train order and each train once, the trains that stop at an
// arc's two (distinct) stations one straight after the other, with the
// station where the arc starts. `trains` and `stations` are replaced.
void TrainsOnArcs(TimetableRecord& t, ArcTrainQuery const& query, ArcTrainWork& work,
                  std::vector<int32_t>& trains, std::vector<int32_t>& stations);

}  // namespace qo
