#include "map/qmap_network.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "map/qmap_coors.h"
#include "map/qmap_geometry.h"
#include "stations/station_access.h"

namespace qo {
namespace {

constexpr int32_t kValidFrom = 4;

double Distance(QMapPoint a, QMapPoint b) { return std::hypot(a.x - b.x, a.y - b.y); }

QMapPoint NodeAt(QMapData const& q, int32_t n) { return QMapPointAt(q.Nodes, n); }

bool IsPathNode(QMapData const& q, int32_t n) { return q.NodeCoor[n] < 0; }

// Where the point enters the network: on the edge from node `a` to `b`.
struct Entry {
  int32_t a = -1, b = -1;
  QMapPoint at;
};

// The path edge nearest to the point, from a path node within the box. A
// foot of a perpendicular and an end of an edge compete; the end wins a
// tie, so that a point beside a bend enters at the bend. The nodes are
// taken in their order, those the grid finds near the point or else all.
bool NearestEdge(QMapData const& q, QMapEntry const& e, Entry* out) {
  const QMapPoint p{e.x, e.y};
  double projectionBest = e.edgeLimit, vertexBest = e.edgeLimit;
  double projectionFound = -1;
  bool vertexFound = false;
  Entry projection, vertex;
  auto offer = [&](int32_t a) {
    if (!IsPathNode(q, a)) return;
    const QMapPoint pa = NodeAt(q, a);
    if (std::fabs(pa.x - p.x) + std::fabs(pa.y - p.y) >= e.boxHalf) return;
    for (int32_t k = q.EdgeIndex[a]; k < q.EdgeIndex[a + 1]; ++k) {
      const int32_t b = q.EdgeTargets[k];
      if (b == a || !IsPathNode(q, b)) continue;
      const QMapPoint pb = NodeAt(q, b);
      QMapPoint foot;
      if (SegmentFoot(pa, pb, p, &foot)) {
        const double d = Distance(foot, p);
        if (d < projectionBest) {
          projectionBest = projectionFound = d;
          projection = {a, b, foot};
        }
      }
      const double da = Distance(pa, p), db = Distance(pb, p);
      const double d = std::min(da, db);
      if (d < vertexBest) {
        vertexBest = d;
        vertexFound = true;
        vertex = {a, b, da <= db ? pa : pb};
        projectionBest = std::min(projectionBest, d);
      }
    }
  };
  static std::vector<int32_t> near;
  if (QMapNodesNear(q.NodeGrid, e.x, e.y, e.boxHalf, near)) {
    for (int32_t a : near) offer(a);
  } else {
    for (int32_t a = 0; a < q.Nodes.size(); ++a) offer(a);
  }
  if (vertexFound && (projectionFound < 0 || vertexBest <= projectionFound)) {
    *out = vertex;
    return true;
  }
  if (projectionFound < 0) return false;
  *out = projection;
  return true;
}

// Network distances from an entry, kept between calls so that a query
// allocates nothing once the arrays have the network's size. Only the
// nodes a run touched are reset.
class Distances {
 public:
  // With a target, labels that can no longer shorten the way to it are
  // dropped, so that a path query does not walk the whole network.
  void Run(QMapData const& q, Entry const& entry, double d0, int64_t bound, int32_t target = -1) {
    target_ = target;
    const auto nodes = static_cast<size_t>(q.Nodes.size());
    if (distance_.size() < nodes) {
      distance_.resize(nodes, INT32_MAX);
      predecessor_.resize(nodes, -1);
      queued_.resize(nodes, 0);
      ring_.resize(nodes);
    }
    for (int32_t n : touched_) {
      distance_[static_cast<size_t>(n)] = INT32_MAX;
      predecessor_[static_cast<size_t>(n)] = -1;
      queued_[static_cast<size_t>(n)] = 0;
    }
    touched_.clear();
    reachedStations_.clear();
    head_ = 0;
    count_ = 0;
    for (int32_t n : {entry.a, entry.b}) {
      const double start = std::round(Distance(entry.at, NodeAt(q, n))) + d0;
      // Far-off or broken coordinates give no integer distance: such a
      // node is beyond every bound.
      if (!(start >= 0 && start <= static_cast<double>(bound))) continue;
      Relax(q, n, -1, static_cast<int64_t>(start), bound);
    }
    while (count_ > 0) {
      const int32_t n = ring_[head_];
      head_ = (head_ + 1) % ring_.size();
      --count_;
      queued_[static_cast<size_t>(n)] = 2;  // seen, out of the list
      const int64_t base = distance_[static_cast<size_t>(n)];
      // A negative length is no length a path can have; skipping it also
      // keeps a damaged network from looping.
      for (int32_t k = q.EdgeIndex[n]; k < q.EdgeIndex[n + 1]; ++k)
        if (q.EdgeLengths[k] >= 0) Relax(q, q.EdgeTargets[k], n, base + q.EdgeLengths[k], bound);
    }
  }

  int32_t DistanceOf(int32_t n) const { return distance_[static_cast<size_t>(n)]; }
  int32_t PredecessorOf(int32_t n) const { return predecessor_[static_cast<size_t>(n)]; }
  std::vector<int32_t> const& ReachedStations() const { return reachedStations_; }

