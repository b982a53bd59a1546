#include "search/fare_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "calendars/day_type_calendars.h"
#include "core/string_pool.h"
#include "dates/clock.h"
#include "format/fare_layout.h"
#include "load/loaded_set.h"
#include "remarks/general_remarks.h"
#include "stations/station_access.h"
#include "stations/station_distances.h"
#include "text/text_fold.h"
#include "trains/train_info.h"
#include "trains/train_route.h"

namespace qo {
namespace {

constexpr int32_t kZoneP = 80;  // a station without a zone text
constexpr int32_t kZoneB = 66;
constexpr int kMaxZoneCandidates = 9;
constexpr int32_t kNoPrice = -1;

// A stop's zone candidates.
struct StopZones {
  int n;
  int32_t z[kMaxZoneCandidates];
};

// The zones of one leg's stops as every zone cover reads them: the zones
// taken outright (a stop's only candidate, the zone of an arc), in the order
// met, and the stops that have candidates.
struct LegZones {
  std::vector<int32_t> Taken;
  std::vector<StopZones> Stops;
};

// One leg as the fare engine sees it: its stops from boarding to alighting.
struct FareLeg {
  TimetableRecord* T = nullptr;
  int32_t Timetable = 0;
  ConnectionLeg const* Leg = nullptr;
  std::vector<RouteRecord> Stops;
  int32_t Category = -1;  // the train's fare category
  int32_t FirstArcKind = 0;
  int32_t LastArcKind = 0;
  // Decoded when a rule first asks for them, then kept for every further
  // rule and unit that holds the leg (ZonesOf, TextsOf, EndZoneText).
  mutable std::optional<LegZones> Zones;
  mutable std::optional<TrainTexts> Texts;
  mutable std::optional<std::string> BoardZoneText, AlightZoneText;
};

struct TariffNode {
  int32_t FirstLeg = 0;
  int32_t LastLeg = 0;  // inclusive
  int32_t Timetable = 0;
  int32_t LinkedTo = -1;  // the earlier node this one continues
  bool Priced = false;
};

// The legs of one pricing: a node and the nodes linked before it.
struct Unit {
  std::vector<int32_t> Legs;
  int32_t Links = 0;
  int32_t TransferMetres = 0;
  // The zones passed, covered when a rule first asks and kept for the
  // further rules tried on the unit (ZonesTaken).
  mutable std::optional<std::vector<int32_t>> Zones;
};

struct Engine {
  FareRequest const& Request;
  FareTables& Out;
  std::vector<FareLeg> Legs;
  std::vector<TariffNode> Nodes;
  DayNumber Today = 0;
  DayNumber ReferenceDay = 0;
  bool Truncated = false;
  bool CategoryApplied = false;

