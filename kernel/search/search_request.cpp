#include "search/connection_cleanup.h"
#include "search/search_request.h"

#include <algorithm>
#include <cstring>

#include "calendars/day_type_calendars.h"
#include "core/byte_order.h"
#include "dates/day_number.h"
#include "format/stored_bits.h"
#include "frame/error_codes.h"
#include "load/loaded_set.h"
#include "calendars/day_type_state.h"
#include "load/timetable_record.h"
#include "search/search_state.h"
#include "search/connection_order.h"
#include "search/floor_math.h"
#include "search/object_stations.h"
#include "search/search_control.h"
#include "search/search_handle.h"
#include "search/search_marks.h"
#include "search/search_params.h"
#include "stations/station_access.h"
#include "trains/train_checks.h"

namespace qo {
namespace {

constexpr uint32_t kNewViaPoint = 0x80000000u;
constexpr int kHeadBytes = 20;
constexpr int kLegBytes = 36;
constexpr int kResultStart = 10800;
constexpr int kResultStep = 1800;
constexpr size_t kResultHeaderBytes = 8;  // {byte size; count} before the first byte

int TimetableOf(PlaceArrays const& p, int i) {
  return static_cast<int>(static_cast<uint32_t>(p.timetables[i]) & ~kNewViaPoint);
}

// Checks every entry of a list; pass-through entries only where they may
// stand (via lists), and only their timetable.
int CheckPlaces(PlaceArrays const& p, bool passThroughAllowed) {
  for (int i = 0; i < p.count; ++i) {
    const int timetable = passThroughAllowed ? TimetableOf(p, i) : p.timetables[i];
    if (p.lists[i] == kPlacePassThrough) {
      if (!passThroughAllowed) return ErrVirtListIndex;
      if (!TimetableAt(timetable)) return ErrTimetableIndex;
      continue;
    }
    if (p.lists[i] < kPlaceStation)
      return TimetableAt(timetable) ? ErrVirtListIndex : ErrTimetableIndex;
    if (int error = CheckSearchPlace(timetable, p.lists[i], p.items[i])) return error;
  }
  return 0;
}

bool SameLists(PlaceArrays const& a, PlaceArrays const& b) {
  if (a.count != b.count) return false;
  const size_t bytes = static_cast<size_t>(a.count) * sizeof(int);
  return std::memcmp(a.items, b.items, bytes) == 0 && std::memcmp(a.lists, b.lists, bytes) == 0 &&
         std::memcmp(a.timetables, b.timetables, bytes) == 0;
}

std::vector<PlaceEntry> Entries(PlaceArrays const& p, int from, int to, bool withMinutes) {
  std::vector<PlaceEntry> out;
  for (int i = from; i < to; ++i)
    out.push_back(
        {TimetableOf(p, i), p.lists[i], p.items[i], withMinutes && p.minutes ? p.minutes[i] : 0});
  return out;
}

void Expand(std::vector<PlaceEntry> const& entries, ExpansionOptions const& options,
            StationSet& out) {
  static std::vector<PlaceStation> found;
  ExpandPlaceStations(entries.data(), entries.size(), options, found);
  out.clear();
  for (PlaceStation const& s : found)
    out.push_back({TimetableAt(s.timetable), s.station, s.minutes});
}

bool DayInValidity(StationSet const& set, DayNumber day) {
  for (SearchStation const& s : set)
    if (s.timetable && day >= s.timetable->FirstDay && day <= s.timetable->LastDay) return true;
  return false;
}

bool EntriesInValidity(PlaceArrays const& p, DayNumber day) {
  for (int i = 0; i < p.count; ++i) {
    TimetableRecord const* t = TimetableAt(TimetableOf(p, i));
    if (t && day >= t->FirstDay && day <= t->LastDay) return true;
  }
  return false;
}

// More From stations in one timetable than an engine pass takes.
bool TooManyFromStations(StationSet const& from) {
  for (SearchStation const& s : from) {
    int n = 0;
    for (SearchStation const& other : from) n += other.timetable == s.timetable;
    if (n > kMaxFromStationsPerTimetable) return true;
  }
  return false;
}

// 0, or the error that makes the places unusable (12 is decided by the
// caller from the day).
enum class BuildResult { Ok, Failed, TooMany };

BuildResult BuildPlaceStations(ConnectionQuery const& q, SearchRequest& r) {
  ConnParms const& p = CurrentSearchSettings().Parms;
  const bool lowFloor = p.LowFloorOnly != 0;
  Expand(Entries(q.From, 0, q.From.count, true),
         {p.ArcLengthFrom, p.FromSameGroup != 0, lowFloor, q.ByDeparture}, r.From);
  Expand(Entries(q.To, 0, q.To.count, true),
         {p.ArcLengthTo, p.ToSameGroup != 0, lowFloor, !q.ByDeparture}, r.To);
  if (r.From.empty() || r.To.empty()) return BuildResult::Failed;
  if (TooManyFromStations(r.From)) return BuildResult::TooMany;

  r.ViaCount = 0;
  for (StationSet& via : r.Via) via.clear();
  for (int start = 0; start < q.Via.count;) {
    int end = start + 1;
    while (end < q.Via.count && !(static_cast<uint32_t>(q.Via.timetables[end]) & kNewViaPoint))
      ++end;
    // More via points than a search can pass is refused, not cut short.
    if (r.ViaCount == kMaxViaPoints) return BuildResult::TooMany;
    StationSet& via = r.Via[static_cast<size_t>(r.ViaCount++)];
    Expand(Entries(q.Via, start, end, false), {}, via);
    if (via.empty()) return BuildResult::Failed;
    start = end;
  }
  if (!q.ByDeparture) std::reverse(r.Via.begin(), r.Via.begin() + r.ViaCount);
  Expand(Entries(q.ChangePoints, 0, q.ChangePoints.count, false), {-1, false, lowFloor, false},
         r.ChangePoints);
  return BuildResult::Ok;
}

bool Overlap(StationSet const& a, StationSet const& b) {
  for (SearchStation const& x : a)
    for (SearchStation const& y : b)
      if (x.timetable == y.timetable && x.station == y.station) return true;
  return false;
}

void ShiftWindow(SearchRun& run, int32_t by) {
  run.WindowTime += by;
  run.WindowMinute = MinuteOfSearchTime(run.WindowTime);
  const int32_t day = DayOfSearchTime(run.WindowTime);
  for (TimetableRecord* t : LoadedSet())
    DayTypesOf(*t).Filter.DayOffset = DayTypesOf(*t).BaseDayOffset + day;
}

int32_t RoundedDistance(int64_t metres) {
  if (metres > 10000 && metres % 1000 != 0)
    return static_cast<int32_t>((metres + 500) / 1000 * 1000);
  return static_cast<int32_t>(metres);
}

}  // namespace

void SetSearchDay(DayNumber day) {
  for (TimetableRecord* t : LoadedSet()) {
    SearchFilter& f = DayTypesOf(*t).Filter;
    f.DayTypeMode = false;
    f.DayOffset = static_cast<int32_t>(day) - static_cast<int32_t>(t->FirstDay);
    const int32_t days = static_cast<int32_t>(t->RunningDayCalendar.size());
    if (f.DayOffset + 12 < 0 || f.DayOffset > days + 12) f.TypeMask = kIncludeNone;
  }
}

void ApplyTimetableSelection(int const* masks) {
  SearchSettings const& s = CurrentSearchSettings();
  for (int i = 0; i < LoadedCount(); ++i) {
    TimetableRecord& t = *TimetableAt(i);
    uint32_t word = !masks          ? kIncludeAll
                    : masks[i] == 0 ? kIncludeNone
                                    : static_cast<uint32_t>(masks[i]) | kAlwaysIncludedTypeBits;
    if (s.Parms.UseBeds == 2 && t.Kind == kKindRail) word &= ~kBedTrainTypeBit;
    DayTypesOf(t).Filter.TypeMask = word;
    // No train is required to carry attributes: the search asks none.
    DayTypesOf(t).Filter.RequiredAttributes = 0;
    if (word != kIncludeNone && s.ClientVersion > 1) {
      SearchStateOf(t).CodePairs.clear();
      SearchStateOf(t).CodeMask = 0;
      for (int32_t code : s.Parms.CodeValues) {
        if (code == 0) continue;
        for (int32_t k = 0; k < t.CodeFilterIds.size() && k < t.CodeLetterMasks.size(); ++k) {
          if (t.CodeFilterIds[k] != code) continue;
          const uint64_t pair = uint64_t{t.CodeLetterMasks.Field<uint32_t>(k, 0)} |
                                uint64_t{t.CodeLetterMasks.Field<uint32_t>(k, 4)} << 32;
          SearchStateOf(t).CodePairs.push_back(pair);
          SearchStateOf(t).CodeMask |= pair;
          break;
        }
      }
    }
  }
}

void ShiftWindowLater(SearchRun& run) { ShiftWindow(run, run.WindowLength); }
void ShiftWindowEarlier(SearchRun& run) { ShiftWindow(run, -run.WindowLength); }

bool CheckPlacesOverlap(SearchRequest& r) {
  if (r.ViaCount > 0) {
    if (Overlap(r.From, r.Via[0]) || Overlap(r.Via[static_cast<size_t>(r.ViaCount - 1)], r.To))
      return false;
    for (int k = 0; k + 1 < r.ViaCount; ++k)
      if (Overlap(r.Via[static_cast<size_t>(k)], r.Via[static_cast<size_t>(k + 1)])) return false;
    return true;
  }
  if (r.From.size() != r.To.size() && Overlap(r.From, r.To)) {
    StationSet& larger = r.From.size() > r.To.size() ? r.From : r.To;
    StationSet const& smaller = r.From.size() > r.To.size() ? r.To : r.From;
    std::erase_if(larger, [&](SearchStation const& s) {
      return std::any_of(smaller.begin(), smaller.end(), [&](SearchStation const& o) {
        return o.timetable == s.timetable && o.station == s.station;
      });
    });
  }
  return !Overlap(r.From, r.To) && !r.From.empty() && !r.To.empty();
}

uint8_t* BuildConnectionResult(ConnectionList const& connections, bool byDayType, DayNumber day) {
  // Header {byte size; count} and the bytes; kept between calls.
  static std::vector<uint8_t> buffer;
  size_t used = kResultHeaderBytes;
  if (buffer.size() < static_cast<size_t>(kResultStart)) buffer.assign(kResultStart, 0);
  for (Connection const& c : connections) {
    // Room for the whole connection before any of it is written: one of
    // many legs needs more than the usual step leaves free.
    const size_t need = kHeadBytes + c.size() * kLegBytes;
    while (buffer.size() - used < need) buffer.resize(buffer.size() + kResultStep, 0);
    uint8_t* at = buffer.data() + used;
    int64_t distance = 0;
    for (ConnectionLeg const& leg : c)
      distance = leg.Distance < 0 || distance < 0 ? -1 : distance + leg.Distance;
    const int32_t duration = CorrectedDuration(c, byDayType, day);
    StoreLE<int32_t>(at + 0, c.empty() ? 0 : c.front().ConnectionId);
    StoreLE<int32_t>(at + 4, static_cast<int32_t>(c.size()));
    StoreLE<int32_t>(at + 8, distance < 0 ? -1 : RoundedDistance(distance));
    StoreLE<int32_t>(at + 12, duration);
    StoreLE<int32_t>(at + 16, -1);
    at += kHeadBytes;
    for (ConnectionLeg const& leg : c) {
      const int32_t fields[9] = {
          leg.Timetable,         leg.Train,        leg.DepartureMinute, leg.ArrivalMinute,
          leg.BoardingDayOffset, leg.DepartureDay, leg.ArrivalDay,      leg.FromStation,
          leg.ToStation};
      for (int f = 0; f < 9; ++f) StoreLE<int32_t>(at + 4 * f, fields[f]);
      at += kLegBytes;
    }
    used += need;
  }
  const int32_t bytes = static_cast<int32_t>(used - kResultHeaderBytes);
  StoreLE<int32_t>(buffer.data(), bytes);
  StoreLE<int32_t>(buffer.data() + 4, bytes);
  return buffer.data() + kResultHeaderBytes;
}

int SearchConnections(ConnectionQuery const& q, int* count) {
  SearchCounters& counters = CurrentSearchCounters();
  int64_t clock = SearchClockNanoseconds();
  BeginSearch();
  if (count) *count = 0;
  SearchRun& run = CurrentSearchRun();
  run.Found.clear();

  // An empty From or To is no request: say so rather than report success.
  if (q.From.count <= 0) return ErrFromOrToMissing;
  if (int error = CheckPlaces(q.From, false)) return error;
  if (q.To.count <= 0) return ErrFromOrToMissing;
  if (int error = CheckPlaces(q.To, false)) return error;
  if (int error = CheckPlaces(q.Via, true)) return error;
  if (int error = CheckPlaces(q.ChangePoints, false)) return error;
  if (SameLists(q.From, q.To)) return ErrStationsOverlap;

  ApplyTimetableSelection(q.TypeMasks);

  SearchRequest& r = run.Request;
  r = SearchRequest{};
  r.ByDeparture = q.ByDeparture;
  r.ChangesAllowed = q.ChangesAllowed;
  int time = q.Time;
  if (q.Year != 0) {
    DayNumber day = DmyToDay(q.Year, q.Month, q.Day);
    if (day == kNoDate) return ErrDate;
    if (q.ByDeparture && time == kMinutesPerDay) {
      time = 0;
      ++day;
    }
    r.Day = day;
    SetSearchDay(day);
  } else {
    if (!IsValidDayType(q.Day, q.Month)) return ErrDate;
    r.ByDayType = true;
    r.DayType = q.Day;
    r.WeekdayMask = q.Month;
    PrepareDayTypeCalendarsForAll(q.Day, q.Month);
  }
  if (time < 0 || time > kMinutesPerDay || (r.ByDayType && q.ByDeparture && time == kMinutesPerDay))
    return ErrDate;
  r.Time = time;

  switch (BuildPlaceStations(q, r)) {
    case BuildResult::Ok:
      break;
    case BuildResult::TooMany:
      return ErrParameters;
    case BuildResult::Failed:
      if (CurrentSearchSettings().Parms.LowFloorOnly) return ErrViaMissing;
      if (r.ByDayType || (EntriesInValidity(q.From, r.Day) && EntriesInValidity(q.To, r.Day)))
        return ErrParameters;
      return ErrConnectionNotFound;
  }
  if (!r.ByDayType && !DayInValidity(q.ByDeparture ? r.From : r.To, r.Day))
    return ErrDateOutOfRange;
  if (!CheckPlacesOverlap(r)) return ErrStationsOverlap;

  PrepareSearchMarks(run, !q.ByDeparture);
  run.Earlier = nullptr;

  ConnParms const& p = CurrentSearchSettings().Parms;
  run.WindowLength = WindowLength(p, q.ChangesAllowed);
  const int retries = WindowRetries(p, q.ChangesAllowed);
  for (TimetableRecord* t : LoadedSet())
    DayTypesOf(*t).BaseDayOffset = DayTypesOf(*t).Filter.DayOffset;
  run.WindowTime = time;
  run.WindowMinute = time;
  int found = 0;
  counters.PrepareNanoseconds += SearchClockNanoseconds() - clock;
  for (int round = 0;; ++round) {
    if (round > 0) q.ByDeparture ? ShiftWindowLater(run) : ShiftWindowEarlier(run);
    EngineCall call;
    call.ComputeBounds = round == 0 || p.AutoStrategy != 0;
    call.ChangesAllowed = q.ChangesAllowed;
    ++counters.Windows;
    RunSearchEngine(call);
    clock = SearchClockNanoseconds();
    found = CleanUpConnectionList(run, q.ByDeparture);
    counters.CleanUpNanoseconds += SearchClockNanoseconds() - clock;
    if (SearchStopRequested() || found > 0) break;
    if (round >= retries || IsSearchTimeUp()) break;
  }
  FreeLabels(run);
  const int32_t lastWindow = run.WindowTime;
  if (run.Found.empty()) {
    for (TimetableRecord* t : LoadedSet())
      DayTypesOf(*t).Filter.DayOffset = DayTypesOf(*t).BaseDayOffset;
    return SearchStopRequested() ? ErrSearchInterrupted : ErrConnectionNotFound;
  }

  RebaseConnectionDays(run);
  run.WindowTime = time;
  run.WindowMinute = time;
  StoreSearchInHandle(run, true);
  SearchHandle& handle = CurrentSearchHandle();
  (q.ByDeparture ? handle.LaterWindowTime : handle.EarlierWindowTime) = lastWindow;
  if (count) *count = static_cast<int>(run.Found.size());
  return 0;
}

bool ResolvePlaceKey(int32_t key, int const* selection, bool fallback, bool newVia,
                     std::vector<int>& items, std::vector<int>& lists,
                     std::vector<int>& timetables) {
  const size_t before = items.size();
  auto append = [&](int item, int list, int timetable) {
    const bool first = items.size() == before;
    items.push_back(item);
    lists.push_back(list);
    timetables.push_back(
        static_cast<int>(static_cast<uint32_t>(timetable) | (first && newVia ? kNewViaPoint : 0)));
  };
  auto takesPart = [&](int i) {
    return (!selection || selection[i] != 0) && TimetableAt(i)->Kind == kKindRail;
  };
  std::vector<int32_t> stations;
  for (int i = 0; i < LoadedCount(); ++i) {
    if (!takesPart(i)) continue;
    SearchStationKeyEx(*TimetableAt(i), key, 1, stations);
    for (int32_t s : stations) append(s, kPlaceStation, i);
  }
  if (items.size() == before && fallback) {
    for (int i = 0; i < LoadedCount(); ++i) {
      if (!takesPart(i)) continue;
      RecordArray const& pairs = TimetableAt(i)->PairTables[0];
      for (int32_t row = 0; row < pairs.size(); ++row) {
        if (pairs.Field<int32_t>(row, 8) == key) {
          append(key, kPlacePassThrough, i);
          return true;
        }
      }
    }
  }
  return items.size() > before;
}

int SearchConnectionsByKeys(int const* keys, int count, int time, int day, int month, int year,
                            bool changesAllowed, bool byDeparture, int const* selection,
                            int* found) {
  if (found) *found = 0;
  if (!keys || count < 2) return 0;
  std::vector<int> fromItems, fromLists, fromTimetables;
  std::vector<int> toItems, toLists, toTimetables;
  std::vector<int> viaItems, viaLists, viaTimetables;
  ResolvePlaceKey(keys[0], selection, false, false, fromItems, fromLists, fromTimetables);
  ResolvePlaceKey(keys[count - 1], selection, false, false, toItems, toLists, toTimetables);
  bool newVia = true;
  for (int k = 1; k + 1 < count; ++k) {
    if (k > 1 && keys[k - 1] / 100000 == keys[k] / 100000) newVia = true;
    const bool sameGroup =
        keys[k - 1] / 100000 == keys[k] / 100000 && keys[k] / 100000 == keys[k + 1] / 100000;
    if (ResolvePlaceKey(keys[k], selection, !sameGroup, newVia, viaItems, viaLists, viaTimetables))
      newVia = false;
  }
  if (fromItems.empty() || toItems.empty()) return ErrFromOrToMissing;
  ConnectionQuery q;
  q.From = {fromItems.data(), fromLists.data(), fromTimetables.data(), nullptr,
            static_cast<int>(fromItems.size())};
  q.To = {toItems.data(), toLists.data(), toTimetables.data(), nullptr,
          static_cast<int>(toItems.size())};
  q.Via = {viaItems.data(), viaLists.data(), viaTimetables.data(), nullptr,
           static_cast<int>(viaItems.size())};
  q.Time = time;
  q.Day = day;
  q.Month = month;
  q.Year = year;
  q.ChangesAllowed = changesAllowed;
  q.ByDeparture = byDeparture;
  q.TypeMasks = selection;
  return SearchConnections(q, found);
}

}  // namespace qo
