#include "map/trains_on_arcs.h"

#include <algorithm>

#include "calendars/train_calendar.h"
#include "format/stored_bits.h"
#include "stations/station_access.h"
#include "trains/station_events.h"
#include "trains/train_stops.h"

namespace qo {
namespace {

constexpr uint16_t kForeignStation = 0x02;
constexpr int kDayMinutes = 1440;

// A minute measured forward from `from` on the 24-hour circle; 1440 stays
// 1440, so that a whole day is not folded to nothing.
int Forward(int minute, int from) {
  int m = minute - from;
  if (m < 0) return m + kDayMinutes;
  if (m > kDayMinutes) return m - kDayMinutes;
  return m;
}

uint32_t ArcWord(uint16_t from, uint16_t to) { return uint32_t{from} << 16 | to; }

bool IsKeptArc(ArcTrainWork const& work, uint16_t from, uint16_t to) {
  return from != to && work.stationMarks[from] && work.stationMarks[to] &&
         std::binary_search(work.arcs.begin(), work.arcs.end(), ArcWord(from, to));
}

// The window asked for, and the validity the days it tries must keep to.
struct Window {
  int32_t startDay, startMinute, endDay, endMinute;
  int32_t firstDay, lastDay;
};

// Whether the train runs from stop s to stop s + 1 within the window: on
// some day l of it, leaving its first stop on l less the days it has run
// by stop s, or, when it passes midnight between the two stops, a day
// before that.
bool PairInWindow(TimetableRecord const& t, Window const& w, int32_t calendarClass, int daysRun,
                  int departure, int arrival) {
  auto runs = [&](int64_t day) {
    return ClassRunsOnCalendarDay(t, calendarClass, day - w.firstDay);
  };
  const int64_t from = std::max<int64_t>(w.startDay, int64_t{w.firstDay} + daysRun);
  const int64_t to = std::min<int64_t>(w.endDay, int64_t{w.lastDay} + daysRun);
  const bool overMidnight = arrival < departure;
  for (int64_t l = from; l <= to; ++l) {
    const int64_t start = l - daysRun;
    const int a = l == w.startDay ? w.startMinute : 0;
    const int b = l == w.endDay ? w.endMinute : kDayMinutes;
    const int end = overMidnight ? kDayMinutes : arrival;
    if (MinuteIntervalsMeet(departure, end, a, b) && runs(start)) return true;
    if (overMidnight && MinuteIntervalsMeet(0, arrival, a, b) && start > w.firstDay &&
        runs(start - 1))
      return true;
  }
  return false;
}

}  // namespace

bool MinuteIntervalsMeet(int a, int b, int c, int d) {
  const int ab = Forward(b, a);
  if (Forward(c, a) <= ab || Forward(d, a) <= ab) return true;
  const int cd = Forward(d, c);
  return Forward(a, c) <= cd || Forward(b, c) <= cd;
}

std::vector<uint8_t> const& ForeignRunMarks(TimetableRecord& t) {
  std::vector<uint8_t>& marks = t.ForeignRunMarks;
  if (marks.size() == t.TrainCount) return marks;
  marks.assign(t.TrainCount, 0);
  for (uint32_t train = 0; train < t.TrainCount; ++train) {
    StopRange words(t, train);
    bool abroad = true;
    for (int32_t i = 0; abroad && i + 1 < words.size(); ++i)
      abroad = !t.StationTypes.empty() && (t.StationTypes[words.Station(i)] & kForeignStation);
    marks[train] = abroad ? 1 : 0;
  }
  return marks;
}

void TrainsOnArcs(TimetableRecord& t, ArcTrainQuery const& q, ArcTrainWork& work,
                  std::vector<int32_t>& trains, std::vector<int32_t>& stations) {
  trains.clear();
  stations.clear();
  if (q.arcCount <= 0 || !q.fromKeys || !q.toKeys || t.StationKeys.empty()) return;
  if (q.endDay < q.startDay) return;
  const bool windowed = q.startDay != 0 || q.endDay != 0;
  if (windowed) {
    if (q.startDay == q.endDay && q.endMinute < q.startMinute) return;
    if (q.startDay > static_cast<int64_t>(t.LastDay) || q.endDay < static_cast<int64_t>(t.FirstDay))
      return;
  }
  std::vector<uint8_t> const* foreign = q.skipForeign ? &ForeignRunMarks(t) : nullptr;

  work.stationMarks.assign(t.StationCount, 0);
  work.arcs.clear();
  for (int32_t i = 0; i < q.arcCount; ++i) {
    const int32_t from = SearchStationKey(t, q.fromKeys[i]);
    const int32_t to = SearchStationKey(t, q.toKeys[i]);
    if (from < 0 || to < 0) continue;
    work.stationMarks[static_cast<size_t>(from)] = 1;
    work.stationMarks[static_cast<size_t>(to)] = 1;
    work.arcs.push_back(ArcWord(static_cast<uint16_t>(from), static_cast<uint16_t>(to)));
  }
  if (work.arcs.empty()) return;
  std::sort(work.arcs.begin(), work.arcs.end());
  work.arcs.erase(std::unique(work.arcs.begin(), work.arcs.end()), work.arcs.end());

  // A train on an arc calls at the arc's first station: its events there
  // name every candidate, without a walk over all trains.
  work.candidates.clear();
  for (size_t i = 0; i < work.arcs.size(); ++i) {
    const uint16_t from = static_cast<uint16_t>(work.arcs[i] >> 16);
    if (i > 0 && work.arcs[i - 1] >> 16 == from) continue;
    const StationEventList events = SelectStationEvents(t, from);
    for (int32_t e = 0; e < events.count; ++e) work.candidates.push_back(events.At(e).Train());
  }
  std::sort(work.candidates.begin(), work.candidates.end());
  work.candidates.erase(std::unique(work.candidates.begin(), work.candidates.end()),
                        work.candidates.end());

  const Window window{q.startDay,
                      q.startMinute,
                      q.endDay,
                      q.endMinute,
                      static_cast<int32_t>(t.FirstDay),
                      static_cast<int32_t>(t.LastDay)};
  for (uint32_t train : work.candidates) {
    if (train >= t.TrainCount) break;
    if (foreign && (*foreign)[train]) continue;
    if (!t.TrainTypeWords.empty()) {
      const uint32_t type = t.TrainTypeWords[static_cast<int32_t>(train)] & ~kRunsNoFurther;
      if ((type & ~q.allBits) != 0 || (type & q.someBits) == 0) continue;
    }
    int32_t at = -1;
    if (!windowed) {
      const StopRange words(t, train);
      for (int32_t s = 0; at < 0 && s + 1 < words.size(); ++s)
        if (IsKeptArc(work, words.Station(s), words.Station(s + 1))) at = words.Station(s);
    } else {
      const StopList stops = DecodeTrainStops(t, train);
      const int32_t calendarClass = TrainCalendarClass(t, train);
      int daysRun = 0;
      for (int32_t s = 0; at < 0 && s + 1 < stops.count; ++s) {
        daysRun += GetStopDayStep(t, stops, s);
        if (IsKeptArc(work, stops.Station(s), stops.Station(s + 1)) &&
            PairInWindow(t, window, calendarClass, daysRun, stops.Minute(s), stops.Minute(s + 1)))
          at = stops.Station(s);
      }
    }
    if (at < 0) continue;
    trains.push_back(static_cast<int32_t>(train));
    stations.push_back(at);
  }
}

}  // namespace qo