  FareData const& Fares(int32_t leg) const { return *Legs[static_cast<size_t>(leg)].T->Fares; }
};

std::string_view FareText(FareData const& f, int32_t text) {
  if (text < 0 || text >= GetPoolCount(f.Texts)) return {};
  return PoolString(f.Texts, text);
}

uint8_t HeaderByte(FareData const& f, int32_t offset) {
  return f.Header[static_cast<size_t>(offset)];
}

bool HasFareGroup(TimetableRecord const& t) { return t.Fares && t.FareGroup >= 0; }

// --- day tests ------------------------------------------------------------

DayNumber MoveToDayOfType(TimetableRecord& t, DayNumber from, int dayType, int mask) {
  for (int step = 0; step < 400; ++step) {
    int32_t day = from + step;
    if (day > 0xFFFE) break;
    bool fits = dayType == 0   ? IsWorkingDay(t, day)
                : dayType == 1 ? IsSundayOrHoliday(t, day)
                : dayType == 2 ? ((mask >> ((day % 7))) & 1) != 0
                               : true;
    if (fits) return static_cast<DayNumber>(day);
  }
  return from;
}

// --- journey stops ---------------------------------------------------------

int32_t ArcBetween(TimetableRecord const& t, uint16_t from, uint16_t to) {
  if (t.ArcOffsets.size() <= from + 1) return -1;
  for (int32_t arc = t.ArcOffsets[from]; arc < t.ArcOffsets[from + 1]; ++arc)
    if (arc < t.ArcStations.size() && t.ArcStations[arc] == to) return arc;
  return -1;
}

int32_t ArcKind(TimetableRecord const& t, uint16_t from, uint16_t to) {
  if (!t.Fares) return 0;
  int32_t arc = ArcBetween(t, from, to);
  if (arc < 0 || static_cast<size_t>(arc) >= t.Fares->ArcMarks.size()) return 0;
  return t.Fares->ArcMarks[static_cast<size_t>(arc)];
}

// A train that passes stations without stopping has no stored distances
// where the graph has no arc between its stops; the shortest way over the
// graph stands in for each such pair. Left at -1 without a way.
void FillMissingDistances(TimetableRecord const& t, std::vector<RouteRecord>& stops) {
  bool missing = false;
  for (RouteRecord const& r : stops) missing |= r.Distance < 0;
  if (!missing || t.ArcOffsets.empty()) return;
  // Kept from one price to the next: the searches allocate nothing.
  static StationDistanceScratch scratch;
  int32_t total = 0;
  stops[0].Distance = 0;
  for (size_t i = 1; i < stops.size(); ++i) {
    int32_t arc = ArcBetween(t, stops[i - 1].Station, stops[i].Station);
    int32_t pair = -1;
    if (arc >= 0 && arc < t.ArcLengths.size()) {
      pair = t.ArcLengths[arc];
    } else {
      const int32_t shortest =
          ShortestStationDistance(t, stops[i - 1].Station, stops[i].Station, scratch);
      if (shortest != kUnreachable) pair = shortest;
    }
    if (pair < 0 || total < 0) {
      total = -1;
    } else {
      total += pair;
    }
    stops[i].Distance = total;
  }
}

bool CollectJourneyStops(Engine& e, Connection const& legs) {
  for (ConnectionLeg const& leg : legs) {
    FareLeg f;
    f.T = TimetableAt(leg.Timetable);
    f.Timetable = leg.Timetable;
    f.Leg = &leg;
    if (!f.T || leg.Train < 0 || static_cast<uint32_t>(leg.Train) >= f.T->TrainCount) return false;
    std::vector<RouteRecord> route;
    BuildTrainRoute(*f.T, static_cast<uint32_t>(leg.Train), route);
    const RideStops at = FindRideStops(route, leg.FromStation, leg.DepartureMinute, leg.ToStation,
                                       leg.ArrivalMinute, RideMatch::EitherTime);
    if (at.Alight < 0) return false;
    f.Stops.assign(route.begin() + at.Board, route.begin() + at.Alight + 1);
    FillMissingDistances(*f.T, f.Stops);
    if (f.T->Fares) {
      ImageArray<int8_t> cats = f.T->Fares->Arrays[kFareTrainCategories].As<int8_t>();
      if (leg.Train < cats.size()) f.Category = cats[leg.Train];
      f.FirstArcKind = ArcKind(*f.T, f.Stops[0].Station, f.Stops[1].Station);
      size_t n = f.Stops.size();
      f.LastArcKind = ArcKind(*f.T, f.Stops[n - 2].Station, f.Stops[n - 1].Station);
    }
    e.Legs.push_back(std::move(f));
  }
  return !e.Legs.empty();
}

// --- measures --------------------------------------------------------------

int32_t StationKey(TimetableRecord const& t, uint16_t station) {
  return station < t.StationKeys.size() ? t.StationKeys[station] : -1;
}

std::string_view StationName(TimetableRecord const& t, uint16_t station) {
  return PoolString(t.StationNames, station);
}

std::string_view RegionName(TimetableRecord const& t, uint16_t station) {
  if (station >= t.StationRegions.size()) return {};
  int16_t region = t.StationRegions[station];
  if (region < 0 || region >= GetPoolCount(t.RegionNames)) return {};
  return PoolString(t.RegionNames, region);
}

bool FindKeyTriple(RecordArray const& rows, int32_t a, int32_t b, bool unordered, int32_t* value) {
  for (int32_t i = 0; i < rows.size(); ++i) {
    int32_t x = rows.Field<int32_t>(i, 0), y = rows.Field<int32_t>(i, 4);
    if ((x == a && y == b) || (unordered && x == b && y == a)) {
      *value = rows.Field<int32_t>(i, 8);
      return true;
    }
  }
  return false;
}

bool CategoryMeets(int32_t category, uint32_t mask) {
  if (mask == 0) return true;
  return category >= 0 && category < 32 && ((mask >> category) & 1) != 0;
}

// Metres of the unit counted for a rule; -1 when the distances fail.
int64_t Distance(Engine const& e, Unit const& u, FareData const& f, uint8_t const* rule,
                 uint32_t mask) {
  std::string_view region = FareText(f, LoadLE<int32_t>(rule + kRuleRegion));
  int16_t arcKind = LoadLE<int16_t>(rule + kRuleArcKind);
  auto inRegion = [&](TimetableRecord const& t, uint16_t s) {
    return RegionName(t, s).substr(0, region.size()) == region;
  };
  int64_t total = u.TransferMetres;
  for (int32_t li : u.Legs) {
    FareLeg const& leg = e.Legs[static_cast<size_t>(li)];
    if (!CategoryMeets(leg.Category, mask)) continue;
    for (size_t i = 0; i + 1 < leg.Stops.size(); ++i) {
      RouteRecord const& a = leg.Stops[i];
      RouteRecord const& b = leg.Stops[i + 1];
      if (a.Distance < 0 || b.Distance < a.Distance) return -1;
      int32_t pair = b.Distance - a.Distance;
      if (arcKind >= 0 && ArcKind(*leg.T, a.Station, b.Station) != arcKind) continue;
      if (!region.empty()) {
        bool inA = inRegion(*leg.T, a.Station), inB = inRegion(*leg.T, b.Station);
        if (!inA && !inB) continue;
        if (inA != inB) {
          int32_t inside = StationKey(*leg.T, inA ? a.Station : b.Station);
          int32_t outside = StationKey(*leg.T, inA ? b.Station : a.Station);
          int32_t border;
          pair = FindKeyTriple(f.Arrays[kFareBorders], inside, outside, false, &border) ? border
                                                                                        : pair / 2;
        }
      }
      total += pair;
    }
  }
  return total;
}

int64_t AbsoluteMinute(TimetableRecord const& t, uint16_t station, int32_t day, int32_t minute,
                       DayNumber travelDay) {
  return static_cast<int64_t>(day) * 1440 + minute -
         StationTimeShift(t, station, static_cast<int32_t>(travelDay) + day);
}

int32_t Duration(Engine const& e, Unit const& u) {
  FareLeg const& first = e.Legs[static_cast<size_t>(u.Legs.front())];
  FareLeg const& last = e.Legs[static_cast<size_t>(u.Legs.back())];
  int64_t dep =
      AbsoluteMinute(*first.T, static_cast<uint16_t>(first.Leg->FromStation),
                     first.Leg->DepartureDay, first.Leg->DepartureMinute, e.Request.TravelDay);
  int64_t arr = AbsoluteMinute(*last.T, static_cast<uint16_t>(last.Leg->ToStation),
                               last.Leg->ArrivalDay, last.Leg->ArrivalMinute, e.Request.TravelDay);
  return static_cast<int32_t>(std::max<int64_t>(0, arr - dep));
}

// Stops passed; a change at one place counts once.
int32_t StopsPassed(Engine const& e, Unit const& u) {
  int32_t stops = 0;
  int32_t previousKey = INT32_MIN;
  for (int32_t li : u.Legs) {
    FareLeg const& leg = e.Legs[static_cast<size_t>(li)];
    for (size_t i = 0; i < leg.Stops.size(); ++i) {
      int32_t key = StationKey(*leg.T, leg.Stops[i].Station);
      if (i == 0 && key == previousKey) continue;
      ++stops;
      previousKey = key;
    }
  }
  return stops;
}

int32_t TranslateZone(FareData const& f, int32_t zone) {
  ImageArray<int16_t> map = f.Arrays[kFareZoneMap].As<int16_t>();
  return zone >= 0 && zone < map.size() ? map[zone] : zone;
}

// Up to nine zone candidates of a stop.
int ZoneCandidates(FareLeg const& leg, uint16_t station, int32_t* out) {
  FareData const& f = *leg.T->Fares;
  RecordArray const& table = f.Arrays[kFareStationZones];
  int n = 0;
  if (!table.empty()) {
    int32_t key = StationKey(*leg.T, station);
    int32_t lo = 0, hi = table.size();
    while (lo < hi) {
      int32_t mid = (lo + hi) / 2;
      if (table.Field<int32_t>(mid, 0) < key)
        lo = mid + 1;
      else
        hi = mid;
    }
    for (; lo < table.size() && table.Field<int32_t>(lo, 0) == key && n < kMaxZoneCandidates; ++lo)
      for (int32_t col : {4, 6}) {
        int16_t z = table.Field<int16_t>(lo, col);
        if (z >= 0 && n < kMaxZoneCandidates) out[n++] = TranslateZone(f, z);
      }
    if (n == 0) out[n++] = 0;
    return n;
  }
  std::string text;
  StationZone(*leg.T, station, 0, false, {}, text);
  if (text.empty()) text = "P";
  for (size_t i = 0; i < text.size() && n < kMaxZoneCandidates;) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      int32_t v = 0;
      while (i < text.size() && text[i] >= '0' && text[i] <= '9' && v < 100000)
        v = v * 10 + (text[i++] - '0');
      out[n++] = TranslateZone(f, v);
    } else {
      if (c == 'P' || c == 'B') out[n++] = TranslateZone(f, c == 'P' ? kZoneP : kZoneB);
      ++i;
    }
  }
  return n;
}

// The leg's stop zones, decoded on first need.
LegZones const& ZonesOf(FareLeg const& leg) {
  if (leg.Zones) return *leg.Zones;
  LegZones out;
  FareData const& f = *leg.T->Fares;
  for (size_t i = 0; i < leg.Stops.size(); ++i) {
    StopZones s;
    s.n = ZoneCandidates(leg, leg.Stops[i].Station, s.z);
    if (s.n == 1) out.Taken.push_back(s.z[0]);
    if (s.n > 0) out.Stops.push_back(s);
    if (i + 1 < leg.Stops.size()) {
      int32_t zone;
      if (FindKeyTriple(f.Arrays[kFareArcZones], StationKey(*leg.T, leg.Stops[i].Station),
                        StationKey(*leg.T, leg.Stops[i + 1].Station), true, &zone))
        out.Taken.push_back(zone);
    }
  }
  return leg.Zones.emplace(std::move(out));
}

