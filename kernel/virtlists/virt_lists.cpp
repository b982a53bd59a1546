#include "virtlists/virt_lists.h"

#include <cstring>

#include "format/stored_bits.h"
#include "frame/error_codes.h"
#include "load/loaded_set.h"
#include "load/reindex.h"
#include "stations/station_access.h"
#include "stations/station_names.h"
#include "stations/station_search.h"
#include "text/text_fold.h"
#include "trains/train_checks.h"
#include "virtlists/item_kinds.h"

namespace qo {
namespace {

constexpr size_t kMaxListNameLength = 99;
constexpr size_t kMaxItemNameLength = 99;

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  std::string x(a), y(b);
  MakeUpperCase(x.data());
  MakeUpperCase(y.data());
  return x == y;
}

// Train events at a station: how busy it is, without decoding anything.
int32_t EventCount(TimetableRecord const& t, uint16_t station) {
  if (t.StationEventOffsets.size() <= station + 1) return 0;
  return static_cast<int32_t>(
      (t.StationEventOffsets[station + 1] - t.StationEventOffsets[station]) / 6);
}

// Of the stations of `target` that the source station links to, the one
// with the most train events (the first on a tie); -1 without links there.
int32_t BusiestLinkedStation(TimetableRecord const& source, uint16_t station, int target,
                             TimetableRecord const& t) {
  CrossLinkTable const& links = source.SetWide.CrossLinks;
  if (links.Offsets.size() <= static_cast<size_t>(station) + 1) return -1;
  int32_t best = -1, bestEvents = -1;
  for (int32_t j = links.Offsets[station]; j < links.Offsets[station + 1]; ++j) {
    if (links.Timetables[j] != target || links.Stations[j] >= t.StationCount) continue;
    int32_t events = EventCount(t, links.Stations[j]);
    if (events > bestEvents) {
      best = links.Stations[j];
      bestEvents = events;
    }
  }
  return best;
}

}  // namespace

VirtListRecord const* ListAt(TimetableRecord const& t, int list) {
  if (list < 0 || static_cast<size_t>(list) >= t.VirtLists.size()) return nullptr;
  return &t.VirtLists[static_cast<size_t>(list)];
}

int32_t CandidateCount(TimetableRecord const& t, int list) {
  if (list < 0) return static_cast<int32_t>(t.StationCount);
  VirtListRecord const* l = ListAt(t, list);
  return l ? l->ItemCount : 0;
}

int DefaultVirtList(TimetableRecord const& t) {
  if (t.VirtLists.empty()) return -1;
  for (int kind : {kListKindStops, kListKindTowns, kListKindStations}) {
    for (int i = static_cast<int>(t.VirtLists.size()) - 1; i >= 0; --i)
      if (ListKind(t.VirtLists[static_cast<size_t>(i)]) == kind) return i;
  }
  return 0;
}

int StationsExtVirtList(TimetableRecord const& t) {
  for (size_t i = 0; i < t.VirtLists.size(); ++i)
    if (ListKind(t.VirtLists[i]) == kListKindStations) return static_cast<int>(i);
  return -1;
}

int SearchVirtList(TimetableRecord const& t, int language, int type, std::string_view name) {
  for (size_t i = 0; i < t.VirtLists.size(); ++i) {
    VirtListRecord const& list = t.VirtLists[i];
    if (type > 0) {
      if (list.Type == type) return static_cast<int>(i);
      continue;
    }
    if (name.empty()) return -1;
    // Only the name in the asked language: the language-0 name the list
    // info falls back to would match lists that have no name there.
    if (static_cast<size_t>(language) >= list.Names.size()) continue;
    std::string_view own = PoolString(list.Names[static_cast<size_t>(language)], 0);
    if (EqualIgnoringCase(own.substr(0, kMaxListNameLength), name)) return static_cast<int>(i);
  }
  return -1;
}

void VirtListName(TimetableRecord const&, VirtListRecord const& list, int language,
                  std::string& out) {
  std::string_view name;
  if (language >= 0 && static_cast<size_t>(language) < list.Names.size())
    name = PoolString(list.Names[static_cast<size_t>(language)], 0);
  if (name.empty() && !list.Names.empty()) name = PoolString(list.Names[0], 0);
  out.assign(name.substr(0, kMaxListNameLength));
}

