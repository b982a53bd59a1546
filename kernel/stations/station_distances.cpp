#include "stations/station_distances.h"

#include <algorithm>
#include <functional>

namespace qo {

void ComputeStationDistances(TimetableRecord const& t, uint16_t source, bool transfers,
                             std::vector<int32_t>& distances, std::vector<int32_t>& predecessors) {
  const int32_t stations = static_cast<int32_t>(t.StationCount);
  distances.assign(static_cast<size_t>(stations), kUnreachable);
  predecessors.assign(static_cast<size_t>(stations), 0);
  // The work list: next[v] is the station after v, -1 when v is not in the
  // list; the sentinel `stations` both starts and ends it.
  const int32_t sentinel = stations;
  std::vector<int32_t> next(static_cast<size_t>(stations) + 1, -1);
  int32_t back = sentinel, front = sentinel;
  next[sentinel] = sentinel;

  auto push = [&](int32_t v, bool labelledBefore) {
    if (next[v] >= 0) return;
    int32_t after = labelledBefore ? front : back;
    next[v] = next[after];
    next[after] = v;
    if (back == after) back = v;
    if (labelledBefore) front = v;
  };

  distances[source] = 0;
  predecessors[source] = -1;
  push(source, false);
  bool const withTransfers = transfers && !t.TransferOffsets.empty();
  while (next[sentinel] != sentinel) {
    int32_t u = next[sentinel];
    next[sentinel] = next[u];
    next[u] = -1;
    if (u == front) front = sentinel;
    if (u == back) back = sentinel;
    const int64_t d = distances[u];

    for (int32_t arc = t.ArcOffsets[u]; arc < t.ArcOffsets[u + 1]; ++arc) {
      int32_t length = t.ArcLengths[arc];
      if (length < 0) continue;
      int32_t v = t.ArcStations[arc];
      int64_t through = d + length;
      if (through >= kUnreachable) through = kUnreachable - 1;
      if (through >= distances[v]) continue;
      push(v, distances[v] != kUnreachable);
      distances[v] = static_cast<int32_t>(through);
      predecessors[v] = u;
    }
    if (!withTransfers) continue;
    for (int32_t link = t.TransferOffsets[u]; link < t.TransferOffsets[u + 1]; ++link) {
      int32_t w = t.TransferStations[link];
      if (d >= distances[w]) continue;
      push(w, distances[w] != kUnreachable);
      distances[w] = static_cast<int32_t>(d);
      predecessors[w] = u;
    }
  }
}

int32_t ShortestStationDistance(TimetableRecord const& t, uint16_t source, uint16_t target,
                                StationDistanceScratch& scratch) {
  const int32_t stations = static_cast<int32_t>(t.StationCount);
  if (source >= stations || target >= stations ||
      t.ArcOffsets.size() != static_cast<int32_t>(t.StationCount) + 1)
    return kUnreachable;
  if (source == target) return 0;
  std::vector<int32_t>& distances = scratch.Distances;
  if (distances.size() != static_cast<size_t>(stations))
    distances.assign(static_cast<size_t>(stations), kUnreachable);
  scratch.Reached.clear();
  scratch.Heap.clear();
  // A min-heap on distance: the greater-than order puts the least on top.
  auto const order = std::greater<std::pair<int32_t, int32_t>>();
  auto reach = [&](int32_t v, int32_t d) {
    if (distances[static_cast<size_t>(v)] == kUnreachable) scratch.Reached.push_back(v);
    distances[static_cast<size_t>(v)] = d;
    scratch.Heap.push_back({d, v});
    std::push_heap(scratch.Heap.begin(), scratch.Heap.end(), order);
  };
  reach(source, 0);
  const int32_t arcs = std::min(t.ArcStations.size(), t.ArcLengths.size());
  int32_t found = kUnreachable;
  while (!scratch.Heap.empty()) {
    std::pop_heap(scratch.Heap.begin(), scratch.Heap.end(), order);
    const auto [d, u] = scratch.Heap.back();
    scratch.Heap.pop_back();
    if (d != distances[static_cast<size_t>(u)]) continue;
    if (u == target) {
      found = d;
      break;
    }
    for (int32_t arc = std::max(t.ArcOffsets[u], 0); arc < t.ArcOffsets[u + 1] && arc < arcs;
         ++arc) {
      const int32_t length = t.ArcLengths[arc];
      const int32_t v = t.ArcStations[arc];
      if (length < 0 || v >= stations) continue;
      // Sums stop short of kUnreachable, as the full search's do.
      const int32_t through =
          static_cast<int32_t>(std::min<int64_t>(int64_t{d} + length, kUnreachable - 1));
      if (through < distances[static_cast<size_t>(v)]) reach(v, through);
    }
  }
  // Only what this search reached goes back to unreached.
  for (int32_t v : scratch.Reached) distances[static_cast<size_t>(v)] = kUnreachable;
  return found;
}

}  // namespace qo
