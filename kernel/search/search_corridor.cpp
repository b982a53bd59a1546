#include "search/search_corridor.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <queue>
#include <vector>

#include "calendars/day_type_state.h"
#include "format/stored_bits.h"
#include "links/station_links.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "map/gis_points.h"
#include "search/search_params.h"
#include "search/search_state.h"

namespace qo {
namespace {

constexpr int32_t kUnknown = INT32_MAX;
constexpr int32_t kMinimumDetour = 8000;
// Once the other side is reached, the search goes this far beyond the
// detour, so that the other side's stations all get a distance.
constexpr int32_t kSearchMargin = 10000;
// Longer walks are a change of place, not a way along the graph.
constexpr int32_t kLongestWalk = 29;

bool TakesPart(TimetableRecord const& t) { return DayTypesOf(t).Filter.TypeMask != kIncludeNone; }

int32_t SetNumber(TimetableRecord const& t, int32_t station) {
  std::vector<int32_t> const& numbers = t.SetWide.SetStationNumbers;
  if (station < 0 || static_cast<size_t>(station) >= numbers.size()) return -1;
  return numbers[static_cast<size_t>(station)];
}

// The points of the request in order: From, every via point, To.
std::vector<StationSet const*> RequestPoints(SearchRun const& run) {
  std::vector<StationSet const*> points = {&run.Request.From};
  for (int k = 0; k < run.Request.ViaCount; ++k)
    points.push_back(&run.Request.Via[static_cast<size_t>(k)]);
  points.push_back(&run.Request.To);
  return points;
}

// Shortest distances over the station graph of the taking-part timetables
// from every station of one side (Dijkstra on set-wide station numbers).
// Once the nearest station of the other side is reached, nothing beyond
// that distance plus its detour and a margin is kept.
class DistanceSearch {
 public:
  void Run(StationSet const& from, StationSet const& to, std::vector<int32_t>& dist) {
    SetIndex const& index = LoadedSetIndex();
    const size_t n = index.StationTimetable.size();
    dist.assign(n, kUnknown);
    target_.assign(n, 0);
    touched_.clear();
    limit_ = kUnknown;
    for (SearchStation const& s : to)
      if (s.timetable && s.station >= 0) {
        const int32_t g = SetNumber(*s.timetable, s.station);
        if (g >= 0 && static_cast<size_t>(g) < n) target_[static_cast<size_t>(g)] = 1;
      }
    for (SearchStation const& s : from)
      if (s.timetable && s.station >= 0 && TakesPart(*s.timetable))
        Reach(dist, SetNumber(*s.timetable, s.station), 0);

    while (!heap_.empty()) {
      const auto [d, g] = heap_.top();
      heap_.pop();
      if (d != dist[static_cast<size_t>(g)]) continue;
      if (d > limit_) break;
      if (target_[static_cast<size_t>(g)] && limit_ == kUnknown)
        limit_ = d + AllowedDetour(d) + kSearchMargin;
      Relax(dist, g, d);
    }
    heap_ = {};
    for (int32_t g : touched_)
      if (dist[static_cast<size_t>(g)] > limit_) dist[static_cast<size_t>(g)] = kUnknown;
  }

 private:
  void Reach(std::vector<int32_t>& dist, int32_t g, int64_t d) {
    if (g < 0 || static_cast<size_t>(g) >= dist.size() || d > limit_) return;
    int32_t& known = dist[static_cast<size_t>(g)];
    if (d >= known) return;
    if (known == kUnknown) touched_.push_back(g);
    known = static_cast<int32_t>(d);
    heap_.push({known, g});
  }

  void Relax(std::vector<int32_t>& dist, int32_t g, int32_t d) {
    SetIndex const& index = LoadedSetIndex();
    const int tt = index.StationTimetable[static_cast<size_t>(g)];
    const uint16_t station = index.StationIndex[static_cast<size_t>(g)];
    TimetableRecord const* t = TimetableAt(tt);
    if (!t || station >= t->StationCount) return;

    const bool arcs = t->ArcOffsets.size() == static_cast<int32_t>(t->StationCount) + 1 &&
                      t->ArcLengths.size() == t->ArcStations.size();
    const int32_t first = arcs ? t->ArcOffsets[station] : 0;
    const int32_t end = arcs ? std::min(t->ArcOffsets[station + 1], t->ArcStations.size()) : 0;
    for (int32_t arc = first; arc < end; ++arc) {
      const int32_t length = t->ArcLengths[arc];
      if (length >= 0) Reach(dist, SetNumber(*t, t->ArcStations[arc]), int64_t{d} + length);
    }

    // The same station in the other timetables of its merge group.
    std::vector<int32_t> const& ring = index.MergedStationRing;
    int32_t at = static_cast<size_t>(g) < ring.size() ? ring[static_cast<size_t>(g)] : -1;
    for (size_t steps = 0; at >= 0 && at != g && steps < ring.size(); ++steps) {
      if (static_cast<size_t>(at) >= ring.size()) break;
      TimetableRecord const* other = TimetableAt(index.StationTimetable[static_cast<size_t>(at)]);
      if (other && TakesPart(*other)) Reach(dist, at, d);
      at = ring[static_cast<size_t>(at)];
    }

    const InternLinkRange walks = InternLinks(*t, station, false);
    for (int32_t i = 0; i < walks.count; ++i) {
      const int32_t minutes = walks.Minutes(i);
      const uint16_t target = walks.Target(i);
      if (minutes < 0 || minutes > kLongestWalk) continue;
      bool byArc = false;
      for (int32_t arc = first; arc < end && !byArc; ++arc) byArc = t->ArcStations[arc] == target;
      if (!byArc) Reach(dist, SetNumber(*t, target), d);
    }

    ExternLinks(*t, station, links_);
    for (size_t i = 0; i < links_.stations.size(); ++i) {
      TimetableRecord const* other = TimetableAt(links_.timetables[i]);
      if (other && TakesPart(*other)) Reach(dist, SetNumber(*other, links_.stations[i]), d);
    }
  }

