#include "search/connection_cleanup.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "format/stored_bits.h"
#include "links/station_links.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "search/change_rules.h"
#include "search/connection_order.h"
#include "search/search_params.h"
#include "search/search_state.h"
#include "trains/train_info.h"

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

int CleanUpConnectionList(SearchRun& run, bool byDeparture) {
  ConnectionList& list = run.Found;
  RemoveDuplicateConnections(list);
  if (run.Request.ChangePoints.empty()) MoveAllChangeStations(list);
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

int CollectChangeStationSets(ConnectionList const& list) {
  std::vector<ChangeStationSet> kept;
  for (Connection const& c : list) {
    ChangeStationSet set = CollectChangeStations(c);
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
  return static_cast<int>(kept.size());
}

int32_t AverageConnectionDuration(ConnectionList const& list) {
  if (list.empty()) return 100000;
  int64_t sum = 0;
  for (Connection const& c : list)
    if (!c.empty()) sum += LegArrival(c.back()) - LegDeparture(c.front());
  return static_cast<int32_t>(sum / static_cast<int64_t>(list.size()));
}

bool IsBetterConnectionList(ConnectionList const& list, ConnectionList const& saved) {
  if (list.size() != saved.size()) return list.size() > saved.size();
  return AverageConnectionDuration(list) < AverageConnectionDuration(saved);
}

}  // namespace qo
