#include "map/gis_points.h"

#include <algorithm>
#include <cmath>

#include "load/loaded_set.h"
#include "map/gis_records.h"

namespace qo {
namespace {

const RecordArray* StationTable(GisData const& gis) {
  if (gis.Layers[2].empty()) return nullptr;
  return &gis.Layers[2][0].Points;
}

// floor(sqrt(n)) of a sum of two squares of 33-bit differences, which
// needs 66 bits.
int64_t WholeDistance(int64_t dx, int64_t dy) {
  using u128 = unsigned __int128;
  const auto ax = static_cast<uint64_t>(dx < 0 ? -dx : dx);
  const auto ay = static_cast<uint64_t>(dy < 0 ? -dy : dy);
  const u128 n = static_cast<u128>(ax) * ax + static_cast<u128>(ay) * ay;
  auto r = static_cast<uint64_t>(std::sqrt(static_cast<double>(n)));
  while (static_cast<u128>(r) * r > n) --r;
  while (static_cast<u128>(r + 1) * (r + 1) <= n) ++r;
  return static_cast<int64_t>(r);
}

bool Nearer(CircleStation const& a, CircleStation const& b) {
  if (a.Distance != b.Distance) return a.Distance < b.Distance;
  if (a.Timetable != b.Timetable) return a.Timetable < b.Timetable;
  return a.Station < b.Station;
}

}  // namespace

bool GisStationPoint(TimetableRecord const& t, int32_t station, int32_t* x, int32_t* y) {
  if (!t.Gis || station < 0 || static_cast<size_t>(station) >= t.Gis->StationPoint.size())
    return false;
  int32_t position = t.Gis->StationPoint[static_cast<size_t>(station)];
  const RecordArray* table = StationTable(*t.Gis);
  if (position <= 0 || !table || position > table->size()) return false;
  const GisPointOut point = GisPointAt(*table, position - 1);
  *x = point.X;
  *y = point.Y;
  return true;
}

bool GisKeyPoint(TimetableRecord const& t, int32_t key, int32_t* x, int32_t* y) {
  if (!t.Gis || key == -1) return false;
  const RecordArray* table = StationTable(*t.Gis);
  if (!table) return false;
  for (int32_t p = 0; p < table->size(); ++p) {
    const GisPointOut point = GisPointAt(*table, p);
    if (point.Station != key) continue;
    *x = point.X;
    *y = point.Y;
    return true;
  }
  return false;
}

void StationsInCircle(CircleQuery const& q, std::vector<CircleStation>& work,
                      std::vector<CircleStation>& out) {
  work.clear();
  out.clear();
  const int64_t qx = q.X;
  const int64_t qy = -std::llabs(static_cast<int64_t>(q.Y));
  const int count = LoadedCount();
  for (int ti = 0; ti < count; ++ti) {
    if (q.Selection && q.Selection[ti] == 0) continue;
    TimetableRecord const* t = TimetableAt(ti);
    if (!t || !t->Gis) continue;
    const RecordArray* table = StationTable(*t->Gis);
    if (!table) continue;
    const std::vector<int32_t>& index = t->Gis->StationPoint;
    for (size_t s = 0; s < index.size(); ++s) {
      int32_t position = index[s];
      if (position <= 0 || position > table->size()) continue;
      const GisPointOut point = GisPointAt(*table, position - 1);
      int64_t d = WholeDistance(point.X - qx, point.Y - qy);
      if (q.Radius != 0 && d > q.Radius) continue;
      work.push_back({d, ti, static_cast<int32_t>(s)});
    }
  }
  size_t take = std::min(work.size(), static_cast<size_t>(std::max(q.Capacity, 0)));
  std::partial_sort(work.begin(), work.begin() + static_cast<std::ptrdiff_t>(take), work.end(),
                    Nearer);
  for (size_t i = 0; i < take; ++i) {
    if (static_cast<int32_t>(i) >= q.MinimumCount && work[i].Distance > q.SoftLimit) break;
    out.push_back(work[i]);
  }
}

}  // namespace qo
