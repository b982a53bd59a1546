#pragma once
// A train's route as the interface hands it out: one record per stop (a
// stop of two stop words, arrival and departure, is one record), and its
// route by regions with the distances driven.
#include <cstdint>
#include <vector>

#include "load/timetable_record.h"

namespace qo {

// One stop, laid out as the interface's 16-byte route record.
struct RouteRecord {
  uint16_t Station = 0;
  int16_t Arrival = -1;    // minute of day; -1 where the train only departs
  int16_t Departure = -1;  // minute of day; -1 at the last stop
  int16_t ArrivalDay = 0;  // midnights crossed since the first stop
  int16_t DepartureDay = 0;
  uint16_t Flags = 0;     // stop flags 0x0800, 0x1000, 0x4000, 0x8000
  int32_t Distance = -1;  // from the first stop; -1 without distances
};
static_assert(sizeof(RouteRecord) == 16);

// The train's route into `out` (cleared first). Decodes the train into the
// timetable's stop list.
void BuildTrainRoute(TimetableRecord& t, uint32_t train, std::vector<RouteRecord>& out);

// How a stop's times must meet a ride's minutes for the ride to board or
// alight there. A stop's minute and the ride's are compared as minutes of
// day, so that a stop kept at 24:00 meets an arrival at midnight.
enum class RideMatch {
  // Boarding by the departure, alighting by the arrival (the departure at
  // a stop of one word), both taken as minutes of day.
  OwnTime,
  // Boarding and alighting by the arrival or the departure, both taken as
  // minutes of day.
  EitherTime,
};

// Where a ride boards and alights along a train's route: the first stop at
// `from` whose time meets `departureMinute`, then the first stop after it at
// `to` whose time meets `arrivalMinute`. -1 where there is none (and the
// alighting stop is not looked for without a boarding stop).
struct RideStops {
  int32_t Board = -1;
  int32_t Alight = -1;
};
RideStops FindRideStops(std::vector<RouteRecord> const& route, int32_t from,
                        int32_t departureMinute, int32_t to, int32_t arrivalMinute,
                        RideMatch match);

// Per stop word: the station's region and the cumulative distance; with
// `changesOnly` only the first and the last stop and the stops whose region
// differs from the stop before or after. Empty when the timetable has no
// regions or the train no distances.
void GetTrainRegionDistances(TimetableRecord& t, uint32_t train, bool changesOnly,
                             std::vector<int32_t>& regions, std::vector<int32_t>& distances);

// How a stretch that crosses the border of the selected regions counts.
enum BorderMode : int {
  BorderHalf = 0,      // half of it, in whole kilometres; an odd kilometre to the higher region
  BorderLeaving = 1,   // all of it when leaving the selection
  BorderEntering = 2,  // all of it when entering
};

// Metres driven inside the regions selected by `selection` (one int per
// region, non-zero = selected; null: the whole route). *startMinute gets the
// minute the train leaves its first stop. -1 when the train has no
// distances, or a selection is given for a timetable without regions.
int32_t TrainRegionDistance(TimetableRecord& t, uint32_t train, int mode, int const* selection,
                            int* startMinute);

}  // namespace qo
