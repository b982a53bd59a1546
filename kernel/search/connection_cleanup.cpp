#include "search/connection_cleanup.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "format/stored_bits.h"
#include "links/station_links.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "search/change_rules.h"
#include "search/change_time.h"
#include "search/connection_order.h"
#include "search/floor_math.h"
#include "search/search_limits.h"
#include "search/search_params.h"
#include "search/search_state.h"
#include "stations/station_access.h"
#include "stations/station_search.h"
#include "calendars/day_type_state.h"
#include "calendars/train_groups.h"
#include "trains/running_day.h"
#include "trains/station_events.h"
#include "trains/train_distances.h"
#include "trains/train_info.h"
#include "trains/train_stops.h"

namespace qo {
namespace {

constexpr int32_t kLongWalkMinutes = 5;
constexpr int32_t kDominanceDurationFloor = 240;
constexpr int32_t kSameTrainsSlack = 30;
constexpr int32_t kNearTime = 120;

bool SamePlace(int32_t ttA, int32_t a, int32_t ttB, int32_t b) {
  if (ttA == ttB && a == b) return true;
  return IsSamePlaceAcrossTimetables(a, ttA, ttB, b);
}

bool SameStart(Connection const& a, Connection const& b) {
  return SamePlace(a.front().Timetable, a.front().FromStation, b.front().Timetable,
                   b.front().FromStation);
}
bool SameEnd(Connection const& a, Connection const& b) {
  return SamePlace(a.back().Timetable, a.back().ToStation, b.back().Timetable, b.back().ToStation);
}

int32_t ChangePenaltyOf(int32_t timetable) {
  TimetableRecord const* t = TimetableAt(timetable);
  return t ? SearchStateOf(*t).Change.ChangePenalty : 0;
}

// A change the traveller walks for more than a few minutes counts twice.
bool IsLongWalk(ConnectionLeg const& arriving, ConnectionLeg const& departing) {
  if (SamePlace(arriving.Timetable, arriving.ToStation, departing.Timetable, departing.FromStation))
    return false;
  if (arriving.Timetable != departing.Timetable) return true;
  TimetableRecord const* t = TimetableAt(arriving.Timetable);
  if (!t || arriving.ToStation < 0 || static_cast<uint32_t>(arriving.ToStation) >= t->StationCount)
    return true;
  bool const lowFloor = CurrentSearchSettings().Parms.LowFloorOnly != 0;
  const InternLinkRange links =
      InternLinks(*t, static_cast<uint16_t>(arriving.ToStation), lowFloor);
  for (int32_t i = 0; i < links.count; ++i)
    if (links.Target(i) == departing.FromStation) return links.Minutes(i) > kLongWalkMinutes;
  return true;
}

std::string TrainNumber(int32_t timetable, int32_t train) {
  TimetableRecord const* t = TimetableAt(timetable);
  if (!t || train < 0 || static_cast<uint32_t>(train) >= t->TrainCount) return {};
  TrainTexts texts;
  GetTrainTexts(*t, 0, static_cast<uint32_t>(train), texts);
  return texts.Number.substr(0, 50);
}

uint8_t KindOf(int32_t timetable) {
  TimetableRecord const* t = TimetableAt(timetable);
  return t ? t->Kind : 0;
}

// Where a leg's train is boarded and left in its stop words: the departure
// word at the from-station with the leg's minute, and the first arrival
// word at the to-station after it.
struct LegStops {
  int32_t Board = -1;
  int32_t Alight = -1;
};

LegStops FindLegStops(StopList const& stops, ConnectionLeg const& leg) {
  LegStops at;
  for (int32_t i = 0; i < stops.count; ++i) {
    if (stops.Station(i) != leg.FromStation || stops.Minute(i) % 1440 != leg.DepartureMinute % 1440)
      continue;
    if (i + 1 < stops.count && stops.Station(i + 1) == leg.FromStation) continue;
    at.Board = i;
    break;
  }
  if (at.Board < 0) return at;
  for (int32_t j = at.Board + 1; j < stops.count; ++j) {
    if (stops.Station(j) == leg.ToStation && stops.Station(j - 1) != leg.ToStation) {
      at.Alight = j;
      break;
    }
  }
  return at;
}

bool HasTrain(TimetableRecord const* t, ConnectionLeg const& leg) {
  return t && leg.Train >= 0 && static_cast<uint32_t>(leg.Train) < t->TrainCount;
}

// A leg's train with the absolute time of every stop word, anchored at the
// leg's boarding word. The times live in one buffer reused by every call.
struct LegTrain {
  StopList Stops;
  LegStops At;
  std::vector<int32_t>* Times = nullptr;
};

bool LoadLegTrain(TimetableRecord& t, ConnectionLeg const& leg, LegTrain& out) {
  static std::vector<int32_t> times;
  if (!HasTrain(&t, leg)) return false;
  out.Stops = DecodeTrainStops(t, static_cast<uint32_t>(leg.Train));
  out.At = FindLegStops(out.Stops, leg);
  if (out.At.Board < 0 || out.At.Alight < 0) return false;
  StopList const& s = out.Stops;
  times.resize(static_cast<size_t>(s.count));
  const int32_t board = out.At.Board;
  times[static_cast<size_t>(board)] = LegDeparture(leg);
  for (int32_t i = board + 1; i < s.count; ++i)
    times[static_cast<size_t>(i)] = times[static_cast<size_t>(i - 1)] +
                                    GetStopDayStep(t, s, i) * 1440 + s.Minute(i) - s.Minute(i - 1);
  for (int32_t i = board; i-- > 0;)
    times[static_cast<size_t>(i)] = times[static_cast<size_t>(i + 1)] -
                                    GetStopDayStep(t, s, i + 1) * 1440 -
                                    (s.Minute(i + 1) - s.Minute(i));
  out.Times = &times;
  return true;
}

// ---- Tidying one traced connection -------------------------------------

constexpr uint32_t kSleeperType = 0x2000000;
constexpr int32_t kNightFrom = 1380;
constexpr int32_t kNightUntil = 121;

void SetDeparture(ConnectionLeg& leg, int32_t time) {
  leg.DepartureDay = DayOfSearchTime(time);
  leg.DepartureMinute = MinuteOfSearchTime(time);
}

// An arrival at midnight is minute 1440 of the day before.
void SetArrival(ConnectionLeg& leg, int32_t time) {
  leg.ArrivalDay = time != 0 ? DayOfSearchTime(time - 1) : 0;
  leg.ArrivalMinute = time != 0 ? MinuteOfSearchTime(time - 1) + 1 : 0;
}

// Boards the leg's train at station x instead, at its last call there
// before the leg ends, when that leaves at `ready` or later.
bool TryBoardAt(TimetableRecord& t, ConnectionLeg& leg, int32_t x, int32_t ready) {
  LegTrain ride;
  if (!LoadLegTrain(t, leg, ride)) return false;
  int32_t at = -1;
  for (int32_t i = 0; i < ride.Stops.count; ++i)
    if (ride.Stops.Station(i) == x && (i + 1 == ride.Stops.count || ride.Stops.Station(i + 1) != x))
      at = i;
  if (at < 0 || at >= ride.At.Alight || !StopAllowsBoarding(ride.Stops.Time(at))) return false;
  const int32_t departure = (*ride.Times)[static_cast<size_t>(at)];
  if (departure < ready) return false;
  const int32_t oldDay = leg.DepartureDay;
  leg.FromStation = x;
  SetDeparture(leg, departure);
  leg.BoardingDayOffset += leg.DepartureDay - oldDay;
  return true;
}

// Leaves the leg's train at station y instead, at its first call there
// after boarding, when that arrives by `deadline`.
bool TryAlightAt(TimetableRecord& t, ConnectionLeg& leg, int32_t y, int32_t deadline) {
  LegTrain ride;
  if (!LoadLegTrain(t, leg, ride)) return false;
  for (int32_t i = ride.At.Board + 1; i < ride.Stops.count; ++i) {
    if (ride.Stops.Station(i) != y || ride.Stops.Station(i - 1) == y) continue;
    if (!StopAllowsAlighting(ride.Stops.Time(i))) return false;
    const int32_t arrival = (*ride.Times)[static_cast<size_t>(i)];
    if (arrival > deadline) return false;
    leg.ToStation = y;
    SetArrival(leg, arrival);
    return true;
  }
  return false;
}

struct WalkTarget {
  int32_t Minutes;
  int32_t Timetable;
  int32_t Station;
};

// The station's walking links that may be walked, shortest first.
void WalkTargets(TimetableRecord const& t, int32_t station, std::vector<WalkTarget>& out) {
  out.clear();
  if (station < 0 || static_cast<uint32_t>(station) >= t.StationCount) return;
  const bool lowFloor = CurrentSearchSettings().Parms.LowFloorOnly != 0;
  const InternLinkRange links = InternLinks(t, static_cast<uint16_t>(station), lowFloor);
  const int32_t tt = IndexOfTimetable(&t);
  for (int32_t i = 0; i < links.count; ++i)
    if (links.Minutes(i) >= 0) out.push_back({links.Minutes(i), tt, links.Target(i)});
  std::stable_sort(out.begin(), out.end(),
                   [](WalkTarget const& a, WalkTarget const& b) { return a.Minutes < b.Minutes; });
}

// The station's links into another timetable, shortest first.
void LinkTargets(TimetableRecord const& t, int32_t station, int32_t into,
                 std::vector<WalkTarget>& out) {
  static ExternLinkList links;
  out.clear();
  if (station < 0 || static_cast<uint32_t>(station) >= t.StationCount) return;
  ExternLinks(t, static_cast<uint16_t>(station), links);
  for (size_t i = 0; i < links.stations.size(); ++i)
    if (links.timetables[i] == into && links.minutes[i] >= 0)
      out.push_back({links.minutes[i], into, links.stations[i]});
  std::stable_sort(out.begin(), out.end(),
                   [](WalkTarget const& a, WalkTarget const& b) { return a.Minutes < b.Minutes; });
}

// The targets are tried shortest first; reaching the station the change
// uses now ends the search, since every later one would walk longer.
bool MoveBoardingBack(ConnectionLeg const& arriving, ConnectionLeg& departing) {
  static std::vector<WalkTarget> targets;
  TimetableRecord* t = TimetableAt(departing.Timetable);
  if (!HasTrain(t, departing) || arriving.ToStation == departing.FromStation) return false;
  const int32_t ready = LegArrival(arriving);
  if (arriving.Timetable == departing.Timetable) {
    const int32_t x = arriving.ToStation;
    if (TryBoardAt(*t, departing, x, ready + GetChangeTime(*t, static_cast<uint16_t>(x), ready)))
      return true;
    const bool samePlaceOnly = CurrentSearchSettings().Parms.LimitWalkArcs != 0 ||
                               IsSamePlaceByName(arriving.Timetable, x, departing.FromStation);
    WalkTargets(*t, x, targets);
    for (WalkTarget const& w : targets) {
      if (w.Station == departing.FromStation) return false;
      if (samePlaceOnly && !IsSamePlaceByName(arriving.Timetable, x, w.Station)) continue;
      if (TryBoardAt(*t, departing, w.Station, ready + w.Minutes)) return true;
    }
    return false;
  }
  TimetableRecord const* from = TimetableAt(arriving.Timetable);
  if (!from) return false;
  LinkTargets(*from, arriving.ToStation, departing.Timetable, targets);
  if (targets.size() < 2) return false;
  for (WalkTarget const& w : targets) {
    if (w.Station == departing.FromStation) return false;
    if (TryBoardAt(*t, departing, w.Station, ready + w.Minutes)) return true;
  }
  return false;
}

bool MoveAlightingForward(ConnectionLeg& arriving, ConnectionLeg const& departing) {
  static std::vector<WalkTarget> targets;
  TimetableRecord* t = TimetableAt(arriving.Timetable);
  if (!HasTrain(t, arriving) || arriving.ToStation == departing.FromStation) return false;
  const int32_t leave = LegDeparture(departing);
  if (arriving.Timetable == departing.Timetable) {
    const int32_t y = departing.FromStation;
    if (TryAlightAt(*t, arriving, y, leave - GetChangeTime(*t, static_cast<uint16_t>(y), leave)))
      return true;
    const bool samePlaceOnly = CurrentSearchSettings().Parms.LimitWalkArcs != 0 ||
                               IsSamePlaceByName(arriving.Timetable, arriving.ToStation, y);
    WalkTargets(*t, y, targets);
    for (WalkTarget const& w : targets) {
      if (w.Station == arriving.ToStation) return false;
      if (samePlaceOnly && !IsSamePlaceByName(arriving.Timetable, y, w.Station)) continue;
      if (TryAlightAt(*t, arriving, w.Station, leave - w.Minutes)) return true;
    }
    return false;
  }
  TimetableRecord const* to = TimetableAt(departing.Timetable);
  if (!to) return false;
  LinkTargets(*to, departing.FromStation, arriving.Timetable, targets);
  if (targets.size() < 2) return false;
  for (WalkTarget const& w : targets) {
    if (w.Station == arriving.ToStation) return false;
    if (TryAlightAt(*t, arriving, w.Station, leave - w.Minutes)) return true;
  }
  return false;
}

// A train stored in several variants: the leg takes the first alternative
// the group table lists that runs the same stretch at the same times that
// day. True when it did.
bool TakeGroupVariant(ConnectionLeg& leg) {
  static std::vector<int32_t> alternatives;
  TimetableRecord* t = TimetableAt(leg.Timetable);
  if (!HasTrain(t, leg) || t->TrainPairs.size() == 0 || t->TrainTypeWords.empty() ||
      !(t->TrainTypeWords[leg.Train] & kGroupVariantTypeBit))
    return false;
  PairedTrains(*t, static_cast<uint32_t>(leg.Train), alternatives);
  if (alternatives.empty()) return false;
  const uint16_t from = static_cast<uint16_t>(leg.FromStation);
  StationEventList const events = SelectStationEvents(*t, from);
  for (int32_t other : alternatives) {
    if (other < 0 || static_cast<uint32_t>(other) >= t->TrainCount || other == leg.Train) continue;
    ConnectionLeg variant = leg;
    variant.Train = other;
    LegTrain ride;
    if (!LoadLegTrain(*t, variant, ride)) continue;
    if ((*ride.Times)[static_cast<size_t>(ride.At.Alight)] != LegArrival(leg)) continue;
    bool runs = false;
    for (int32_t e = 0; e < events.count && !runs; ++e) {
      StationEvent const ev = events.At(e);
      if (ev.Train() == static_cast<uint32_t>(other) && ev.Departs() &&
          ev.minute % 1440 == leg.DepartureMinute % 1440)
        runs = IsTrainRunningOnDay(DayTypesOf(*t).Filter, *t, leg.DepartureDay, ev, from,
                                   nullptr) != 0;
    }
    if (!runs) continue;
    int32_t offset = 0;
    for (int32_t i = 1; i <= ride.At.Board; ++i) offset += GetStopDayStep(*t, ride.Stops, i);
    leg.Train = other;
    leg.BoardingDayOffset = offset;
    return true;
  }
  return false;
}

bool SameRides(Connection const& a, Connection const& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].Train != b[i].Train || a[i].Timetable != b[i].Timetable ||
        a[i].DepartureDay != b[i].DepartureDay)
      return false;
  return true;
}

