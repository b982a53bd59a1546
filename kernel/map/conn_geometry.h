#pragma once
// The geometry of a found connection on the GIS maps: per leg the station
// points its train passes, which legs share a map, the maps' ids and names,
// and a map's extent. The connection comes in through ConnectionLegs, so
// that this layer needs nothing of the search: the export reads the search
// handle and hands its list down.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "load/timetable_record.h"

namespace qo {

// What the map needs of one leg of a connection.
struct MapLeg {
  int32_t Timetable = 0;
  int32_t Train = 0;
  int32_t From = 0;       // boarding station
  int32_t To = 0;         // alighting station
  int32_t Departure = 0;  // minute of the departure from From
  int32_t Arrival = 0;    // minute of the arrival at To
};

// A list of found connections.
class ConnectionLegs {
 public:
  virtual ~ConnectionLegs() = default;
  // The legs of connection `index` into `legs`; 0, or ErrConnListReleased for
  // a list from before the last reload, ErrIndexOutOfRange for an index
  // outside the list.
  virtual int Legs(int32_t index, std::vector<MapLeg>& legs) const = 0;
};

// A connection has at most 16 legs (15 changes).
inline constexpr size_t kMaxMapLegs = 16;

struct ConnGisResult {
  int32_t MapCount = 0;
  int32_t LegCount = 0;
  std::array<int32_t, kMaxMapLegs> PointCounts{};
  std::array<int32_t, kMaxMapLegs> Slots{};
  // Per leg the positions in its timetable's station point table.
  std::array<std::vector<int32_t>, kMaxMapLegs> Points;
  // Per slot the map id and the names of its maps (kernel text).
  std::array<uint32_t, kMaxMapLegs> MapIds{};
  std::array<std::string, kMaxMapLegs> MapNames;
};

// Fills `out` for connection `index`. Returns 1, or 0 when a leg's
// timetable has no map or a leg's boarding or alighting station no point
// (`*error` 0), or when the list refuses the index (`*error` its code;
// `out` untouched).
int ConnGis(ConnectionLegs const& list, int32_t index, char language, ConnGisResult& out,
            int* error);

// The extent {min x, max x, min y, max y} of the map of the first leg whose
// timetable's map has `mapId`; 0 when none (extent all 0) or the list
// refuses the index (`*error`).
int ConnMapRange(ConnectionLegs const& list, int32_t index, uint32_t mapId,
                 std::array<int32_t, 4>& extent, int* error);

}  // namespace qo