// The zones the unit passes, by greedy cover; covered once per unit.
std::vector<int32_t> const& ZonesTaken(Engine const& e, Unit const& u) {
  if (u.Zones) return *u.Zones;
  std::vector<StopZones> stops;
  std::vector<int32_t> zones;
  auto take = [&](int32_t z) {
    if (std::find(zones.begin(), zones.end(), z) == zones.end()) zones.push_back(z);
  };
  auto has = [&](int32_t z) { return std::find(zones.begin(), zones.end(), z) != zones.end(); };
  FareData const* f = nullptr;
  for (int32_t li : u.Legs) {
    FareLeg const& leg = e.Legs[static_cast<size_t>(li)];
    f = leg.T->Fares.get();
    LegZones const& legZones = ZonesOf(leg);
    for (int32_t z : legZones.Taken) take(z);
    stops.insert(stops.end(), legZones.Stops.begin(), legZones.Stops.end());
  }
  if (f && (HeaderByte(*f, kFareHeaderFlags) & kFareFlagFillZones)) {
    int32_t lo = INT32_MAX, hi = INT32_MIN;
    for (int32_t z : zones)
      if (z < kZoneB) lo = std::min(lo, z), hi = std::max(hi, z);
    for (int32_t z = lo; lo <= hi && z <= hi; ++z) take(z);
  }
  auto covered = [&](StopZones const& s) {
    for (int i = 0; i < s.n; ++i)
      if (has(s.z[i])) return true;
    return false;
  };
  for (;;) {
    int32_t best = INT32_MIN, bestCount = 0;
    for (StopZones const& s : stops) {
      if (covered(s)) continue;
      for (int i = 0; i < s.n; ++i) {
        int32_t z = s.z[i];
        int32_t count = 0;
        for (StopZones const& o : stops)
          if (!covered(o) && std::find(o.z, o.z + o.n, z) != o.z + o.n) ++count;
        bool wins = count > bestCount;
        if (count == bestCount && z != best) {
          bool special = !has(2) && ((z == kZoneB && best == 1) || (z == 1 && best == kZoneB));
          wins = special ? z == kZoneB : z < best;
        }
        if (wins) best = z, bestCount = count;
      }
    }
    if (bestCount == 0) break;
    take(best);
  }
  if (has(1) && has(kZoneP)) take(0);
  return u.Zones.emplace(std::move(zones));
}

// Zones passed; at least 1.
int32_t ZonesPassed(Engine const& e, Unit const& u) {
  return std::max<int32_t>(1, static_cast<int32_t>(ZonesTaken(e, u).size()));
}

// --- zone-pair tables ------------------------------------------------------

// The zone text of the leg's boarding or alighting stop, decoded on first need.
std::string const& EndZoneText(FareLeg const& leg, bool alighting) {
  std::optional<std::string>& cached = alighting ? leg.AlightZoneText : leg.BoardZoneText;
  if (cached) return *cached;
  std::string text;
  StationZone(*leg.T, alighting ? leg.Stops.back().Station : leg.Stops.front().Station, 0, false,
              {}, text);
  return cached.emplace(std::move(text));
}

// The value of a zone-pair table for the unit's first and last stop, or
// kNoPrice. Both ends in one zone price only when the table has a diagonal.
int32_t ZonePairValue(Engine const& e, Unit const& u, FareData const& f, int32_t table) {
  RecordArray const& zones = f.ZoneRecords[static_cast<size_t>(table)][0];
  ImageArray<int32_t> values = f.ZoneRecords[static_cast<size_t>(table)][1].As<int32_t>();
  int64_t n = zones.size();
  bool diagonal = values.size() == ZonePairCount(n, true);
  FareLeg const& first = e.Legs[static_cast<size_t>(u.Legs.front())];
  FareLeg const& last = e.Legs[static_cast<size_t>(u.Legs.back())];
  uint16_t a = first.Stops.front().Station, b = last.Stops.back().Station;
  auto lookup = [&](int32_t za, int32_t zb) -> int32_t {
    int32_t m = std::min(za, zb), M = std::max(za, zb);
    if (m == M && !diagonal) return kNoPrice;
    int32_t index = static_cast<int32_t>(ZonePairIndex(n, m, M, diagonal));
    if (index < 0 || index >= values.size()) return kNoPrice;
    return values[index];
  };
  if (f.Arrays[kFareTables].Field<uint8_t>(table, kTableZoneMode) == 0) {
    auto zoneOf = [&](int32_t key) {
      for (int32_t i = 0; i < zones.size(); ++i)
        if (key >= zones.Field<int32_t>(i, 0) && key <= zones.Field<int32_t>(i, 4)) return i;
      return -1;
    };
    int32_t za = zoneOf(StationKey(*first.T, a)), zb = zoneOf(StationKey(*last.T, b));
    if (za < 0 || zb < 0) return kNoPrice;
    return lookup(za, zb);
  }
  auto zoneIndexes = [&](std::string const& text) {
    std::vector<int32_t> out;
    size_t begin = 0;
    while (begin <= text.size()) {
      size_t end = text.find_first_of(",+", begin);
      std::string_view name = std::string_view(text).substr(
          begin, end == std::string::npos ? std::string::npos : end - begin);
      for (int32_t i = 0; i < zones.size() && !name.empty(); ++i)
        if (FareText(f, zones.Field<int32_t>(i, 0)) == name) out.push_back(i);
      if (end == std::string::npos) break;
      begin = end + 1;
    }
    return out;
  };
  int32_t best = kNoPrice;
  for (int32_t za : zoneIndexes(EndZoneText(first, false)))
    for (int32_t zb : zoneIndexes(EndZoneText(last, true))) {
      int32_t v = lookup(za, zb);
      if (v >= 0 && (best < 0 || v < best)) best = v;
    }
  return best;
}

// --- rules -----------------------------------------------------------------

struct RuleView {
  FareData const* F;
  int32_t Index;
  uint8_t const* Rec;
  std::array<RecordArray, 21> const* Slots;
  uint8_t Flags() const { return Rec[kRuleFlags]; }
  RecordArray const& Slot(int s) const { return (*Slots)[static_cast<size_t>(s)]; }
  int16_t I16(int32_t offset) const { return LoadLE<int16_t>(Rec + offset); }
};

RuleView Rule(FareData const& f, int32_t i) {
  FareTariff const& t = f.Tariffs[static_cast<size_t>(i)];
  return {&f, i, t.Record, &t.Slots};
}

bool InRange(int64_t v, int16_t lo, int16_t hi) {
  return (lo < 0 || v >= lo) && (hi < 0 || v <= hi);
}

bool KeyIn(RecordArray const& keys, int32_t key) {
  for (int32_t i = 0; i < keys.size(); ++i)
    if (keys.Field<int32_t>(i, 0) == key) return true;
  return false;
}

bool PatternHolds(FareData const& f, int32_t text, TimetableRecord const& t, uint16_t station) {
  std::string_view pattern = FareText(f, text);
  if (pattern.empty()) return true;
  if (pattern[0] == '$') {
    size_t list = static_cast<size_t>(std::atoi(std::string(pattern.substr(1)).c_str()));
    if (list >= f.KeyLists.size()) return false;
    ImageArray<int32_t> keys = f.KeyLists[list].As<int32_t>();
    for (int32_t i = 0; i < keys.size(); ++i)
      if (keys[i] == StationKey(t, station)) return true;
    return false;
  }
  return StationName(t, station).find(pattern) != std::string_view::npos;
}

