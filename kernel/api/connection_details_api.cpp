// Details of one connection of a search handle: its change points, the via
// level, distance and duration of a leg, the walk before it.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "calendars/day_type_calendars.h"
#include "calendars/train_calendar.h"
#include "calendars/train_groups.h"
#include "core/byte_order.h"
#include "dates/clock.h"
#include "dayremarks/day_remark_text.h"
#include "format/stored_bits.h"
#include "links/station_links.h"
#include "load/timetable_record.h"
#include "search/search_handle.h"
#include "stations/station_access.h"
#include "stations/station_names.h"
#include "text/text_fold.h"
#include "search/change_rules.h"
#include "trains/train_distances.h"
#include "trains/train_route.h"
#include "trains/train_stops.h"
#include "virtlists/virt_lists.h"

using namespace qo;

namespace {

constexpr int kMaxChangePoints = 45;

// The leg of a connection argument, or null with the kernel error set (30,
// 33, 20; 20 also for a leg index out of range).
ConnectionLeg* FindLeg(void* handle, int connection, int leg, Connection** owner = nullptr) {
  Connection* c = FindConnection(handle, connection);
  if (!c) return nullptr;
  if (leg < 0 || static_cast<size_t>(leg) >= c->size()) {
    SetKernelError(ErrIndexOutOfRange);
    return nullptr;
  }
  if (owner) *owner = c;
  return &(*c)[static_cast<size_t>(leg)];
}

struct ChangePoints {
  std::array<int, kMaxChangePoints> timetables{};
  std::array<int, kMaxChangePoints> stations{};
  int count = 0;

