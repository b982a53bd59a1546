#include "map/gis_towns.h"

#include <algorithm>

#include "load/loaded_set.h"
#include "map/gis_points.h"
#include "virtlists/virt_lists.h"

namespace qo {
namespace {

// A connection has at most 16 legs; 50 places are more than it can name.
constexpr size_t kMaxConnectionTowns = 50;

// The keys of the towns a connection boards and alights at on the map: the
// items of each such timetable's first list (when it is a town list) that
// hold its stations.
int ConnectionTownKeys(TownQuery const& q, std::vector<int32_t>& keys) {
  std::vector<MapLeg> legs;
  if (int e = q.Connection->Legs(q.Index, legs); e != 0) return e;
  for (MapLeg const& leg : legs) {
    TimetableRecord const* t = TimetableAt(leg.Timetable);
    if (!t || !t->Gis || t->Gis->MapId != q.MapId) continue;
    if (t->VirtLists.empty() || t->VirtLists[0].Type != 1) continue;
    for (int32_t station : {leg.From, leg.To}) {
      if (station < 0 || station >= static_cast<int32_t>(t->StationCount)) continue;
      int32_t item = MapVirtListItem(*t, -1, station, 0);
      if (item < 0) continue;
      int32_t key = ItemKeyEx(*t, 0, item);
      if (std::find(keys.begin(), keys.end(), key) == keys.end() &&
          keys.size() < kMaxConnectionTowns)
        keys.push_back(key);
    }
  }
  return 0;
}

}  // namespace

int TownsGis(TownQuery const& q, std::vector<TownLabel>& out) {
  out.clear();
  std::vector<int32_t> connectionKeys;
  if (q.Connection) {
    if (int e = ConnectionTownKeys(q, connectionKeys); e != 0) return e;
  }
  // Timetables of one map share their towns: a town is labelled once, and
  // not where the connection's own labels stand.
  std::vector<int32_t> taken;
  for (TimetableRecord const* tp : LoadedSet()) {
    TimetableRecord const& t = *tp;
    if (!t.Gis || t.Gis->MapId != q.MapId || t.GisTownItems.empty() || t.VirtLists.empty())
      continue;
    VirtListRecord const& list = t.VirtLists[0];
    for (int32_t i = 0; i < t.GisTownItems.size(); ++i) {
      const int32_t item = t.GisTownItems[i];
      if (item >= list.ItemCount) continue;
      if (item < list.ItemKinds.size() && list.ItemKinds[item] > 0) continue;
      const int32_t station = FirstStationOfItem(list, item);
      int32_t x, y;
      if (station < 0 || !GisStationPoint(t, station, &x, &y)) continue;
      if (x < q.MinX || x > q.MaxX || y < q.MinY || y > q.MaxY) continue;
      const uint32_t type = station < t.StationTypes.size() ? t.StationTypes[station] : 0;
      if ((type & q.TypeMask) == 0) continue;
      const int32_t key = ItemKeyEx(t, 0, item);
      if (std::find(taken.begin(), taken.end(), key) != taken.end() ||
          std::find(connectionKeys.begin(), connectionKeys.end(), key) != connectionKeys.end())
        continue;
      taken.push_back(key);
      TownLabel& label = out.emplace_back();
      label.TypeWord = type;
      GetListItemText(t, 0, 0, item, 2, label.Name);
      label.X = x;
      label.Y = y;
    }
  }
  return 0;
}

}  // namespace qo
