#pragma once
// The town labels of a map: the towns of the timetables that share a map,
// inside a rectangle, of the asked station types, without the towns a
// found connection already names at its stations.
#include <cstdint>
#include <string>
#include <vector>

#include "map/conn_geometry.h"

namespace qo {

struct TownLabel {
  uint32_t TypeWord = 0;
  std::string Name;  // kernel text
  int32_t X = 0;
  int32_t Y = 0;
};

struct TownQuery {
  uint32_t MapId = 0;
  uint32_t TypeMask = 0;
  int32_t MinX = 0, MaxX = 0, MinY = 0, MaxY = 0;
  // With a connection: its list and index; null for none.
  ConnectionLegs const* Connection = nullptr;
  int32_t Index = 0;
};

// The labels in timetable order, then in the order of each timetable's
// town list. Returns 0, or the list's error for a connection it refuses
// (`out` empty then).
int TownsGis(TownQuery const& q, std::vector<TownLabel>& out);

}  // namespace qo
