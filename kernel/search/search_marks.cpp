#include "search/search_marks.h"

#include <algorithm>
#include <cstring>

#include "format/stored_bits.h"
#include "load/loaded_set.h"
#include "calendars/day_type_state.h"
#include "load/timetable_record.h"
#include "search/search_state.h"
#include "search/change_rules.h"
#include "search/search_corridor.h"
#include "search/search_params.h"
#include "stations/station_access.h"
#include "stations/station_names.h"
#include "trains/train_checks.h"
#include "virtlists/virt_lists.h"

namespace qo {
namespace {

constexpr uint32_t kRegionGroupBit = 0x80000000;

int IndexOf(TimetableRecord const* t) { return IndexOfTimetable(t); }

bool TakesPart(TimetableRecord const& t) { return DayTypesOf(t).Filter.TypeMask != kIncludeNone; }

template <class T>
void Reset(std::vector<T>& marks, size_t count) {
  marks.assign(count, T{0});
}

// The arcs of the station graph: for station i its arcs ArcOffsets[i] ..
// ArcOffsets[i + 1] - 1 lead to ArcStations[arc].
bool HasArcs(TimetableRecord const& t) {
  return t.ArcOffsets.size() == static_cast<int32_t>(t.StationCount) + 1 && !t.ArcStations.empty();
}

// Marks the arcs ending at (by arrival: starting from) the stations that
// `belongs` accepts, and the end station of every arc that carries the bit.
template <class Accept>
void MarkArcsInto(TimetableRecord& t, uint16_t bit, bool byArrival, Accept&& belongs) {
  SearchMarks& m = SearchStateOf(t).Marks;
  for (uint32_t i = 0; i < t.StationCount; ++i) {
    for (int32_t arc = t.ArcOffsets[static_cast<int32_t>(i)];
         arc < t.ArcOffsets[static_cast<int32_t>(i) + 1] && arc < t.ArcStations.size(); ++arc) {
      const int32_t j = t.ArcStations[arc];
      const int32_t end = byArrival ? static_cast<int32_t>(i) : j;
      const int32_t source = byArrival ? j : static_cast<int32_t>(i);
      if (belongs(end, source)) m.ArcPassVia[static_cast<size_t>(arc)] |= bit;
      if (m.ArcPassVia[static_cast<size_t>(arc)] & bit) m.PassVia[static_cast<size_t>(end)] |= bit;
    }
  }
}

void MarkViaStation(TimetableRecord& t, int32_t s, uint16_t bit, bool byArrival) {
  SearchMarks& m = SearchStateOf(t).Marks;
  if (s < 0 || static_cast<uint32_t>(s) >= t.StationCount) return;
  if (!HasArcs(t)) {
    m.PassVia[static_cast<size_t>(s)] |= bit;
    return;
  }
  if (t.PassViaOffsets.size() == static_cast<int32_t>(t.StationCount) + 1) {
    for (int32_t k = t.PassViaOffsets[s]; k < t.PassViaOffsets[s + 1] && k < t.PassViaArcs.size();
         ++k) {
      const int32_t arc = t.PassViaArcs[k];
      if (arc >= 0 && static_cast<size_t>(arc) < m.ArcPassVia.size())
        m.ArcPassVia[static_cast<size_t>(arc)] |= bit;
    }
  }
  MarkArcsInto(t, bit, byArrival, [s](int32_t end, int32_t) { return end == s; });
}

// The stations an end of a via section stands for: a station key (100 and
// up) or a region number (the key's hundred-thousands).
bool SectionEndHolds(TimetableRecord const& t, int32_t end, std::vector<int32_t> const& keyStations,
                     int32_t station) {
  if (end >= 100)
    return std::find(keyStations.begin(), keyStations.end(), station) != keyStations.end();
  return !t.StationKeys.empty() && t.StationKeys[station] / 100000 == end;
}

void MarkViaSection(TimetableRecord& t, int32_t key, uint16_t bit, bool byArrival) {
  if (!HasArcs(t)) return;
  for (int32_t row = 0; row < t.ViaSections.size(); ++row) {
    if (t.ViaSections.Field<int32_t>(row, 0) != key) continue;
    const int32_t a = t.ViaSections.Field<int32_t>(row, 4);
    const int32_t b = t.ViaSections.Field<int32_t>(row, 8);
    std::vector<int32_t> atA, atB;
    if (a >= 100) SearchStationKeyEx(t, a, 0, atA);
    if (b >= 100) SearchStationKeyEx(t, b, 0, atB);
    MarkArcsInto(t, bit, byArrival, [&](int32_t end, int32_t source) {
      return (SectionEndHolds(t, a, atA, source) && SectionEndHolds(t, b, atB, end)) ||
             (SectionEndHolds(t, b, atB, source) && SectionEndHolds(t, a, atA, end));
    });
  }
}

void BuildPassViaMarks(SearchRun const& run, bool byArrival) {
  for (TimetableRecord* t : LoadedSet()) {
    Reset(SearchStateOf(*t).Marks.PassVia, t->StationCount);
    Reset(SearchStateOf(*t).Marks.ArcPassVia, static_cast<size_t>(t->ArcStations.size()));
  }
  for (int k = 0; k < run.Request.ViaCount; ++k) {
    const uint16_t bit = static_cast<uint16_t>(1u << k);
    for (SearchStation const& entry : run.Request.Via[static_cast<size_t>(k)]) {
      if (entry.station >= 0)
        MarkViaStation(*entry.timetable, entry.station, bit, byArrival);
      else
        MarkViaSection(*entry.timetable, -entry.station, bit, byArrival);
    }
  }
}

// Two neighbouring timetables of one kind and area but different names
// split a region between them: the search stays in one region.
bool SplitRegion() {
  std::vector<TimetableRecord*> const& set = LoadedSet();
  for (size_t i = 0; i + 1 < set.size(); ++i) {
    TimetableRecord const& a = *set[i];
    TimetableRecord const& b = *set[i + 1];
    if (TakesPart(a) && TakesPart(b) && a.Kind == b.Kind && a.Area == b.Area &&
        PoolString(a.NamePool, 0) != PoolString(b.NamePool, 0))
      return true;
  }
  return false;
}

bool Domestic(SearchStation const& s) {
  return s.timetable && s.station >= 0 &&
         IsDomesticStation(*s.timetable, static_cast<uint16_t>(s.station));
}

// The region name of a station: its region's text up to the first "-".
std::string RegionNameOf(TimetableRecord const& t, int32_t station) {
  if (t.StationRegions.empty() || station < 0 || station >= t.StationRegions.size()) return {};
  const int16_t region = t.StationRegions[station];
  if (region < 0 || region >= GetPoolCount(t.RegionNames)) return {};
  std::string_view name = PoolString(t.RegionNames, region);
  return std::string(name.substr(0, name.find('-')));
}

// The first station of every point of the request: From, To, each via.
std::vector<SearchStation> FirstStations(SearchRun const& run) {
  std::vector<SearchStation> out;
  if (!run.Request.From.empty()) out.push_back(run.Request.From.front());
  if (!run.Request.To.empty()) out.push_back(run.Request.To.front());
  for (int k = 0; k < run.Request.ViaCount; ++k)
    if (!run.Request.Via[static_cast<size_t>(k)].empty())
      out.push_back(run.Request.Via[static_cast<size_t>(k)].front());
  return out;
}

}  // namespace

std::vector<TimetableRecord*> CollectDistinctTimetables(StationSet const& set) {
  std::vector<TimetableRecord*> out;
  for (SearchStation const& s : set)
    if (s.timetable && TakesPart(*s.timetable) &&
        std::find(out.begin(), out.end(), s.timetable) == out.end())
      out.push_back(s.timetable);
  return out;
}

bool PassesTownListTest(int timetable, int station) {
  TimetableRecord const* t = TimetableAt(timetable);
  if (!t || station < 0 || static_cast<uint32_t>(station) >= t->StationCount) return true;
  int towns = -1, regions = -1;
  for (size_t l = 0; l < t->VirtLists.size(); ++l) {
    const int kind = t->VirtLists[l].Type;
    if (kind == 1 && towns < 0) towns = static_cast<int>(l);
    if (kind == 2 && regions < 0) regions = static_cast<int>(l);
  }
  if (towns < 0 || regions < 0) return true;
  const int32_t town = MapVirtListItem(*t, -1, station, towns);
  if (town < 0) return true;
  const int32_t direct = MapVirtListItem(*t, -1, station, regions);
  const int32_t viaTown = MapVirtListItem(*t, towns, town, regions);
  return direct >= 0 && viaTown >= 0 && direct == viaTown;
}

void PrepareSearchMarks(SearchRun& run, bool byArrival) {
  run.Found.clear();
  run.FirstFrom = run.Request.From.empty() ? SearchStation{} : run.Request.From.front();
  run.FirstTo = run.Request.To.empty() ? SearchStation{} : run.Request.To.front();

  std::vector<SearchStation> const firsts = FirstStations(run);
  if (SplitRegion()) {
    run.ScopeMode = 2;
  } else if (std::all_of(firsts.begin(), firsts.end(), Domestic)) {
    run.ScopeMode = 0;
    for (TimetableRecord* t : LoadedSet()) DayTypesOf(*t).Filter.TypeMask &= ~kRegionGroupBit;
  } else {
    run.ScopeMode = 1;
  }
  std::memset(run.CommonRegion, 0, sizeof run.CommonRegion);

  ConnParms& p = CurrentSearchSettings().Parms;
  run.SavedStopsInVia = p.StopsInVia;
  if (run.Request.ViaCount > 0) {
    bool keyEntry = false;
    for (int k = 0; k < run.Request.ViaCount; ++k)
      for (SearchStation const& s : run.Request.Via[static_cast<size_t>(k)])
        keyEntry = keyEntry || s.station < 0;
    // A via point given by key is a point between stations, never a stop.
    if (p.StopsInVia && keyEntry) p.StopsInVia = 0;
    if (!p.StopsInVia) BuildPassViaMarks(run, byArrival);
  }
}

void BuildTargetMarks(SearchRun const& run) {
  for (TimetableRecord* t : LoadedSet()) Reset(SearchStateOf(*t).Marks.Target, t->StationCount);
  int group = -1;
  SearchStation previous;
  for (SearchStation const& s : run.Request.To) {
    if (!s.timetable || s.station < 0) continue;
    const int index = IndexOf(s.timetable);
    if (group < 0 || !IsSameStationAcrossTimetables(previous.station, IndexOf(previous.timetable),
                                                    index, s.station))
      group = std::min(group + 1, kMaxTargetGroups - 1);
    previous = s;
    const int mark = 2 * group + 1 + (PassesTownListTest(index, s.station) ? 0 : 1);
    // A station listed twice keeps its first (best) group.
    uint8_t& target = SearchStateOf(*s.timetable).Marks.Target[static_cast<size_t>(s.station)];
    if (target == 0) target = static_cast<uint8_t>(mark);
  }
}

bool MeasuresArcs(TimetableRecord const& t) {
  return HasArcs(t) && t.ArcLengths.size() == t.ArcStations.size();
}

namespace {

bool AllStations(StationSet const& set) {
  return std::all_of(set.begin(), set.end(),
                     [](SearchStation const& s) { return s.timetable && s.station >= 0; });
}

// The limit a ride may go, in kilometres, from the shortest ways of the
// corridor (metres); none without a corridor.
int32_t DistanceLimitKm(int32_t shortest, bool corridor) {
  SearchSettings const& settings = CurrentSearchSettings();
  if (settings.MaxSearchDistance > 0) return (settings.MaxSearchDistance + 500) / 1000;
  if (!corridor) return 0;
  ConnParms const& p = settings.Parms;
  const int64_t limit = shortest;
  if (p.DeltaMaxType == 1) {
    const int64_t widened = limit * (100 + p.DeltaMaxPercent) / 100;
    return static_cast<int32_t>(widened < limit + 8000 ? (limit + 8500) / 1000
                                                       : (widened + 500) / 1000);
  }
  if (p.DeltaMaxType == 2) return static_cast<int32_t>((limit + p.DeltaMaxMetres + 500) / 1000);
  return 0;
}

}  // namespace

void ComputeSearchCorridor(SearchRun& run) {
  ConnParms const& p = CurrentSearchSettings().Parms;
  bool some = false, all = true, rail = false, bus = false;
  for (TimetableRecord* t : LoadedSet()) {
    if (!TakesPart(*t)) continue;
    some = some || MeasuresArcs(*t);
    all = all && MeasuresArcs(*t);
    rail = rail || t->Kind == kKindRail;
    bus = bus || t->Kind == kKindBus;
  }
  run.DistanceMode = some;
  run.PreferTrains = p.PreferTrains != 0 && rail && bus;
  run.DistanceLimit = 0;

  const bool deltaType = p.DeltaMaxType == 1 || p.DeltaMaxType == 2;
  for (TimetableRecord* t : LoadedSet()) {
    SearchMarks& m = SearchStateOf(*t).Marks;
    m.Allowed.clear();
    m.Alighting.assign(t->StationCount, 0);
    if (some && all && deltaType && TakesPart(*t)) m.Allowed.assign(t->StationCount, 0);
  }

  int32_t shortest = 0;
  const bool corridor = some && all && deltaType && !CurrentSearchSettings().ChangeFun &&
                        AllStations(run.Request.From) && AllStations(run.Request.To) &&
                        BuildDistanceCorridor(run, &shortest);
  run.DistanceLimit = DistanceLimitKm(shortest, corridor);
  for (TimetableRecord* t : LoadedSet()) {
    SearchMarks& m = SearchStateOf(*t).Marks;
    if (!corridor) {
      // Default alighting: every station where trains stop (all of them
      // without station flags); none in a timetable that takes no part.
      m.Allowed.clear();
      m.Alighting.assign(t->StationCount, TakesPart(*t) ? 1 : 0);
      if (!TakesPart(*t) || t->StationTypes.empty()) continue;
      for (uint32_t s = 0; s < t->StationCount; ++s)
        m.Alighting[s] = (t->StationTypes[static_cast<int32_t>(s)] & kStationStop) ? 1 : 0;
    } else {
      for (int16_t& word : m.Alighting) word = word != 0 ? 1 : 0;
    }
  }

  // Scope: a domestic search alights only at domestic stations; a search
  // within one region only in that region.
  std::vector<SearchStation> const firsts = FirstStations(run);
  bool restrict = run.ScopeMode == 0;
  std::string common;
  if (run.ScopeMode == 2 && !firsts.empty()) {
    common = RegionNameOf(*firsts.front().timetable, firsts.front().station);
    restrict = std::all_of(firsts.begin(), firsts.end(), [&](SearchStation const& s) {
      return s.station >= 0 && RegionNameOf(*s.timetable, s.station) == common;
    });
    std::strncpy(run.CommonRegion, common.c_str(), sizeof run.CommonRegion - 1);
  }
  if (restrict) {
    for (TimetableRecord* t : LoadedSet()) {
      if (!TakesPart(*t) || t->StationTypes.empty()) continue;
      for (uint32_t s = 0; s < t->StationCount; ++s) {
        const int32_t station = static_cast<int32_t>(s);
        const bool out = run.ScopeMode == 0 ? (t->StationTypes[station] & kStationForeign) != 0
                                            : RegionNameOf(*t, station) != common;
        if (out) SearchStateOf(*t).Marks.Alighting[s] = 0;
      }
    }
  }

  if (p.SearchByCoordinates && !CurrentSearchSettings().ChangeFun) RestrictByCoordinates(run);

  if (!run.Request.ChangePoints.empty()) {
    for (TimetableRecord* t : LoadedSet())
      std::fill(SearchStateOf(*t).Marks.Alighting.begin(), SearchStateOf(*t).Marks.Alighting.end(),
                0);
    for (SearchStation const& s : run.Request.ChangePoints)
      if (s.station >= 0 && !SearchStateOf(*s.timetable).Marks.Alighting.empty())
        SearchStateOf(*s.timetable).Marks.Alighting[static_cast<size_t>(s.station)] = 1;
  }

  auto alight = [](SearchStation const& s) {
    std::vector<int16_t>& words = SearchStateOf(*s.timetable).Marks.Alighting;
    if (s.station >= 0 && static_cast<size_t>(s.station) < words.size())
      words[static_cast<size_t>(s.station)] = 1;
  };
  for (SearchStation const& s : run.Request.From) alight(s);
  for (SearchStation const& s : run.Request.To) alight(s);
  for (int k = 0; k < run.Request.ViaCount; ++k)
    for (SearchStation const& s : run.Request.Via[static_cast<size_t>(k)]) alight(s);

  BuildTargetMarks(run);
  if (run.Request.ViaCount > 0) {
    for (TimetableRecord* t : LoadedSet()) Reset(SearchStateOf(*t).Marks.StopVia, t->StationCount);
    for (int k = 0; k < run.Request.ViaCount; ++k)
      for (SearchStation const& s : run.Request.Via[static_cast<size_t>(k)])
        if (s.station >= 0)
          SearchStateOf(*s.timetable).Marks.StopVia[static_cast<size_t>(s.station)] |=
              static_cast<uint16_t>(1u << k);
  }
}

void MarkViaStations(TimetableRecord const& t, uint16_t bit, std::vector<uint8_t>& near) {
  const size_t n = t.StationCount;
  near.assign(n, 0);
  SearchMarks const& marks = SearchStateOf(t).Marks;
  for (size_t s = 0; s < n; ++s)
    if ((s < marks.StopVia.size() && (marks.StopVia[s] & bit)) ||
        (s < marks.PassVia.size() && (marks.PassVia[s] & bit)))
      near[s] = 1;
  if (t.ArcOffsets.size() != static_cast<int32_t>(n) + 1) return;
  for (size_t s = 0; s < n; ++s)
    for (int32_t arc = t.ArcOffsets[static_cast<int32_t>(s)];
         arc < t.ArcOffsets[static_cast<int32_t>(s) + 1] && arc < t.ArcStations.size() &&
         static_cast<size_t>(arc) < marks.ArcPassVia.size();
         ++arc)
      if (marks.ArcPassVia[static_cast<size_t>(arc)] & bit) {
        near[s] = 1;
        if (static_cast<size_t>(t.ArcStations[arc]) < n) near[t.ArcStations[arc]] = 1;
      }
}

void FreeLabels(SearchRun& run) { CurrentSearchSettings().Parms.StopsInVia = run.SavedStopsInVia; }

}  // namespace qo