// A rail leg of a train without beds that runs at night, or over midnight.
bool NeedsABed(ConnectionLeg const& leg) {
  TimetableRecord const* t = TimetableAt(leg.Timetable);
  if (!HasTrain(t, leg) || t->Kind != kKindRail) return false;
  if (!t->TrainTypeWords.empty() && (t->TrainTypeWords[leg.Train] & kSleeperType)) return false;
  auto night = [](int32_t m) { return m >= kNightFrom || m < kNightUntil; };
  return night(leg.DepartureMinute) || night(leg.ArrivalMinute) ||
         leg.ArrivalMinute < leg.DepartureMinute;
}

template <typename Measures>
void Erase(ConnectionList& list, Measures& m, size_t i) {
  list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
  m.erase(m.begin() + static_cast<std::ptrdiff_t>(i));
}

std::vector<ConnectionMeasures> MeasureAll(ConnectionList const& list) {
  std::vector<ConnectionMeasures> m;
  m.reserve(list.size());
  for (Connection const& c : list) m.push_back(MeasureConnection(c));
  return m;
}

}  // namespace

ConnectionMeasures MeasureConnection(Connection const& c) {
  ConnectionMeasures m;
  if (c.empty()) return m;
  m.Departure = LegDeparture(c.front());
  m.Arrival = LegArrival(c.back());
  m.Duration = m.Arrival - m.Departure;
  m.PenalisedArrival = m.Arrival;
  m.WeightedChanges = static_cast<int32_t>(c.size());
  m.TotalDistance = 0;
  for (size_t i = 0; i < c.size(); ++i) {
    if (c[i].Distance < 0) m.TotalDistance = -1;
    if (m.TotalDistance >= 0) m.TotalDistance += c[i].Distance;
    if (i == 0) continue;
    m.PenalisedArrival += ChangePenaltyOf(c[i].Timetable);
    if (IsLongWalk(c[i - 1], c[i])) ++m.WeightedChanges;
  }
  return m;
}