bool ContainsFolded(std::string_view text, std::string_view pattern) {
  if (pattern.empty()) return true;
  std::string a(text), b(pattern);
  MakeUpperCase(a.data());
  MakeUpperCase(b.data());
  return a.find(b) != std::string::npos;
}

int32_t ZoneCount(Engine const& e, Unit const& u, RuleView const& r) {
  RecordArray const& prices = r.Slot(kSlotPrices);
  if (!prices.empty()) {
    int16_t zt = prices.Field<int16_t>(0, 2);
    if (zt >= 0) {
      int32_t v = ZonePairValue(e, u, *r.F, zt);
      return v < 0 ? v : std::min(v, 100);
    }
  }
  return ZonesPassed(e, u);
}

// The train's own texts of the leg, looked up on first need.
TrainTexts const& TextsOf(FareLeg const& leg) {
  if (leg.Texts) return *leg.Texts;
  TrainTexts texts;
  GetTrainTexts(*leg.T, 0, static_cast<uint32_t>(leg.Leg->Train), texts);
  return leg.Texts.emplace(std::move(texts));
}

bool EvaluateRule(Engine& e, Unit const& u, RuleView const& r) {
  FareData const& f = *r.F;
  FareLeg const& first = e.Legs[static_cast<size_t>(u.Legs.front())];
  FareLeg const& last = e.Legs[static_cast<size_t>(u.Legs.back())];
  TimetableRecord& t = *first.T;
  // 1. validity by the date basis
  uint8_t basis = HeaderByte(f, kFareHeaderDateBasis);
  DayNumber reference = basis == 1   ? e.Today
                        : basis == 2 ? e.ReferenceDay
                                     : std::min(e.Today, e.ReferenceDay);
  uint16_t from = LoadLE<uint16_t>(r.Rec + kRuleValidFrom);
  uint16_t to = LoadLE<uint16_t>(r.Rec + kRuleValidTo);
  if ((from && reference < from) || (to && reference > to)) return false;
  // 2. day rule
  uint8_t dayRule = r.Rec[kRuleDayRule];
  int32_t day = e.ReferenceDay;
  if (dayRule == 0 && !IsWorkingDay(t, day)) return false;
  if (dayRule == 1 && !IsSundayOrHoliday(t, day)) return false;
  if (dayRule == 2 && !((r.Rec[kRuleWeekdays] >> (day % 7)) & 1)) return false;
  if (dayRule == 4 && IsWorkingDay(t, day)) return false;
  // 3. train categories
  uint32_t trainBits = LoadLE<uint32_t>(r.Rec + kRuleTrainCategories);
  if (trainBits) {
    if (f.Arrays[kFareTrainCategories].empty()) return false;
    for (int32_t li : u.Legs) {
      int32_t c = e.Legs[static_cast<size_t>(li)].Category;
      if (c < 0 || c >= 32 || !((trainBits >> c) & 1)) return false;
    }
  }
  // 4. time-of-day window
  int16_t ws = r.I16(kRuleWindowStart), we = r.I16(kRuleWindowEnd);
  if (ws >= 0 && we >= 0) {
    int32_t dep = first.Leg->DepartureMinute % 1440;
    if ((dep - ws + 1440) % 1440 > (we - ws + 1440) % 1440) return false;
  }
  // 5. station sets
  uint16_t a = first.Stops.front().Station, b = last.Stops.back().Station;
  int32_t ka = StationKey(*first.T, a), kb = StationKey(*last.T, b);
  RecordArray const& firstSet = r.Slot(kSlotFirstStops);
  if (!firstSet.empty() && !KeyIn(firstSet, ka) &&
      !((r.Flags() & kRuleEitherEnd) && KeyIn(firstSet, kb)))
    return false;
  if (!r.Slot(kSlotLastStops).empty() && !KeyIn(r.Slot(kSlotLastStops), kb)) return false;
  RecordArray const& pairs = r.Slot(kSlotKeyPairs);
  if (!pairs.empty()) {
    bool any = false;
    for (int32_t i = 0; i < pairs.size() && !any; ++i)
      any = ka >= pairs.Field<int32_t>(i, 0) && ka <= pairs.Field<int32_t>(i, 4) &&
            kb >= pairs.Field<int32_t>(i, 8) && kb <= pairs.Field<int32_t>(i, 12);
    if (!any) return false;
  }
  // 6. name patterns
  RecordArray const& patterns = r.Slot(kSlotNamePatterns);
  if (patterns.size() >= 1 && !PatternHolds(f, patterns.Field<int32_t>(0, 0), *first.T, a))
    return false;
  if (patterns.size() >= 2 && !PatternHolds(f, patterns.Field<int32_t>(1, 0), *last.T, b))
    return false;
  // 7. train numbers; 11. text triples
  RecordArray const& numbers = r.Slot(kSlotTrainNumbers);
  RecordArray const& triples = r.Slot(kSlotTextTriples);
  if (!numbers.empty() || !triples.empty()) {
    for (int32_t li : u.Legs) {
      TrainTexts const& texts = TextsOf(e.Legs[static_cast<size_t>(li)]);
      if (!numbers.empty()) {
        int32_t n = std::atoi(texts.Number.c_str());
        bool any = false;
        for (int32_t i = 0; i < numbers.size() && !any; ++i)
          any = n >= numbers.Field<int32_t>(i, 0) && n <= numbers.Field<int32_t>(i, 4);
        if (!any) return false;
      }
      if (!triples.empty()) {
        bool any = false;
        for (int32_t i = 0; i < triples.size() && !any; ++i)
          any = ContainsFolded(texts.Number, FareText(f, triples.Field<int32_t>(i, 0))) &&
                ContainsFolded(texts.Second, FareText(f, triples.Field<int32_t>(i, 4))) &&
                ContainsFolded(texts.Type, FareText(f, triples.Field<int32_t>(i, 8)));
        if (!any) return false;
      }
    }
  }
  // 8. every stop in the all-stops set; each required range met
  RecordArray const& all = r.Slot(kSlotAllStops);
  RecordArray const& required = r.Slot(kSlotRequiredKeys);
  std::vector<bool> met(static_cast<size_t>(required.size()), false);
  for (int32_t li : u.Legs) {
    FareLeg const& leg = e.Legs[static_cast<size_t>(li)];
    for (RouteRecord const& s : leg.Stops) {
      int32_t key = StationKey(*leg.T, s.Station);
      if (!all.empty() && !KeyIn(all, key)) return false;
      for (int32_t i = 0; i < required.size(); ++i)
        if (key >= required.Field<int32_t>(i, 0) && key <= required.Field<int32_t>(i, 4))
          met[static_cast<size_t>(i)] = true;
    }
  }
  if (std::find(met.begin(), met.end(), false) != met.end()) return false;
  // 9. node kind, duration, stops
  int16_t kind = r.I16(kRuleKindTest);
  if (kind >= 0 &&
      (kind == 100 ? last.LastArcKind != first.FirstArcKind : first.FirstArcKind != kind))
    return false;
  if (!InRange(Duration(e, u), r.I16(kRuleDuration), r.I16(kRuleDuration + 2))) return false;
  int32_t stops = StopsPassed(e, u);
  if (!InRange(stops > 0 ? stops - 1 : stops, r.I16(kRuleStops), r.I16(kRuleStops + 2)))
    return false;
  // 10. fare categories
  uint32_t mask = LoadLE<uint32_t>(r.Rec + kRuleFareCategories);
  if (mask) {
    bool anyLeg = (r.Flags() & kRuleAnyLegCategory) != 0;
    bool any = false, allLegs = true;
    for (int32_t li : u.Legs) {
      bool meets = CategoryMeets(e.Legs[static_cast<size_t>(li)].Category, mask);
      any |= meets;
      allLegs &= meets;
    }
    if (anyLeg ? !any : !allLegs) return false;
  }
  // 12. zone range; 13. required zones
  int16_t zlo = r.I16(kRuleZones), zhi = r.I16(kRuleZones + 2);
  if (zlo >= 0 || zhi >= 0) {
    int32_t zones = ZoneCount(e, u, r);
    if (zones < 0 || !InRange(zones, zlo, zhi)) return false;
  }
  RecordArray const& distances = r.Slot(kSlotDistances);
  ImageArray<int16_t> requiredZones = r.Slot(kSlotRequiredZones).As<int16_t>();
  if (distances.empty() && !requiredZones.empty()) {
    std::vector<int32_t> const& taken = ZonesTaken(e, u);
    for (int32_t i = 0; i < requiredZones.size(); ++i)
      if (std::find(taken.begin(), taken.end(), requiredZones[i]) == taken.end()) return false;
  }
  // 14. distance ranges
  for (int32_t i = 0; i < distances.size(); ++i) {
    int64_t d = Distance(e, u, f, r.Rec, distances.Field<uint32_t>(i, 0));
    if (d < 0 || d < distances.Field<int32_t>(i, 4) || d > distances.Field<int32_t>(i, 8))
      return false;
  }
  // 15. one leg unless the rule allows several
  if (!(r.Flags() & kRuleSeveralLegs) && (u.Legs.size() != 1 || u.Links != 0)) return false;
  // 16. remark texts
  ImageArray<int32_t> remarks = r.Slot(kSlotRemarkTexts).As<int32_t>();
  if (!remarks.empty()) {
    for (int32_t li : u.Legs) {
      FareLeg const& leg = e.Legs[static_cast<size_t>(li)];
      uint32_t train = static_cast<uint32_t>(leg.Leg->Train);
      bool any = false;
      for (int32_t i = 0; i < CountGeneralRemarks(*leg.T, train) && !any; ++i) {
        RemarkParts parts;
        Journey journey{leg.Leg->FromStation, leg.Leg->ToStation, e.ReferenceDay};
        if (!GeneralRemarkHolds(*leg.T, 0, train, i, journey, 0, &parts)) continue;
        for (int32_t k = 0; k < remarks.size() && !any; ++k) {
          std::string_view text = FareText(f, remarks[k]);
          any = !text.empty() && parts.Visible.find(text) != std::string_view::npos;
        }
      }
      if (!any) return false;
    }
  }
  return true;
}

