#include "kernel/search/reference_router.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <vector>

namespace qo::test {
namespace {

namespace w = qo::writer;

// One run of a train on one day, times in minutes from midnight of the
// search day.
struct Trip {
  int32_t Train = 0;
  std::vector<uint16_t> Stations;
  std::vector<int32_t> Arrivals;
  std::vector<int32_t> Departures;
};

struct Departure {
  int32_t Time = 0;
  int32_t Trip = 0;
  int32_t Stop = 0;
};

}  // namespace

struct ReferenceNetwork {
  std::vector<Trip> Trips;
  std::vector<std::vector<Departure>> ByStation;  // sorted by time
  // Per station the shortest change: its own when the timetable gives
  // stations change times, else the timetable's.
  std::vector<int32_t> MinChange;
  int32_t MaxWait = 0;
};

namespace {

using Network = ReferenceNetwork;

bool Runs(w::TimetableModel const& m, w::Train const& train, int32_t day) {
  if (day < m.first_day || day > m.last_day) return false;
  if (train.calendar < 0) return true;
  auto const& days = m.calendars[static_cast<size_t>(train.calendar)].days;
  return std::find(days.begin(), days.end(), day) != days.end();
}

void Build(w::TimetableModel const& m, uint16_t searchDay, Network& n) {
  const bool own = std::any_of(m.stations.begin(), m.stations.end(),
                               [](w::Station const& s) { return s.change_time >= 0; });
  for (w::Station const& s : m.stations)
    n.MinChange.push_back(
        own && s.change_time >= 0 ? s.change_time : static_cast<int32_t>(m.search.min_change_time));
  n.MaxWait = static_cast<int32_t>(m.search.max_change_time);
  n.ByStation.resize(m.stations.size());
  for (size_t t = 0; t < m.trains.size(); ++t) {
    w::Train const& train = m.trains[t];
    for (int32_t k = -2; k <= 3; ++k) {
      if (!Runs(m, train, searchDay + k)) continue;
      Trip trip;
      trip.Train = static_cast<int32_t>(t);
      for (w::Stop const& s : train.stops) {
        int32_t arrival = s.arrival != w::kNoTime ? s.arrival : s.departure;
        int32_t departure = s.departure != w::kNoTime ? s.departure : s.arrival;
        trip.Stations.push_back(s.station);
        trip.Arrivals.push_back(k * 1440 + arrival);
        trip.Departures.push_back(k * 1440 + departure);
      }
      const int32_t index = static_cast<int32_t>(n.Trips.size());
      for (size_t i = 0; i + 1 < trip.Stations.size(); ++i)
        n.ByStation[trip.Stations[i]].push_back(
            {trip.Departures[i], index, static_cast<int32_t>(i)});
      n.Trips.push_back(std::move(trip));
    }
  }
  for (auto& list : n.ByStation)
    std::sort(list.begin(), list.end(), [](Departure const& a, Departure const& b) {
      return std::tie(a.Time, a.Trip, a.Stop) < std::tie(b.Time, b.Trip, b.Stop);
    });
}

int32_t WindowEnd(RouterQuery const& q) {
  int32_t slack = q.ChangesAllowed ? std::min(q.Interval / 2, 120) : 0;
  return q.WindowTime + std::min(q.Interval + slack, 1439);
}

// Calls f(departure) for every departure at the station between the two
// times.
template <class F>
void DeparturesBetween(Network const& n, uint16_t station, int32_t first, int32_t last, F&& f) {
  auto const& list = n.ByStation[station];
  auto at = std::lower_bound(list.begin(), list.end(), first,
                             [](Departure const& d, int32_t t) { return d.Time < t; });
  for (; at != list.end() && at->Time <= last; ++at) f(*at);
}

// A journey reaching a station: when it left the origin, when it arrives,
// and the train it came by (kSeveral when equal journeys came by several).
struct Reach {
  int32_t Origin = 0;
  int32_t Arrival = 0;
  int32_t Train = 0;
};
constexpr int32_t kSeveral = -2;

// The best arrival over journeys that left the origin at a time or later.
class Envelope {
 public:
  void Add(std::vector<Reach> const& reaches) {
    for (Reach const& r : reaches) points_.emplace_back(r.Origin, r.Arrival);
    std::sort(points_.begin(), points_.end(), std::greater<>());
    best_.resize(points_.size());
    int32_t best = INT_MAX;
    for (size_t i = 0; i < points_.size(); ++i) best_[i] = best = std::min(best, points_[i].second);
  }
  // True when a journey that left no earlier arrives no later.
  bool Beats(int32_t origin, int32_t arrival) const {
    // points_ run by origin falling: those at `origin` or later come first.
    auto end = std::partition_point(points_.begin(), points_.end(),
                                    [&](auto const& p) { return p.first >= origin; });
    if (end == points_.begin()) return false;
    return best_[static_cast<size_t>(end - points_.begin()) - 1] <= arrival;
  }

