#pragma once
// The QMap path network: the stations nearest to a map point along the
// paths, and the path to one station. Station nodes end a path; the search
// enters the network on the path edge nearest to the point.
#include <cstdint>
#include <vector>

#include "load/timetable_record.h"

namespace qo {

// Whether the timetable's QMap data carries the path network.
inline bool HasQMapNetwork(QMapData const& q) { return !q.Nodes.empty(); }

// How the network is entered: a path edge nearer than `edgeLimit`, from a
// path node within `boxHalf` (in x + y) of the point.
struct QMapEntry {
  double x = 0, y = 0;
  double edgeLimit = 0;
  double boxHalf = 0;
};

struct QMapNearStation {
  int32_t station = 0;
  int32_t distance = 0;
};

// The stations reached within `reach` along the network, nearest first:
// at most `maxCount` (below 1: 10, above 1000: 1000), each valid on `date`,
// no key twice in a row, with `oneGroup` all of the first one's key group.
void QMapNearStations(TimetableRecord const& t, QMapData const& q, QMapEntry const& entry,
                      int32_t date, double reach, int maxCount, bool oneGroup,
                      std::vector<QMapNearStation>& out);

// The path from the point to `station`'s node on `date`: the entry point,
// then the nodes up to the station's. False (nothing) when it cannot be
// reached; `*distance` its length along the network.
bool QMapStationPath(QMapData const& q, QMapEntry const& entry, int32_t station, int32_t date,
                     std::vector<double>& x, std::vector<double>& y, int32_t* distance);

}  // namespace qo