// The measure of a threshold table for the unit, or -1.
int64_t Measure(Engine const& e, Unit const& u, RuleView const& r, int32_t table,
                int16_t zoneTable) {
  FareData const& f = *r.F;
  switch (f.Arrays[kFareTables].Field<uint8_t>(table, kTableKind)) {
    case kTableDistance:
      return Distance(e, u, f, r.Rec, LoadLE<uint32_t>(r.Rec + kRuleFareCategories));
    case kTableDuration:
      return Duration(e, u);
    case kTableStops:
      return StopsPassed(e, u);
    case kTableZones:
      return ZonesPassed(e, u);
    case kTableZonePairMeasure:
      return zoneTable >= 0 ? ZonePairValue(e, u, f, zoneTable) : -1;
    default:
      return -1;
  }
}

// The rule's price for the unit in hundredths, or kNoPrice.
int64_t RulePrice(Engine const& e, Unit const& u, RuleView const& r, int32_t variant) {
  FareData const& f = *r.F;
  RecordArray const& prices = r.Slot(kSlotPrices);
  int32_t zones = -2;  // measured on first need
  int64_t sum = 0;
  bool any = false;
  for (int32_t p = 0; p < prices.size(); ++p) {
    int16_t table = prices.Field<int16_t>(p, 0), zoneTable = prices.Field<int16_t>(p, 2);
    int16_t lo = prices.Field<int16_t>(p, 4), hi = prices.Field<int16_t>(p, 6);
    if (lo >= 0 || hi >= 0) {
      if (zones == -2) zones = ZoneCount(e, u, r);
      if (zones < 0 || !InRange(zones, lo, hi)) continue;
    }
    int64_t entry = 0;
    if (table >= 0) {
      int64_t measure = Measure(e, u, r, table, zoneTable);
      if (measure < 0) return kNoPrice;
      ImageArray<int32_t> thresholds = f.ZoneRecords[static_cast<size_t>(table)][0].As<int32_t>();
      ImageArray<int32_t> values = f.ZoneRecords[static_cast<size_t>(table)][1].As<int32_t>();
      int32_t per = thresholds.empty() ? 1 : values.size() / thresholds.size();
      int32_t i = 0;
      while (i < thresholds.size() && thresholds[i] < measure) ++i;
      if (i == thresholds.size()) return kNoPrice;
      int32_t value = values[i * per + std::min(variant, per - 1)];
      if (value < 0) return kNoPrice;
      entry += value + prices.Field<int32_t>(p, 8);
    }
    if (zoneTable >= 0 &&
        f.Arrays[kFareTables].Field<uint8_t>(zoneTable, kTableKind) == kTableZonePrice) {
      int32_t value = ZonePairValue(e, u, f, zoneTable);
      if (value < 0) return kNoPrice;
      entry += value;
    }
    int32_t fixed = prices.Field<int32_t>(p, 12 + 4 * std::min(variant, 1));
    if (fixed > 0) entry += fixed;
    sum += entry;
    any = true;
  }
  return any && sum >= 0 ? sum : kNoPrice;
}

// --- texts -----------------------------------------------------------------

void CopyText(char* out, size_t size, std::string_view text) {
  size_t n = std::min(text.size(), size - 1);
  std::memcpy(out, text.data(), n);
  std::memset(out + n, 0, size - n);
}

// A data-supplied format: "%d" (or "%0Nd") conversions take the numbers in
// turn, "%%" is a percent sign, anything else is copied. The data never
// reaches printf.
std::string FormatNumbers(std::string_view format, std::initializer_list<int64_t> numbers) {
  std::string out;
  auto next = numbers.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%' || i + 1 >= format.size()) {
      out += c;
      continue;
    }
    if (format[i + 1] == '%') {
      out += '%';
      ++i;
      continue;
    }
    size_t j = i + 1;
    bool zero = j < format.size() && format[j] == '0';
    if (zero) ++j;
    int width = 0;
    while (j < format.size() && format[j] >= '1' && format[j] <= '9' && width < 10)
      width = width * 10 + (format[j++] - '0');
    if (j >= format.size() || format[j] != 'd' || next == numbers.end()) {
      out += c;
      continue;
    }
    std::string digits = std::to_string(*next++);
    if (static_cast<int>(digits.size()) < width)
      digits.insert(digits[0] == '-' ? size_t{1} : size_t{0},
                    static_cast<size_t>(width) - digits.size(), zero ? '0' : ' ');
    out += digits;
    i = j;
  }
  return out;
}