bool ConnectionsEqual(Connection const& a, Connection const& b) {
  if (a.size() != b.size() || a.empty()) return false;
  if (a.size() > 1) {
    for (size_t i = a.size(); i-- > 0;) {
      ConnectionLeg const& x = a[i];
      ConnectionLeg const& y = b[i];
      if (x.Train != y.Train || x.Timetable != y.Timetable) return false;
      bool const sameStart = x.FromStation == y.FromStation && x.DepartureDay == y.DepartureDay;
      bool const sameEnd = x.ToStation == y.ToStation && x.ArrivalDay == y.ArrivalDay;
      if (!sameStart && !sameEnd) return false;
    }
    return true;
  }
  ConnectionLeg const& x = a.front();
  ConnectionLeg const& y = b.front();
  if (x.DepartureMinute != y.DepartureMinute || x.ArrivalMinute != y.ArrivalMinute ||
      x.DepartureDay != y.DepartureDay || x.ArrivalDay != y.ArrivalDay)
    return false;
  const uint8_t kx = KindOf(x.Timetable);
  const uint8_t ky = KindOf(y.Timetable);
  // A regional bus and the city line it runs as: the city number is the
  // bus number without its thousands.
  if ((kx == kKindBus && ky == kKindCity) || (kx == kKindCity && ky == kKindBus)) {
    ConnectionLeg const& bus = kx == kKindBus ? x : y;
    ConnectionLeg const& city = kx == kKindBus ? y : x;
    const std::string busNumber = TrainNumber(bus.Timetable, bus.Train);
    const std::string cityNumber = TrainNumber(city.Timetable, city.Train);
    if (!busNumber.empty() && !cityNumber.empty()) {
      long const n = std::strtol(busNumber.c_str(), nullptr, 10);
      long const m = std::strtol(cityNumber.c_str(), nullptr, 10);
      if (n % 1000 == m) return true;
    }
  }
  if (!SamePlace(x.Timetable, x.FromStation, y.Timetable, y.FromStation) ||
      !SamePlace(x.Timetable, x.ToStation, y.Timetable, y.ToStation))
    return false;
  bool const busOrCity = [](uint8_t k) { return k == kKindBus || k == kKindCity; }(kx) ||
                         ky == kKindBus || ky == kKindCity;
  if (!busOrCity) return true;
  if (x.Timetable == y.Timetable && x.Train == y.Train) return true;
  return TrainNumber(x.Timetable, x.Train) == TrainNumber(y.Timetable, y.Train);
}

