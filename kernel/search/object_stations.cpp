#include "search/object_stations.h"

#include <algorithm>

#include "calendars/day_type_state.h"
#include "frame/error_codes.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "stations/station_names.h"
#include "trains/train_checks.h"
#include "virtlists/virt_lists.h"

namespace qo {
namespace {

constexpr uint16_t kNotAMember = 0x1000;  // station type bit: left out of town items

class Expansion {
 public:
  explicit Expansion(std::vector<PlaceStation>& out) : out_(out) { out_.clear(); }

  void Add(int32_t timetable, int32_t station, int32_t minutes) {
    TimetableRecord const* t = TimetableAt(timetable);
    if (!t || DayTypesOf(*t).Filter.TypeMask == kIncludeNone) return;
    for (PlaceStation& known : out_) {
      if (known.timetable == timetable && known.station == station) {
        known.minutes = std::min(known.minutes, minutes);
        return;
      }
    }
    out_.push_back({timetable, station, minutes});
  }

  // The station and the stations that are the same place elsewhere in the
  // set (the ring of same-key stations).
  void AddWithEquivalents(int32_t timetable, uint16_t station, int32_t minutes) {
    Add(timetable, station, minutes);
    TimetableRecord const* t = TimetableAt(timetable);
    SetIndex const& index = LoadedSetIndex();
    if (!t || station >= t->SetWide.SetStationNumbers.size()) return;
    const int32_t start = t->SetWide.SetStationNumbers[station];
    int32_t at = start;
    for (size_t steps = 0; steps < index.MergedStationRing.size(); ++steps) {
      if (at < 0 || static_cast<size_t>(at) >= index.MergedStationRing.size()) return;
      at = index.MergedStationRing[static_cast<size_t>(at)];
      if (at < 0 || at == start || static_cast<size_t>(at) >= index.StationIndex.size()) return;
      Add(index.StationTimetable[static_cast<size_t>(at)],
          index.StationIndex[static_cast<size_t>(at)], minutes);
    }
  }

  void AddItem(int32_t timetable, int32_t list, int32_t item, int32_t minutes, bool mapOthers) {
    TimetableRecord& t = *TimetableAt(timetable);
    VirtListRecord const& l = t.VirtLists[static_cast<size_t>(list)];
    if (!l.ItemStationRanges.empty()) {
      for (int32_t k = l.ItemStationRanges[item]; k < l.ItemStationRanges[item + 1]; ++k) {
        const uint16_t station = l.ItemStations[k];
        if (ListKind(l) == kListKindTowns && !t.StationTypes.empty() &&
            (t.StationTypes[station] & kNotAMember))
          continue;
        Add(timetable, station, minutes + (l.ItemStationBytes.empty() ? 0 : l.ItemStationBytes[k]));
      }
    } else if (!l.ItemStation.empty()) {
      AddWithEquivalents(timetable, l.ItemStation[item], minutes);
    }
    if (!mapOthers || LoadedCount() < 2 || l.Type == 0) return;
    // The item's counterparts in the other timetables, found (by key, links
    // or name) with names shown with their whole region.
    int& mode = RegionDisplayMode();
    int const savedMode = mode;
    mode = NameModeWholeRegion;
    for (int other = 0; other < LoadedCount(); ++other) {
      if (other == timetable || DayTypesOf(*TimetableAt(other)).Filter.TypeMask == kIncludeNone)
        continue;
      int otherList = -2, error = 0;
      const int32_t otherItem = MapVirtListItem2(timetable, list, item, other, &otherList, &error);
      TimetableRecord const& there = *TimetableAt(other);
      if (otherItem < 0) continue;
      if (otherList >= 0 && static_cast<size_t>(otherList) < there.VirtLists.size() &&
          otherItem < there.VirtLists[static_cast<size_t>(otherList)].ItemCount)
        AddItem(other, otherList, otherItem, minutes, false);
      else if (otherList < 0 && static_cast<uint32_t>(otherItem) < there.StationCount)
        AddWithEquivalents(other, static_cast<uint16_t>(otherItem), minutes);
    }
    mode = savedMode;
  }

 private:
  std::vector<PlaceStation>& out_;
};

}  // namespace

int ObjectStations(int timetable, int list, int item, int const* selection,
                   std::vector<PlaceStation>& out) {
  out.clear();
  if (list != kPlacePassThrough) {
    if (int error = CheckSearchPlace(timetable, list, item)) return error;
  } else if (!TimetableAt(timetable)) {
    return ErrTimetableIndex;
  }
  for (int i = 0; i < LoadedCount(); ++i) {
    DayTypesOf(*TimetableAt(i)).Filter.TypeMask =
        !selection || selection[i] != 0 ? kIncludeAll : kIncludeNone;
  }

  Expansion expansion(out);
  if (list == kPlacePassThrough)
    expansion.Add(timetable, -item, 0);
  else if (list < 0)
    expansion.AddWithEquivalents(timetable, static_cast<uint16_t>(item), 0);
  else
    expansion.AddItem(timetable, list, item, 0, true);
  std::stable_sort(out.begin(), out.end(), [](PlaceStation const& a, PlaceStation const& b) {
    return a.timetable < b.timetable;
  });
  return 0;
}

}  // namespace qo