// The measure text: the value written by the table's range list.
std::string MeasureText(Engine const& e, Unit const& u, RuleView const& r) {
  int16_t table = r.I16(kRuleMeasureTable);
  if (table < 0) return {};
  FareData const& f = *r.F;
  uint8_t kind = f.Arrays[kFareTables].Field<uint8_t>(table, kTableKind);
  int64_t value;
  switch (kind) {
    case kTableDistance: {
      int64_t m = Distance(e, u, f, r.Rec, LoadLE<uint32_t>(r.Rec + kRuleFareCategories));
      if (m < 0) return {};
      value = (m + 999) / 1000 + f.Arrays[kFareTables].Field<int32_t>(table, kTableBase);
      break;
    }
    case kTableDuration:
      value = Duration(e, u);
      break;
    case kTableStops:
      value = std::max(0, StopsPassed(e, u) - 1);
      break;
    case kTableZones:
      value = ZonesPassed(e, u);
      break;
    default:
      return {};
  }
  std::string_view list = FareText(f, f.Arrays[kFareTables].Field<int32_t>(table, kTableFormats));
  size_t begin = 0;
  while (begin < list.size()) {
    size_t bar = list.find('|', begin);
    std::string_view segment =
        list.substr(begin, bar == std::string_view::npos ? std::string_view::npos : bar - begin);
    size_t eq = segment.find('=');
    if (eq == std::string_view::npos) return FormatNumbers(segment, {value});
    std::string range(segment.substr(0, eq));
    size_t dash = range.find('-', 1);
    int64_t lo = std::atoll(range.c_str());
    int64_t hi = dash == std::string::npos ? lo : std::atoll(range.c_str() + dash + 1);
    if (value >= lo && value <= hi) return FormatNumbers(segment.substr(eq + 1), {value});
    if (bar == std::string_view::npos) break;
    begin = bar + 1;
  }
  return {};
}

// The price in the currency, rounded half up by its mode.
int64_t Convert(FareData const& f, int16_t currency, int64_t price) {
  RecordArray const& c = f.Arrays[kFareCurrencies];
  double rate = LoadLE<double>(c.At(currency));
  double v = static_cast<double>(price);
  if (rate > 0 && std::isfinite(rate))
    v = c.Field<uint8_t>(currency, kCurrencyDivide) ? v / rate : v * rate;
  if (!std::isfinite(v) || std::fabs(v) > 2e9) return kNoPrice;
  uint8_t mode = c.Field<uint8_t>(currency, kCurrencyRounding);
  int64_t step = mode == 0 ? 100 : mode == 1 ? 10 : 1;
  return static_cast<int64_t>(std::floor(v / static_cast<double>(step) + 0.5)) * step;
}

std::string PriceText(FareData const& f, int16_t currency, int64_t value) {
  RecordArray const& c = f.Arrays[kFareCurrencies];
  bool cents = value % 100 != 0;
  std::string_view format =
      FareText(f, c.Field<int32_t>(currency, cents ? kCurrencyFormatCents : kCurrencyFormatWhole));
  if (format.empty()) format = cents ? "%d.%02d" : "%d";
  return FormatNumbers(format, {value / 100, std::llabs(value % 100)});
}

std::string_view RuleName(FareData const& f, int32_t rule, char letter) {
  size_t language = 0;
  for (size_t i = 0; i < f.LanguagePools.size() && i < static_cast<size_t>(kFareMaxLanguages); ++i)
    if (f.Header[static_cast<size_t>(kFareHeaderLetters) + i] == static_cast<uint8_t>(letter)) {
      language = i;
      break;
    }
  if (language >= f.LanguagePools.size()) return {};
  StringPool const& pool = f.LanguagePools[language];
  return rule < GetPoolCount(pool) ? PoolString(pool, rule) : std::string_view();
}

// --- sections and totals ---------------------------------------------------

// The section of the unit: the one before when all four ends agree.
PriceSection* SectionFor(Engine& e, Unit const& u) {
  FareLeg const& first = e.Legs[static_cast<size_t>(u.Legs.front())];
  FareLeg const& last = e.Legs[static_cast<size_t>(u.Legs.back())];
  PriceSection s{};
  s.FromTimetable = first.Timetable;
  s.FromStation = first.Stops.front().Station;
  s.ToTimetable = last.Timetable;
  s.ToStation = last.Stops.back().Station;
  FareTables& out = e.Out;
  if (out.SectionCount > 0) {
    PriceSection& previous = out.Sections[static_cast<size_t>(out.SectionCount - 1)];
    if (previous.FromTimetable == s.FromTimetable && previous.FromStation == s.FromStation &&
        previous.ToTimetable == s.ToTimetable && previous.ToStation == s.ToStation)
      return &previous;
  }
  if (out.SectionCount >= kMaxFareSections) {
    e.Truncated = true;
    return nullptr;
  }
  out.Sections[static_cast<size_t>(out.SectionCount)] = s;
  return &out.Sections[static_cast<size_t>(out.SectionCount++)];
}

void AddLine(Engine& e, PriceSection* section, PriceLine const& line, FareData const& f,
             int16_t currency) {
  if (section) {
    if (section->Count < kMaxSectionLines)
      section->Lines[section->Count++] = line;
    else
      e.Truncated = true;
  }
  FareTables& out = e.Out;
  for (int32_t i = 0; i < out.TotalCount; ++i) {
    PriceLine& total = out.Totals[static_cast<size_t>(i)];
    if (total.Mark != line.Mark) continue;
    total.Price += line.Price;
    CopyText(total.Text, sizeof total.Text, PriceText(f, currency, total.Price));
    return;
  }
  if (out.TotalCount >= kMaxFareLines) {
    e.Truncated = true;
    return;
  }
  PriceLine total{};
  total.Price = line.Price;
  total.Mark = line.Mark;
  CopyText(total.Text, sizeof total.Text, line.Text);
  out.Totals[static_cast<size_t>(out.TotalCount++)] = total;
}

// --- pricing ---------------------------------------------------------------

bool RuleSelectable(Engine const& e, RuleView const& r) {
  FareTariff const& tariff = r.F->Tariffs[static_cast<size_t>(r.Index)];
  if (tariff.Block && LoadLE<uint32_t>(tariff.Block + kTariffBlockCategory) != 0) return false;
  uint8_t category = r.Rec[kRuleCategory];
  return category == 0 || category != e.Request.Category;
}

int32_t Variant(Engine const& e, FareData const& f) {
  return e.Request.Variant == 1 && (HeaderByte(f, kFareHeaderFlags) & kFareFlagTwoVariants) ? 1 : 0;
}

// The first rule that applies to the unit and prices it, or -1.
int32_t FirstRule(Engine& e, Unit const& u, int32_t start, int64_t* price) {
  FareData const& f = e.Fares(u.Legs.front());
  int32_t variant = Variant(e, f);
  int32_t count = static_cast<int32_t>(f.Tariffs.size());
  for (int32_t i = start; i < count; ++i) {
    RuleView r = Rule(f, i);
    if (!RuleSelectable(e, r)) continue;
    if (variant == 1 && (r.Flags() & kRuleSingleVariant)) continue;
    if (!EvaluateRule(e, u, r)) continue;
    int64_t p = RulePrice(e, u, r, variant);
    if (p < 0) continue;
    if (e.Request.Category > 0 && i + 1 < count) {
      RuleView next = Rule(f, i + 1);
      if (next.Rec[kRuleCategory] == e.Request.Category && EvaluateRule(e, u, next)) {
        int64_t q = RulePrice(e, u, next, variant);
        if (q >= 0) {
          *price = q;
          return i + 1;
        }
      }
    }
    *price = p;
    return i;
  }
  return -1;
}