 private:
  std::vector<std::pair<int32_t, int32_t>> points_;
  std::vector<int32_t> best_;
};

// The journeys of one round at one station that no other journey of the
// round beats, equal ones once (with the trains they came by merged).
std::vector<Reach> Unbeaten(std::vector<Reach> reaches) {
  std::sort(reaches.begin(), reaches.end(), [](Reach const& a, Reach const& b) {
    return std::tie(b.Origin, a.Arrival) < std::tie(a.Origin, b.Arrival);
  });
  std::vector<Reach> out;
  int32_t bestLater = INT_MAX;  // best arrival of journeys that left later
  for (size_t i = 0; i < reaches.size();) {
    size_t group = i;
    while (group < reaches.size() && reaches[group].Origin == reaches[i].Origin) ++group;
    // The group's first journeys arrive earliest; they stay unless a later
    // departure arrives as early.
    if (reaches[i].Arrival < bestLater) {
      Reach kept = reaches[i];
      for (size_t j = i + 1; j < group && reaches[j].Arrival == kept.Arrival; ++j)
        if (reaches[j].Train != kept.Train) kept.Train = kSeveral;
      out.push_back(kept);
    }
    bestLater = std::min(bestLater, reaches[i].Arrival);
    i = group;
  }
  return out;
}

}  // namespace

ReferenceRouter::ReferenceRouter(w::TimetableModel const& m, uint16_t searchDay)
    : network_(std::make_unique<ReferenceNetwork>()), stations_(m.stations.size()) {
  Build(m, searchDay, *network_);
}

ReferenceRouter::~ReferenceRouter() = default;

std::set<Journey> ReferenceRouter::Journeys(RouterQuery const& q) const {
  Network const& n = *network_;
  const int32_t rounds = (q.ChangesAllowed ? q.MaxChanges : 0) + 1;
  const size_t stations = stations_;
  // Per station the journeys of the rounds so far that nothing beats.
  std::vector<std::vector<Reach>> kept(stations);
  std::vector<Envelope> earlier(stations);
  std::set<Journey> answer;
  for (int32_t k = 0; k < rounds; ++k) {
    std::vector<std::vector<Reach>> found(stations);
    auto ride = [&](Trip const& trip, int32_t board, int32_t origin) {
      for (size_t j = static_cast<size_t>(board) + 1; j < trip.Stations.size(); ++j) {
        if (trip.Stations[j] == trip.Stations[static_cast<size_t>(board)]) continue;
        found[trip.Stations[j]].push_back({origin, trip.Arrivals[j], trip.Train});
        // A direct trip has nothing to gain beyond the To station.
        if (k == 0 && trip.Stations[j] == q.To) break;
      }
    };
    if (k == 0) {
      DeparturesBetween(n, q.From, q.WindowTime, WindowEnd(q), [&](Departure const& d) {
        ride(n.Trips[static_cast<size_t>(d.Trip)], d.Stop, d.Time);
      });
    } else {
      for (size_t s = 0; s < stations; ++s) {
        if (s == q.To) continue;
        for (Reach const& r : kept[s]) {
          DeparturesBetween(n, static_cast<uint16_t>(s), r.Arrival + n.MinChange[s],
                            r.Arrival + n.MaxWait, [&](Departure const& d) {
                              Trip const& trip = n.Trips[static_cast<size_t>(d.Trip)];
                              // Not back onto the train it came by.
                              if (trip.Train == r.Train) return;
                              ride(trip, d.Stop, r.Origin);
                            });
        }
      }
    }
    for (size_t s = 0; s < stations; ++s) {
      std::vector<Reach> next;
      if (s == q.From || found[s].empty()) {
        kept[s].clear();
        continue;
      }
      if (k == 0 && s == q.To) {
        // Every direct trip counts.
        next = found[s];
      } else {
        for (Reach const& r : Unbeaten(found[s]))
          if (!earlier[s].Beats(r.Origin, r.Arrival)) next.push_back(r);
      }
      if (s == q.To)
        for (Reach const& r : next) answer.insert({r.Origin, r.Arrival, k + 1});
      earlier[s].Add(next);
      kept[s] = std::move(next);
    }
  }
  const int32_t lastDeparture = q.WindowTime + q.Interval;
  for (auto it = answer.begin(); it != answer.end();)
    it = it->Departure > lastDeparture ? answer.erase(it) : std::next(it);
  return answer;
}

int32_t ReferenceRouter::EarliestArrival(RouterQuery const& q, int32_t first, int32_t last,
                                         int32_t* departure) const {
  Network const& n = *network_;
  const int32_t rounds = (q.ChangesAllowed ? q.MaxChanges : 0) + 1;
  auto earliest = [&](int32_t from) {
    int32_t best = INT_MAX;
    // Per trip the first stop it is boarded at with the trips counted so
    // far, and with one trip more.
    std::vector<int32_t> boarded(n.Trips.size(), INT_MAX);
    std::vector<int32_t> boardedNext;
    std::vector<std::pair<int32_t, int32_t>> fresh;  // (trip, stop)
    DeparturesBetween(n, q.From, from, last, [&](Departure const& d) {
      if (d.Stop < boarded[static_cast<size_t>(d.Trip)]) {
        boarded[static_cast<size_t>(d.Trip)] = d.Stop;
        fresh.emplace_back(d.Trip, d.Stop);
      }
    });
    for (int32_t k = 0; k < rounds && !fresh.empty(); ++k) {
      std::vector<std::pair<int32_t, int32_t>> next;
      boardedNext = boarded;
      for (auto [t, board] : fresh) {
        if (boarded[static_cast<size_t>(t)] < board) continue;  // on it from earlier already
        Trip const& trip = n.Trips[static_cast<size_t>(t)];
        for (size_t j = static_cast<size_t>(board) + 1; j < trip.Stations.size(); ++j) {
          uint16_t s = trip.Stations[j];
          if (s == trip.Stations[static_cast<size_t>(board)]) continue;
          if (s == q.To) best = std::min(best, trip.Arrivals[j]);
          if (s == q.To || s == q.From || k + 1 == rounds) continue;
          DeparturesBetween(n, s, trip.Arrivals[j] + n.MinChange[s], trip.Arrivals[j] + n.MaxWait,
                            [&](Departure const& d) {
                              if (n.Trips[static_cast<size_t>(d.Trip)].Train == trip.Train) return;
                              if (d.Stop < boardedNext[static_cast<size_t>(d.Trip)]) {
                                boardedNext[static_cast<size_t>(d.Trip)] = d.Stop;
                                next.emplace_back(d.Trip, d.Stop);
                              }
                            });
        }
      }
      boarded.swap(boardedNext);
      fresh = std::move(next);
    }
    return best;
  };
  const int32_t best = earliest(first);
  if (best == INT_MAX) return -1;
  if (departure) {
    // The latest departure that still arrives as early.
    *departure = first;
    std::vector<int32_t> times;
    DeparturesBetween(n, q.From, first, last, [&](Departure const& d) { times.push_back(d.Time); });
    for (auto it = times.rbegin(); it != times.rend(); ++it)
      if (earliest(*it) == best) {
        *departure = *it;
        break;
      }
  }
  return best;
}

}  // namespace qo::test