int ItemKind(VirtListRecord const& list, int32_t item) {
  if (!list.ItemKinds.empty()) return list.ItemKinds[item];
  return static_cast<int8_t>(list.DefaultItemKind);
}

int32_t FirstStationOfItem(VirtListRecord const& list, int32_t item) {
  return ItemStationCount(list, item) > 0 ? StationOfItem(list, item, 0) : -1;
}

void GetListItemText(TimetableRecord const& t, int list, int language, int32_t item, int mode,
                     std::string& out) {
  if (list < 0) {
    GetStationName(t, item, mode, true, out);
    return;
  }
  VirtListRecord const& l = t.VirtLists[static_cast<size_t>(list)];
  int32_t station = FirstStationOfItem(l, item);
  std::string_view stationName;
  if (station >= 0)
    stationName = PoolString(t.StationNames, station).substr(0, kMaxStoredNameLength);
  std::string_view own;
  if (language >= 0 && static_cast<size_t>(language) < l.Names.size())
    own =
        PoolString(l.Names[static_cast<size_t>(language)], item + 1).substr(0, kMaxItemNameLength);
  ItemBaseText(ItemKind(l, item), stationName, own, out);
  if (station >= 0) AddRegionPart(mode, t, static_cast<uint16_t>(station), out);
}

int32_t StoredItemKey(VirtListRecord const& list, int32_t item) {
  return item >= 0 && item < list.ItemKeys.size() ? list.ItemKeys[item] : 0;
}

int32_t ItemKeyEx(TimetableRecord const& t, int list, int32_t item) {
  if (list < 0) {
    return item >= 0 && item < t.StationKeys.size() ? t.StationKeys[item] : 0;
  }
  VirtListRecord const& l = t.VirtLists[static_cast<size_t>(list)];
  if (!l.ItemKeys.empty()) return StoredItemKey(l, item);
  if (ListKind(l) == kListKindStations && !t.StationKeys.empty()) {
    int32_t station = FirstStationOfItem(l, item);
    if (station >= 0) return t.StationKeys[station];
  }
  return 0;
}

int32_t ItemStations(VirtListRecord const& list, int32_t item, uint8_t const** stations,
                     uint8_t const** bytes) {
  *stations = nullptr;
  *bytes = nullptr;
  int32_t n = ItemStationCount(list, item);
  if (n <= 0) return 0;
  if (!list.ItemStationRanges.empty()) {
    int32_t first = list.ItemStationRanges[item];
    *stations = list.ItemStations.handle() + 2 * static_cast<size_t>(first);
    if (!list.ItemStationBytes.empty()) *bytes = list.ItemStationBytes.handle() + first;
  } else {
    *stations = list.ItemStation.handle() + 2 * static_cast<size_t>(item);
  }
  return n;
}

bool IsInternationalItem(TimetableRecord const& t, int list, int32_t item) {
  int32_t station =
      list < 0 ? item : FirstStationOfItem(t.VirtLists[static_cast<size_t>(list)], item);
  if (station < 0 || static_cast<uint32_t>(station) >= t.StationCount) return false;
  return !IsDomesticStation(t, static_cast<uint16_t>(station));
}

int32_t MapVirtListItem(TimetableRecord const& t, int list, int32_t item, int target) {
  int32_t station = item;
  int32_t n = 1;
  int sourceClass = 0;
  if (list >= 0) {
    VirtListRecord const& source = t.VirtLists[static_cast<size_t>(list)];
    n = ItemStationCount(source, item);
    if (n <= 0) return -1;
    station = StationOfItem(source, item, 0);
    if (!source.ItemKinds.empty()) sourceClass = ItemKindClass(source.ItemKinds[item]);
  }
  if (target < 0) return station;

  VirtListRecord const& to = t.VirtLists[static_cast<size_t>(target)];
  bool const kinds = !to.ItemKinds.empty();
  int32_t fallback = -1;
  if (!to.ItemStationRanges.empty()) {
    bool const sameSize = ListKind(to) == kListKindStations;
    for (int32_t i = 0; i < to.ItemCount; ++i) {
      const int32_t count = ItemStationCount(to, i);
      for (int32_t k = 0; k < count; ++k) {
        if (StationOfItem(to, i, k) != station) continue;
        if (kinds) {
          int kind = to.ItemKinds[i];
          if (kind > 0) break;
          if (ItemKindClass(kind) != sourceClass) {
            fallback = i;
            break;
          }
        }
        if (sameSize && count != n) {
          fallback = i;
          break;
        }
        return i;
      }
    }
    return fallback;
  }
  for (int32_t i = 0; i < to.ItemCount && i < to.ItemStation.size(); ++i) {
    if (to.ItemStation[i] != station) continue;
    if (!kinds) return i;
    int kind = to.ItemKinds[i];
    if (kind > 0) continue;
    if (ItemKindClass(kind) == sourceClass) return i;
    fallback = i;
  }
  return fallback;
}

