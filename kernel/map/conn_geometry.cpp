#include "map/conn_geometry.h"

#include <algorithm>

#include "core/string_pool.h"
#include "load/loaded_set.h"
#include "map/gis_points.h"
#include "trains/train_route.h"

namespace qo {
namespace {

constexpr int32_t kDay = 1440;

int32_t DayMinute(int32_t minute) { return ((minute % kDay) + kDay) % kDay; }

bool HasPoint(TimetableRecord const& t, int32_t station) {
  int32_t x, y;
  return GisStationPoint(t, station, &x, &y);
}

// The positions in the station point table of the stops from the boarding
// at `leg.From` on to the alighting at `leg.To`.
void LegPoints(TimetableRecord& t, MapLeg const& leg, std::vector<RouteRecord>& route,
               std::vector<int32_t>& points) {
  points.clear();
  BuildTrainRoute(t, static_cast<uint32_t>(leg.Train), route);
  size_t i = 0;
  while (i < route.size() && !(route[i].Station == leg.From && route[i].Departure >= 0 &&
                               DayMinute(route[i].Departure) == DayMinute(leg.Departure)))
    ++i;
  const std::vector<int32_t>& index = t.Gis->StationPoint;
  for (; i < route.size(); ++i) {
    RouteRecord const& stop = route[i];
    if (stop.Station < index.size() && index[stop.Station] > 0)
      points.push_back(index[stop.Station] - 1);
    bool atEnd = stop.Station == leg.To &&
                 ((stop.Arrival >= 0 && DayMinute(stop.Arrival) == DayMinute(leg.Arrival)) ||
                  (stop.Departure >= 0 && DayMinute(stop.Departure) == DayMinute(leg.Arrival)));
    if (atEnd) break;
  }
}

// The map name in the language of `letter` (language 0 when the map has
// no such letter or no name in it).
std::string_view MapName(GisData const& gis, char letter) {
  size_t languages = std::min<size_t>(gis.LanguageCount, gis.MapNames.size());
  if (languages == 0) return {};
  size_t language = 0;
  for (size_t l = 0; l < languages; ++l)
    if (gis.Letters[l] == letter) {
      language = l;
      break;
    }
  std::string_view name =
      PoolString(gis.MapNames[language], static_cast<int32_t>(gis.NameIndex[language]));
  if (name.empty()) name = PoolString(gis.MapNames[0], static_cast<int32_t>(gis.NameIndex[0]));
  return name;
}

}  // namespace

int ConnGis(ConnectionLegs const& list, int32_t index, char language, ConnGisResult& out,
            int* error) {
  *error = 0;
  std::vector<MapLeg> legs;
  if (int e = list.Legs(index, legs); e != 0) {
    *error = e;
    return 0;
  }
  if (legs.empty() || legs.size() > kMaxMapLegs) return 0;
  std::vector<TimetableRecord*> records;
  for (MapLeg const& leg : legs) {
    TimetableRecord* t = TimetableAt(leg.Timetable);
    if (!t || !t->Gis || leg.Train < 0 || static_cast<uint32_t>(leg.Train) >= t->TrainCount)
      return 0;
    if (!HasPoint(*t, leg.From) || !HasPoint(*t, leg.To)) return 0;
    records.push_back(t);
  }

  out = ConnGisResult{};
  out.LegCount = static_cast<int32_t>(legs.size());
  std::vector<RouteRecord> route;
  for (size_t l = 0; l < legs.size(); ++l) {
    LegPoints(*records[l], legs[l], route, out.Points[l]);
    out.PointCounts[l] = static_cast<int32_t>(out.Points[l].size());
  }

  // Legs on one map (the same timetable, or timetables of one map id) share
  // a slot, named by the first such leg's timetable.
  std::vector<int32_t> distinct;
  for (size_t l = 0; l < legs.size(); ++l) {
    int32_t slot = legs[l].Timetable;
    bool shared = false;
    uint32_t mapId = records[l]->Gis->MapId;
    for (size_t e = 0; e < l && !shared; ++e) {
      if (legs[e].Timetable == legs[l].Timetable ||
          (mapId != 0 && records[e]->Gis->MapId == mapId)) {
        slot = out.Slots[e];
        shared = true;
      }
    }
    if (!shared) distinct.push_back(slot);
    out.Slots[l] = slot;
  }
  std::sort(distinct.begin(), distinct.end());
  out.MapCount = static_cast<int32_t>(distinct.size());
  for (size_t l = 0; l < legs.size(); ++l) {
    out.Slots[l] =
        distinct.size() < 2
            ? 0
            : static_cast<int32_t>(std::find(distinct.begin(), distinct.end(), out.Slots[l]) -
                                   distinct.begin());
  }

  for (size_t l = 0; l < legs.size(); ++l) {
    GisData const& gis = *records[l]->Gis;
    auto slot = static_cast<size_t>(out.Slots[l]);
    out.MapIds[slot] = gis.MapId;
    std::string_view name = MapName(gis, language);
    std::string& names = out.MapNames[slot];
    if (names.empty()) {
      names = name;
    } else if (names.find(name) == std::string::npos) {
      names += ", ";
      names += name;
    }
  }
  return 1;
}

int ConnMapRange(ConnectionLegs const& list, int32_t index, uint32_t mapId,
                 std::array<int32_t, 4>& extent, int* error) {
  extent = {};
  *error = 0;
  std::vector<MapLeg> legs;
  if (int e = list.Legs(index, legs); e != 0) {
    *error = e;
    return 0;
  }
  for (MapLeg const& leg : legs) {
    TimetableRecord const* t = TimetableAt(leg.Timetable);
    if (!t || !t->Gis || t->Gis->MapId != mapId) continue;
    extent = t->Gis->Extent;
    return 1;
  }
  return 0;
}

}  // namespace qo
