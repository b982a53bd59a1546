#include "map/qmap_stations.h"

#include <cmath>

#include "core/byte_order.h"
#include "map/qmap_coors.h"
#include "map/qmap_geometry.h"
#include "virtlists/virt_lists.h"

namespace qo {
namespace {

// The stations of an item (list -1: the station `item` itself).
int32_t StationsOfItem(TimetableRecord const& t, int list, int32_t item, uint8_t const** first,
                       uint16_t* single) {
  if (list < 0) {
    if (item < 0 || static_cast<uint32_t>(item) >= t.StationCount) return 0;
    *single = static_cast<uint16_t>(item);
    *first = nullptr;
    return 1;
  }
  VirtListRecord const* l = ListAt(t, list);
  if (!l || item < 0 || item >= CandidateCount(t, list)) return 0;
  uint8_t const* bytes = nullptr;
  return ItemStations(*l, item, first, &bytes);
}

int32_t StationAt(uint8_t const* first, uint16_t single, int32_t i) {
  return first ? LoadLE<uint16_t>(first + 2 * static_cast<size_t>(i)) : single;
}

}  // namespace

void QMapStationsInRect(TimetableRecord const& t, QMapData const& q, QMapRect const& rect,
                        int32_t date, QMapPlaces& out) {
  out.Clear();
  for (uint32_t s = 0; s < t.StationCount; ++s) {
    if (q.StationCoor[s] == 0) continue;
    double x, y;
    QMapCoor(q, static_cast<int32_t>(s), date, &x, &y);
    if (rect.Holds(x, y)) out.Add(static_cast<int32_t>(s), x, y);
  }
}

void QMapItemCoors(TimetableRecord const& t, QMapData const& q, int list, int32_t item,
                   int32_t date, bool keepMissing, QMapPlaces& out) {
  out.Clear();
  uint8_t const* first = nullptr;
  uint16_t single = 0;
  const int32_t n = StationsOfItem(t, list, item, &first, &single);
  for (int32_t i = 0; i < n; ++i) {
    const int32_t station = StationAt(first, single, i);
    double x, y;
    QMapCoor(q, station, date, &x, &y);
    if (keepMissing || (x != 0 && y != 0)) out.Add(station, x, y);
  }
}

int QMapItemsInRect(TimetableRecord const& t, QMapData const& q, QMapRect const& rect, int32_t date,
                    QMapPlaces& out) {
  out.Clear();
  const int list = StationsExtVirtList(t);
  if (list < 0) return -1;
  const int32_t items = CandidateCount(t, list);
  for (int32_t item = 0; item < items; ++item) {
    uint8_t const* first = nullptr;
    uint16_t single = 0;
    const int32_t n = StationsOfItem(t, list, item, &first, &single);
    double sumX = 0, sumY = 0;
    int inside = 0;
    for (int32_t i = 0; i < n; ++i) {
      double x, y;
      if (!QMapCoor(q, StationAt(first, single, i), date, &x, &y) || !rect.Holds(x, y)) continue;
      sumX += x;
      sumY += y;
      ++inside;
    }
    if (inside > 0) out.Add(item, sumX / inside, sumY / inside);
  }
  return list;
}

int32_t QMapMissingStation(TimetableRecord const& t, QMapData const& q, int32_t start) {
  for (int64_t s = start < -1 ? 0 : int64_t{start} + 1; s < t.StationCount; ++s)
    if (q.StationCoor[static_cast<size_t>(s)] == 0) return static_cast<int32_t>(s);
  return -1;
}

namespace {

double Distance2(QMapPoint a, QMapPoint b) {
  return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

// The best point of the arc's course for one target point: where it lies,
// its squared distance (-1: none yet).
struct Nearest {
  double distance = -1;
  int32_t ref = 0;      // position among the arc's polyline references
  int32_t segment = 0;  // segment within that polyline
  QMapPoint at;
  void Offer(double d, int32_t r, int32_t s, QMapPoint p) {
    if (distance >= 0 && d >= distance) return;
    distance = d;
    ref = r;
    segment = s;
    at = p;
  }
};

// Searches the segments at or after (fromRef, fromSegment): the foot of a
// perpendicular first, then the nearer end of a segment.
void FindNearest(QMapData const& q, int32_t firstRef, int32_t refs, QMapPoint p, int32_t fromRef,
                 int32_t fromSegment, Nearest& best) {
  for (int mode = 0; mode < 2; ++mode) {
    for (int32_t r = fromRef; r < refs; ++r) {
      RecordArray const& line = q.Polylines[static_cast<size_t>(q.PolylineRefs[firstRef + r])];
      for (int32_t s = (r == fromRef ? fromSegment : 0); s + 1 < line.size(); ++s) {
        const QMapPoint a = QMapPointAt(line, s), b = QMapPointAt(line, s + 1);
        if (mode == 0) {
          QMapPoint foot;
          if (SegmentFoot(a, b, p, &foot)) best.Offer(Distance2(foot, p), r, s, foot);
        } else {
          const double da = Distance2(a, p), db = Distance2(b, p);
          if (da <= db) {
            best.Offer(da, r, s, a);
          } else {
            best.Offer(db, r, s, b);
          }
        }
      }
    }
  }
}

}  // namespace

bool QMapArcCourse(QMapData const& q, int32_t arc, double x1, double y1, double x2, double y2,
                   std::vector<double>& x, std::vector<double>& y) {
  x.clear();
  y.clear();
  int32_t firstRef = 0, refs = 0;
  if (!QMapArcPolylines(q, arc, &firstRef, &refs)) return false;
  Nearest start, end;
  FindNearest(q, firstRef, refs, {x1, y1}, 0, 0, start);
  if (start.distance < 0) return true;  // no segment
  FindNearest(q, firstRef, refs, {x2, y2}, start.ref, start.segment, end);

  size_t total = 0;
  for (int32_t r = start.ref; r <= end.ref; ++r)
    total +=
        static_cast<size_t>(q.Polylines[static_cast<size_t>(q.PolylineRefs[firstRef + r])].size());
  x.reserve(total);
  y.reserve(total);
  auto append = [&](QMapPoint p) {
    if (!x.empty() && x.back() == p.x && y.back() == p.y) return;
    x.push_back(p.x);
    y.push_back(p.y);
  };
  for (int32_t r = start.ref; r <= end.ref; ++r) {
    RecordArray const& line = q.Polylines[static_cast<size_t>(q.PolylineRefs[firstRef + r])];
    const int32_t from = r == start.ref ? start.segment : 0;
    const int32_t to = r == end.ref ? end.segment : line.size() - 2;
    for (int32_t s = from; s <= to; ++s) {
      const bool first = r == start.ref && s == start.segment;
      const bool last = r == end.ref && s == end.segment;
      append(first ? start.at : QMapPointAt(line, s));
      append(last ? end.at : QMapPointAt(line, s + 1));
    }
  }
  return true;
}

}  // namespace qo
