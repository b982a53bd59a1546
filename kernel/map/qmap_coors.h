#pragma once
// QMap data: the coordinates of stations by date and the polylines of the
// arcs between them. Every index a caller hands in is checked here, also
// by the accessors that callers use in tight loops.
#include <cstdint>
#include <vector>

#include "load/timetable_record.h"

namespace qo {

// The coordinate record of `station` that holds on `date`: its newest
// record whose valid-from day is not after the date; for a date before all
// of them its oldest record. -1 when the station has none (or is outside
// the timetable).
int32_t QMapCoorRecord(QMapData const& q, int32_t station, int32_t date);

// The station's x and y on `date`; false (and 0, 0) when it has no
// coordinate.
bool QMapCoor(QMapData const& q, int32_t station, int32_t date, double* x, double* y);

// The arc's polyline references: entries [*first, *first + *count) of the
// reference table. False (count 0) for an arc outside the table; the
// closing arc is none.
bool QMapArcPolylines(QMapData const& q, int32_t arc, int32_t* first, int32_t* count);

// The number of points of a polyline, -1 for an index outside the list.
int32_t QMapPolylinePoints(QMapData const& q, int32_t polyline);

// The points of the polylines joined in order, the first point of every
// polyline after the first left out (it repeats the end of the one
// before). False for an index outside the list (x, y then untouched).
bool QMapJoinPolylines(QMapData const& q, const int32_t* polylines, int32_t count,
                       std::vector<double>& x, std::vector<double>& y);

}  // namespace qo
