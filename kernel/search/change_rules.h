#pragma once
// Whether two stations are one place for a change, whether a stop may be
// used for one, and moving the change between two legs of a found
// connection to a better station both trains serve.
#include <cstdint>

#include "search/search_run.h"

namespace qo {

struct TimetableRecord;

// Across timetables: through the set-wide ring of same-key stations.
bool IsSameStationAcrossTimetables(int32_t a, int timetableA, int timetableB, int32_t b);
// Within one timetable by name: "X - n" is the same place as "X".
bool IsSamePlaceByName(int timetable, int32_t a, int32_t b);
bool IsSamePlaceAcrossTimetables(int32_t a, int timetableA, int timetableB, int32_t b);
// One place for a change: same name and a walking link of 0 minutes.
bool IsSameChangePlace(int timetable, int32_t a, int32_t b);

bool IsRequestStop(int timetable, int32_t train, int32_t station);
bool IsCustomsStop(int timetable, int32_t station);

// May the traveller change at `station` from the train of `arriving` to the
// train of `departing`?
bool CanChangeAt(int timetable, ConnectionLeg const& arriving, int32_t station, int32_t other,
                 ConnectionLeg const& departing, bool lowFloorOnly);

// How busy a place is: the station events of the neighbouring stations
// that share its name.
int32_t StationNameEventCount(int timetable, int32_t station);

bool HaveSameTrainNumber(int timetable, int32_t a, int32_t b);

// Moves the change between two consecutive legs; target -1 chooses by
// itself. True when it moved.
bool MoveChangeStation(ConnectionLeg& arriving, ConnectionLeg& departing, int32_t target,
                       bool restricted);
void MoveAllChangeStations(ConnectionList& connections);

}  // namespace qo
