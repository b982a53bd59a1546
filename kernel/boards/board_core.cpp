#include "boards/board_core.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <unordered_map>

#include "boards/region_group.h"
#include "calendars/train_calendar.h"
#include "core/byte_order.h"
#include "core/string_pool.h"
#include "dates/clock.h"
#include "format/stored_bits.h"
#include "frame/error_codes.h"
#include "load/loaded_set.h"
#include "stations/station_names.h"
#include "text/text_fold.h"
#include "trains/station_events.h"
#include "trains/train_stops.h"
#include "trains/train_type.h"
#include "virtlists/virt_lists.h"

namespace qo {
namespace {

constexpr uint16_t kStopFlagBits = 0xF800;

// The last running day of every calendar class, so that the running test
// of a board is one comparison per event instead of a scan over days.
std::vector<int32_t> const& ClassLastRunDays(TimetableRecord& t) {
  // Every day set has one bit per class.
  const int32_t setBytes = t.RunningDayCalendar.empty() ? 0 : t.RunningDayCalendar[0].bytes();
  const int32_t classes = std::max<int32_t>(setBytes * 8, 1);
  if (t.ClassLastRunDay.size() == static_cast<size_t>(classes)) return t.ClassLastRunDay;
  t.ClassLastRunDay.assign(static_cast<size_t>(classes), -1);
  for (size_t day = 0; day < t.RunningDayCalendar.size(); ++day) {
    RecordArray const& set = t.RunningDayCalendar[day];
    for (int32_t c = 0; c < classes && c / 8 < set.bytes(); ++c)
      if (set.At(0)[c / 8] >> (c % 8) & 1) t.ClassLastRunDay[static_cast<size_t>(c)] = day;
  }
  return t.ClassLastRunDay;
}

}  // namespace

// Equal names are tested at every stop a board walks: each station gets the
// first station of its name once per timetable, and the test becomes one
// comparison.
std::vector<int32_t> const& NameClasses(TimetableRecord& t) {
  const uint32_t generation = LoadedSetIndex().DataGeneration;
  if (t.StationNameClass.size() == t.StationCount && t.StationNameClassGeneration == generation)
    return t.StationNameClass;
  std::vector<int32_t> classes(t.StationCount);
  std::unordered_map<std::string, int32_t> first;
  std::string name;
  for (uint32_t s = 0; s < t.StationCount; ++s) {
    GetStationName(t, static_cast<int>(s), NameModeByType, true, name);
    name += '\x01';
    name += std::to_string(PoolString(t.StationNames, static_cast<int32_t>(s)).size());
    MakeUpperCase(name.data());
    classes[s] = first.emplace(name, static_cast<int32_t>(s)).first->second;
  }
  t.StationNameClass.swap(classes);
  t.StationNameClassGeneration = generation;
  return t.StationNameClass;
}

namespace {

bool SameName(std::vector<int32_t> const& classes, int a, int b) {
  return classes[static_cast<size_t>(a)] == classes[static_cast<size_t>(b)];
}

uint16_t StopFlags(StopList const& stops, int32_t i) { return stops.Time(i) & kStopFlagBits; }

bool HasBoth(uint16_t flags) {
  return (flags & kStopNoAlighting) != 0 && (flags & kStopNoBoarding) != 0;
}

// A bus trip whose stops at A and B both take passengers only on request
// in a way that makes the ride between them no ride of its own.
bool IsRestrictedBusTrip(StopList const& stops, int a, int b) {
  int32_t first = -1;
  for (int32_t i = 0; i < stops.count; ++i)
    if (stops.Station(i) == a) {
      first = i;
      break;
    }
  if (first < 0 || !HasBoth(StopFlags(stops, first))) return false;
  for (int32_t i = stops.count - 1; i > first; --i)
    if (stops.Station(i) == b) return HasBoth(StopFlags(stops, i));
  return false;
}

uint16_t DayOffsetField(int offset) { return static_cast<uint16_t>(static_cast<int16_t>(offset)); }

}  // namespace

BoardFilter MakeBoardFilter(TimetableRecord& t, uint32_t mask1, uint32_t mask2) {
  BoardFilter f;
  f.mask1 = mask1;
  f.mask2 = mask2;
  f.keepAll = (mask1 & kKeepNotRunning) != 0;
  if (!f.keepAll) {
    int32_t today = static_cast<int32_t>(GetToday()) - static_cast<int32_t>(t.FirstDay);
    f.today = std::max(today, 0);
    ClassLastRunDays(t);
  }
  return f;
}

bool PassesBoardFilter(TimetableRecord& t, BoardFilter const& filter, uint32_t train,
                       uint16_t station, int dayOffset) {
  if (t.TrainTypeWords.empty()) return true;
  uint32_t word = GetTrainTypeWord(t, train, station) & ~kKeepNotRunning;
  if ((word & ~filter.mask1) != 0 || (word & filter.mask2) == 0) return false;
  if (filter.keepAll || t.RunningDayCalendar.empty()) return true;
  std::vector<int32_t> const& last = ClassLastRunDays(t);
  int32_t c = TrainCalendarClass(t, train);
  if (c < 0 || static_cast<size_t>(c) >= last.size()) return false;
  return last[static_cast<size_t>(c)] >= filter.today - dayOffset;
}

int CheckBoardRequest(TimetableRecord const& t, int a, int b, bool departures) {
  if (a < 0 && b < 0) return ErrFromToMissing;
  if (a >= static_cast<int64_t>(t.StationCount) || b >= static_cast<int64_t>(t.StationCount))
    return ErrStationIndex;
  if (departures && a < 0) return ErrParameters;
  return ErrNone;
}

namespace {

// The stop index of the event at `station`: the first stop there with the
// event's minute, -1 when the decoded train has none.
int32_t EventStop(StopList const& stops, int station, uint16_t eventMinute) {
  for (int32_t i = 0; i < stops.count; ++i)
    if (stops.Station(i) == station && stops.Minute(i) == (eventMinute & kStopMinuteMask)) return i;
  return -1;
}

// The tests a ride from A to B passes after the walk found both stops:
// trains offered only within a region group stay inside one (their type
// word read at the board's station), and a bus trip that stops at both only
// on request in a way that makes it no ride of its own is refused. `flags`
// are those of the stop at B.
bool RideOffered(TimetableRecord& t, StopList const& stops, uint16_t flags, uint32_t train,
                 int boardStation, int a, int b) {
  if ((GetTrainTypeWord(t, train, boardStation) & kRegionGroupOnly) != 0 &&
      !AreStationsInSameRegionGroup(t, a, b))
    return false;
  return !(t.Kind == 2 && HasBoth(flags) && IsRestrictedBusTrip(stops, a, b));
}

// Whether the train leaving A at stop `at` takes passengers on to B. With
// equal names a station of B's name stands for B (and becomes B for the
// rest of the board), and one of A's name ends the walk: its own board
// lists the train.
bool DepartureGoesTo(TimetableRecord& t, StopList const& stops, int32_t at, uint32_t train, int a,
                     int& b, bool equalNames, std::vector<int32_t> const& names) {
  int32_t found = -1;
  for (int32_t i = at + 1; i < stops.count && found < 0; ++i) {
    int const s = stops.Station(i);
    if (s == b) {
      found = i;
    } else if (equalNames && SameName(names, s, b)) {
      found = i;
      b = s;
    } else if (equalNames && s != a && SameName(names, s, a)) {
      break;
    }
  }
  if (found < 0) return false;
  const uint16_t flags = StopFlags(stops, found);
  if ((flags & kStopNoAlighting) != 0 && (flags & kStopNoBoarding) == 0) return false;
  return RideOffered(t, stops, flags, train, a, a, b);
}

// Whether the train reaching B at stop `at` took passengers from A; the
// mirror of DepartureGoesTo (a station of B's name met after A refuses the
// train).
bool ArrivalComesFrom(TimetableRecord& t, StopList const& stops, int32_t at, uint32_t train, int& a,
                      int b, bool equalNames, std::vector<int32_t> const& names) {
  bool passed = false;
  for (int32_t i = 0; i < at; ++i) {
    int const s = stops.Station(i);
    if (s == a) {
      passed = true;
    } else if (equalNames && SameName(names, s, a)) {
      passed = true;
      a = s;
    } else if (equalNames && passed && s != b && SameName(names, s, b)) {
      return false;
    }
  }
  if (!passed) return false;
  const uint16_t flags = StopFlags(stops, at);
  if ((flags & kStopNoBoardingMark) != 0) return false;
  return RideOffered(t, stops, flags, train, b, a, b);
}

}  // namespace

int CollectBoard(TimetableRecord& t, int a, int b, bool departures, BoardFilter const& filter,
                 bool equalNames, std::vector<BoardEntry>& out) {
  out.clear();
  if (int error = CheckBoardRequest(t, a, b, departures)) return error;
  if (a == b) return ErrNone;
  static const std::vector<int32_t> kNoClasses;
  std::vector<int32_t> const& names = equalNames ? NameClasses(t) : kNoClasses;
  // Without B the board lists A's departures whatever the flag says.
  bool const leaving = departures || b < 0;
  int const station = leaving ? a : b;
  bool const other = leaving ? b >= 0 : a >= 0;
  const StationEventList events = SelectStationEvents(t, static_cast<uint16_t>(station));
  out.reserve(static_cast<size_t>(events.count));
  for (int32_t e = 0; e < events.count; ++e) {
    const StationEvent event = events.At(e);
    if (leaving ? !event.Departs() : !event.Arrives()) continue;
    const uint32_t train = event.Train();
    if (!PassesBoardFilter(t, filter, train, static_cast<uint16_t>(station), event.DayOffset()))
      continue;
    if (other) {
      const StopList stops = DecodeTrainStops(t, train);
      const int32_t at = EventStop(stops, station, event.minute);
      if (at < 0) continue;
      if (leaving ? !DepartureGoesTo(t, stops, at, train, a, b, equalNames, names)
                  : !ArrivalComesFrom(t, stops, at, train, a, b, equalNames, names))
        continue;
    }
    int const otherStation = leaving ? b : a;
    out.push_back({static_cast<uint16_t>(station),
                   otherStation < 0 ? kNoBoardStation : static_cast<uint16_t>(otherStation),
                   static_cast<int32_t>(train), event.minute, DayOffsetField(event.DayOffset())});
  }
  return ErrNone;
}

void ResetBoardWork(TimetableRecord& t, BoardWork& work) {
  work.taken.assign(t.TrainCount, 0);
  work.stationTrains.assign(t.StationCount, -1);
  work.farRank.assign(t.StationCount, -1);
  work.farClasses = 0;
  work.stationsUsed = 0;
}

void AddFarStation(TimetableRecord& t, BoardWork& work, int station) {
  if (station < 0 || static_cast<uint32_t>(station) >= t.StationCount) return;
  int32_t& rank = work.farRank[static_cast<size_t>(NameClasses(t)[static_cast<size_t>(station)])];
  if (rank < 0) rank = work.farClasses++;
}

namespace {

// The trains of the board station, found on its first pair.
BoardStationTrains const& StationTrains(TimetableRecord& t, int station, bool departures,
                                        BoardFilter const& filter,
                                        std::vector<int32_t> const& names, BoardWork& work) {
  int32_t& slot = work.stationTrains[static_cast<size_t>(station)];
  if (slot >= 0) return work.stations[static_cast<size_t>(slot)];
  if (work.stationsUsed == work.stations.size()) work.stations.emplace_back();
  slot = static_cast<int32_t>(work.stationsUsed++);
  BoardStationTrains& found = work.stations[static_cast<size_t>(slot)];
  found.trains.clear();
  const size_t ranks = static_cast<size_t>(work.farClasses);
  found.offsets.assign(ranks + 1, 0);
  work.lastTrain.assign(ranks, -1);
  work.visitRanks.clear();
  work.visitTrains.clear();
  const StationEventList events = SelectStationEvents(t, static_cast<uint16_t>(station));
  for (int32_t e = 0; e < events.count; ++e) {
    const StationEvent event = events.At(e);
    if (departures ? !event.Departs() : !event.Arrives()) continue;
    const uint32_t train = event.Train();
    if (!PassesBoardFilter(t, filter, train, static_cast<uint16_t>(station), event.DayOffset()))
      continue;
    const StopList stops = DecodeTrainStops(t, train);
    const int32_t at = EventStop(stops, station, event.minute);
    if (at < 0) continue;
    const int32_t index = static_cast<int32_t>(found.trains.size());
    found.trains.push_back({train, at, event.minute, DayOffsetField(event.DayOffset())});
    const int32_t begin = departures ? at + 1 : 0;
    const int32_t end = departures ? stops.count : at;
    for (int32_t i = begin; i < end; ++i) {
      const int32_t rank = work.farRank[static_cast<size_t>(names[stops.Station(i)])];
      if (rank < 0 || work.lastTrain[static_cast<size_t>(rank)] == index) continue;
      work.lastTrain[static_cast<size_t>(rank)] = index;
      ++found.offsets[static_cast<size_t>(rank) + 1];
      work.visitRanks.push_back(rank);
      work.visitTrains.push_back(index);
    }
  }
  // Group the visits by rank, keeping the event order within each.
  for (size_t r = 0; r < ranks; ++r) found.offsets[r + 1] += found.offsets[r];
  found.visits.resize(work.visitTrains.size());
  work.lastTrain.assign(found.offsets.begin(), found.offsets.end() - 1);  // fill cursors
  for (size_t v = 0; v < work.visitTrains.size(); ++v)
    found.visits[static_cast<size_t>(work.lastTrain[static_cast<size_t>(work.visitRanks[v])]++)] =
        work.visitTrains[v];
  return found;
}

// CollectBoard for two given stations through the board station's shared
// trains: only the trains that visit the other station's name class can
// reach it, and they are walked in the same order, so the entries are the
// same. False when the other station was not named as a far-side station.
bool CollectPair(TimetableRecord& t, int a, int b, bool departures, BoardFilter const& filter,
                 bool equalNames, BoardWork& work, std::vector<BoardEntry>& out) {
  out.clear();
  if (a == b) return true;
  std::vector<int32_t> const& names = NameClasses(t);
  const int32_t rank =
      work.farRank[static_cast<size_t>(names[static_cast<size_t>(departures ? b : a)])];
  if (rank < 0) return false;
  int const station = departures ? a : b;
  BoardStationTrains const& trains = StationTrains(t, station, departures, filter, names, work);
  // A far station named after this station's trains were found has no
  // group of its own there.
  if (static_cast<size_t>(rank) + 1 >= trains.offsets.size()) return false;
  for (int32_t v = trains.offsets[static_cast<size_t>(rank)];
       v < trains.offsets[static_cast<size_t>(rank) + 1]; ++v) {
    BoardStationTrains::Train const& train =
        trains.trains[static_cast<size_t>(trains.visits[static_cast<size_t>(v)])];
    const StopList stops = DecodeTrainStops(t, train.train);
    if (departures ? !DepartureGoesTo(t, stops, train.at, train.train, a, b, equalNames, names)
                   : !ArrivalComesFrom(t, stops, train.at, train.train, a, b, equalNames, names))
      continue;
    out.push_back({static_cast<uint16_t>(station), static_cast<uint16_t>(departures ? b : a),
                   static_cast<int32_t>(train.train), train.minute, train.dayOffset});
  }
  return true;
}

}  // namespace

int CollectBoardForPair(TimetableRecord& t, int from, int to, bool departures,
                        BoardFilter const& filter, BoardWork& work, std::vector<BoardEntry>& out) {
  if (int error = CheckBoardRequest(t, from, to, departures)) return error;
  // Two distinct equal-named stations asked for by name are meant as they
  // are; otherwise a station of the same name stands in for the other.
  bool const equalNames =
      !(from >= 0 && to >= 0 && from != to && SameName(NameClasses(t), from, to));
  // The inner board's own status decides, never an error left from before.
  if (from < 0 || to < 0 ||
      !CollectPair(t, from, to, departures, filter, equalNames, work, work.pair))
    if (int error = CollectBoard(t, from, to, departures, filter, equalNames, work.pair))
      return error;
  for (BoardEntry const& e : work.pair)
    if (!work.taken[static_cast<size_t>(e.train)]) out.push_back(e);
  for (BoardEntry const& e : work.pair) work.taken[static_cast<size_t>(e.train)] = 1;
  return ErrNone;
}

void SortBoard(std::vector<BoardEntry>& entries) {
  std::stable_sort(entries.begin(), entries.end(), [](BoardEntry const& x, BoardEntry const& y) {
    int mx = x.minute & kStopMinuteMask, my = y.minute & kStopMinuteMask;
    if (mx != my) return mx < my;
    return x.train < y.train;
  });
}

namespace {

bool ValidStation(TimetableRecord const& t, int s) {
  return s >= 0 && static_cast<uint32_t>(s) < t.StationCount;
}

}  // namespace

int CollectBoardExt(TimetableRecord& t, int const* from, int fromCount, int const* to, int toCount,
                    bool departures, BoardFilter const& filter, BoardWork& work,
                    std::vector<BoardEntry>& out) {
  out.clear();
  fromCount = from ? std::max(fromCount, 0) : 0;
  toCount = to ? std::max(toCount, 0) : 0;
  for (int i = 0; i < fromCount; ++i)
    if (!ValidStation(t, from[i])) return ErrStationIndex;
  for (int i = 0; i < toCount; ++i)
    if (!ValidStation(t, to[i])) return ErrStationIndex;
  ResetBoardWork(t, work);
  int const* far = departures ? to : from;
  for (int i = 0, n = departures ? toCount : fromCount; i < n; ++i) AddFarStation(t, work, far[i]);
  if (fromCount == 0) {
    for (int j = 0; j < toCount; ++j)
      if (int error = CollectBoardForPair(t, -1, to[j], departures, filter, work, out)) {
        out.clear();
        return error;
      }
  } else {
    for (int i = 0; i < fromCount; ++i) {
      for (int j = 0; j < std::max(toCount, 1); ++j) {
        int other = toCount == 0 ? -1 : to[j];
        if (int error = CollectBoardForPair(t, from[i], other, departures, filter, work, out)) {
          out.clear();
          return error;
        }
      }
    }
  }
  SortBoard(out);
  return ErrNone;
}

int GetGroupStationLimit(VirtListRecord const& list) {
  int kind = ListKind(list);
  return kind == 1 || kind == 2 ? 15 : 1000;
}

bool IsStationSkippedInGroup(TimetableRecord const& t, VirtListRecord const& list,
                             uint16_t station) {
  return ListKind(list) == 1 && station < t.StationTypes.size() &&
         (t.StationTypes[station] & 0x1000) != 0;
}

namespace {

constexpr uint16_t kAlwaysInGroup = 0x0800;

// One side of a place-to-place board: a station (or none) or the members
// of an item.
struct BoardSide {
  int station = -1;
  VirtListRecord const* list = nullptr;
  uint8_t const* members = nullptr;
  int32_t count = 0;
  uint16_t Member(int32_t i) const {
    return LoadLE<uint16_t>(members + 2 * static_cast<size_t>(i));
  }
};

int ResolveSide(TimetableRecord const& t, int item, int list, BoardSide* side) {
  if (item < 0 || list < 0) {
    side->station = item < 0 ? -1 : item;
    return ErrNone;
  }
  if (static_cast<uint32_t>(list) >= t.VirtLists.size()) return ErrVirtListIndex;
  VirtListRecord const& record = t.VirtLists[static_cast<size_t>(list)];
  if (item >= CandidateCount(t, list)) return ErrFromToMissing;
  uint8_t const* bytes = nullptr;
  side->count = ItemStations(record, item, &side->members, &bytes);
  if (side->count <= 0) return ErrFromToMissing;
  if (record.ItemStationRanges.empty()) {
    side->station = side->Member(0);  // the item is itself a station
    side->count = 0;
    return ErrNone;
  }
  side->list = &record;
  return ErrNone;
}

bool HasAlwaysMark(TimetableRecord const& t, uint16_t station) {
  return station < t.StationTypes.size() && (t.StationTypes[station] & kAlwaysInGroup) != 0;
}

// Calls `each` for the members taken: within the budget, and past it
// those marked 0x800 when `beyond` is set.
template <class Each>
int ForMembers(TimetableRecord const& t, BoardSide const& side, bool beyond, Each&& each) {
  int budget = GetGroupStationLimit(*side.list);
  for (int32_t i = 0; i < side.count; ++i, --budget) {
    uint16_t s = side.Member(i);
    if (IsStationSkippedInGroup(t, *side.list, s)) continue;
    if (budget <= 0 && !(beyond && HasAlwaysMark(t, s))) {
      if (!beyond) break;
      continue;
    }
    if (int error = each(s)) return error;
  }
  return ErrNone;
}

}  // namespace

int CollectBoardVL(TimetableRecord& t, int fromItem, int fromList, int toItem, int toList,
                   bool departures, BoardFilter const& filter, BoardWork& work,
                   std::vector<BoardEntry>& out) {
  out.clear();
  BoardSide from, to;
  if (int error = ResolveSide(t, fromItem, fromList, &from)) return error;
  if (int error = ResolveSide(t, toItem, toList, &to)) return error;
  ResetBoardWork(t, work);
  BoardSide const& far = departures ? to : from;
  AddFarStation(t, work, far.station);
  for (int32_t i = 0; far.list && i < far.count; ++i) AddFarStation(t, work, far.Member(i));
  auto pair = [&](int f, int g) {
    return CollectBoardForPair(t, f, g, departures, filter, work, out);
  };
  int error = ErrNone;
  if (!from.list && !to.list) {
    error = pair(from.station, to.station);
  } else if (!from.list) {
    error = ForMembers(t, to, true, [&](uint16_t s) { return pair(from.station, s); });
  } else if (!to.list) {
    error = ForMembers(t, from, true, [&](uint16_t s) { return pair(s, to.station); });
  } else {
    error = ForMembers(t, from, false, [&](uint16_t f) {
      return ForMembers(t, to, false, [&](uint16_t g) { return pair(f, g); });
    });
  }
  if (error) {
    out.clear();
    return error;
  }
  SortBoard(out);
  return ErrNone;
}

}  // namespace qo