 private:
  void Relax(QMapData const& q, int32_t n, int32_t from, int64_t d, int64_t bound) {
    if (d > bound || d < 0 || d >= distance_[static_cast<size_t>(n)]) return;
    if (target_ >= 0 && d >= distance_[static_cast<size_t>(target_)]) return;
    const bool first = distance_[static_cast<size_t>(n)] == INT32_MAX;
    if (first) touched_.push_back(n);
    distance_[static_cast<size_t>(n)] = static_cast<int32_t>(d);
    predecessor_[static_cast<size_t>(n)] = from;
    if (!IsPathNode(q, n)) {
      // A station ends the path: reached, not gone through.
      if (first) reachedStations_.push_back(n);
      return;
    }
    uint8_t& state = queued_[static_cast<size_t>(n)];
    if (state == 1) return;
    // A node seen before goes to the head of the list, a new one to its
    // tail.
    if (state == 2) {
      head_ = (head_ + ring_.size() - 1) % ring_.size();
      ring_[head_] = n;
    } else {
      ring_[(head_ + count_) % ring_.size()] = n;
    }
    ++count_;
    state = 1;
  }

  std::vector<int32_t> distance_, predecessor_, touched_, reachedStations_, ring_;
  std::vector<uint8_t> queued_;  // 0 never, 1 in the list, 2 seen
  size_t head_ = 0, count_ = 0;
  int32_t target_ = -1;
};

Distances& Work() {
  static Distances work;
  return work;
}

int32_t CoorKey(QMapData const& q, int32_t r) { return q.Coors.Field<int32_t>(r, 0); }

// Whether record r holds on the date: from its day on, and until the day
// of the newer record of its key before it.
bool ValidOn(QMapData const& q, int32_t r, int32_t date) {
  if (date < q.Coors.Field<int32_t>(r, kValidFrom)) return false;
  if (r == 0 || CoorKey(q, r - 1) != CoorKey(q, r)) return true;
  return date < q.Coors.Field<int32_t>(r - 1, kValidFrom);
}

}  // namespace

void QMapNearStations(TimetableRecord const& t, QMapData const& q, QMapEntry const& entry,
                      int32_t date, double reach, int maxCount, bool oneGroup,
                      std::vector<QMapNearStation>& out) {
  out.clear();
  Entry at;
  if (!NearestEdge(q, entry, &at)) return;
  const double d0 = Distance(at.at, {entry.x, entry.y});
  // Written so that a reach or a point that is not a number finds nothing.
  if (!(d0 <= reach)) return;
  Distances& work = Work();
  work.Run(q, at, d0, static_cast<int64_t>(std::min(reach, double{INT32_MAX})));

  static std::vector<int32_t> reached;
  reached = work.ReachedStations();
  std::sort(reached.begin(), reached.end(), [&](int32_t a, int32_t b) {
    const int32_t da = work.DistanceOf(a), db = work.DistanceOf(b);
    return da != db ? da < db : q.NodeCoor[a] < q.NodeCoor[b];
  });
  const size_t limit = maxCount < 1 ? 10 : maxCount > 1000 ? 1000 : static_cast<size_t>(maxCount);
  int32_t lastKey = 0, group = 0;
  for (int32_t n : reached) {
    if (out.size() >= limit) break;
    const int32_t r = q.NodeCoor[n];
    if (!ValidOn(q, r, date)) continue;
    const int32_t key = CoorKey(q, r);
    if (!out.empty() && key == lastKey) continue;
    if (oneGroup && !out.empty() && key / 10000 != group) continue;
    const int32_t station = SearchStationKey(t, key);
    if (station < 0) continue;
    if (out.empty()) group = key / 10000;
    lastKey = key;
    out.push_back({station, work.DistanceOf(n)});
  }
}

bool QMapStationPath(QMapData const& q, QMapEntry const& entry, int32_t station, int32_t date,
                     std::vector<double>& x, std::vector<double>& y, int32_t* distance) {
  x.clear();
  y.clear();
  *distance = 0;
  const int32_t r = QMapCoorRecord(q, station, date);
  if (r < 0) return false;
  const int32_t target = q.CoorNode[static_cast<size_t>(r)];
  if (target < 0) return false;
  Entry at;
  if (!NearestEdge(q, entry, &at)) return false;
  Distances& work = Work();
  work.Run(q, at, Distance(at.at, {entry.x, entry.y}), INT32_MAX, target);
  if (work.DistanceOf(target) == INT32_MAX) return false;

  static std::vector<int32_t> chain;
  chain.clear();
  for (int32_t n = target; n >= 0 && chain.size() <= static_cast<size_t>(q.Nodes.size());
       n = work.PredecessorOf(n))
    chain.push_back(n);
  x.reserve(chain.size() + 1);
  y.reserve(chain.size() + 1);
  x.push_back(at.at.x);
  y.push_back(at.at.y);
  for (auto n = chain.rbegin(); n != chain.rend(); ++n) {
    const QMapPoint p = NodeAt(q, *n);
    x.push_back(p.x);
    y.push_back(p.y);
  }
  *distance = work.DistanceOf(target);
  return true;
}

}  // namespace qo
