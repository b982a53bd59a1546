// Stations of different timetables that share a name but are different
// places (different keys) show the district part of their region names, so
// that a place input can tell "Nová Ves [Kolín]" from "Nová Ves [Beroun]".
#include "global/same_names.h"

#include <string>
#include <vector>

#include "info/timetable_info.h"
#include "load/loaded_set.h"
#include "load/reindex.h"
#include "load/timetable_record.h"
#include "stations/station_names.h"
#include "text/collate.h"
#include "virtlists/virt_lists.h"

namespace qo {
namespace {

constexpr int32_t kTownListType = 1;
constexpr uint16_t kShowDistrict = 0x04;

struct Lane {
  TimetableRecord* t = nullptr;
  VirtListRecord const* list = nullptr;
  int listIndex = 0;
  int language = 0;
  int32_t cursor = 0;
  bool ready = false;
  std::string text;
  int32_t station = -1;
};

// The region text of a station, empty without one.
std::string_view RegionText(TimetableRecord const& t, int32_t station) {
  int region = RegionOfStation(t, station);
  return region < 0 ? std::string_view() : PoolString(t.RegionNames, region);
}

// Two stations lie in one country when their region texts agree up to
// and including the first '-' of the first.
bool SameCountry(std::string_view first, std::string_view other) {
  if (first.empty() || other.empty()) return false;
  size_t dash = first.find('-');
  std::string_view country = dash == std::string_view::npos ? first : first.substr(0, dash + 1);
  return other.substr(0, country.size()) == country;
}

uint16_t TypeWord(TimetableRecord const& t, int32_t station) {
  return station >= 0 && station < t.StationTypes.size() ? t.StationTypes[station] : 0;
}

}  // namespace

void MarkSameNameStations() {
  std::vector<TimetableRecord*> const& set = LoadedSet();
  if (set.size() < 2) return;
  std::vector<Lane> lanes;
  for (TimetableRecord* t : set) {
    for (size_t i = 0; i < t->VirtLists.size(); ++i) {
      VirtListRecord const& list = t->VirtLists[i];
      if (list.Type != kTownListType) continue;
      if (!list.ItemKeys.empty() && !t->StationRegions.empty() && list.ItemCount > 0) {
        Lane& lane = lanes.emplace_back();
        lane.t = t;
        lane.list = &list;
        lane.listIndex = static_cast<int>(i);
        lane.language = GetLangIndex(*t, 'C');
      }
      break;
    }
  }
  if (lanes.size() < 2) return;

  std::vector<size_t> gathered;
  for (;;) {
    int first = -1;
    for (size_t i = 0; i < lanes.size(); ++i) {
      Lane& lane = lanes[i];
      if (lane.cursor >= lane.list->ItemCount) continue;
      if (!lane.ready) {
        GetListItemText(*lane.t, lane.listIndex, lane.language, lane.cursor, NameModeNoRegion,
                        lane.text);
        lane.station = FirstStationOfItem(*lane.list, lane.cursor);
        lane.ready = true;
      }
      if (first < 0 ||
          CompareCzech(lane.text.c_str(), lanes[static_cast<size_t>(first)].text.c_str(), true) < 0)
        first = static_cast<int>(i);
    }
    if (first < 0) break;

    Lane& head = lanes[static_cast<size_t>(first)];
    std::string_view country = RegionText(*head.t, head.station);
    gathered.assign(1, static_cast<size_t>(first));
    for (size_t i = 0; i < lanes.size(); ++i) {
      Lane const& lane = lanes[i];
      if (static_cast<int>(i) == first || lane.cursor >= lane.list->ItemCount) continue;
      if (lane.text == head.text && SameCountry(country, RegionText(*lane.t, lane.station)))
        gathered.push_back(i);
    }
    if (gathered.size() >= 2) {
      // One place in several timetables (same key, shown alike) needs no
      // district; different places of one name do.
      bool alike = true;
      const int32_t key = StoredItemKey(*head.list, head.cursor);
      const uint16_t bit = TypeWord(*head.t, head.station) & kShowDistrict;
      for (size_t i : gathered) {
        Lane const& lane = lanes[i];
        alike = alike && StoredItemKey(*lane.list, lane.cursor) == key &&
                (TypeWord(*lane.t, lane.station) & kShowDistrict) == bit;
      }
      if (!alike) {
        for (size_t i : gathered) {
          Lane& lane = lanes[i];
          for (int32_t k = 0; k < ItemStationCount(*lane.list, lane.cursor); ++k)
            SetDerivedStationTypeBits(*lane.t, StationOfItem(*lane.list, lane.cursor, k),
                                      kShowDistrict);
        }
      }
    }
    ++head.cursor;
    head.ready = false;
  }
}

}  // namespace qo