namespace {

bool IsSimilarTo(int32_t dDep, int32_t dArr, ConnectionMeasures const& m, int32_t distanceBound,
                 int32_t durationBound, int32_t timeBound) {
  if (2 * m.Duration < timeBound) return true;
  bool const near =
      std::abs(m.Departure - dDep) <= kNearTime || std::abs(m.Arrival - dArr) <= kNearTime;
  if (!near) return false;
  if (m.Duration < timeBound) return true;
  return m.TotalDistance >= 0 && m.TotalDistance < distanceBound && m.Duration < durationBound;
}

}  // namespace

bool IsSimilarConnection(Connection const& d, ConnectionList const& list, int32_t distanceBound,
                         int32_t durationBound, int32_t timeBound) {
  const int32_t dDep = LegDeparture(d.front());
  const int32_t dArr = LegArrival(d.back());
  for (Connection const& q : list) {
    if (q.empty() || &q == &d) continue;
    if (IsSimilarTo(dDep, dArr, MeasureConnection(q), distanceBound, durationBound, timeBound))
      return true;
  }
  return false;
}

void RemoveDuplicateConnections(ConnectionList& list) {
  for (size_t i = list.size(); i-- > 1;)
    if (ConnectionsEqual(list[i], list[i - 1]))
      list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
}

