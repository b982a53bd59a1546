#pragma once
// How far a journey may wander. Over the station graph: stations whose way
// from the start and on to the end is at most a detour longer than the
// shortest way. On the map: stations inside an ellipse around the straight
// line from start to end. Both work leg by leg of the request (From, each
// via point, To).
#include <cstdint>

#include "search/search_run.h"

namespace qo {

// Sets the allowed marks (and, with changes, the alighting words) of every
// taking-part timetable from the distances over the station graph, which
// the caller cleared before. False when a point of the request has no
// station or no way joins two of them: then no corridor applies.
// *shortest gets the shortest distances of the legs added up, in metres.
bool BuildDistanceCorridor(SearchRun const& run, int32_t* shortest);

// Takes the alighting word away from every station with a map point that
// lies outside the ellipses of all legs. Nothing changes when a point of
// the request has no map point.
void RestrictByCoordinates(SearchRun const& run);

// The detour the settings allow on a way of `metres`: the percentage of it
// but at least 8 km (none at 0 percent), or the fixed metres.
int32_t AllowedDetour(int32_t metres);

}  // namespace qo