  using Entry = std::pair<int32_t, int32_t>;  // distance, set-wide station
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> heap_;
  std::vector<uint8_t> target_;
  std::vector<int32_t> touched_;
  ExternLinkList links_;
  int32_t limit_ = kUnknown;
};

// One leg of the request: from the stations of `a` to those of `b`.
bool CorridorLeg(StationSet const& a, StationSet const& b, bool changesAllowed, int32_t* shortest) {
  static DistanceSearch search;
  static std::vector<int32_t> fromA, toB;
  search.Run(a, b, fromA);
  search.Run(b, a, toB);
  int32_t way = kUnknown;
  for (SearchStation const& s : b)
    if (s.timetable && s.station >= 0) {
      const int32_t g = SetNumber(*s.timetable, s.station);
      if (g >= 0 && static_cast<size_t>(g) < fromA.size())
        way = std::min(way, fromA[static_cast<size_t>(g)]);
    }
  if (way == kUnknown) return false;
  const int64_t allowed = int64_t{way} + AllowedDetour(way);

  for (TimetableRecord* t : LoadedSet()) {
    if (!TakesPart(*t)) continue;
    SearchMarks& marks = SearchStateOf(*t).Marks;
    for (uint32_t s = 0; s < t->StationCount; ++s) {
      const int32_t g = SetNumber(*t, static_cast<int32_t>(s));
      if (g < 0 || static_cast<size_t>(g) >= fromA.size()) continue;
      const int32_t v = fromA[static_cast<size_t>(g)];
      const int32_t u = toB[static_cast<size_t>(g)];
      if (v == kUnknown || u == kUnknown) continue;
      if (int64_t{v} + u <= allowed && s < marks.Allowed.size()) marks.Allowed[s] = 1;
      if (!changesAllowed || s >= marks.Alighting.size()) continue;
      int16_t& word = marks.Alighting[s];
      if (word == 1) continue;
      const bool stops =
          t->StationTypes.empty() || (t->StationTypes[static_cast<int32_t>(s)] & kStationStop) != 0;
      if (word != 0 || stops) word = 1;
    }
  }
  *shortest += way;
  return true;
}

double Distance(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  const double dx = static_cast<double>(x1) - x2;
  const double dy = static_cast<double>(y1) - y2;
  return std::sqrt(dx * dx + dy * dy);
}

// Short ways get a wider margin for the bends of the lines.
double Widened(double g) {
  if (g <= 150) return g + 100;
  if (g <= 300) return g + 120;
  if (g <= 900) return g + 150;
  if (g <= 1200) return g + 200;
  if (g <= 1500) return g + 300;
  return g + 400;
}

bool FirstPoint(StationSet const& set, int32_t* x, int32_t* y) {
  for (SearchStation const& s : set)
    if (s.timetable && s.station >= 0) return GisStationPoint(*s.timetable, s.station, x, y);
  return false;
}

}  // namespace

int32_t AllowedDetour(int32_t metres) {
  ConnParms const& p = CurrentSearchSettings().Parms;
  if (p.DeltaMaxType == 2) return p.DeltaMaxMetres;
  if (p.DeltaMaxType != 1 || p.DeltaMaxPercent <= 0) return 0;
  const int64_t part = int64_t{metres} * p.DeltaMaxPercent / 100;
  return static_cast<int32_t>(
      std::min<int64_t>(std::max<int64_t>(part, kMinimumDetour), INT32_MAX / 4));
}

bool BuildDistanceCorridor(SearchRun const& run, int32_t* shortest) {
  *shortest = 0;
  std::vector<StationSet const*> const points = RequestPoints(run);
  for (size_t k = 0; k + 1 < points.size(); ++k)
    if (!CorridorLeg(*points[k], *points[k + 1], run.Request.ChangesAllowed, shortest))
      return false;
  return true;
}

void RestrictByCoordinates(SearchRun const& run) {
  struct Ellipse {
    int32_t x1, y1, x2, y2;
    double size;
  };
  std::vector<Ellipse> legs;
  std::vector<StationSet const*> const points = RequestPoints(run);
  for (size_t k = 0; k + 1 < points.size(); ++k) {
    Ellipse e{};
    if (!FirstPoint(*points[k], &e.x1, &e.y1) || !FirstPoint(*points[k + 1], &e.x2, &e.y2)) return;
    e.size = Widened(Distance(e.x1, e.y1, e.x2, e.y2));
    legs.push_back(e);
  }
  for (TimetableRecord* t : LoadedSet()) {
    if (!TakesPart(*t) || !t->Gis) continue;
    std::vector<int16_t>& words = SearchStateOf(*t).Marks.Alighting;
    for (uint32_t s = 0; s < t->StationCount && s < words.size(); ++s) {
      int32_t x = 0, y = 0;
      if (words[s] == 0 || !GisStationPoint(*t, static_cast<int32_t>(s), &x, &y) || x == 0)
        continue;
      bool inside = false;
      for (Ellipse const& e : legs) {
        const double toStart = Distance(x, y, e.x1, e.y1);
        if (toStart <= e.size && toStart + Distance(x, y, e.x2, e.y2) <= e.size) inside = true;
      }
      words[s] = inside ? 1 : 0;
    }
  }
}

}  // namespace qo