// The price of the unit by its first rules, without recording it.
int64_t TryPrice(Engine& e, Unit const& u) {
  int64_t price;
  return FirstRule(e, u, 0, &price) >= 0 ? price : kNoPrice;
}

Unit UnitOf(Engine const& e, int32_t node) {
  std::vector<int32_t> chain;
  for (int32_t n = node; n >= 0; n = e.Nodes[static_cast<size_t>(n)].LinkedTo) chain.push_back(n);
  std::reverse(chain.begin(), chain.end());
  Unit u;
  for (size_t c = 0; c < chain.size(); ++c) {
    TariffNode const& n = e.Nodes[static_cast<size_t>(chain[c])];
    for (int32_t l = n.FirstLeg; l <= n.LastLeg; ++l) u.Legs.push_back(l);
    if (c > 0) {
      FareLeg const& before =
          e.Legs[static_cast<size_t>(e.Nodes[static_cast<size_t>(chain[c - 1])].LastLeg)];
      FareLeg const& after = e.Legs[static_cast<size_t>(n.FirstLeg)];
      int32_t metres = 0;
      FindKeyTriple(after.T->Fares->Arrays[kFareTransfers],
                    StationKey(*before.T, before.Stops.back().Station),
                    StationKey(*after.T, after.Stops.front().Station), true, &metres);
      u.TransferMetres += std::max(0, metres);
      ++u.Links;
    }
  }
  return u;
}

// Records the lines of the unit's rules; false when no rule applies.
bool RecordUnit(Engine& e, Unit const& u) {
  FareData const& f = e.Fares(u.Legs.front());
  int64_t price;
  int32_t rule = FirstRule(e, u, 0, &price);
  if (rule < 0) return false;
  PriceSection* section = SectionFor(e, u);
  int32_t variant = Variant(e, f);
  for (;;) {
    RuleView r = Rule(f, rule);
    if (e.Request.Category >= 0 && r.Rec[kRuleCategory] == e.Request.Category)
      e.CategoryApplied = true;
    int16_t currency = r.I16(kRuleCurrency);
    int64_t value = Convert(f, currency, price);
    if (value >= 0) {
      PriceLine line{};
      line.Price = static_cast<int32_t>(value);
      CopyText(line.Text, sizeof line.Text, PriceText(f, currency, value));
      CopyText(line.Rule, sizeof line.Rule, RuleName(f, rule, e.Request.Language));
      CopyText(line.Measure, sizeof line.Measure, MeasureText(e, u, r));
      line.Flag = r.Flags();
      line.Mark = f.Arrays[kFareCurrencies].Field<uint8_t>(currency, kCurrencyMark);
      AddLine(e, section, line, f, currency);
    }
    if (r.Flags() & kRuleFinal) break;
    // A rule that is not final lets every further applicable rule add its line.
    int32_t next = -1;
    for (int32_t i = rule + 1; i < static_cast<int32_t>(f.Tariffs.size()); ++i) {
      RuleView n = Rule(f, i);
      if (!RuleSelectable(e, n) || (variant == 1 && (n.Flags() & kRuleSingleVariant))) continue;
      if (!EvaluateRule(e, u, n)) continue;
      int64_t p = RulePrice(e, u, n, variant);
      if (p < 0) continue;
      next = i;
      price = p;
      break;
    }
    if (next < 0) break;
    rule = next;
  }
  return true;
}

bool PriceTariffNode(Engine& e, int32_t node) {
  for (;;) {
    TariffNode const& n = e.Nodes[static_cast<size_t>(node)];
    if (!HasFareGroup(*e.Legs[static_cast<size_t>(n.FirstLeg)].T)) return false;
    Unit u = UnitOf(e, node);
    if (RecordUnit(e, u)) return true;
    FareData const& f = e.Fares(n.FirstLeg);
    if (!(HeaderByte(f, kFareHeaderFlags) & kFareFlagSplit)) return false;
    if (n.LinkedTo >= 0) {
      // Drop the last link and try the parts on their own.
      int32_t earlier = n.LinkedTo;
      e.Nodes[static_cast<size_t>(node)].LinkedTo = -1;
      if (!e.Nodes[static_cast<size_t>(earlier)].Priced) {
        e.Nodes[static_cast<size_t>(earlier)].Priced = true;
        PriceTariffNode(e, earlier);
      }
      continue;
    }
    if (n.FirstLeg == n.LastLeg || static_cast<int32_t>(e.Nodes.size()) >= kMaxTariffNodes)
      return false;
    int32_t cut = -1;
    for (int32_t l = n.LastLeg - 1; l >= n.FirstLeg && cut < 0; --l) {
      Unit part;
      for (int32_t k = n.FirstLeg; k <= l; ++k) part.Legs.push_back(k);
      if (TryPrice(e, part) >= 0) cut = l;
    }
    if (cut < 0) return false;
    TariffNode rest = n;
    rest.FirstLeg = cut + 1;
    rest.LinkedTo = -1;
    e.Nodes[static_cast<size_t>(node)].LastLeg = cut;
    e.Nodes.insert(e.Nodes.begin() + node + 1, rest);
    for (TariffNode& other : e.Nodes)
      if (other.LinkedTo > node) ++other.LinkedTo;
  }
}

// --- nodes -----------------------------------------------------------------

bool Excluded(FareLeg const& leg) {
  if (!leg.T->Fares || leg.Category < 0 || leg.Category >= 32) return false;
  return (LoadLE<uint32_t>(leg.T->Fares->Header.data() + kFareHeaderExcluded) >> leg.Category) & 1;
}

// Whether a rule applies to the leg alone; *singleLeg tells whether the
// first such rule is a single-leg rule.
bool LegApplicable(Engine& e, int32_t leg, bool* singleLeg) {
  *singleLeg = false;
  if (!HasFareGroup(*e.Legs[static_cast<size_t>(leg)].T)) return false;
  Unit u;
  u.Legs = {leg};
  int64_t price;
  int32_t rule = FirstRule(e, u, 0, &price);
  if (rule < 0) return false;
  *singleLeg = (Rule(e.Fares(leg), rule).Flags() & kRuleSingleLeg) != 0;
  return true;
}

