#include "search/object_stations.h"

#include <algorithm>

#include "frame/error_codes.h"
#include "load/loaded_set.h"
#include "calendars/day_type_state.h"
#include "links/station_links.h"
#include "load/timetable_record.h"
#include "stations/station_names.h"
#include "trains/train_checks.h"
#include "virtlists/virt_lists.h"

namespace qo {
namespace {

constexpr uint16_t kNotAMember = 0x1000;    // station type bit: left out of town items
constexpr uint16_t kAlwaysMember = 0x0800;  // station type bit: taken beyond the member limit

// Members of an item taken with the member limit on.
int GroupStationLimit(VirtListRecord const& l) {
  int kind = ListKind(l);
  return kind == kListKindTowns || kind == kListKindStops ? 15 : 1000;
}

class Expansion {
 public:
  Expansion(std::vector<PlaceStation>& out, ExpansionOptions const& options = {})
      : out_(out), options_(options) {
    out_.clear();
  }

  void Add(int32_t timetable, int32_t station, int32_t minutes) {
    TimetableRecord const* t = TimetableAt(timetable);
    if (!t || DayTypesOf(*t).Filter.TypeMask == kIncludeNone) return;
    if (options_.lowFloor && station >= 0 && t->HasStationTypeBit10 &&
        !IsStationBarrierFree(*t, static_cast<uint16_t>(station)))
      return;
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
      int taken = 0;
      const int limit = GroupStationLimit(l);
      for (int32_t k = l.ItemStationRanges[item]; k < l.ItemStationRanges[item + 1]; ++k) {
        const uint16_t station = l.ItemStations[k];
        const uint16_t type = t.StationTypes.empty() ? 0 : t.StationTypes[station];
        if (ListKind(l) == kListKindTowns && (type & kNotAMember)) continue;
        if (options_.memberLimit && taken >= limit && !(type & kAlwaysMember)) continue;
        ++taken;
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

  void AddEntry(PlaceEntry const& e) {
    if (e.list == kPlacePassThrough)
      Add(e.timetable, -e.item, e.minutes);
    else if (e.list < 0)
      AddWithEquivalents(e.timetable, static_cast<uint16_t>(e.item), e.minutes);
    else
      AddItem(e.timetable, e.list, e.item, e.minutes, true);
  }

  // Stations one walking link away within the limit, links into other
  // timetables included.
  void AddWalks() {
    if (options_.walkingLimit < 0) return;
    const size_t found = out_.size();
    ExternLinkList extern_;
    for (size_t i = 0; i < found; ++i) {
      const PlaceStation at = out_[i];
      if (at.station < 0) continue;
      TimetableRecord const& t = *TimetableAt(at.timetable);
      const uint16_t station = static_cast<uint16_t>(at.station);
      const InternLinkRange links = InternLinks(t, station, options_.lowFloor);
      if (!options_.lowFloor || !t.BarrierFreeLinkMinutes.empty() || links.count == 0) {
        for (int32_t k = 0; k < links.count; ++k) {
          const int8_t m = links.Minutes(k);
          if (m >= 0 && m <= options_.walkingLimit)
            Add(at.timetable, links.Target(k), at.minutes + m);
        }
      }
      ExternLinks(t, station, extern_);
      for (size_t k = 0; k < extern_.stations.size(); ++k) {
        const int8_t m = extern_.minutes[k];
        if (m >= 0 && m <= options_.walkingLimit)
          Add(extern_.timetables[k], extern_.stations[k], at.minutes + m);
      }
    }
  }

  // City stations whose key lies in the same group of 10000.
  void AddSameGroup() {
    if (!options_.sameGroup) return;
    const size_t found = out_.size();
    for (size_t i = 0; i < found; ++i) {
      const PlaceStation at = out_[i];
      TimetableRecord const& t = *TimetableAt(at.timetable);
      if (at.station < 0 || t.Kind != 3 || t.StationKeys.empty()) continue;
      const int32_t group = t.StationKeys[at.station] / 10000;
      for (uint32_t s = 0; s < t.StationCount; ++s)
        if (static_cast<int32_t>(s) != at.station &&
            t.StationKeys[static_cast<int32_t>(s)] / 10000 == group)
          Add(at.timetable, static_cast<int32_t>(s), 0);
    }
  }

 private:
  std::vector<PlaceStation>& out_;
  ExpansionOptions options_;
};

}  // namespace

void ExpandPlaceStations(PlaceEntry const* entries, size_t count, ExpansionOptions const& options,
                         std::vector<PlaceStation>& out) {
  Expansion expansion(out, options);
  for (size_t i = 0; i < count; ++i) expansion.AddEntry(entries[i]);
  expansion.AddWalks();
  expansion.AddSameGroup();
}

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
  expansion.AddEntry({timetable, list, item, 0});
  std::stable_sort(out.begin(), out.end(), [](PlaceStation const& a, PlaceStation const& b) {
    return a.timetable < b.timetable;
  });
  return 0;
}

}  // namespace qo
