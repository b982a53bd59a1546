#include "boards/board_core.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <cstddef>

#include "boards/region_group.h"
#include "calendars/train_calendar.h"
#include "core/byte_order.h"
#include "dates/clock.h"
#include "frame/error_codes.h"
#include "load/loaded_set.h"
#include "core/string_pool.h"
#include "stations/station_names.h"
#include "stations/station_search.h"
#include "text/text_fold.h"
#include "trains/station_events.h"
#include "trains/train_stops.h"
#include "trains/train_type.h"
#include "virtlists/virt_lists.h"

namespace qo {
namespace {

constexpr uint16_t kNoAlighting = 0x1000;
constexpr uint16_t kNoBoardingMark = 0x0800;
constexpr uint16_t kRequestStop = 0x4000;
constexpr uint16_t kStopFlagBits = 0xF800;

// The last running day of every calendar class, so that the running test
// of a board is one comparison per event instead of a scan over days.
const std::vector<int32_t>& ClassLastRunDays(TimetableRecord& t) {
  // Every day set has one bit per class.
  const int32_t setBytes = t.RunningDayCalendar.empty() ? 0 : t.RunningDayCalendar[0].bytes();
  const int32_t classes = std::max<int32_t>(setBytes * 8, 1);
  if (t.ClassLastRunDay.size() == static_cast<size_t>(classes)) return t.ClassLastRunDay;
  t.ClassLastRunDay.assign(static_cast<size_t>(classes), -1);
  for (size_t day = 0; day < t.RunningDayCalendar.size(); ++day) {
    const RecordArray& set = t.RunningDayCalendar[day];
    for (int32_t c = 0; c < classes && c / 8 < set.bytes(); ++c)
      if (set.At(0)[c / 8] >> (c % 8) & 1) t.ClassLastRunDay[static_cast<size_t>(c)] = day;
  }
  return t.ClassLastRunDay;
}

// Equal names are tested at every stop a board walks: each station gets the
// first station of its name once per timetable, and the test becomes one
// comparison.
const std::vector<int32_t>& NameClasses(TimetableRecord& t) {
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

bool SameName(const std::vector<int32_t>& classes, int a, int b) {
  return classes[static_cast<size_t>(a)] == classes[static_cast<size_t>(b)];
}

uint16_t StopFlags(const StopList& stops, int32_t i) { return stops.Time(i) & kStopFlagBits; }

bool HasBoth(uint16_t flags) {
  return (flags & kNoAlighting) != 0 && (flags & kRequestStop) != 0;
}

// A bus trip whose stops at A and B both take passengers only on request
// in a way that makes the ride between them no ride of its own.
bool IsRestrictedBusTrip(const StopList& stops, int a, int b) {
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

bool PassesBoardFilter(TimetableRecord& t, const BoardFilter& filter, uint32_t train,
                       uint16_t station, int dayOffset) {
  if (t.TrainTypeWords.empty()) return true;
  uint32_t word = GetTrainTypeWord(t, train, station) & ~kKeepNotRunning;
  if ((word & ~filter.mask1) != 0 || (word & filter.mask2) == 0) return false;
  if (filter.keepAll || t.RunningDayCalendar.empty()) return true;
  const std::vector<int32_t>& last = ClassLastRunDays(t);
  int32_t c = TrainCalendarClass(t, train);
  if (c < 0 || static_cast<size_t>(c) >= last.size()) return false;
  return last[static_cast<size_t>(c)] >= filter.today - dayOffset;
}

int CheckBoardRequest(const TimetableRecord& t, int a, int b, bool departures) {
  if (a < 0 && b < 0) return ErrFromToMissing;
  if (a >= static_cast<int64_t>(t.StationCount) || b >= static_cast<int64_t>(t.StationCount))
    return ErrStationIndex;
  if (departures && a < 0) return ErrParameters;
  return ErrNone;
}

int CollectBoard(TimetableRecord& t, int a, int b, bool departures, const BoardFilter& filter,
                 bool equalNames, std::vector<BoardEntry>& out) {
  out.clear();
  if (int error = CheckBoardRequest(t, a, b, departures)) return error;
  if (a == b) return ErrNone;
  const bool bus = t.Kind == 2;
  static const std::vector<int32_t> kNoClasses;
  const std::vector<int32_t>& names = equalNames ? NameClasses(t) : kNoClasses;

  if (b < 0 || departures) {
    const StationEventList events = SelectStationEvents(t, static_cast<uint16_t>(a));
    out.reserve(static_cast<size_t>(events.count));
    for (int32_t e = 0; e < events.count; ++e) {
      const StationEvent event = events.At(e);
      if (!event.Departs()) continue;
      const uint32_t train = event.Train();
      if (!PassesBoardFilter(t, filter, train, static_cast<uint16_t>(a), event.DayOffset()))
        continue;
      if (b >= 0) {
        const StopList stops = DecodeTrainStops(t, train);
        int32_t at = -1;
        for (int32_t i = 0; i < stops.count; ++i)
          if (stops.Station(i) == a && stops.Minute(i) == (event.minute & kStopMinuteMask)) {
            at = i;
            break;
          }
        if (at < 0) continue;
        int32_t found = -1;
        for (int32_t i = at + 1; i < stops.count && found < 0; ++i) {
          const int s = stops.Station(i);
          if (s == b) {
            found = i;
          } else if (equalNames && SameName(names, s, b)) {
            found = i;
            b = s;  // the equal-named station stands for B from now on
          } else if (equalNames && s != a && SameName(names, s, a)) {
            break;  // the equal-named station's own board lists this train
          }
        }
        if (found < 0) continue;
        const uint16_t flags = StopFlags(stops, found);
        if ((flags & kNoAlighting) != 0 && (flags & kRequestStop) == 0) continue;
        if ((GetTrainTypeWord(t, train, a) & kRegionGroupOnly) != 0 &&
            !AreStationsInSameRegionGroup(t, a, b))
          continue;
        if (bus && HasBoth(flags) && IsRestrictedBusTrip(stops, a, b)) continue;
      }
      out.push_back({static_cast<uint16_t>(a), b < 0 ? kNoBoardStation : static_cast<uint16_t>(b),
                     static_cast<int32_t>(train), event.minute, DayOffsetField(event.DayOffset())});
    }
    return ErrNone;
  }

  const StationEventList events = SelectStationEvents(t, static_cast<uint16_t>(b));
  out.reserve(static_cast<size_t>(events.count));
  for (int32_t e = 0; e < events.count; ++e) {
    const StationEvent event = events.At(e);
    if (!event.Arrives()) continue;
    const uint32_t train = event.Train();
    if (!PassesBoardFilter(t, filter, train, static_cast<uint16_t>(b), event.DayOffset()))
      continue;
    if (a >= 0) {
      const StopList stops = DecodeTrainStops(t, train);
      bool passed = false;
      bool refused = false;
      int32_t found = -1;
      for (int32_t i = 0; i < stops.count; ++i) {
        const int s = stops.Station(i);
        if (s == b && stops.Minute(i) == (event.minute & kStopMinuteMask)) {
          found = i;
          break;
        }
        if (s == a) {
          passed = true;
        } else if (equalNames && SameName(names, s, a)) {
          passed = true;
          a = s;  // the equal-named station stands for A from now on
        } else if (equalNames && passed && s != b && SameName(names, s, b)) {
          refused = true;
          break;
        }
      }
      if (refused || found < 0 || !passed) continue;
      const uint16_t flags = StopFlags(stops, found);
      if ((flags & kNoBoardingMark) != 0) continue;
      if ((GetTrainTypeWord(t, train, b) & kRegionGroupOnly) != 0 &&
          !AreStationsInSameRegionGroup(t, a, b))
        continue;
      if (bus && HasBoth(flags) && IsRestrictedBusTrip(stops, a, b)) continue;
    }
    out.push_back({static_cast<uint16_t>(b), a < 0 ? kNoBoardStation : static_cast<uint16_t>(a),
                   static_cast<int32_t>(train), event.minute, DayOffsetField(event.DayOffset())});
  }
  return ErrNone;
}

int CollectBoardForPair(TimetableRecord& t, int from, int to, bool departures,
                        const BoardFilter& filter, BoardWork& work,
                        std::vector<BoardEntry>& out) {
  // Two distinct equal-named stations asked for by name are meant as they
  // are; otherwise a station of the same name stands in for the other.
  bool equalNames = !(from >= 0 && to >= 0 && from != to &&
                      static_cast<uint32_t>(from) < t.StationCount &&
                      static_cast<uint32_t>(to) < t.StationCount && StationsEqual(t, from, to));
  // The inner board's own status decides, never an error left from before.
  if (int error = CollectBoard(t, from, to, departures, filter, equalNames, work.pair))
    return error;
  for (const BoardEntry& e : work.pair)
    if (!work.taken[static_cast<size_t>(e.train)]) out.push_back(e);
  for (const BoardEntry& e : work.pair) work.taken[static_cast<size_t>(e.train)] = 1;
  return ErrNone;
}

void SortBoard(std::vector<BoardEntry>& entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const BoardEntry& x, const BoardEntry& y) {
    int mx = x.minute & kStopMinuteMask, my = y.minute & kStopMinuteMask;
    if (mx != my) return mx < my;
    return x.train < y.train;
  });
}

namespace {

void ResetTaken(const TimetableRecord& t, BoardWork& work) {
  work.taken.assign(t.TrainCount, 0);
}

bool ValidStation(const TimetableRecord& t, int s) {
  return s >= 0 && static_cast<uint32_t>(s) < t.StationCount;
}

}  // namespace

int CollectBoardExt(TimetableRecord& t, const int* from, int fromCount, const int* to,
                    int toCount, bool departures, const BoardFilter& filter, BoardWork& work,
                    std::vector<BoardEntry>& out) {
  out.clear();
  fromCount = from ? std::max(fromCount, 0) : 0;
  toCount = to ? std::max(toCount, 0) : 0;
  for (int i = 0; i < fromCount; ++i)
    if (!ValidStation(t, from[i])) return ErrStationIndex;
  for (int i = 0; i < toCount; ++i)
    if (!ValidStation(t, to[i])) return ErrStationIndex;
  ResetTaken(t, work);
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

int GetGroupStationLimit(const VirtListRecord& list) {
  int kind = ListKind(list);
  return kind == 1 || kind == 2 ? 15 : 1000;
}

bool IsStationSkippedInGroup(const TimetableRecord& t, const VirtListRecord& list,
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
  const VirtListRecord* list = nullptr;
  const uint8_t* members = nullptr;
  int32_t count = 0;
  uint16_t Member(int32_t i) const { return LoadLE<uint16_t>(members + 2 * static_cast<size_t>(i)); }
};

int ResolveSide(const TimetableRecord& t, int item, int list, BoardSide* side) {
  if (item < 0 || list < 0) {
    side->station = item < 0 ? -1 : item;
    return ErrNone;
  }
  if (static_cast<uint32_t>(list) >= t.VirtLists.size()) return ErrVirtListIndex;
  const VirtListRecord& record = t.VirtLists[static_cast<size_t>(list)];
  if (item >= CandidateCount(t, list)) return ErrFromToMissing;
  const uint8_t* bytes = nullptr;
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

bool HasAlwaysMark(const TimetableRecord& t, uint16_t station) {
  return station < t.StationTypes.size() && (t.StationTypes[station] & kAlwaysInGroup) != 0;
}

// Calls `each` for the members taken: within the budget, and past it
// those marked 0x800 when `beyond` is set.
template <class Each>
int ForMembers(const TimetableRecord& t, const BoardSide& side, bool beyond, Each&& each) {
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
                   bool departures, const BoardFilter& filter, BoardWork& work,
                   std::vector<BoardEntry>& out) {
  out.clear();
  BoardSide from, to;
  if (int error = ResolveSide(t, fromItem, fromList, &from)) return error;
  if (int error = ResolveSide(t, toItem, toList, &to)) return error;
  ResetTaken(t, work);
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