int32_t MapVirtListItem2(int sourceIndex, int list, int32_t item, int targetIndex, int* targetList,
                         int* error) {
  *error = 0;
  TimetableRecord& source = *TimetableAt(sourceIndex);
  TimetableRecord& target = *TimetableAt(targetIndex);
  int to = *targetList;

  if (to == -2) {
    to = -1;
    if (list >= 0) {
      VirtListRecord const& from = source.VirtLists[static_cast<size_t>(list)];
      std::string name;
      VirtListName(source, from, 0, name);
      to = SearchVirtList(target, 0, from.Type, name);
      bool const mergesWith =
          (source.Kind == target.MergeKind && source.Area == target.MergeArea) ||
          source.Kind == kKindRail;
      if (to < 0 && ListKind(from) == kListKindStations && !target.StationKeys.empty() &&
          mergesWith) {
        const int32_t wanted = target.Area * 1000 + target.Kind * 100000 + kListKindStations;
        for (size_t i = 0; i < target.VirtLists.size(); ++i) {
          if (target.VirtLists[i].Type != wanted) continue;
          *targetList = static_cast<int>(i);
          int32_t station = SearchStationKey(target, ItemKeyEx(source, list, item));
          return station < 0 ? -1 : MapVirtListItem(target, -1, station, static_cast<int>(i));
        }
      }
      *targetList = to;
      if (to < 0) return -1;
    }
    *targetList = to;
  }

  if (sourceIndex == targetIndex) return MapVirtListItem(source, list, item, to);

  bool const sameKindAndArea = source.Kind == target.Kind && source.Area == target.Area;
  bool const sameType = list >= 0 && to >= 0 &&
                        source.VirtLists[static_cast<size_t>(list)].Type ==
                            target.VirtLists[static_cast<size_t>(to)].Type;
  if ((list < 0 && to < 0 && sameKindAndArea) || sameType) {
    int32_t hit = SearchKey(target, to, ItemKeyEx(source, list, item), {}, 0);
    if (hit >= 0) return hit;
    bool const keyTable = to < 0 ? !target.StationKeys.empty()
                                 : !target.VirtLists[static_cast<size_t>(to)].ItemKeys.empty();
    if (keyTable) return -1;
  }

  std::string name;
  int32_t station = item;
  if (list >= 0) station = FirstStationOfItem(source.VirtLists[static_cast<size_t>(list)], item);
  if (station < 0 || static_cast<uint32_t>(station) >= source.StationCount) {
    *error = ErrStationIndex;
    return -1;
  }
  GetListItemText(source, list, 0, item, RegionDisplayMode(), name);

  int32_t linked =
      BusiestLinkedStation(source, static_cast<uint16_t>(station), targetIndex, target);
  if (linked < 0 && list >= 0 && sameKindAndArea && !source.StationKeys.empty())
    linked = SearchStationKey(target, source.StationKeys[station]);
  if (linked >= 0) {
    int32_t mapped = MapVirtListItem(target, -1, linked, to);
    if (mapped >= 0) return mapped;
  }
  return SearchStation2(target, to, 0, 0, name);
}

int32_t MapStation(TimetableRecord const& t, uint16_t station, int* list) {
  for (size_t i = 0; i < t.VirtLists.size(); ++i) {
    if (ListKind(t.VirtLists[i]) != kListKindStations) continue;
    int32_t item = MapVirtListItem(t, -1, station, static_cast<int>(i));
    if (item >= 0) {
      *list = static_cast<int>(i);
      return item;
    }
  }
  *list = 0;
  return t.VirtLists.empty() ? -1 : MapVirtListItem(t, -1, station, 0);
}

int RegionOfStation(TimetableRecord const& t, int station) {
  if (station < 0 || station >= t.StationRegions.size()) return -1;
  int region = t.StationRegions[station];
  return region < 0 ? -1 : region;
}

}  // namespace qo
