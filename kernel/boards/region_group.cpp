#include "boards/region_group.h"

#include <string_view>

#include "core/string_pool.h"

namespace qo {
namespace {

// The region name as the group test reads it: at most 19 characters, cut
// at the first '-'. Empty for a station without region.
std::string_view GroupName(const TimetableRecord& t, int station) {
  if (station < 0 || station >= t.StationRegions.size()) return {};
  int region = t.StationRegions[station];
  if (region < 0 || region >= GetPoolCount(t.RegionNames)) return {};
  std::string_view name = PoolString(t.RegionNames, region).substr(0, 19);
  return name.substr(0, name.find('-'));
}

}  // namespace

bool AreStationsInSameRegionGroup(const TimetableRecord& t, int station1, int station2) {
  if (t.StationRegions.empty() || GetPoolCount(t.RegionNames) == 0) return true;
  if (station1 >= 0 && station1 < t.StationRegions.size() && station2 >= 0 &&
      station2 < t.StationRegions.size() &&
      t.StationRegions[station1] == t.StationRegions[station2])
    return true;
  std::string_view a = GroupName(t, station1);
  std::string_view b = GroupName(t, station2);
  bool marked = (!a.empty() && a[0] == '*') || (!b.empty() && b[0] == '*');
  return !marked || a == b;
}

}  // namespace qo
