#include "load/reindex.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "format/stored_bits.h"
#include "load/loaded_set.h"
#include "platform/file_system.h"

namespace qo {
namespace {

constexpr uint16_t kLinkedStationBits = 0x0021;
constexpr int32_t kTownListType = 1;
constexpr uint16_t kSameNameBit = 0x0004;

using Set = std::vector<TimetableRecord*>;

// The working type words start again from what loading derived.
void ResetStationTypeWords(TimetableRecord& t) {
  SetWideData& w = t.SetWide;
  if (!w.LoadedStationTypes.get()) {
    w.StationTypeWords.reset();
    t.StationTypes = ImageArray<uint16_t>();
    return;
  }
  if (w.StationTypeWords.bytes() != w.LoadedStationTypes.bytes())
    w.StationTypeWords = OwnedArray(CopyArray(w.LoadedStationTypes.get()));
  else
    std::memcpy(w.StationTypeWords.get(), w.LoadedStationTypes.get(),
                static_cast<size_t>(w.LoadedStationTypes.bytes()));
  t.StationTypes = ImageArray<uint16_t>(w.StationTypeWords.get(), w.StationTypeWords.count());
}

void NumberStations(Set const& set, SetIndex& index) {
  index.StationTimetable.clear();
  index.StationIndex.clear();
  int32_t next = 0;
  for (size_t i = 0; i < set.size(); ++i) {
    TimetableRecord& t = *set[i];
    t.SetWide.SetStationNumbers.resize(t.StationCount);
    for (uint32_t s = 0; s < t.StationCount; ++s) {
      t.SetWide.SetStationNumbers[s] = next++;
      index.StationTimetable.push_back(static_cast<int32_t>(i));
      index.StationIndex.push_back(static_cast<uint16_t>(s));
    }
  }
  index.MergedStationRing.assign(static_cast<size_t>(next), -1);
}

// City transport shows some station remarks its own way: rows whose first
// code byte is a control value with bit 0x04.
void MarkCityRemarks(Set const& set) {
  for (TimetableRecord* t : set) {
    t->CityRemarkFlag = 0;
    if (t->Kind != kKindCity) continue;
    RecordArray const& rows = t->TrainStationRemarks;
    for (int32_t r = 0; r < rows.size(); ++r) {
      uint8_t code = rows.Field<uint8_t>(r, 6);
      if (code < 32 && (code & 0x04)) {
        t->CityRemarkFlag = 1;
        break;
      }
    }
  }
}

// Timetables that share one fare file price together.
void AssignFareGroups(Set const& set) {
  int32_t next = 0;
  for (size_t i = 0; i < set.size(); ++i) {
    TimetableRecord& t = *set[i];
    t.FareGroup = -1;
    if (!t.Fares) continue;
    for (size_t j = 0; j < i; ++j) {
      if (set[j]->Fares && SamePathIgnoringCase(set[j]->Fares->File.Path, t.Fares->File.Path)) {
        t.FareGroup = set[j]->FareGroup;
        break;
      }
    }
    if (t.FareGroup < 0) t.FareGroup = next++;
  }
}

struct PendingLink {
  uint16_t station;
  int32_t timetable;
  uint16_t other;
  int8_t value;
};

void LayOutLinks(TimetableRecord& t, std::vector<PendingLink> const& pending) {
  CrossLinkTable& table = t.SetWide.CrossLinks;
  table = CrossLinkTable();
  if (pending.empty()) return;
  table.Offsets.assign(t.StationCount + 1, 0);
  for (PendingLink const& link : pending) ++table.Offsets[link.station + 1];
  for (uint32_t s = 0; s < t.StationCount; ++s) table.Offsets[s + 1] += table.Offsets[s];
  std::vector<int32_t> cursor(table.Offsets.begin(), table.Offsets.end() - 1);
  table.Timetables.resize(pending.size());
  table.Stations.resize(pending.size());
  table.Values.resize(pending.size());
  for (PendingLink const& link : pending) {
    int32_t at = cursor[link.station]++;
    table.Timetables[at] = link.timetable;
    table.Stations[at] = link.other;
    table.Values[at] = link.value;
  }
  for (uint32_t s = 0; s < t.StationCount; ++s)
    if (table.Offsets[s + 1] > table.Offsets[s])
      SetDerivedStationTypeBits(t, static_cast<uint16_t>(s), kLinkedStationBits);
}

// Each link record names stations of every timetable of one kind and area
// by key; the link is kept on both sides.
void BuildCrossLinks(Set const& set) {
  std::vector<std::vector<PendingLink>> pending(set.size());
  for (size_t a = 0; a < set.size(); ++a) {
    for (LinkRecord const& record : set[a]->LinkRecords) {
      for (size_t b = 0; b < set.size(); ++b) {
        TimetableRecord const& other = *set[b];
        if (b == a || other.Kind != record.Kind || other.Area != record.Area ||
            other.StationKeys.empty())
          continue;
        for (int32_t e = 0; e < record.OwnStations.size(); ++e) {
          int32_t found = FindStationByKey(other.StationKeys, other.StationsByKey, record.Keys[e]);
          if (found < 0) continue;
          uint16_t own = record.OwnStations[e];
          auto value = static_cast<int8_t>(record.Values[e]);
          pending[a].push_back({own, static_cast<int32_t>(b), static_cast<uint16_t>(found), value});
          pending[b].push_back({static_cast<uint16_t>(found), static_cast<int32_t>(a), own, value});
        }
      }
    }
  }
  for (size_t i = 0; i < set.size(); ++i) LayOutLinks(*set[i], pending[i]);
}

// The identity under which a timetable's stations merge: its merge kind,
// area and keys when the file gives them, else its own, with rail counted
// as bus. Read here only, never written into the record.
struct MergeIdentity {
  uint8_t kind = 0;
  uint8_t area = 0;
  ImageArray<int32_t> keys;
  ImageArray<uint16_t> byKey;
};

MergeIdentity IdentityOf(TimetableRecord const& t) {
  if (t.MergeKind) return {t.MergeKind, t.MergeArea, t.MergeStationKeys, t.MergeStationsByKey};
  return {t.Kind == kKindRail ? kKindBus : t.Kind, t.Area, t.StationKeys, t.StationsByKey};
}

// Stations in ascending key order: the file's order when it gives one for
// every station, else sorted here.
std::vector<uint16_t> KeyOrder(MergeIdentity const& id) {
  std::vector<uint16_t> order;
  int32_t n = id.keys.size();
  order.reserve(static_cast<size_t>(n));
  if (id.byKey.size() == n) {
    for (int32_t i = 0; i < n; ++i) order.push_back(id.byKey[i]);
  } else {
    for (int32_t i = 0; i < n; ++i) order.push_back(static_cast<uint16_t>(i));
    std::stable_sort(order.begin(), order.end(),
                     [&](uint16_t a, uint16_t b) { return id.keys[a] < id.keys[b]; });
  }
  return order;
}

void MergeStations(Set const& set, SetIndex& index) {
  std::vector<MergeIdentity> ids;
  for (TimetableRecord* t : set) {
    t->SetWide.MergeGroup = -1;
    ids.push_back(IdentityOf(*t));
  }
  std::vector<bool> grouped(set.size(), false);
  for (size_t first = 0; first < set.size(); ++first) {
    if (grouped[first] || ids[first].keys.empty()) continue;
    std::vector<size_t> members{first};
    for (size_t j = first + 1; j < set.size(); ++j) {
      if (!grouped[j] && !ids[j].keys.empty() && ids[j].kind == ids[first].kind &&
          ids[j].area == ids[first].area)
        members.push_back(j);
    }
    for (size_t m : members) grouped[m] = true;
    if (members.size() < 2) continue;
    for (size_t m : members) set[m]->SetWide.MergeGroup = static_cast<int32_t>(first);

    // Walk all members in key order at once; a key met in two or more
    // members links their stations in a ring, in set order.
    std::vector<std::vector<uint16_t>> orders;
    for (size_t m : members) orders.push_back(KeyOrder(ids[m]));
    std::vector<size_t> cursor(members.size(), 0);
    std::vector<int32_t> ring;
    for (;;) {
      bool any = false;
      int32_t smallest = 0;
      for (size_t k = 0; k < members.size(); ++k) {
        if (cursor[k] >= orders[k].size()) continue;
        int32_t key = ids[members[k]].keys[orders[k][cursor[k]]];
        if (!any || key < smallest) smallest = key;
        any = true;
      }
      if (!any) break;
      ring.clear();
      for (size_t k = 0; k < members.size(); ++k) {
        if (cursor[k] >= orders[k].size()) continue;
        uint16_t station = orders[k][cursor[k]];
        if (ids[members[k]].keys[station] != smallest) continue;
        ++cursor[k];
        auto const& numbers = set[members[k]]->SetWide.SetStationNumbers;
        if (station < numbers.size()) ring.push_back(numbers[station]);
      }
      if (ring.size() < 2 || smallest == 0) continue;
      for (size_t r = 0; r < ring.size(); ++r)
        index.MergedStationRing[static_cast<size_t>(ring[r])] = ring[(r + 1) % ring.size()];
    }
  }
}

VirtListRecord const* FirstListOfType(TimetableRecord const& t, int32_t type) {
  for (VirtListRecord const& list : t.VirtLists)
    if (list.Type == type) return &list;
  return nullptr;
}

// Items with keys in ascending key order (key 0 is no key and never
// matches).
std::vector<std::pair<int32_t, int32_t>> KeyedItems(VirtListRecord const& list) {
  std::vector<std::pair<int32_t, int32_t>> items;
  for (int32_t i = 0; i < list.ItemKeys.size() && i < list.ItemCount; ++i)
    if (list.ItemKeys[i] != 0) items.emplace_back(list.ItemKeys[i], i);
  std::sort(items.begin(), items.end());
  return items;
}

// Bus timetables after a rail timetable share its towns: their stations
// inside a town that the rail timetable knows by key are marked.
void MarkTownSharedStations(Set const& set, SetIndex& index) {
  bool shared = false;
  for (size_t i = 0; i < set.size(); ++i) {
    TimetableRecord& t = *set[i];
    if (i > 0 && t.Kind == kKindBus && set[i - 1]->Kind == kKindRail) shared = true;
    t.SetWide.HasTownSharedStations = shared && t.Kind == kKindBus;
    t.SetWide.TownSharedStations.clear();
    if (t.SetWide.HasTownSharedStations) t.SetWide.TownSharedStations.assign(t.StationCount, 0);
  }
  index.TownsShared = shared;
  if (!shared) return;

  for (size_t r = 0; r < set.size(); ++r) {
    if (set[r]->Kind != kKindRail) continue;
    VirtListRecord const* railTowns = FirstListOfType(*set[r], kTownListType);
    if (!railTowns) continue;
    auto railItems = KeyedItems(*railTowns);
    for (size_t l = r + 1; l < set.size(); ++l) {
      TimetableRecord& later = *set[l];
      if (!later.SetWide.HasTownSharedStations) continue;
      VirtListRecord const* towns = FirstListOfType(later, kTownListType);
      if (!towns) continue;
      auto items = KeyedItems(*towns);
      size_t a = 0, b = 0;
      while (a < railItems.size() && b < items.size()) {
        if (railItems[a].first < items[b].first) {
          ++a;
        } else if (items[b].first < railItems[a].first) {
          ++b;
        } else {
          int32_t item = items[b].second;
          for (int32_t k = 0; k < ItemStationCount(*towns, item); ++k) {
            uint16_t station = StationOfItem(*towns, item, k);
            if (station < later.SetWide.TownSharedStations.size())
              later.SetWide.TownSharedStations[station] = 1;
          }
          ++b;
        }
      }
    }
  }
}

bool LinksTo(TimetableRecord const& t, int32_t target) {
  auto const& targets = t.SetWide.CrossLinks.Timetables;
  return std::find(targets.begin(), targets.end(), target) != targets.end();
}

// The links of a town's stations are numbered by the city-transport
// timetable that serves the town, so that the search can tell a walk into
// the city apart from other walks.
void MarkLinkedCities(Set const& set, SetIndex& index) {
  index.LinkedCity = false;
  for (TimetableRecord* t : set) {
    t->SetWide.TransferTownMarks.clear();
    t->SetWide.LinkTownMarks.clear();
  }
  if (set.size() < 2) return;
  auto servesTown = [](TimetableRecord const& t) {
    return t.Kind == kKindCity && t.TownKey != 0 && !t.SetWide.CrossLinks.empty();
  };
  if (std::none_of(set.begin(), set.end(), [&](TimetableRecord* t) { return servesTown(*t); }))
    return;

  for (size_t x = 0; x < set.size(); ++x) {
    TimetableRecord& t = *set[x];
    if (t.Kind == kKindCity || t.VirtLists.empty()) continue;
    VirtListRecord const& towns = t.VirtLists[0];
    if (towns.Type != kTownListType || towns.ItemKeys.empty()) continue;
    SetWideData& w = t.SetWide;
    w.TransferTownMarks.assign(static_cast<size_t>(t.TransferStations.size()), 0);
    w.LinkTownMarks.assign(static_cast<size_t>(w.CrossLinks.Count()), 0);
    uint16_t number = 0;
    for (size_t c = 0; c < set.size(); ++c) {
      TimetableRecord const& city = *set[c];
      if (!servesTown(city) || !LinksTo(city, static_cast<int32_t>(x))) continue;
      ++number;
      int32_t item = -1;
      for (int32_t i = 0; i < towns.ItemKeys.size() && i < towns.ItemCount; ++i) {
        if (towns.ItemKeys[i] == static_cast<int32_t>(city.TownKey)) {
          item = i;
          break;
        }
      }
      if (item < 0) continue;
      for (int32_t k = 0; k < ItemStationCount(towns, item); ++k) {
        uint16_t s = StationOfItem(towns, item, k);
        if (s + 1 < t.TransferOffsets.size()) {
          for (int32_t j = t.TransferOffsets[s]; j < t.TransferOffsets[s + 1]; ++j) {
            w.TransferTownMarks[static_cast<size_t>(j)] = number;
            index.LinkedCity = true;
          }
        }
        if (s + 1u < w.CrossLinks.Offsets.size()) {
          for (int32_t j = w.CrossLinks.Offsets[s]; j < w.CrossLinks.Offsets[s + 1]; ++j) {
            w.LinkTownMarks[static_cast<size_t>(j)] = number;
            index.LinkedCity = true;
          }
        }
      }
    }
  }
}

// The same-name marks of each timetable that loading did not derive.
std::vector<std::vector<uint16_t>> SameNameMarks(Set const& set) {
  std::vector<std::vector<uint16_t>> marks(set.size());
  for (size_t i = 0; i < set.size(); ++i) {
    SetWideData const& w = set[i]->SetWide;
    if (!w.StationTypeWords.get() || !w.LoadedStationTypes.get()) continue;
    for (int32_t s = 0; s < w.StationTypeWords.count(); ++s) {
      if ((ArrayAt<uint16_t>(w.StationTypeWords.get(), s) & kSameNameBit) &&
          !(ArrayAt<uint16_t>(w.LoadedStationTypes.get(), s) & kSameNameBit))
        marks[i].push_back(static_cast<uint16_t>(s));
    }
  }
  return marks;
}

}  // namespace

void RebuildSetWideData() {
  Set const& set = LoadedSet();
  SetIndex& index = LoadedSetIndex();
  for (TimetableRecord* t : set) ResetStationTypeWords(*t);
  NumberStations(set, index);
  MarkCityRemarks(set);
  AssignFareGroups(set);
  BuildCrossLinks(set);
  MergeStations(set, index);
  MarkTownSharedStations(set, index);
  MarkLinkedCities(set, index);
}

void AdvanceDataGeneration() { ++LoadedSetIndex().DataGeneration; }

void PrepareSetWideData(TimetableRecord& t) {
  SetWideData& w = t.SetWide;
  w.StoredStationTypes = t.StationTypes;
  w.LoadedStationTypes.reset();
  if (!t.StationTypes.empty())
    w.LoadedStationTypes = OwnedArray(CopyArray(t.StationTypes.handle()));
  ResetStationTypeWords(t);
}

void RebuildSetReferences() {
  // A close without re-index keeps the same-name marks as they are; only
  // the next full re-index judges the names again.
  Set const& set = LoadedSet();
  std::vector<std::vector<uint16_t>> kept = SameNameMarks(set);
  RebuildSetWideData();
  for (size_t i = 0; i < set.size(); ++i)
    for (uint16_t station : kept[i]) SetDerivedStationTypeBits(*set[i], station, kSameNameBit);
  AdvanceDataGeneration();
}

void SetDerivedStationTypeBits(TimetableRecord& t, uint16_t station, uint16_t bits) {
  if (station >= t.StationCount) return;
  SetWideData& w = t.SetWide;
  if (!w.StationTypeWords.get()) {
    AllocArray(w.StationTypeWords.address(), static_cast<int32_t>(t.StationCount), 2);
    t.StationTypes = ImageArray<uint16_t>(w.StationTypeWords.get(), w.StationTypeWords.count());
  }
  ArraySet<uint16_t>(w.StationTypeWords.get(), station,
                     ArrayAt<uint16_t>(w.StationTypeWords.get(), station) | bits);
}

int32_t ItemStationCount(VirtListRecord const& list, int32_t item) {
  if (item < 0 || item >= list.ItemCount) return 0;
  if (!list.ItemStationRanges.empty())
    return list.ItemStationRanges[item + 1] - list.ItemStationRanges[item];
  return item < list.ItemStation.size() ? 1 : 0;
}

uint16_t StationOfItem(VirtListRecord const& list, int32_t item, int32_t k) {
  if (!list.ItemStationRanges.empty()) return list.ItemStations[list.ItemStationRanges[item] + k];
  return list.ItemStation[item];
}

int32_t FindStationByKey(ImageArray<int32_t> const& keys, ImageArray<uint16_t> const& byKey,
                         int32_t key) {
  const int32_t n = keys.size();
  if (byKey.size() == n) {
    int32_t low = 0, high = n;
    while (low < high) {
      int32_t mid = low + (high - low) / 2;
      if (keys[byKey[mid]] < key)
        low = mid + 1;
      else
        high = mid;
    }
    return low < n && keys[byKey[low]] == key ? byKey[low] : -1;
  }
  for (int32_t s = 0; s < n; ++s)
    if (keys[s] == key) return s;
  return -1;
}

}  // namespace qo
