#include "boards/board2.h"

#include <algorithm>

#include "frame/error_codes.h"
#include "stations/station_distances.h"

namespace qo {

namespace {

int SortMinute(const RouteRecord& r, bool departures) {
  if (departures) return r.Departure >= 0 ? r.Departure : r.Arrival;
  return r.Arrival >= 0 ? r.Arrival : r.Departure;
}

bool Merges(const Board2Entry& a, const Board2Entry& b, int flags) {
  if ((flags & kMergeStopDeparture) && a.stop.Departure != b.stop.Departure) return false;
  if ((flags & kMergeStopArrival) && a.stop.Arrival != b.stop.Arrival) return false;
  if ((flags & kMergeFirstStation) && a.first.Station != b.first.Station) return false;
  if ((flags & kMergeLastStation) && a.last.Station != b.last.Station) return false;
  if ((flags & kMergeFirstDeparture) && a.first.Departure != b.first.Departure) return false;
  if ((flags & kMergeLastArrival) && a.last.Arrival != b.last.Arrival) return false;
  return true;
}

}  // namespace

int CollectBoard2(TimetableRecord& t, uint16_t station, int towards, bool arrivals,
                  bool departures, const BoardFilter& filter, int mergeFlags, Board2Work& work,
                  std::vector<Board2Entry>& out) {
  out.clear();
  if (!arrivals && !departures) departures = true;
  work.marked.assign(t.TrainCount, 0);
  work.trains.clear();
  auto mark = [&](bool dep) {
    const int a = dep ? station : -1;
    const int b = dep ? -1 : station;
    if (int error = CollectBoard(t, a, b, dep, filter, false, work.board)) return error;
    for (const BoardEntry& e : work.board) {
      const uint32_t train = static_cast<uint32_t>(e.train);
      if (train < work.marked.size() && !work.marked[train]) {
        work.marked[train] = 1;
        work.trains.push_back(e.train);
      }
    }
    return static_cast<int>(ErrNone);
  };
  if (arrivals)
    if (int error = mark(false)) return error;
  if (departures)
    if (int error = mark(true)) return error;

  // A train that ends (or starts) on a shortest path between the two
  // stations heads that way even when it does not call at the second one.
  const bool paths = towards >= 0 && !t.ArcOffsets.empty();
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
      const RouteRecord& stop = work.route[static_cast<size_t>(i)];
      if (stop.Station != station) continue;
      if (i == 0 && !departures) continue;
      if (i == n - 1 && !arrivals) continue;
      if (towards >= 0) {
        // Departures look on from the stop, arrivals back to the first stop.
        const int32_t begin = arrivals ? 0 : i;
        const int32_t end = departures ? n - 1 : i;
        bool calls = false;
        for (int32_t k = begin; k <= end && !calls; ++k)
          calls = k != i && work.route[static_cast<size_t>(k)].Station == towards;
        if (!calls && departures) calls = onShortestPath(work.route.back().Station);
        if (!calls && arrivals) calls = onShortestPath(work.route.front().Station);
        if (!calls) continue;
      }
      const bool leaves = departures && stop.Departure >= 0;
      const int day = leaves ? stop.DepartureDay : stop.ArrivalDay;
      if (!PassesBoardFilter(t, filter, static_cast<uint32_t>(train), station, day)) continue;
      Board2Entry e{train, work.route.front(), work.route.back(), stop};
      if (i > 0 && i < n - 1 && e.stop.Arrival < 0) e.stop.Arrival = e.stop.Departure;
      out.push_back(e);
    }
  }
  std::sort(out.begin(), out.end(), [&](const Board2Entry& a, const Board2Entry& b) {
    const int ma = SortMinute(a.stop, departures);
    const int mb = SortMinute(b.stop, departures);
    return ma != mb ? ma < mb : a.train < b.train;
  });
  if (mergeFlags & 0x3F) {
    size_t kept = 0;
    for (size_t i = 0; i < out.size(); ++i)
      if (kept == 0 || !Merges(out[kept - 1], out[i], mergeFlags)) out[kept++] = out[i];
    out.resize(kept);
  }
  return ErrNone;
}

}  // namespace qo