// Each pass restarts after a removal; a removal never makes a pair fire that
// had not fired before, so the walk resumes where it was instead.
void RemoveDominatedConnections(ConnectionList& list) {
  std::vector<ConnectionMeasures> m = MeasureAll(list);

  // 1. A connection with as many changes or more that arrives later,
  //    counting the change penalties, at the same place.
  for (size_t j = 0; j < list.size();) {
    bool removed = false;
    if (list[j].size() > 1) {
      for (size_t k = j + 1; k < list.size(); ++k) {
        if (list[j].size() < list[k].size()) continue;
        if (m[k].PenalisedArrival >= m[j].PenalisedArrival) continue;
        // By departure every later connection departs no earlier; by
        // arrival one that departs earlier gives no reason to drop this.
        if (m[k].Departure < m[j].Departure) continue;
        if (!SameEnd(list[j], list[k])) continue;
        Erase(list, m, j);
        removed = true;
        break;
      }
    }
    if (!removed) ++j;
  }

  // 2. On long journeys a connection with fewer changes over a shorter way
  //    is worth a later arrival.
  for (size_t i = 1; i < list.size();) {
    bool removed = false;
    Connection const& ci = list[i];
    if (ci.size() > 1 && ci.front().DepartureMinute == list[i - 1].front().DepartureMinute &&
        m[i].Duration > kDominanceDurationFloor && m[i].TotalDistance > 0) {
      const int32_t e = std::max(m[i].Duration / 8, 120);
      for (size_t j = i; j-- > 0;) {
        if (m[j].Departure != m[i].Departure) continue;
        const int32_t diff = static_cast<int32_t>(list[j].size()) - static_cast<int32_t>(ci.size());
        if (diff <= 0 || m[j].TotalDistance < 0 || m[j].TotalDistance >= m[i].TotalDistance)
          continue;
        if (!SameEnd(list[j], ci)) continue;
        if (m[i].Arrival > m[j].Arrival + diff * e) {
          Erase(list, m, i);
          removed = true;
          break;
        }
      }
    }
    if (!removed) ++i;
  }

  // 3. Same departure, no fewer changes, no earlier arrival; or an earlier
  //    departure that arrives no earlier over the same timetables.
  for (size_t k = 0; k < list.size();) {
    bool removedK = false;
    for (size_t l = k + 1; l < list.size();) {
      if (list[l].size() <= 1) {
        ++l;
        continue;
      }
      const int32_t slack = m[l].Duration < m[k].Duration ? 60 : 0;
      if (m[k].Departure == m[l].Departure && m[l].WeightedChanges >= m[k].WeightedChanges &&
          m[l].Arrival >= m[k].Arrival + slack) {
        Erase(list, m, l);
        continue;
      }
      if (list[k].size() > 1 && m[k].Departure < m[l].Departure &&
          m[k].WeightedChanges >= m[l].WeightedChanges && m[k].Arrival >= m[l].Arrival &&
          list[k].front().Timetable == list[l].front().Timetable &&
          list[k].back().Timetable == list[l].back().Timetable) {
        Erase(list, m, k);
        removedK = true;
        break;
      }
      ++l;
    }
    if (!removedK) ++k;
  }
}

