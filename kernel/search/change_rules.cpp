#include "search/change_rules.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "format/stored_bits.h"
#include "links/station_links.h"
#include "load/loaded_set.h"
#include "calendars/day_type_state.h"
#include "load/timetable_record.h"
#include "search/change_time.h"
#include "search/search_state.h"
#include "remarks/station_remarks.h"
#include "search/search_params.h"
#include "servicecodes/code_filter_state.h"
#include "servicecodes/service_codes.h"
#include "stations/station_names.h"
#include "stations/station_search.h"
#include "text/text_fold.h"
#include "trains/station_events.h"
#include "trains/train_checks.h"
#include "trains/train_info.h"
#include "trains/train_stops.h"

namespace qo {
namespace {

constexpr uint16_t kPreferredChange = 0x40;
constexpr size_t kNameLength = 99;
constexpr size_t kNumberLength = 40;

// Texts compared in the kernel's own code page (Windows-1250).
constexpr std::string_view kRequestRemark = "na znamen\xED";

bool Valid(TimetableRecord const& t, int32_t station) {
  return station >= 0 && static_cast<uint32_t>(station) < t.StationCount;
}

std::string UpperName(TimetableRecord const& t, int32_t station) {
  std::string name;
  GetStationName(t, station, 2, false, name);
  if (name.size() > kNameLength) name.resize(kNameLength);
  MakeUpperCase(name.data());
  return name;
}

// Stations of one change place by name have the same name in capitals,
// stored at the same length.
std::vector<int32_t> const& ChangeNameNumbers(TimetableRecord& t) {
  std::vector<int32_t>& numbers = SearchStateOf(t).ChangeNameNumbers;
  if (numbers.size() == t.StationCount) return numbers;
  std::unordered_map<std::string, int32_t> seen;
  numbers.resize(t.StationCount);
  for (uint32_t s = 0; s < t.StationCount; ++s) {
    const auto station = static_cast<int32_t>(s);
    std::string key = UpperName(t, station);
    key += '\0';
    key += std::to_string(PoolString(t.StationNames, station).size());
    const auto next = static_cast<int32_t>(seen.size());
    numbers[s] = seen.emplace(std::move(key), next).first->second;
  }
  return numbers;
}

bool HasPreferredChanges(TimetableRecord& t) {
  int8_t& known = SearchStateOf(t).PreferredChanges;
  if (known < 0) {
    known = 0;
    for (int32_t s = 0; s < t.StationTypes.size(); ++s)
      if (t.StationTypes[s] & kPreferredChange) known = 1;
  }
  return known != 0;
}

// A stop entry of a leg's train: station, minute of the stop word, minute
// of day, day relative to the search day, request flag.
struct StopEntry {
  int32_t station = 0;
  int32_t minute = 0;
  int32_t minuteOfDay = 0;
  int32_t day = 0;
  bool request = false;
  uint16_t flags = 0;
};

// The stops of a leg's train, with days counted from the leg's departure
// day at its boarding stop.
std::vector<StopEntry> LegStops(TimetableRecord const& t, ConnectionLeg const& leg) {
  std::vector<StopEntry> out;
  if (leg.Train < 0) return out;
  StopRange stops(t, static_cast<uint32_t>(leg.Train));
  out.reserve(static_cast<size_t>(stops.size()));
  for (int32_t i = 0; i < stops.size(); ++i) {
    StopEntry e;
    e.station = stops.Station(i);
    e.minute = stops.Minute(i);
    e.minuteOfDay = e.minute % 1440;
    e.flags = stops.Flags(i);
    e.request = t.Kind == kKindBus && (e.flags & kStopRequest) == kStopRequest;
    out.push_back(e);
  }
  // Days: from the boarding stop (the first stop at the from-station with
  // the departure minute) one more at each fall of the minute of day.
  size_t board = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    if (out[i].station == leg.FromStation && out[i].minuteOfDay == leg.DepartureMinute % 1440) {
      board = i;
      break;
    }
  }
  if (out.empty()) return out;
  out[board].day = leg.DepartureDay;
  for (size_t i = board + 1; i < out.size(); ++i)
    out[i].day = out[i - 1].day + (out[i].minuteOfDay < out[i - 1].minuteOfDay ? 1 : 0);
  for (size_t i = board; i-- > 0;)
    out[i].day = out[i + 1].day - (out[i + 1].minuteOfDay < out[i].minuteOfDay ? 1 : 0);
  return out;
}

size_t IndexOf(std::vector<StopEntry> const& stops, int32_t station, size_t from = 0) {
  for (size_t i = from; i < stops.size(); ++i)
    if (stops[i].station == station) return i;
  return stops.size();
}

// The flags of the train's stop at the station (the first after `after`).
uint16_t StopFlags(TimetableRecord const& t, int32_t train, int32_t station, int32_t after) {
  if (train < 0) return 0;
  StopRange stops(t, static_cast<uint32_t>(train));
  bool past = after < 0;
  for (int32_t i = 0; i < stops.size(); ++i) {
    if (past && stops.Station(i) == station) return stops.Flags(i);
    if (stops.Station(i) == after) past = true;
  }
  return 0;
}

}  // namespace