void SplitIntoTariffNodes(Engine& e) {
  std::vector<bool> applicable(e.Legs.size()), single(e.Legs.size());
  for (size_t l = 0; l < e.Legs.size(); ++l) {
    bool s = false;
    applicable[l] = LegApplicable(e, static_cast<int32_t>(l), &s);
    single[l] = s;
  }
  for (int32_t l = 0; l < static_cast<int32_t>(e.Legs.size()); ++l) {
    FareLeg const& leg = e.Legs[static_cast<size_t>(l)];
    if (l > 0 && !e.Nodes.empty()) {
      FareLeg const& prev = e.Legs[static_cast<size_t>(l - 1)];
      int32_t group = leg.T->FareGroup, prevGroup = prev.T->FareGroup;
      bool stay = false;
      if (group == prevGroup) {
        if (group < 0 || !leg.T->Fares) {
          stay = group < 0;
        } else {
          stay = leg.T == prev.T &&
                 (HeaderByte(*leg.T->Fares, kFareHeaderFlags) & kFareFlagThrough) &&
                 leg.Leg->FromStation == prev.Leg->ToStation && !Excluded(leg) && !Excluded(prev) &&
                 applicable[static_cast<size_t>(l)] && applicable[static_cast<size_t>(l - 1)] &&
                 !single[static_cast<size_t>(l)] && !single[static_cast<size_t>(l - 1)] &&
                 leg.FirstArcKind == prev.FirstArcKind;
        }
      }
      if (stay) {
        e.Nodes.back().LastLeg = l;
        continue;
      }
    }
    if (static_cast<int32_t>(e.Nodes.size()) >= kMaxTariffNodes) {
      e.Truncated = true;
      e.Nodes.back().LastLeg = l;
      continue;
    }
    TariffNode node;
    node.FirstLeg = node.LastLeg = l;
    node.Timetable = leg.Timetable;
    e.Nodes.push_back(node);
  }

  // Links across changes within one fare group.
  for (int32_t n = 1; n < static_cast<int32_t>(e.Nodes.size()); ++n) {
    TariffNode& node = e.Nodes[static_cast<size_t>(n)];
    FareLeg const& first = e.Legs[static_cast<size_t>(node.FirstLeg)];
    if (!HasFareGroup(*first.T)) continue;
    FareData const& f = *first.T->Fares;
    if ((HeaderByte(f, kFareHeaderFlags) & kFareFlagNoLinks) || Excluded(first) ||
        single[static_cast<size_t>(node.FirstLeg)])
      continue;
    int looked = 0;
    for (int32_t m = n - 1; m >= 0 && looked < 2; --m) {
      TariffNode const& earlier = e.Nodes[static_cast<size_t>(m)];
      FareLeg const& end = e.Legs[static_cast<size_t>(earlier.LastLeg)];
      FareLeg const& start = e.Legs[static_cast<size_t>(earlier.FirstLeg)];
      if (end.T->FareGroup != first.T->FareGroup) continue;
      ++looked;
      bool alreadyLinked = false;
      for (TariffNode const& other : e.Nodes)
        if (other.LinkedTo == m) alreadyLinked = true;
      if (alreadyLinked) break;
      int32_t ka = StationKey(*end.T, end.Stops.back().Station);
      int32_t kb = StationKey(*first.T, first.Stops.front().Station);
      int32_t metres;
      bool transfer = (end.T != first.T && ka == kb) ||
                      FindKeyTriple(f.Arrays[kFareTransfers], ka, kb, true, &metres);
      if (!transfer || start.FirstArcKind != first.FirstArcKind) continue;
      node.LinkedTo = m;
      int64_t joined = TryPrice(e, UnitOf(e, n));
      node.LinkedTo = -1;
      int64_t apart = TryPrice(e, UnitOf(e, m));
      int64_t own = TryPrice(e, UnitOf(e, n));
      bool force = (HeaderByte(f, kFareHeaderFlags) & kFareFlagForceJoin) != 0;
      if (joined >= 0 && (force || apart < 0 || own < 0 || apart + own >= joined))
        node.LinkedTo = m;
      break;
    }
  }

  // A chain within one timetable is cut where a leg comes back to its first
  // or last station, or rides an arc that an earlier leg of it rode.
  for (int32_t n = 0; n < static_cast<int32_t>(e.Nodes.size()); ++n) {
    TariffNode& node = e.Nodes[static_cast<size_t>(n)];
    if (node.LinkedTo < 0) continue;
    int32_t root = n;
    while (e.Nodes[static_cast<size_t>(root)].LinkedTo >= 0)
      root = e.Nodes[static_cast<size_t>(root)].LinkedTo;
    FareLeg const& head = e.Legs[static_cast<size_t>(e.Nodes[static_cast<size_t>(root)].FirstLeg)];
    if (head.T != e.Legs[static_cast<size_t>(node.LastLeg)].T) continue;
    Unit earlier = UnitOf(e, node.LinkedTo);
    uint16_t firstStation = head.Stops.front().Station;
    bool cut = false;
    for (int32_t l = node.FirstLeg; l <= node.LastLeg && !cut; ++l) {
      FareLeg const& leg = e.Legs[static_cast<size_t>(l)];
      for (size_t i = 1; i < leg.Stops.size() && !cut; ++i) {
        uint16_t a = leg.Stops[i - 1].Station, b = leg.Stops[i].Station;
        if (b == firstStation) cut = true;
        for (int32_t el : earlier.Legs) {
          FareLeg const& old = e.Legs[static_cast<size_t>(el)];
          if (old.T != leg.T) continue;
          for (size_t k = 1; k < old.Stops.size() && !cut; ++k) {
            uint16_t x = old.Stops[k - 1].Station, y = old.Stops[k].Station;
            cut = (x == a && y == b) || (x == b && y == a);
          }
        }
      }
      if (cut) {
        node.LinkedTo = -1;
        e.Out.Cuts.push_back(l);
      }
    }
  }
}

}  // namespace

FareTables& CurrentFareTables() {
  static FareTables tables;
  return tables;
}

FareResult CalculateFare(Connection const& legs, FareRequest const& request, FareTables& out) {
  out.TotalCount = 0;
  out.SectionCount = 0;
  out.Totals = {};
  out.Sections = {};
  out.Cuts.clear();

  int32_t fareLeg = -1;
  for (int32_t i = static_cast<int32_t>(legs.size()) - 1; i >= 0 && fareLeg < 0; --i) {
    TimetableRecord* t = TimetableAt(legs[static_cast<size_t>(i)].Timetable);
    if (t && HasFareGroup(*t)) fareLeg = i;
  }
  if (fareLeg < 0) return FareNotPriced;

  Engine e{request, out, {}, {}, GetToday(), request.TravelDay};
  if (request.ByDayType)
    e.ReferenceDay = MoveToDayOfType(*TimetableAt(legs[static_cast<size_t>(fareLeg)].Timetable),
                                     e.Today, request.DayType, request.WeekdayMask);
  if (!CollectJourneyStops(e, legs)) return FareNotPriced;
  for (FareLeg const& leg : e.Legs)
    if (leg.Stops.size() < 2) return FareNotPriced;
  SplitIntoTariffNodes(e);

  int32_t priced = 0, unpriced = 0;
  for (size_t n = 0; n < e.Nodes.size(); ++n) {
    if (e.Nodes[n].Priced) continue;
    bool linkedLater = false;
    for (size_t m = n + 1; m < e.Nodes.size(); ++m)
      if (e.Nodes[m].LinkedTo == static_cast<int32_t>(n)) linkedLater = true;
    if (linkedLater) continue;  // priced with the node that continues it
    bool ok = PriceTariffNode(e, static_cast<int32_t>(n));
    for (int32_t k = static_cast<int32_t>(n); k >= 0; k = e.Nodes[static_cast<size_t>(k)].LinkedTo)
      e.Nodes[static_cast<size_t>(k)].Priced = true;
    (ok ? priced : unpriced) += 1;
  }
  if ((request.Category >= 0 && !e.CategoryApplied) || priced == 0 || out.TotalCount == 0) {
    out.TotalCount = 0;
    out.SectionCount = 0;
    return FareNotPriced;
  }
  return unpriced == 0 && !e.Truncated ? FareAllPriced : FarePartlyPriced;
}

}  // namespace qo