namespace {

int32_t TimeBound(int32_t duration) {
  const int32_t part = duration * 4 / 10;
  if (part < duration - 720) return duration - 720;
  return std::min(duration - 60, part);
}

int32_t DistanceBound(int32_t total) {
  if (total < 0) return -1;
  int32_t v = static_cast<int32_t>(static_cast<int64_t>(total) * 4 / 10);
  v = std::max(v, total - 500000);
  v = std::min(v, total - 40000);
  return v;
}

bool SameTrainsFromStart(Connection const& m, Connection const& d) {
  for (size_t i = 0; i < m.size(); ++i)
    if (m[i].Train != d[i].Train || m[i].Timetable != d[i].Timetable) return false;
  return true;
}

bool SameTrainsToEnd(Connection const& m, Connection const& d) {
  const size_t off = d.size() - m.size();
  for (size_t i = 0; i < m.size(); ++i)
    if (m[i].Train != d[off + i].Train || m[i].Timetable != d[off + i].Timetable) return false;
  return true;
}

bool ReturnsToAnEarlierStart(Connection const& d) {
  for (size_t i = 1; i < d.size(); ++i)
    for (size_t j = 0; j < i; ++j)
      if (d[j].Timetable == d[i].Timetable && d[j].FromStation == d[i].ToStation) return true;
  return false;
}

bool IsStationOrNamesake(TimetableRecord const& t, int32_t station, int32_t wanted) {
  if (station == wanted) return true;
  return t.Kind == kKindCity && station >= 0 && wanted >= 0 && StationsEqual(t, station, wanted);
}

// A journey that rides one of its trains through a station where it starts
// or ends another leg in that timetable went round in a loop.
bool PassesAnotherLegEnd(Connection const& d) {
  for (size_t k = 0; k < d.size(); ++k) {
    TimetableRecord* t = TimetableAt(d[k].Timetable);
    LegTrain ride;
    if (!t || !LoadLegTrain(*t, d[k], ride)) continue;
    for (int32_t i = ride.At.Board + 1; i < ride.At.Alight; ++i) {
      const int32_t s = ride.Stops.Station(i);
      for (size_t j = 0; j < d.size(); ++j)
        if (j != k && d[j].Timetable == d[k].Timetable &&
            (d[j].FromStation == s || d[j].ToStation == s))
          return true;
    }
  }
  return false;
}

// By departure: a later train of the journey calls at its start no earlier
// than the journey leaves, so waiting there would have done. By arrival:
// an earlier train, ridden on, reaches the end no later.
bool CouldStayOnOrWait(Connection const& d, bool byDeparture) {
  ConnectionLeg const& end = byDeparture ? d.front() : d.back();
  TimetableRecord* t = TimetableAt(end.Timetable);
  if (!t) return false;
  const int32_t station = byDeparture ? end.FromStation : end.ToStation;
  const int32_t time = byDeparture ? LegDeparture(end) : LegArrival(end);
  const size_t first = byDeparture ? 1 : 0;
  const size_t last = byDeparture ? d.size() : d.size() - 1;
  for (size_t k = first; k < last; ++k) {
    if (d[k].Timetable != end.Timetable) continue;
    LegTrain ride;
    if (!LoadLegTrain(*t, d[k], ride)) continue;
    std::vector<int32_t> const& times = *ride.Times;
    // Only a call the traveller could use: one before leaving the train,
    // or after it when riding on.
    const int32_t from = byDeparture ? 0 : ride.At.Alight + 1;
    const int32_t to = byDeparture ? ride.At.Alight : ride.Stops.count;
    for (int32_t i = from; i < to; ++i) {
      if (!IsStationOrNamesake(*t, ride.Stops.Station(i), station)) continue;
      const int32_t at = times[static_cast<size_t>(i)];
      if (byDeparture ? at >= time : at <= time) return true;
    }
  }
  return false;
}

}  // namespace

bool IsNeedlessChange(Connection const& d, bool byDeparture) {
  return d.size() > 1 && (CouldStayOnOrWait(d, byDeparture) || PassesAnotherLegEnd(d));
}

