#pragma once
// Walks between stations: walking links inside a timetable (two stops of
// one town), links between timetables (the railway station and the bus
// stop in front of it) that the re-index gathers from the link records of
// all loaded timetables, the minutes a change from one to the other needs,
// and the default minimal change times.
//
// Stations passed here are checked by the caller.
#include <cstdint>
#include <vector>

#include "load/timetable_record.h"

namespace qo {

// The walking links of a station as stored: `count` entries of u16 target
// stations and i8 minutes (negative: switched off), in the image.
struct InternLinkRange {
  uint8_t const* targets = nullptr;
  uint8_t const* minutes = nullptr;
  int32_t count = 0;

  uint16_t Target(int32_t i) const { return LoadLE<uint16_t>(targets + 2 * i); }
  int8_t Minutes(int32_t i) const { return static_cast<int8_t>(minutes[i]); }
};

// The station's walking links; with `barrierFree` and barrier-free minutes
// in the timetable, those minutes instead of the plain ones.
InternLinkRange InternLinks(TimetableRecord const& t, uint16_t station, bool barrierFree);

// Entries in the timetable's own link records (links to other timetables
// as the file stores them, by station key).
int32_t OwnLinkEntryCount(TimetableRecord const& t);

// A station's links to stations of other loaded timetables, in the order of
// the set-wide table.
struct ExternLinkList {
  std::vector<int32_t> timetables;
  std::vector<uint16_t> stations;
  std::vector<int8_t> minutes;
};
void ExternLinks(TimetableRecord const& t, uint16_t station, ExternLinkList& out);

// True when station x of timetable p stands for station y of timetable q
// by its merge station key (or, without one, by the key of a neighbour it
// reaches on foot in 0 minutes).
bool MergeKeyNames(TimetableRecord const& p, uint16_t x, TimetableRecord const& q, uint16_t y);

// True when two stations of the loaded set are one place: the same station,
// or linked in the set-wide ring of same-key stations.
bool IsSamePlace(int timetableA, uint16_t stationA, int timetableB, uint16_t stationB);

// Minutes of the change from station A to station B (timetable indexes of
// the loaded set): the walking link inside one timetable; between
// timetables 0 for one place, else the set-wide link, else the walking link
// from A's counterpart in B's timetable. 0 also when no link is known.
int LinkMinutes(int timetableA, uint16_t stationA, int timetableB, uint16_t stationB,
                bool barrierFree);

// Default minimal change time at a station: the per-station table; else,
// with `byHour`, the value for the hour of `minute` (minutes of earlier days
// negative). ErrNotSupported when the timetable has no such table.
int DefaultChangeMinutes(TimetableRecord const& t, uint16_t station, bool byHour, int minute,
                         int* out);

}  // namespace qo