  bool Holds(int timetable, int station) const {
    for (int i = 0; i < count; ++i)
      if (timetables[static_cast<size_t>(i)] == timetable &&
          stations[static_cast<size_t>(i)] == station)
        return true;
    return false;
  }
  bool Add(int timetable, int station) {
    if (count == kMaxChangePoints) return false;
    timetables[static_cast<size_t>(count)] = timetable;
    stations[static_cast<size_t>(count)] = station;
    ++count;
    return true;
  }
};

std::string UpperName(TimetableRecord const& t, int station) {
  std::string name;
  GetStationName(t, station, 0, true, name);
  MakeUpperCase(name.data());
  return name;
}

// The item of a kind-3 list that holds the station: the first such list
// whose mapped item really lists it. False when none does.
bool StationsItemOf(TimetableRecord const& t, uint16_t station, VirtListRecord const** list,
                    int32_t* item) {
  for (size_t i = 0; i < t.VirtLists.size(); ++i) {
    VirtListRecord const& l = t.VirtLists[i];
    if (ListKind(l) != kListKindStations) continue;
    const int32_t found = MapVirtListItem(t, -1, station, static_cast<int>(i));
    if (found < 0) continue;
    uint8_t const* members = nullptr;
    uint8_t const* bytes = nullptr;
    const int32_t n = ItemStations(l, found, &members, &bytes);
    for (int32_t k = 0; k < n; ++k) {
      if (LoadLE<uint16_t>(members + 2 * k) == station) {
        *list = &l;
        *item = found;
        return true;
      }
    }
  }
  return false;
}

// Station members of the change point's place that bear its name.
void AddSameNamedMembers(ChangePoints& points, int timetable, int station) {
  TimetableRecord const* t = TimetableAt(timetable);
  if (!t || station < 0) return;
  VirtListRecord const* list = nullptr;
  int32_t item = -1;
  if (!StationsItemOf(*t, static_cast<uint16_t>(station), &list, &item)) return;
  const std::string name = UpperName(*t, station);
  uint8_t const* members = nullptr;
  uint8_t const* bytes = nullptr;
  const int32_t n = ItemStations(*list, item, &members, &bytes);
  for (int32_t k = 0; k < n; ++k) {
    const int member = LoadLE<uint16_t>(members + 2 * k);
    if (points.Holds(timetable, member)) continue;
    if (member != station && UpperName(*t, member) != name) continue;
    if (!points.Add(timetable, member)) return;
  }
}

// The time shift of a station on a leg's day of the handle's search.
int ShiftOn(SearchHandle const& h, TimetableRecord const& t, int32_t station, int32_t legDay) {
  return StationShiftOnLegDay(t, station, h.Request.ByDayType, static_cast<int32_t>(h.Request.Day),
                              legDay);
}

// The days on which some variant of the leg's train group runs that calls
// at the leg's two stations at the leg's minutes: a train shown as one may
// be stored as several variants of one group, each running on part of the
// days. out[i] is for day start + i of the connection; `legDay` is the
// day the leg departs, counted from the connection's first departure.
// False where the leg's own calendar holds: not a rail timetable, no group,
// or no variant that serves both stops.
bool GroupRunningDays(TimetableRecord& t, ConnectionLeg const& leg, int64_t start, int64_t legDay,
                      size_t n, std::vector<uint8_t>& out) {
  uint32_t first = 0, last = 0;
  if (t.Kind != kKindRail || !TrainGroup(t, static_cast<uint32_t>(leg.Train), &first, &last))
    return false;
  static std::vector<RouteRecord> route;
  out.assign(n, 0);
  bool any = false;
  const int64_t calendarDays = static_cast<int64_t>(t.RunningDayCalendar.size());
  for (uint32_t g = first; g <= last; ++g) {
    BuildTrainRoute(t, g, route);
    const RideStops at = FindRideStops(route, leg.FromStation, leg.DepartureMinute, leg.ToStation,
                                       leg.ArrivalMinute, RideMatch::OwnTime);
    if (at.Alight < 0) continue;
    any = true;
    // The day the variant starts, from the connection's day.
    const int64_t u = legDay - route[static_cast<size_t>(at.Board)].DepartureDay;
    const int32_t cls = TrainCalendarClass(t, g);
    for (size_t i = 0; i < n; ++i) {
      const int64_t index = start + static_cast<int64_t>(i) + u - t.FirstDay;
      if (index >= 0 && index < calendarDays && ClassRunsOnCalendarDay(t, cls, index)) out[i] = 1;
    }
  }
  return any;
}

// The days (from the connection's first departure) on which every leg's
// train runs, over the days all legs' timetables cover. False for an empty
// range.
bool ConnectionRunningDays(Connection const& c, int32_t* firstDay, std::vector<uint8_t>& days) {
  int64_t start = 0, end = INT64_MAX;
  for (ConnectionLeg const& leg : c) {
    TimetableRecord const* t = TimetableAt(leg.Timetable);
    if (!t) return false;
    start = std::max<int64_t>(start, t->FirstDay);
    end = std::min<int64_t>(end, t->LastDay);
  }
  DayRemarkOptions const& o = GetDayRemarkOptions();
  const int64_t base = o.baseDay > 0 ? o.baseDay : GetToday();
  if (o.fromBaseDay) start = std::max(start, base);
  if (o.limit) end = std::min<int64_t>(end, base + o.dayLimit - 1);
  // Narrowed so that every leg's shifted days lie within its timetable:
  // outside it nothing is known of its train.
  const int32_t firstLegDay = c.front().DepartureDay;
  for (ConnectionLeg const& leg : c) {
    TimetableRecord const& t = *TimetableAt(leg.Timetable);
    const int64_t u = leg.DepartureDay - leg.BoardingDayOffset - firstLegDay;
    start = std::max<int64_t>(start, int64_t{t.FirstDay} - u);
    end = std::min<int64_t>(end, int64_t{t.LastDay} - u);
  }
  if (end < start) return false;
  days.assign(static_cast<size_t>(end - start + 1), 1);
  static std::vector<uint8_t> group;
  for (ConnectionLeg const& leg : c) {
    if (leg.Train < 0) continue;
    TimetableRecord& t = *TimetableAt(leg.Timetable);
    if (static_cast<uint32_t>(leg.Train) >= t.TrainCount) continue;
    const int64_t u = leg.DepartureDay - leg.BoardingDayOffset - firstLegDay;
    if (GroupRunningDays(t, leg, start, leg.DepartureDay - firstLegDay, days.size(), group)) {
      for (size_t i = 0; i < days.size(); ++i) days[i] &= group[i];
      continue;
    }
    const int32_t cls = TrainCalendarClass(t, static_cast<uint32_t>(leg.Train));
    const int64_t calendarDays = static_cast<int64_t>(t.RunningDayCalendar.size());
    for (size_t i = 0; i < days.size(); ++i) {
      const int64_t index = start + static_cast<int64_t>(i) + u - t.FirstDay;
      if (index >= 0 && index < calendarDays && !ClassRunsOnCalendarDay(t, cls, index)) days[i] = 0;
    }
  }
  *firstDay = static_cast<int32_t>(start);
  return true;
}

// The stations a ride passes as keys, with the timetable of each and
// whether any is marked: the walk the fares and the printouts follow.
struct FullVia {
  std::vector<int> timetables;
  std::vector<int> keys;
  bool marked = false;
  void Clear() {
    timetables.clear();
    keys.clear();
    marked = false;
  }
};

int32_t PairKey(RecordArray const& table, int32_t a, int32_t b) {
  if (a > b) std::swap(a, b);
  int32_t lo = 0, hi = table.size();
  while (lo < hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    const int32_t ka = table.Field<int32_t>(mid, 0), kb = table.Field<int32_t>(mid, 4);
    if (ka < a || (ka == a && kb < b))
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo < table.size() && table.Field<int32_t>(lo, 0) == a && table.Field<int32_t>(lo, 4) == b)
    return table.Field<int32_t>(lo, 8);
  return 0;
}

void AppendStation(FullVia& via, int timetable, TimetableRecord const& t, uint16_t station) {
  if (station >= t.StationCount) return;
  const int32_t key = station < t.StationKeys.size() ? t.StationKeys[station] : 0;
  if (!t.StationTypes.empty() && station < t.StationTypes.size() && (t.StationTypes[station] & 0x2))
    via.marked = true;
  if (!via.keys.empty() && via.keys.back() == key) return;
  if (!via.keys.empty() && via.timetables.back() == timetable) {
    if (int32_t between = PairKey(t.PairTables[1], via.keys.back(), key)) {
      via.keys.push_back(between);
      via.timetables.push_back(timetable);
    }
  }
  via.keys.push_back(key);
  via.timetables.push_back(timetable);
}

// The train's stops from `from` to `to` (stop positions) as keys.
void AppendStops(FullVia& via, int timetable, TimetableRecord& t, StopList const& stops,
                 int32_t from, int32_t to) {
  for (int32_t i = from; i <= to && i < stops.count; ++i)
    AppendStation(via, timetable, t, stops.Station(i));
}

int32_t Translated(RecordArray const& table, int32_t key) {
  int32_t lo = 0, hi = table.size();
  while (lo < hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    if (table.Field<int32_t>(mid, 0) < key)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo < table.size() && table.Field<int32_t>(lo, 0) == key ? table.Field<int32_t>(lo, 4)
                                                                 : key;
}

// Keys in the fare numbering: translated, and between two keys of
// different groups the key the first pair table puts between them. False
// (error 23) when a timetable has no translation.
bool TranslateKeys(FullVia& via) {
  for (size_t i = 0; i < via.keys.size(); ++i) {
    TimetableRecord const* t = TimetableAt(via.timetables[i]);
    if (!t || t->FareArrays[0].empty()) {
      SetKernelError(ErrNotSupported);
      return false;
    }
    via.keys[i] = Translated(t->FareArrays[0], via.keys[i]);
  }
  FullVia out;
  for (size_t i = 0; i < via.keys.size(); ++i) {
    const int32_t key = via.keys[i];
    if (i > 0 && via.timetables[i] == via.timetables[i - 1]) {
      const int32_t previous = via.keys[i - 1];
      const int32_t g = key / 100000, gp = previous / 100000;
      if (g != 0 && gp != 0 && g != gp) {
        RecordArray const& pairs = TimetableAt(via.timetables[i])->PairTables[0];
        int32_t between = 0;
        for (auto [a, b] : {std::pair{key, previous}, std::pair{g, previous}, std::pair{key, gp},
                            std::pair{g, gp}}) {
          if ((between = PairKey(pairs, a, b)) != 0) break;
        }
        if (between) {
          out.keys.push_back(between);
          out.timetables.push_back(via.timetables[i]);
        }
      }
    }
    out.keys.push_back(key);
    out.timetables.push_back(via.timetables[i]);
  }
  out.marked = via.marked;
  via = std::move(out);
  return true;
}

// The stop where a leg boards (station and minute of day), from `start`;
// -1 when the train has none.
int32_t FindStop(TimetableRecord const& t, StopList const& stops, int32_t start, int32_t station,
                 int32_t minute) {
  for (int32_t i = std::max(start, 0); i < stops.count; ++i) {
    if (stops.Station(i) != station) continue;
    if (minute < 0 || stops.Minute(i) % 1440 == ((minute % 1440) + 1440) % 1440) return i;
  }
  (void)t;
  return -1;
}

// The leg's length from its train's distances, -1 when they are not known.
int32_t LegDistance(ConnectionLeg const& leg) {
  TimetableRecord* t = TimetableAt(leg.Timetable);
  if (!t || leg.Train < 0 || static_cast<uint32_t>(leg.Train) >= t->TrainCount) return -1;
  StopList stops = DecodeTrainStops(*t, static_cast<uint32_t>(leg.Train));
  const int32_t board = FindStop(*t, stops, 0, leg.FromStation, leg.DepartureMinute);
  const int32_t alight =
      board < 0 ? -1 : FindStop(*t, stops, board + 1, leg.ToStation, leg.ArrivalMinute);
  ImageArray<int32_t> cumulative;
  if (alight < 0 || !LoadTrainDistances(*t, static_cast<uint32_t>(leg.Train), &cumulative) ||
      alight >= cumulative.size())
    return -1;
  const int32_t metres = cumulative[alight] - cumulative[board];
  return metres < 0 ? -1 : metres;
}

// A leg's train route with absolute times: minutes from midnight of the
// day the legs count from, the boarding stop on the leg's departure day.
struct TimedRoute {
  std::vector<RouteRecord> stops;
  int32_t board = -1;
  int32_t alight = -1;
  int64_t dayBase = 0;  // minutes to add to a stop's own day and minute

  // A stop of one word is reached when the train leaves it.
  static int ArrivalMinute(RouteRecord const& r) { return r.Arrival < 0 ? r.Departure : r.Arrival; }
  int64_t Arrival(int32_t i) const {
    RouteRecord const& r = stops[static_cast<size_t>(i)];
    const int minute = ArrivalMinute(r);
    const int day = r.Arrival < 0 ? r.DepartureDay : r.ArrivalDay;
    return minute < 0 ? -1 : dayBase + int64_t{day} * 1440 + minute;
  }
  int64_t Departure(int32_t i) const {
    RouteRecord const& r = stops[static_cast<size_t>(i)];
    return r.Departure < 0 ? -1 : dayBase + int64_t{r.DepartureDay} * 1440 + r.Departure;
  }
  int32_t size() const { return static_cast<int32_t>(stops.size()); }
};

bool BuildTimedRoute(TimetableRecord& t, ConnectionLeg const& leg, TimedRoute& out) {
  if (leg.Train < 0 || static_cast<uint32_t>(leg.Train) >= t.TrainCount) return false;
  BuildTrainRoute(t, static_cast<uint32_t>(leg.Train), out.stops);
  const RideStops at = FindRideStops(out.stops, leg.FromStation, leg.DepartureMinute, leg.ToStation,
                                     leg.ArrivalMinute, RideMatch::OwnTime);
  out.board = at.Board;
  out.alight = at.Alight;
  if (out.board < 0 || out.alight < 0) return false;
  out.dayBase =
      (int64_t{leg.DepartureDay} - out.stops[static_cast<size_t>(out.board)].DepartureDay) * 1440;
  return true;
}

// Bus stops where the train only stops on request at both ends of the ride
// are no places to change at.
constexpr uint16_t kOnRequestBoth = 0x1000 | 0x4000;
bool OnRequest(TimetableRecord const& t, RouteRecord const& r) {
  return t.Kind == kKindBus && (r.Flags & kOnRequestBoth) == kOnRequestBoth;
}

void Record(std::vector<int>& times, int32_t at, int64_t minutes) {
  int& slot = times[static_cast<size_t>(at)];
  slot = std::max<int>(slot, static_cast<int>(minutes));
}

// Where the traveller could change between this leg's train and the next
// leg's (`after`) or the previous leg's, and how long the change would be
// there. The other train's stops on its side of the change are walked
// towards it (the next train's before its alighting stop, the previous
// train's after its boarding stop, backwards); for each, this train's
// first stop at the same place, walked from its far end, that is reached
// in time and where the change rules allow the change.
void ChangesWith(int timetable, TimetableRecord& t, ConnectionLeg const& leg,
                 TimedRoute const& self, ConnectionLeg const& neighbour, bool after, bool lowFloor,
                 std::vector<int>& times) {
  TimedRoute other;
  if (!BuildTimedRoute(t, neighbour, other)) return;
  ConnectionLeg const& arriving = after ? leg : neighbour;
  ConnectionLeg const& departing = after ? neighbour : leg;
  // The stops at which each train takes part in the journey.
  const int32_t selfEnd = after ? self.board : self.alight;
  const int32_t otherEnd = after ? other.alight : other.board;
  const bool selfOnRequest = OnRequest(t, self.stops[static_cast<size_t>(selfEnd)]);
  const bool otherOnRequest = OnRequest(t, other.stops[static_cast<size_t>(otherEnd)]);
  // `step` walks the other train; this one is walked the opposite way. A
  // stop whose station repeats on the step's side is passed over.
  const int32_t step = after ? 1 : -1;
  const int32_t otherFirst = after ? 0 : other.size() - 1;
  const int32_t selfFirst = after ? self.size() - 1 : 0;
  for (int32_t m = otherFirst; m != otherEnd; m += step) {
    RouteRecord const& o = other.stops[static_cast<size_t>(m)];
    if (o.Station == other.stops[static_cast<size_t>(m + step)].Station) continue;
    const int64_t otherTime = after ? other.Departure(m) : other.Arrival(m);
    if (otherTime < 0 || (otherOnRequest && OnRequest(t, o))) continue;
    for (int32_t k = selfFirst; k != selfEnd; k -= step) {
      RouteRecord const& r = self.stops[static_cast<size_t>(k)];
      if (self.stops[static_cast<size_t>(k - step)].Station == r.Station) continue;
      if (!IsSameChangePlace(timetable, r.Station, o.Station)) continue;
      const int64_t selfTime = after ? self.Arrival(k) : self.Departure(k);
      const int64_t wait = after ? otherTime - selfTime : selfTime - otherTime;
      if (selfTime < 0 || wait < 0) continue;
      if (selfOnRequest && OnRequest(t, r)) continue;
      const uint16_t from = after ? r.Station : o.Station, to = after ? o.Station : r.Station;
      if (!CanChangeAt(timetable, arriving, from, to, departing, lowFloor)) continue;
      Record(times, k, wait);
      break;
    }
  }
  // The change the connection makes.
  Record(times, after ? self.alight : self.board,
         (int64_t{departing.DepartureDay} - arriving.ArrivalDay) * 1440 +
             departing.DepartureMinute - arriving.ArrivalMinute);
}

int Category(int timetable, int train) {
  char const* type = nullptr;
  QoTrainInfo(timetable, 0, train, nullptr, nullptr, &type, nullptr);
  if (!type) return 0;
  if (std::strcmp(type, "SC") == 0) return 2;
  if (std::strcmp(type, "EC") == 0 || std::strcmp(type, "IC") == 0) return 1;
  return 0;
}

}  // namespace

extern "C" {

QO_API int QoGetFullVia(void* handle, int connection, int kind, int area_or_leg, int translate,
                        const int** timetables, const int** keys, int* marked, int* first_day,
                        int* category) {
  static FullVia via;
  if (timetables) *timetables = nullptr;
  if (keys) *keys = nullptr;
  if (marked) *marked = 0;
  return api::GuardedExport<int>(0, [&] {
    via.Clear();
    SearchHandle* h = LiveHandle(handle);
    Connection* c = FindConnection(handle, connection);
    if (!h || !c) return 0;
    if (kind < 0 && (area_or_leg < 0 || static_cast<size_t>(area_or_leg) >= c->size())) {
      SetKernelError(ErrIndexOutOfRange);
      return 0;
    }
    for (size_t i = 0; i < c->size(); ++i) {
      ConnectionLeg const& leg = (*c)[i];
      TimetableRecord* t = TimetableAt(leg.Timetable);
      if (!t) continue;
      if (kind < 0 ? static_cast<int>(i) != area_or_leg
                   : (t->Kind != kind || t->Area != area_or_leg))
        continue;
      if (first_day && *first_day == 0 && !h->Request.ByDayType)
        *first_day = leg.DepartureDay + static_cast<int32_t>(h->Request.Day);
      if (leg.Train < 0 || static_cast<uint32_t>(leg.Train) >= t->TrainCount) {
        // A walk: its two ends.
        if (leg.FromStation >= 0) AppendStation(via, leg.Timetable, *t, leg.FromStation);
        if (leg.ToStation >= 0) AppendStation(via, leg.Timetable, *t, leg.ToStation);
        continue;
      }
      if (category && t->Kind == kKindRail && *category < 2)
        *category = std::max(*category, Category(leg.Timetable, leg.Train));
      StopList stops = DecodeTrainStops(*t, static_cast<uint32_t>(leg.Train));
      const int32_t board = FindStop(*t, stops, 0, leg.FromStation, leg.DepartureMinute);
      const int32_t alight =
          board < 0 ? -1 : FindStop(*t, stops, board + 1, leg.ToStation, leg.ArrivalMinute);
      if (alight < 0) continue;
      AppendStops(via, leg.Timetable, *t, stops, board, alight);
    }
    if (translate && via.marked && !TranslateKeys(via)) {
      via.Clear();
      return 0;
    }
    if (marked) *marked = via.marked ? 1 : 0;
    if (!via.keys.empty()) {
      if (timetables) *timetables = via.timetables.data();
      if (keys) *keys = via.keys.data();
    }
    return static_cast<int>(via.keys.size());
  });
}

QO_API int QoSetConnChangeStation(void* handle, int connection, int leg, int station) {
  return api::GuardedExport<int>(0, [&] {
    Connection* c = nullptr;
    ConnectionLeg* arriving = FindLeg(handle, connection, leg, &c);
    if (!arriving) return 0;
    if (static_cast<size_t>(leg) + 1 >= c->size()) return 0;
    ConnectionLeg& departing = (*c)[static_cast<size_t>(leg) + 1];
    if (!MoveChangeStation(*arriving, departing, station < 0 ? -1 : station, false)) return 0;
    arriving->Distance = LegDistance(*arriving);
    departing.Distance = LegDistance(departing);
    return 1;
  });
}

QO_API int QoGetConnChangeTime(void* handle, int connection, int leg, const int** times, int before,
                               int after) {
  static std::vector<int> result;
  if (times) *times = nullptr;
  return api::GuardedExport<int>(0, [&] {
    Connection* c = nullptr;
    ConnectionLeg const* l = FindLeg(handle, connection, leg, &c);
    if (!l || c->size() < 2) return 0;
    TimetableRecord* t = TimetableAt(l->Timetable);
    TimedRoute self;
    if (!t || !BuildTimedRoute(*t, *l, self)) return 0;
    result.assign(self.stops.size(), -1);
    const bool lowFloor = LiveHandle(handle)->Parms.Values.LowFloorOnly != 0;
    const size_t i = static_cast<size_t>(leg);
    if (after && i + 1 < c->size() && (*c)[i + 1].Timetable == l->Timetable)
      ChangesWith(l->Timetable, *t, *l, self, (*c)[i + 1], true, lowFloor, result);
    if (before && i > 0 && (*c)[i - 1].Timetable == l->Timetable)
      ChangesWith(l->Timetable, *t, *l, self, (*c)[i - 1], false, lowFloor, result);
    // Of the stops at one place only the longest change stands.
    for (size_t a = 0; a < result.size(); ++a) {
      if (result[a] < 0) continue;
      for (size_t b = a + 1; b < result.size(); ++b) {
        if (result[b] < 0) continue;
        if (!IsSameChangePlace(l->Timetable, self.stops[a].Station, self.stops[b].Station))
          continue;
        if (result[b] > result[a]) {
          result[a] = -1;
          break;
        }
        result[b] = -1;
      }
    }
    if (times) *times = result.data();
    return static_cast<int>(result.size());
  });
}

QO_API int QoGetTrainFullVia(int timetable, int train, int from_key, int to_key, int key_kind,
                             int translate, const int** keys, int* marked) {
  static FullVia via;
  if (keys) *keys = nullptr;
  if (marked) *marked = 0;
  return api::GuardedExport<int>(0, [&] {
    via.Clear();
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    if (train < 0 || static_cast<uint32_t>(train) >= t->TrainCount) {
      SetKernelError(ErrTrainIndex);
      return 0;
    }
    constexpr size_t kMaxKeyStations = 10;
    std::vector<int32_t> fromStations, toStations;
    if (from_key) SearchStationKeyEx(*t, from_key, key_kind, fromStations);
    if (to_key) SearchStationKeyEx(*t, to_key, key_kind, toStations);
    if (fromStations.size() > kMaxKeyStations) fromStations.resize(kMaxKeyStations);
    if (toStations.size() > kMaxKeyStations) toStations.resize(kMaxKeyStations);
    auto in = [](std::vector<int32_t> const& set, uint16_t s) {
      return std::find(set.begin(), set.end(), s) != set.end();
    };
    StopList stops = DecodeTrainStops(*t, static_cast<uint32_t>(train));
    int32_t from = from_key ? -1 : 0;
    for (int32_t i = 0; from < 0 && i < stops.count; ++i)
      if (in(fromStations, stops.Station(i))) from = i;
    if (from < 0) return 0;
    int32_t to = to_key ? -1 : stops.count - 1;
    for (int32_t i = from + 1; to < 0 && i < stops.count; ++i)
      if (in(toStations, stops.Station(i))) to = i;
    if (to < 0) return 0;
    AppendStops(via, timetable, *t, stops, from, to);
    if (translate && via.marked && !TranslateKeys(via)) {
      via.Clear();
      return 0;
    }
    if (marked) *marked = via.marked ? 1 : 0;
    if (keys && !via.keys.empty()) *keys = via.keys.data();
    return static_cast<int>(via.keys.size());
  });
}

QO_API const char* QoGetConnDateRemExt(void* handle, int connection, char language,
                                       const unsigned char** days, int* first_day) {
  static std::vector<char> text;
  static std::vector<uint8_t> bitmap;  // a counted array of bytes
  if (days) *days = nullptr;
  if (first_day) *first_day = 0;
  return api::GuardedExport<const char*>(nullptr, [&]() -> const char* {
    Connection* c = FindConnection(handle, connection);
    if (!c || c->empty()) return nullptr;
    int32_t start = 0;
    std::vector<uint8_t> set;
    std::string words;
    if (!ConnectionRunningDays(*c, &start, set)) return api::ConvertOut(words, text);
    const bool everyDay = std::all_of(set.begin(), set.end(), [](uint8_t d) { return d != 0; });
    if (language >= 'a' && language <= 'z') {
      if (everyDay) return nullptr;
      language = static_cast<char>(language - 'a' + 'A');
    }
    ConnectionLeg const& first = c->front();
    TimetableRecord& t = *TimetableAt(first.Timetable);
    DayRemarkContext context;
    context.air = std::all_of(c->begin(), c->end(), [](ConnectionLeg const& leg) {
      return TimetableAt(leg.Timetable)->Kind == kKindAir;
    });
    const int special = GetDayRemarkOptions().specialDays;
    const bool trainAllows =
        first.Train < 0 || t.TrainTypeWords.empty() ||
        !(t.TrainTypeWords[static_cast<int32_t>(first.Train)] & kNoDaysOffHandling);
    const bool sameValidity = std::all_of(c->begin(), c->end(), [&](ConnectionLeg const& leg) {
      TimetableRecord const* o = TimetableAt(leg.Timetable);
      return o->FirstDay == t.FirstDay && o->LastDay == t.LastDay;
    });
    if (!t.Holidays.empty() && sameValidity && (special == 2 || (special == 0 && trainAllows))) {
      DaysOffTable table = EnsureDaysOffTable(t);
      const int64_t at = int64_t{start} - t.FirstDay;
      if (table.count > 0 && at >= 0 && at < table.count) {
        context.daysOff = table.days + at;
        context.daysOffCount = static_cast<int32_t>(table.count - at);
      }
    }
    bitmap.assign(8 + set.size(), 0);
    const int32_t n = static_cast<int32_t>(set.size());
    StoreLE<int32_t>(bitmap.data(), n);
    StoreLE<int32_t>(bitmap.data() + 4, n);
    std::copy(set.begin(), set.end(), bitmap.begin() + 8);
    MakeDayRemarkText(start, bitmap.data() + 8, n, language, 0, context, words);
    if (days) *days = bitmap.data() + 8;
    if (first_day) *first_day = start;
    return api::ConvertOut(words, text);
  });
}

QO_API const char* QoGetConnDateRem(void* handle, int connection, char language) {
  return QoGetConnDateRemExt(handle, connection, language, nullptr, nullptr);
}

QO_API int QoGetConnChanges(void* handle, int connection, int mode, const int** timetables,
                            const int** stations) {
  static ChangePoints points;
  if (timetables) *timetables = nullptr;
  if (stations) *stations = nullptr;
  return api::GuardedExport<int>(0, [&] {
    Connection* c = FindConnection(handle, connection);
    if (!c) return 0;
    points = ChangePoints{};
    for (size_t i = 0; i + 1 < c->size(); ++i) {
      ConnectionLeg const& a = (*c)[i];
      ConnectionLeg const& b = (*c)[i + 1];
      if (a.ToStation != b.FromStation || a.Timetable != b.Timetable)
        points.Add(a.Timetable, a.ToStation);
      points.Add(b.Timetable, b.FromStation);
    }
    if (mode == 1) {
      const int found = points.count;
      for (int i = 0; i < found; ++i)
        AddSameNamedMembers(points, points.timetables[static_cast<size_t>(i)],
                            points.stations[static_cast<size_t>(i)]);
    } else if (mode == 2) {
      for (int i = 0; i < points.count; ++i) {
        TimetableRecord const* t = TimetableAt(points.timetables[static_cast<size_t>(i)]);
        int& s = points.stations[static_cast<size_t>(i)];
        if (t && s >= 0 && s < t->StationKeys.size()) s = t->StationKeys[s];
      }
    }
    if (points.count > 0) {
      if (timetables) *timetables = points.timetables.data();
      if (stations) *stations = points.stations.data();
    }
    return points.count;
  });
}

QO_API int QoGetLevelVia(void* handle, int connection, int leg) {
  return api::GuardedExport<int>(0, [&] {
    ConnectionLeg const* l = FindLeg(handle, connection, leg);
    return l ? l->ViaLevel : 0;
  });
}

QO_API void QoGetConnTrainDist(void* handle, int connection, int leg, int* distance,
                               int* duration) {
  if (distance) *distance = -1;
  if (duration) *duration = -1;
  api::GuardedExport<int>(0, [&] {
    ConnectionLeg const* l = FindLeg(handle, connection, leg);
    if (!l) return 0;
    SearchHandle const& h = *LiveHandle(handle);
    TimetableRecord const* t = TimetableAt(l->Timetable);
    if (!t) return 0;
    if (distance) *distance = l->Distance;
    if (duration) {
      const int32_t departure = l->DepartureDay * 1440 + l->DepartureMinute -
                                ShiftOn(h, *t, l->FromStation, l->DepartureDay);
      const int32_t arrival =
          l->ArrivalDay * 1440 + l->ArrivalMinute - ShiftOn(h, *t, l->ToStation, l->ArrivalDay);
      *duration = arrival - departure;
    }
    return 0;
  });
}

QO_API int QoGetConnLinkDist(void* handle, int connection, int leg) {
  return api::GuardedExport<int>(0, [&] {
    Connection* c = nullptr;
    ConnectionLeg const* l = FindLeg(handle, connection, leg, &c);
    if (!l || leg == 0) return 0;
    ConnectionLeg const& before = (*c)[static_cast<size_t>(leg - 1)];
    TimetableRecord const* ta = TimetableAt(before.Timetable);
    TimetableRecord const* tb = TimetableAt(l->Timetable);
    if (!ta || !tb || before.ToStation < 0 ||
        static_cast<uint32_t>(before.ToStation) >= ta->StationCount || l->FromStation < 0 ||
        static_cast<uint32_t>(l->FromStation) >= tb->StationCount)
      return 0;
    const bool lowFloor = LiveHandle(handle)->Parms.Values.LowFloorOnly != 0;
    return LinkMinutes(before.Timetable, static_cast<uint16_t>(before.ToStation), l->Timetable,
                       static_cast<uint16_t>(l->FromStation), lowFloor);
  });
}

}  // extern "C"