bool IsSameStationAcrossTimetables(int32_t a, int timetableA, int timetableB, int32_t b) {
  TimetableRecord const* ta = TimetableAt(timetableA);
  TimetableRecord const* tb = TimetableAt(timetableB);
  if (!ta || !tb || !Valid(*ta, a) || !Valid(*tb, b)) return false;
  if (timetableA == timetableB) return StationsEqual(*ta, a, b);
  return IsSamePlace(timetableA, static_cast<uint16_t>(a), timetableB, static_cast<uint16_t>(b));
}

bool IsSamePlaceByName(int timetable, int32_t a, int32_t b) {
  if (a == b) return true;
  TimetableRecord const* t = TimetableAt(timetable);
  if (!t || !Valid(*t, a) || !Valid(*t, b)) return false;
  // "Name - 1" and "Name" are one place: the ending numbers a platform.
  auto place = [&](int32_t s) {
    std::string name = UpperName(*t, s);
    if (name.size() > 4 && name.compare(name.size() - 4, 3, " - ") == 0)
      name.resize(name.size() - 4);
    return name;
  };
  return place(a) == place(b);
}

bool IsSamePlaceAcrossTimetables(int32_t a, int timetableA, int timetableB, int32_t b) {
  if (timetableA == timetableB) return IsSamePlaceByName(timetableA, a, b);
  return IsSameStationAcrossTimetables(a, timetableA, timetableB, b);
}

bool IsSameChangePlace(int timetable, int32_t a, int32_t b) {
  if (a == b) return true;
  TimetableRecord* t = TimetableAt(timetable);
  if (!t || !Valid(*t, a) || !Valid(*t, b)) return false;
  std::vector<int32_t> const& names = ChangeNameNumbers(*t);
  if (names[static_cast<size_t>(a)] != names[static_cast<size_t>(b)]) return false;
  const InternLinkRange links = InternLinks(*t, static_cast<uint16_t>(a), false);
  for (int32_t i = 0; i < links.count; ++i)
    if (links.Target(i) == b && links.Minutes(i) == 0) return true;
  return false;
}

bool IsRequestStop(int timetable, int32_t train, int32_t station) {
  TimetableRecord const* t = TimetableAt(timetable);
  if (!t || (t->Kind != kKindBus && t->Kind != kKindCity) || train < 0 || !Valid(*t, station))
    return false;
  const int32_t n =
      StationRemarkCount(*t, static_cast<uint32_t>(train), static_cast<uint16_t>(station));
  for (int32_t i = 0; i < n; ++i) {
    StationRemark remark;
    if (!FindStationRemark(*t, static_cast<uint32_t>(train), static_cast<uint16_t>(station), i,
                           &remark))
      continue;
    if (StationRemarkText(*t, 0, remark.Text).find(kRequestRemark) != std::string_view::npos)
      return true;
  }
  return false;
}

bool IsCustomsStop(int timetable, int32_t station) {
  TimetableRecord const* t = TimetableAt(timetable);
  if (!t || t->Kind != kKindBus || !Valid(*t, station)) return false;
  if (!t->StationTypes.empty() && (t->StationTypes[station] & kStationStop)) return false;
  std::string_view name = PoolString(t->StationNames, station);
  if (name.find("CLO") != std::string_view::npos || name.find("ZOLL") != std::string_view::npos)
    return true;
  if (t->CustomsCodeMask.empty()) return false;
  const uint64_t mask = uint64_t{t->CustomsCodeMask.Field<uint32_t>(0, 0)} |
                        uint64_t{t->CustomsCodeMask.Field<uint32_t>(0, 4)} << 32;
  uint64_t set = 0;
  return StationCodeSet(*t, static_cast<uint16_t>(station), &set) && (set & mask) != 0;
}

