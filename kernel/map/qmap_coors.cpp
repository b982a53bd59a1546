#include "map/qmap_coors.h"

#include "format/qmap_layout.h"

namespace qo {
namespace {

constexpr int32_t kValidFrom = 4;
constexpr int32_t kX = 8;
constexpr int32_t kY = 16;

}  // namespace

int32_t QMapCoorRecord(QMapData const& q, int32_t station, int32_t date) {
  if (station < 0 || static_cast<size_t>(station) >= q.StationCoor.size()) return -1;
  int32_t r = q.StationCoor[static_cast<size_t>(station)] - 1;
  if (r < 0) return -1;
  // The station's records stand newest first; the walk never leaves them,
  // so a date before all of them ends at the oldest.
  const int32_t rows = q.Coors.size();
  while (r + 1 < rows && q.CoorStation[static_cast<size_t>(r) + 1] == station &&
         date < q.Coors.Field<int32_t>(r, kValidFrom))
    ++r;
  return r;
}

bool QMapCoor(QMapData const& q, int32_t station, int32_t date, double* x, double* y) {
  *x = 0;
  *y = 0;
  int32_t r = QMapCoorRecord(q, station, date);
  if (r < 0) return false;
  *x = q.Coors.Field<double>(r, kX);
  *y = q.Coors.Field<double>(r, kY);
  return true;
}

bool QMapArcPolylines(QMapData const& q, int32_t arc, int32_t* first, int32_t* count) {
  *first = 0;
  *count = 0;
  if (arc < 0 || arc + 1 >= q.Arcs.size()) return false;
  // Checked at load: the references are monotone and inside the table.
  *first = q.Arcs.Field<int32_t>(arc, 10);
  *count = q.Arcs.Field<int32_t>(arc + 1, 10) - *first;
  return true;
}

int32_t QMapPolylinePoints(QMapData const& q, int32_t polyline) {
  if (polyline < 0 || static_cast<size_t>(polyline) >= q.Polylines.size()) return -1;
  return q.Polylines[static_cast<size_t>(polyline)].size();
}

bool QMapJoinPolylines(QMapData const& q, const int32_t* polylines, int32_t count,
                       std::vector<double>& x, std::vector<double>& y) {
  size_t total = 0;
  for (int32_t i = 0; i < count; ++i) {
    int32_t n = QMapPolylinePoints(q, polylines[i]);
    if (n < 0) return false;
    total += static_cast<size_t>(n);
  }
  x.clear();
  y.clear();
  x.reserve(total);
  y.reserve(total);
  for (int32_t i = 0; i < count; ++i) {
    RecordArray const& line = q.Polylines[static_cast<size_t>(polylines[i])];
    for (int32_t p = (i == 0 ? 0 : 1); p < line.size(); ++p) {
      const QMapPoint point = QMapPointAt(line, p);
      x.push_back(point.x);
      y.push_back(point.y);
    }
  }
  return true;
}

}  // namespace qo