namespace {

bool IsDetour(ConnectionList const& list, std::vector<ConnectionMeasures> const& measures,
              size_t di, ConnectionList const* earlier, bool byDeparture, bool viaPoints,
              bool changeCallback) {
  Connection const& d = list[di];
  ConnectionMeasures const& md = measures[di];
  if (di > 0) {
    Connection const& p = list[di - 1];
    ConnectionMeasures const& mp = measures[di - 1];
    if (SameStart(d, p) && SameEnd(d, p)) {
      if (md.Departure == mp.Departure && md.Arrival == mp.Arrival) return true;
      if (md.WeightedChanges >= mp.WeightedChanges && mp.Departure >= md.Departure &&
          md.Arrival >= mp.Arrival)
        return true;
    }
  }
  if (!changeCallback) {
    const int32_t v = DistanceBound(md.TotalDistance);
    const int32_t t = md.Duration * 3 / 4;
    const int32_t bound = TimeBound(md.Duration);
    for (size_t q = 0; q < list.size(); ++q)
      if (q != di && IsSimilarTo(md.Departure, md.Arrival, measures[q], v, t, bound)) return true;
    if (earlier && IsSimilarConnection(d, *earlier, v, t, bound)) return true;
  }
  if (!viaPoints && ReturnsToAnEarlierStart(d)) return true;
  if (!viaPoints && !changeCallback && IsNeedlessChange(d, byDeparture)) return true;
  for (size_t mi = 0; mi < list.size(); ++mi) {
    Connection const& m = list[mi];
    if (mi == di || m.empty() || m.size() > d.size()) continue;
    if (byDeparture) {
      if (m.front().DepartureDay != d.front().DepartureDay || !SameTrainsFromStart(m, d)) continue;
      if (m.back().ToStation == d.back().ToStation && m.back().Timetable == d.back().Timetable)
        continue;
      if (LegArrival(m.back()) - md.Arrival < kSameTrainsSlack) return true;
    } else {
      if (m.back().ArrivalDay != d.back().ArrivalDay || !SameTrainsToEnd(m, d)) continue;
      if (m.front().FromStation == d.front().FromStation &&
          m.front().Timetable == d.front().Timetable)
        continue;
      if (md.Departure - LegDeparture(m.front()) < kSameTrainsSlack) return true;
    }
  }
  return false;
}

}  // namespace

void RemoveDetourConnections(ConnectionList& list, ConnectionList const* earlier, bool byDeparture,
                             bool viaPoints, bool changeCallback) {
  std::vector<ConnectionMeasures> m = MeasureAll(list);
  for (bool removed = true; removed;) {
    removed = false;
    for (size_t i = list.size(); i-- > 0;) {
      if (list[i].size() < 2) continue;
      if (IsDetour(list, m, i, earlier, byDeparture, viaPoints, changeCallback)) {
        Erase(list, m, i);
        removed = true;
      }
    }
  }
}

bool ConsolidateLegs(Connection connection, ConnectionList& list) {
  if (connection.empty()) return false;
  for (size_t k = 1; k < connection.size(); ++k)
    if (connection[k - 1].Timetable == connection[k].Timetable)
      MoveBoardingBack(connection[k - 1], connection[k]);
  for (size_t k = 1; k < connection.size(); ++k)
    if (connection[k - 1].Timetable == connection[k].Timetable)
      MoveAlightingForward(connection[k - 1], connection[k]);
  for (size_t k = 1; k < connection.size(); ++k)
    if (connection[k - 1].Timetable != connection[k].Timetable)
      MoveBoardingBack(connection[k - 1], connection[k]);
  for (size_t k = 1; k < connection.size(); ++k)
    if (connection[k - 1].Timetable != connection[k].Timetable)
      MoveAlightingForward(connection[k - 1], connection[k]);

  bool replaced = false;
  for (ConnectionLeg& leg : connection) replaced = TakeGroupVariant(leg) || replaced;
  if (replaced)
    for (Connection const& c : list)
      if (SameRides(c, connection)) return false;

  // Legs of one train in a row become one leg.
  size_t kept = 0;
  for (size_t i = 1; i < connection.size(); ++i) {
    ConnectionLeg& last = connection[kept];
    ConnectionLeg const& next = connection[i];
    if (next.Train == last.Train && next.Timetable == last.Timetable) {
      last.ToStation = next.ToStation;
      last.ArrivalMinute = next.ArrivalMinute;
      last.ArrivalDay = next.ArrivalDay;
      last.ViaLevel = next.ViaLevel;
      if (next.LastViaStation >= 0) last.LastViaStation = next.LastViaStation;
      if (last.FirstViaStation < 0) last.FirstViaStation = next.FirstViaStation;
    } else {
      connection[++kept] = next;
    }
  }
  connection.resize(kept + 1);
  // The via stations serve moving a change; one train has none.
  if (kept == 0) connection[0].FirstViaStation = connection[0].LastViaStation = -1;

  if (CurrentSearchSettings().Parms.UseBeds == 1 &&
      std::any_of(connection.begin(), connection.end(), NeedsABed))
    return false;
  list.push_back(std::move(connection));
  return true;
}