bool CanChangeAt(int timetable, ConnectionLeg const& arriving, int32_t station, int32_t other,
                 ConnectionLeg const& departing, bool lowFloorOnly) {
  TimetableRecord const* t = TimetableAt(timetable);
  if (!t || !Valid(*t, station)) return false;
  const uint16_t in = StopFlags(*t, arriving.Train, station, arriving.FromStation);
  if (!StopAllowsAlighting(in)) return false;
  if (StopFlags(*t, departing.Train, station, -1) & kStopNoBoardingMark) return false;
  if (arriving.Train >= 0 && departing.Train >= 0 &&
      CheckTrainContinuation(*t, static_cast<uint32_t>(departing.Train),
                             static_cast<uint32_t>(arriving.Train),
                             static_cast<uint16_t>(station)) == 0)
    return false;
  if (IsCustomsStop(timetable, station)) return false;
  if (lowFloorOnly &&
      (!IsStationBarrierFree(*t, static_cast<uint16_t>(station)) || !Valid(*t, other) ||
       !IsStationBarrierFree(*t, static_cast<uint16_t>(other))))
    return false;
  return true;
}

int32_t StationNameEventCount(int timetable, int32_t station) {
  TimetableRecord* t = TimetableAt(timetable);
  if (!t || !Valid(*t, station) ||
      t->StationEventOffsets.size() <= static_cast<int32_t>(t->StationCount))
    return 0;
  // Asked for every change a clean-up weighs: counted once per station.
  std::vector<int32_t>& known = SearchStateOf(*t).NameEventCounts;
  if (known.size() != t->StationCount) known.assign(t->StationCount, -1);
  int32_t& held = known[static_cast<size_t>(station)];
  if (held >= 0) return held;
  auto events = [&](int32_t s) {
    return static_cast<int32_t>((t->StationEventOffsets[s + 1] - t->StationEventOffsets[s]) /
                                kStationEventBytes);
  };
  int32_t count = events(station);
  for (int32_t s = station - 1; s >= 0 && StationsEqual(*t, s, station); --s) count += events(s);
  for (int32_t s = station + 1; Valid(*t, s) && StationsEqual(*t, s, station); ++s)
    count += events(s);
  held = count;
  return count;
}

bool HaveSameTrainNumber(int timetable, int32_t a, int32_t b) {
  TimetableRecord const* t = TimetableAt(timetable);
  if (!t || a < 0 || b < 0 || static_cast<uint32_t>(a) >= t->TrainCount ||
      static_cast<uint32_t>(b) >= t->TrainCount)
    return false;
  TrainTexts ta, tb;
  GetTrainTexts(*t, 0, static_cast<uint32_t>(a), ta);
  GetTrainTexts(*t, 0, static_cast<uint32_t>(b), tb);
  return ta.Number.substr(0, kNumberLength) == tb.Number.substr(0, kNumberLength);
}

