#pragma once
// Shortest distances over a timetable's station graph.
#include <cstdint>
#include <utility>
#include <vector>

#include "load/timetable_record.h"

namespace qo {

inline constexpr int32_t kUnreachable = 0x7FFFFFFF;

// From `source` (below StationCount) to every station: distances[s] in the
// units of the arc lengths (kUnreachable when s cannot be reached) and
// predecessors[s], the station before s on a shortest path (-1 for the
// source, 0 for a station never reached). With `transfers`, the walking
// links join stations at distance 0. The timetable must have arcs.
//
// A label-correcting search with the D'Esopo-Pape rule: a station labelled
// for the first time goes to the back of the work list, one labelled again
// goes in at the front. Arcs of negative length are not used (they would let
// a damaged file keep the search running for ever); sums stop short of
// kUnreachable.
void ComputeStationDistances(TimetableRecord const& t, uint16_t source, bool transfers,
                             std::vector<int32_t>& distances, std::vector<int32_t>& predecessors);

// What ShortestStationDistance works in, kept by the caller from one call
// to the next so that a search allocates nothing once it has grown: the
// distances (kUnreachable where not reached), the stations reached, and the
// heap of {distance, station}.
struct StationDistanceScratch {
  std::vector<int32_t> Distances;
  std::vector<int32_t> Reached;
  std::vector<std::pair<int32_t, int32_t>> Heap;
};

// The shortest distance from `source` to `target` over the arcs alone, as
// ComputeStationDistances gives it (kUnreachable when there is no way),
// found by a search that stops once the target's distance is final: a
// price asks it for stop pairs a few arcs apart on a graph of thousands of
// stations.
int32_t ShortestStationDistance(TimetableRecord const& t, uint16_t source, uint16_t target,
                                StationDistanceScratch& scratch);

}  // namespace qo