void FixLegDistance(ConnectionLeg& leg) {
  leg.Distance = -1;
  TimetableRecord* t = TimetableAt(leg.Timetable);
  if (!HasTrain(t, leg)) return;
  ImageArray<int32_t> cumulative;
  if (!LoadTrainDistances(*t, static_cast<uint32_t>(leg.Train), &cumulative)) return;
  const LegStops at = FindLegStops(DecodeTrainStops(*t, static_cast<uint32_t>(leg.Train)), leg);
  if (at.Board < 0 || at.Alight < 0 || at.Alight >= cumulative.size()) return;
  const int32_t metres = cumulative[at.Alight] - cumulative[at.Board];
  if (metres >= 0) leg.Distance = (metres + 500) / 1000 * 1000;
}

int CleanUpConnectionList(SearchRun& run, bool byDeparture) {
  ConnectionList& list = run.Found;
  RemoveDuplicateConnections(list);
  if (run.Request.ChangePoints.empty()) MoveAllChangeStations(list);
  for (Connection& c : list)
    for (ConnectionLeg& leg : c) FixLegDistance(leg);
  if (run.Request.ChangesAllowed) {
    RemoveDetourConnections(list, run.Earlier, byDeparture, run.Request.ViaCount > 0,
                            CurrentSearchSettings().ChangeFun != nullptr);
    RemoveDominatedConnections(list);
  }
  std::erase_if(list, [](Connection const& c) { return c.empty() || c.front().RemovalMark != 0; });
  return static_cast<int>(list.size());
}

ChangeStationSet CollectChangeStations(Connection const& c) {
  ChangeStationSet set;
  auto add = [&](int32_t station, int32_t timetable) {
    const std::pair<int32_t, int32_t> p{station, timetable};
    if (std::find(set.begin(), set.end(), p) == set.end()) set.push_back(p);
  };
  for (size_t i = 0; i + 1 < c.size(); ++i) add(c[i].ToStation, c[i].Timetable);
  for (size_t i = 1; i < c.size(); ++i) add(c[i].FromStation, c[i].Timetable);
  return set;
}

bool IsChangeSetSubset(ChangeStationSet const& a, ChangeStationSet const& b) {
  for (auto const& p : a)
    if (std::find(b.begin(), b.end(), p) == b.end()) return false;
  return true;
}

std::vector<ChangeStationSet> CollectChangeStationSets(ConnectionList const& list) {
  std::vector<ChangeStationSet> kept;
  for (Connection const& c : list) {
    ChangeStationSet set = CollectChangeStations(c);
    if (set.empty()) continue;
    bool drop = false;
    for (ChangeStationSet& k : kept) {
      if (IsChangeSetSubset(set, k)) {
        drop = true;
        break;
      }
      if (IsChangeSetSubset(k, set)) {
        k = set;
        drop = true;
        break;
      }
    }
    if (!drop) kept.push_back(std::move(set));
  }
  return kept;
}

int32_t CorrectedDuration(Connection const& c, bool byDayType, DayNumber day) {
  if (c.empty()) return 0;
  ConnectionLeg const& first = c.front();
  ConnectionLeg const& last = c.back();
  auto shift = [&](int32_t tt, int32_t station, int32_t legDay) {
    TimetableRecord const* t = TimetableAt(tt);
    return t ? StationShiftOnLegDay(*t, station, byDayType, static_cast<int32_t>(day), legDay) : 0;
  };
  const int32_t departure =
      LegDeparture(first) - shift(first.Timetable, first.FromStation, first.DepartureDay);
  const int32_t arrival = LegArrival(last) - shift(last.Timetable, last.ToStation, last.ArrivalDay);
  return arrival - departure;
}

int32_t AverageConnectionDuration(ConnectionList const& list) {
  if (list.empty()) return 100000;
  SearchRequest const& r = CurrentSearchRun().Request;
  int64_t sum = 0;
  for (Connection const& c : list) sum += CorrectedDuration(c, r.ByDayType, r.Day);
  return static_cast<int32_t>(sum / static_cast<int64_t>(list.size()));
}

bool IsBetterConnectionList(ConnectionList const& list, ConnectionList const& saved) {
  if (list.size() != saved.size()) return list.size() > saved.size();
  return AverageConnectionDuration(list) < AverageConnectionDuration(saved);
}

}  // namespace qo