bool MoveChangeStation(ConnectionLeg& arriving, ConnectionLeg& departing, int32_t target,
                       bool restricted) {
  if (arriving.Timetable != departing.Timetable) return false;
  const int index = arriving.Timetable;
  TimetableRecord* tp = TimetableAt(index);
  if (!tp || arriving.Train < 0 || departing.Train < 0) return false;
  TimetableRecord& t = *tp;
  const uint32_t typeA = t.TrainTypeWords.empty() ? 0 : t.TrainTypeWords[arriving.Train];
  const uint32_t typeD = t.TrainTypeWords.empty() ? 0 : t.TrainTypeWords[departing.Train];
  if (restricted) {
    const uint32_t filteredTypes = t.DayDependentTypeMask | t.SectionDependentTypeMask;
    if (CodeFilterOf(t).EnabledUnion != 0 && ((typeA | typeD) & filteredTypes) != 0) return false;
    if (t.Kind == kKindRail &&
        (DayTypesOf(t).Filter.TypeMask & t.TrainTypeMask) != t.TrainTypeMask &&
        ((typeA | typeD) & kTypeChangesAlongRoute))
      return false;
  }
  const bool automatic = target < 0;
  const bool preferredMode = automatic && HasPreferredChanges(t);
  std::vector<int32_t> const& names = ChangeNameNumbers(t);
  const bool sameStopMode = automatic && !preferredMode && t.Kind == kKindCity;
  const int32_t previous = (departing.DepartureDay - arriving.ArrivalDay) * 1440 +
                           departing.DepartureMinute - arriving.ArrivalMinute;

  std::vector<StopEntry> const in = LegStops(t, arriving);
  std::vector<StopEntry> const out = LegStops(t, departing);
  if (in.empty() || out.empty()) return false;
  size_t inFirst = IndexOf(in, arriving.FromStation) + 1;
  if (arriving.LastViaStation >= 0) inFirst = IndexOf(in, arriving.LastViaStation, inFirst - 1) + 1;
  size_t outEnd = IndexOf(out, departing.ToStation);
  if (departing.FirstViaStation >= 0)
    outEnd = std::min(outEnd, IndexOf(out, departing.FirstViaStation));
  const bool inBoardsAtRequest = IsRequestStop(index, arriving.Train, arriving.FromStation);
  const bool outAlightsAtRequest = IsRequestStop(index, departing.Train, departing.ToStation);
  const int32_t maxTime = SearchStateOf(t).Change.MaxChangeTime;
  ChangeTimeFunction callback = CurrentSearchSettings().ChangeFun;

  struct Best {
    bool found = false;
    int32_t change = 0, busy = 0;
    size_t x = 0, y = 0;
    bool request = false;
  } plain, preferred;
  for (size_t x = inFirst; x < in.size(); ++x) {
    for (size_t y = outEnd; y-- > 0;) {
      StopEntry const& X = in[x];
      StopEntry const& Y = out[y];
      // The names first: most pairs of stops are not one place.
      if (X.station != Y.station &&
          names[static_cast<size_t>(X.station)] != names[static_cast<size_t>(Y.station)])
        continue;
      if (!IsSameChangePlace(index, X.station, Y.station)) continue;
      if (!CanChangeAt(index, arriving, X.station, Y.station, departing, false)) continue;
      if (callback &&
          !callback(index, X.station, t.StationKeys.empty() ? 0 : t.StationKeys[X.station],
                    X.day * 1440 + X.minuteOfDay, arriving.Train, Y.minuteOfDay, departing.Train,
                    nullptr))
        continue;
      if (inBoardsAtRequest && X.request) continue;
      if (outAlightsAtRequest && Y.request) continue;
      if (!automatic && !IsSameChangePlace(index, X.station, target)) continue;
      const int32_t change = (Y.day - X.day) * 1440 + Y.minuteOfDay - X.minuteOfDay;
      if (change > maxTime) continue;
      const int32_t busy = StationNameEventCount(index, X.station);
      // A stop with a change time of its own needs that, not the timetable's.
      const int32_t minTime =
          GetChangeTime(t, static_cast<uint16_t>(X.station), X.day * 1440 + X.minuteOfDay);
      const bool xRequest = IsRequestStop(index, arriving.Train, X.station);
      auto better = [&](Best const& b) {
        return !b.found || change > b.change || (change == b.change && busy > b.busy);
      };
      if (better(plain) && (!plain.found || change > plain.change ||
                            StationRemarkCount(t, static_cast<uint32_t>(arriving.Train),
                                               static_cast<uint16_t>(X.station)) == 0))
        plain = {true, change, busy, x, y, xRequest};
      if (preferredMode && (t.StationTypes[X.station] & kPreferredChange) && change >= minTime &&
          better(preferred))
        preferred = {true, change, busy, x, y, xRequest};
      if (sameStopMode && X.station == Y.station && change >= minTime &&
          (better(preferred) || (change == preferred.change && preferred.request && !xRequest)))
        preferred = {true, change, busy, x, y, xRequest};
    }
  }
  Best const* chosen = preferred.found ? &preferred : nullptr;
  if (!chosen && plain.found && (!restricted || plain.change >= previous)) chosen = &plain;
  if (!chosen) return false;
  StopEntry const& X = in[chosen->x];
  StopEntry const& Y = out[chosen->y];
  if (X.station == arriving.FromStation || X.station == arriving.ToStation ||
      Y.station == departing.ToStation)
    return false;
  arriving.ToStation = X.station;
  arriving.ArrivalDay = X.day;
  arriving.ArrivalMinute = X.minuteOfDay;
  const int32_t dayMove = Y.day - departing.DepartureDay;
  departing.FromStation = Y.station;
  departing.DepartureDay = Y.day;
  departing.DepartureMinute = Y.minuteOfDay;
  departing.BoardingDayOffset += dayMove;
  return true;
}

void MoveAllChangeStations(ConnectionList& connections) {
  for (Connection& connection : connections)
    for (size_t j = 1; j < connection.size(); ++j)
      MoveChangeStation(connection[j - 1], connection[j], -1, true);
}

}  // namespace qo
