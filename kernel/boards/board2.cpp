#include "boards/board2.h"

#include <algorithm>

#include "calendars/train_groups.h"
#include "dayremarks/day_remark_text.h"
#include "frame/error_codes.h"
#include "remarks/day_remarks.h"
#include "remarks/general_remarks.h"
#include "stations/station_distances.h"
#include "trains/train_info.h"

namespace qo {

namespace {

// Day remarks are compared up to this many bytes.
constexpr size_t kDayRemarkReach = 1023;

int SortMinute(RouteRecord const& r, bool departures) {
  if (departures) return r.Departure >= 0 ? r.Departure : r.Arrival;
  return r.Arrival >= 0 ? r.Arrival : r.Departure;
}

// The day offset the running test used for the entry's stop.
int StopDay(RouteRecord const& stop, bool departures) {
  return departures && stop.Departure >= 0 ? stop.DepartureDay : stop.ArrivalDay;
}

void MarkBoardTrains(TimetableRecord& t, Board2Request const& r, BoardFilter const& filter,
                     Board2Work& work, int* error) {
  work.marked.assign(t.TrainCount, 0);
  work.trains.clear();
  auto mark = [&](bool departures) {
    const int a = departures ? r.station : -1;
    const int b = departures ? -1 : r.station;
    if (*error) return;
    *error = CollectBoard(t, a, b, departures, filter, false, work.board);
    for (const BoardEntry& e : work.board) {
      const uint32_t train = static_cast<uint32_t>(e.train);
      if (train < work.marked.size() && !work.marked[train]) {
        work.marked[train] = 1;
        work.trains.push_back(e.train);
      }
    }
  };
  if (r.arrivals) mark(false);
  if (r.departures) mark(true);
}

// Whether the route between stops `begin` and `end` runs along an arc that
// the pass-via table marks.
bool RunsAlongMarkedArc(TimetableRecord const& t, std::vector<RouteRecord> const& route,
                        int32_t begin, int32_t end, std::vector<uint8_t> const& arcMarks) {
  for (int32_t k = begin; k < end; ++k) {
    const uint16_t from = route[static_cast<size_t>(k)].Station;
    const uint16_t to = route[static_cast<size_t>(k) + 1].Station;
    for (int32_t arc = t.ArcOffsets[from]; arc < t.ArcOffsets[from + 1]; ++arc)
      if (t.ArcStations[arc] == to && arcMarks[static_cast<size_t>(arc)]) return true;
  }
  return false;
}

// Group variants of one train listed side by side: 1 when the first entry
// gives way to the second, 2 when the second gives way, 0 when both stay.
// A variant gives way when both say the same running days and its route
// lies within the other's.
int VariantGivingWay(TimetableRecord& t, Board2Entry const& a, Board2Entry const& b,
                     bool departures, Board2Work& work) {
  const uint32_t ta = static_cast<uint32_t>(a.train), tb = static_cast<uint32_t>(b.train);
  if (t.TrainTypeWords.empty()) return 0;
  if (((t.TrainTypeWords[static_cast<int32_t>(ta)] | t.TrainTypeWords[static_cast<int32_t>(tb)]) &
       kContinuesGroup) == 0)
    return 0;
  if (!t.MainNumbers.Values.empty() && t.MainNumbers.Values[static_cast<int32_t>(ta)] !=
                                           t.MainNumbers.Values[static_cast<int32_t>(tb)])
    return 0;
  auto firstDayRemark = [&](uint32_t train, RouteRecord const& stop, std::string& text) {
    text.clear();
    if (DayRemarkCount(t, train) == 0) return;
    const char letter = t.LanguageLetters.empty() ? 'C' : t.LanguageLetters[0];
    GetDayRemark(t, 0, letter, train, 0, StopDay(stop, departures), false, text);
    if (text.size() > kDayRemarkReach) text.resize(kDayRemarkReach);
  };
  firstDayRemark(ta, a.stop, work.remarkA);
  firstDayRemark(tb, b.stop, work.remarkB);
  if (work.remarkA != work.remarkB) return 0;
  RouteStations(t, ta, work.routeA);
  RouteStations(t, tb, work.routeB);
  if (RouteContains(work.routeB, work.routeA)) return 1;
  if (RouteContains(work.routeA, work.routeB)) return 2;
  return 0;
}

// The texts the merge flags 0x40 to 0x100 compare, per entry.
void PrepareMergeTexts(TimetableRecord& t, Board2Request const& r,
                       std::vector<Board2Entry> const& entries, Board2Work& work) {
  const size_t n = entries.size();
  work.numbers.resize(n);
  work.names.resize(n);
  work.types.resize(n);
  TrainTexts texts;
  bool const wantType = (r.mergeFlags & kMergeType) != 0;
  for (size_t k = 0; k < n; ++k) {
    GetTrainStationTexts(t, 0, static_cast<uint32_t>(entries[k].train), r.station, -1, -1, wantType,
                         texts);
    work.numbers[k].assign(texts.Number, 0, kMaxTrainTextLength);
    work.names[k].assign(texts.Second, 0, kMaxTrainTextLength);
    work.types[k] = texts.TypeBit;
  }
}

// Whether entry y (at position `py` before merging) agrees with entry x
// (at `px`) in every field the flags name.
bool Merges(TimetableRecord const& t, Board2Work const& work, int flags, Board2Entry const& x,
            size_t px, Board2Entry const& y, size_t py) {
  if ((flags & kMergeStopDeparture) && x.stop.Departure != y.stop.Departure) return false;
  if ((flags & kMergeStopArrival) && x.stop.Arrival != y.stop.Arrival) return false;
  if ((flags & kMergeFirstStation) && x.first.Station != y.first.Station) return false;
  if ((flags & kMergeLastStation) && x.last.Station != y.last.Station) return false;
  if ((flags & kMergeFirstDeparture) && x.first.Departure != y.first.Departure) return false;
  if ((flags & kMergeLastArrival) && x.last.Arrival != y.last.Arrival) return false;
  if ((flags & kMergeNumber) && work.numbers[px] != work.numbers[py]) return false;
  if ((flags & kMergeName) && work.names[px] != work.names[py]) return false;
  if ((flags & kMergeType) && work.types[px] != work.types[py]) return false;
  if ((flags & kMergeGeneralRemarks) &&
      !SameGeneralRemarks(t, static_cast<uint32_t>(x.train), static_cast<uint32_t>(y.train)))
    return false;
  return true;
}

}  // namespace

int CollectBoard2(TimetableRecord& t, Board2Request const& request, BoardFilter const& filter,
                  Board2Work& work, std::vector<Board2Entry>& out) {
  out.clear();
  Board2Request r = request;
  if (!r.arrivals && !r.departures) r.departures = true;
  const uint16_t station = r.station;
  int const towards = r.towards;
  int error = ErrNone;
  MarkBoardTrains(t, r, filter, work, &error);
  if (error) return error;

  // A train that runs along an arc the timetable lists as leading towards
  // the second station heads that way even when it does not call there.
  bool const passVia =
      towards >= 0 && r.usePassVia && !t.PassViaOffsets.empty() && !t.ArcOffsets.empty();
  if (passVia) {
    work.arcMarks.assign(t.ArcStations.size(), 0);
    for (int32_t k = t.PassViaOffsets[towards]; k < t.PassViaOffsets[towards + 1]; ++k)
      work.arcMarks[static_cast<size_t>(t.PassViaArcs[k])] = 1;
  }

  // So does a train that ends (or starts) on a shortest path between the
  // two stations.
  bool const paths = towards >= 0 && !t.ArcOffsets.empty();
  int32_t between = kUnreachable;
  if (paths) {
    ComputeStationDistances(t, station, false, work.fromStation, work.predecessors);
    ComputeStationDistances(t, static_cast<uint16_t>(towards), false, work.fromTowards,
                            work.predecessors);
    between = work.fromStation[static_cast<size_t>(towards)];
  }
  auto onShortestPath = [&](uint16_t s) {
    if (!paths || s == station || between == kUnreachable) return false;
    const int64_t a = work.fromStation[s];
    const int64_t b = work.fromTowards[s];
    return a != kUnreachable && b != kUnreachable && a + b == between;
  };

  for (int32_t train : work.trains) {
    BuildTrainRoute(t, static_cast<uint32_t>(train), work.route);
    const int32_t n = static_cast<int32_t>(work.route.size());
    for (int32_t i = 0; i < n; ++i) {
      RouteRecord const& stop = work.route[static_cast<size_t>(i)];
      if (stop.Station != station) continue;
      if (i == 0 && !r.departures) continue;
      if (i == n - 1 && !r.arrivals) continue;
      if (towards >= 0) {
        // Departures look on from the stop, arrivals back to the first stop.
        const int32_t begin = r.arrivals ? 0 : i;
        const int32_t end = r.departures ? n - 1 : i;
        bool heads = false;
        for (int32_t k = begin; k <= end && !heads; ++k)
          heads = k != i && work.route[static_cast<size_t>(k)].Station == towards;
        if (!heads && passVia) heads = RunsAlongMarkedArc(t, work.route, begin, end, work.arcMarks);
        if (!heads && r.departures) heads = onShortestPath(work.route.back().Station);
        if (!heads && r.arrivals) heads = onShortestPath(work.route.front().Station);
        if (!heads) continue;
      }
      if (!PassesBoardFilter(t, filter, static_cast<uint32_t>(train), station,
                             StopDay(stop, r.departures)))
        continue;
      Board2Entry e{train, work.route.front(), work.route.back(), stop};
      if (i > 0 && i < n - 1 && e.stop.Arrival < 0) e.stop.Arrival = e.stop.Departure;
      out.push_back(e);
    }
  }
  // Stable: a train at the station twice in one minute keeps its route order.
  std::stable_sort(out.begin(), out.end(), [&](Board2Entry const& a, Board2Entry const& b) {
    const int ma = SortMinute(a.stop, r.departures);
    const int mb = SortMinute(b.stop, r.departures);
    return ma != mb ? ma < mb : a.train < b.train;
  });

  // One train in several variants shows once when the variants say the
  // same running days: the longer route stands for them.
  if (GetDayRemarkOptions().fromBaseDay) {
    size_t kept = 0;
    for (size_t i = 0; i < out.size(); ++i) {
      if (kept > 0) {
        int const givesWay = VariantGivingWay(t, out[kept - 1], out[i], r.departures, work);
        if (givesWay == 1) {
          out[kept - 1] = out[i];
          continue;
        }
        if (givesWay == 2) continue;
      }
      out[kept++] = out[i];
    }
    out.resize(kept);
  }

  // Without general remarks their flag names no field: alone it must not
  // fold the whole board into one entry.
  int mergeFlags = r.mergeFlags & 0x3FF;
  if (!HasGeneralRemarks(t)) mergeFlags &= ~kMergeGeneralRemarks;
  if (mergeFlags) {
    if (mergeFlags & (kMergeNumber | kMergeName | kMergeType)) PrepareMergeTexts(t, r, out, work);
    size_t kept = 0, previous = 0;  // `previous`: position of the last kept entry
    for (size_t i = 0; i < out.size(); ++i) {
      if (kept > 0 && Merges(t, work, mergeFlags, out[kept - 1], previous, out[i], i)) continue;
      out[kept++] = out[i];
      previous = i;
    }
    out.resize(kept);
  }
  return ErrNone;
}

}  // namespace qo
