#include "stations/station_distances.h"

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

}  // namespace qo
