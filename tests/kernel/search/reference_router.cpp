#include "kernel/search/reference_router.h"

#include <algorithm>
#include <climits>
#include <map>
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

struct Network {
  std::vector<Trip> Trips;
  std::vector<std::vector<Departure>> ByStation;  // sorted by time
  int32_t MinChange = 0;
  int32_t MaxWait = 0;
};

bool Runs(w::TimetableModel const& m, w::Train const& train, int32_t day) {
  if (day < m.first_day || day > m.last_day) return false;
  if (train.calendar < 0) return true;
  auto const& days = m.calendars[static_cast<size_t>(train.calendar)].days;
  return std::find(days.begin(), days.end(), day) != days.end();
}

Network Build(w::TimetableModel const& m, RouterQuery const& q) {
  Network n;
  n.MinChange = static_cast<int32_t>(m.search.min_change_time);
  n.MaxWait = static_cast<int32_t>(m.search.max_change_time);
  n.ByStation.resize(m.stations.size());
  for (size_t t = 0; t < m.trains.size(); ++t) {
    w::Train const& train = m.trains[t];
    for (int32_t k = -2; k <= 3; ++k) {
      if (!Runs(m, train, q.SearchDay + k)) continue;
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
  return n;
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

// Journeys reaching one station: (origin departure, arrival) -> the trains
// they arrived by.
using Arrivals = std::map<std::pair<int32_t, int32_t>, std::set<int32_t>>;

bool Beats(std::pair<int32_t, int32_t> const& a, std::pair<int32_t, int32_t> const& b) {
  return a.first >= b.first && a.second <= b.second;
}

}  // namespace

std::set<Journey> ReferenceJourneys(w::TimetableModel const& m, RouterQuery const& q) {
  Network n = Build(m, q);
  const int32_t rounds = (q.ChangesAllowed ? q.MaxChanges : 0) + 1;
  const size_t stations = m.stations.size();
  // kept[k][s]: journeys of k + 1 trips that go on from s.
  std::vector<std::vector<Arrivals>> kept(static_cast<size_t>(rounds),
                                          std::vector<Arrivals>(stations));
  std::set<Journey> answer;
  for (int32_t k = 0; k < rounds; ++k) {
    std::vector<Arrivals> found(stations);
    auto ride = [&](Trip const& trip, int32_t board, int32_t origin) {
      for (size_t j = static_cast<size_t>(board) + 1; j < trip.Stations.size(); ++j) {
        if (trip.Stations[j] == trip.Stations[static_cast<size_t>(board)]) continue;
        found[trip.Stations[j]][{origin, trip.Arrivals[j]}].insert(trip.Train);
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
        for (auto const& [journey, trains] : kept[static_cast<size_t>(k - 1)][s]) {
          DeparturesBetween(n, static_cast<uint16_t>(s), journey.second + n.MinChange,
                            journey.second + n.MaxWait, [&](Departure const& d) {
                              Trip const& trip = n.Trips[static_cast<size_t>(d.Trip)];
                              // Not back onto the train it came by (when
                              // that was its only way here).
                              if (trains.size() == 1 && *trains.begin() == trip.Train) return;
                              ride(trip, d.Stop, journey.first);
                            });
        }
      }
    }
    for (size_t s = 0; s < stations; ++s) {
      if (s == q.From) continue;
      for (auto const& [journey, trains] : found[s]) {
        bool beaten = false;
        for (int32_t j = 0; j < k && !beaten; ++j)
          for (auto const& [other, ignored] : kept[static_cast<size_t>(j)][s])
            if (Beats(other, journey)) beaten = true;
        if (k > 0 && s == q.To)
          for (auto const& a : answer)
            if (a.Departure >= journey.first && a.Arrival <= journey.second) beaten = true;
        for (auto const& [other, ignored] : found[s])
          if (other != journey && Beats(other, journey)) beaten = true;
        if (s == q.To) {
          // Every direct trip counts; later rounds only what beats the
          // journeys found so far.
          if (k == 0 || !beaten) answer.insert({journey.first, journey.second, k + 1});
          continue;
        }
        if (!beaten) kept[static_cast<size_t>(k)][s][journey] = trains;
      }
    }
  }
  const int32_t lastDeparture = q.WindowTime + q.Interval;
  for (auto it = answer.begin(); it != answer.end();)
    it = it->Departure > lastDeparture ? answer.erase(it) : std::next(it);
  return answer;
}

int32_t ReferenceEarliestArrival(w::TimetableModel const& m, RouterQuery const& q, int32_t first,
                                 int32_t last, int32_t* departure) {
  Network n = Build(m, q);
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
          DeparturesBetween(n, s, trip.Arrivals[j] + n.MinChange, trip.Arrivals[j] + n.MaxWait,
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
