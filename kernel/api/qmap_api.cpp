// QMap exports: whether a timetable has QMap data, station coordinates by
// date, the stations and list items on a stretch of the map, the polylines
// of its arcs, and the stations nearest to a point along the paths.
#include <cstdint>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "core/counted_array.h"
#include "dates/clock.h"
#include "map/qmap_coors.h"
#include "map/qmap_network.h"
#include "map/qmap_stations.h"
#include "virtlists/virt_lists.h"

using namespace qo;

namespace {

// The timetable's QMap data, or null with error 3 or 23.
QMapData* QMapOf(int timetable) {
  TimetableRecord* t = api::CheckTimetable(timetable);
  if (!t) return nullptr;
  if (!t->QMap) {
    SetKernelError(ErrNotSupported);
    return nullptr;
  }
  return t->QMap.get();
}

// The same, and the path network too.
QMapData* NetworkOf(int timetable) {
  QMapData* q = QMapOf(timetable);
  if (q && !HasQMapNetwork(*q)) {
    SetKernelError(ErrNotSupported);
    return nullptr;
  }
  return q;
}

int32_t DayOrToday(int date) { return date < 0 ? static_cast<int32_t>(GetToday()) : date; }

// Hands out stations (or items) with their coordinates; the count.
int Hand(QMapPlaces const& places, const int** stations, const double** x, const double** y) {
  const bool any = !places.stations.empty();
  if (stations) *stations = any ? places.stations.data() : nullptr;
  if (x) *x = any ? places.x.data() : nullptr;
  if (y) *y = any ? places.y.data() : nullptr;
  return static_cast<int>(places.stations.size());
}

}  // namespace

extern "C" {

QO_API int QoQMapAvail(int timetable) {
  return api::Export(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t && t->QMap ? 1 : 0;
  });
}

QO_API int QoQMapMissingCoor(int timetable, int station) {
  return api::GuardedExport(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    if (station < 0 || static_cast<uint32_t>(station) >= t->StationCount) {
      SetKernelError(ErrStationIndex);
      return 0;
    }
    if (!t->QMap) {
      SetKernelError(ErrNotSupported);
      return 0;
    }
    return QMapCoorRecord(*t->QMap, station, 0) < 0 ? 1 : 0;
  });
}

QO_API int QoQMapCoor(int timetable, const unsigned short* stations, int count, int date, double* x,
                      double* y) {
  return api::GuardedExport(0, [&] {
    QMapData* q = QMapOf(timetable);
    if (!q) return 0;
    if (count > 0 && (!stations || !x || !y)) {
      SetKernelError(ErrParameters);
      return 0;
    }
    int32_t day = date <= 0 ? static_cast<int32_t>(GetToday()) : date;
    for (int i = 0; i < count; ++i) QMapCoor(*q, stations[i], day, &x[i], &y[i]);
    return 1;
  });
}

QO_API const int* QoQMapArcPolyLinesQuick(int timetable, int arc, int* count) {
  return api::GuardedExport(static_cast<const int*>(nullptr), [&]() -> const int* {
    if (count) *count = 0;
    QMapData* q = QMapOf(timetable);
    if (!q) return nullptr;
    int32_t first = 0, n = 0;
    if (!QMapArcPolylines(*q, arc, &first, &n)) {
      SetKernelError(ErrIndexOutOfRange);
      return nullptr;
    }
    if (count) *count = n;
    const int* refs = api::AlignedIntArray(q->PolylineRefs, q->AlignedRefs);
    return refs ? refs + first : nullptr;
  });
}

QO_API void QoQMapPolyLineQuick(int timetable, int polyline, int* count) {
  api::GuardedExport(0, [&] {
    if (count) *count = 0;
    QMapData* q = QMapOf(timetable);
    if (!q) return 0;
    int32_t n = QMapPolylinePoints(*q, polyline);
    if (n < 0) {
      SetKernelError(ErrIndexOutOfRange);
      return 0;
    }
    if (count) *count = n;
    return 0;
  });
}

QO_API int QoQMapPolyLinesQuick(int timetable, const int* polylines, const double** x,
                                const double** y) {
  return api::GuardedExport(0, [&] {
    static std::vector<double> xs, ys;
    QMapData* q = QMapOf(timetable);
    if (!q) return 0;
    int32_t count = polylines ? GetArrayCount(polylines) : 0;
    static std::vector<double> joinedX, joinedY;
    if (!QMapJoinPolylines(*q, polylines, count, joinedX, joinedY)) {
      SetKernelError(ErrIndexOutOfRange);
      return 0;
    }
    // Fewer than two points make no line: the caller's arrays stay as
    // the last call left them.
    if (joinedX.size() < 2) return 0;
    xs.swap(joinedX);
    ys.swap(joinedY);
    if (x) *x = xs.data();
    if (y) *y = ys.data();
    return static_cast<int>(xs.size());
  });
}

QO_API int QoQMapVLItemCoor(int timetable, int list, int item, int date, int keep_missing,
                            const int** stations, const double** x, const double** y) {
  return api::GuardedExport(0, [&] {
    static QMapPlaces places;
    QMapData* q = QMapOf(timetable);
    if (!q) return 0;
    TimetableRecord const& t = *TimetableAt(timetable);
    if (list != -1 && !ListAt(t, list)) {
      SetKernelError(ErrVirtListIndex);
      return 0;
    }
    QMapItemCoors(t, *q, list, item, DayOrToday(date), keep_missing != 0, places);
    return Hand(places, stations, x, y);
  });
}

QO_API int QoQMapStations(int timetable, double min_x, double max_x, double min_y, double max_y,
                          int date, const int** stations, const double** x, const double** y) {
  return api::GuardedExport(0, [&] {
    static QMapPlaces places;
    QMapData* q = QMapOf(timetable);
    if (!q) return 0;
    QMapStationsInRect(*TimetableAt(timetable), *q, {min_x, max_x, min_y, max_y}, DayOrToday(date),
                       places);
    return Hand(places, stations, x, y);
  });
}

QO_API int QoQMapVLStations(int timetable, double min_x, double max_x, double min_y, double max_y,
                            int date, int* list, const int** items, const double** x,
                            const double** y) {
  return api::GuardedExport(0, [&] {
    static QMapPlaces places;
    if (list) *list = -1;
    QMapData* q = QMapOf(timetable);
    if (!q) return 0;
    const int found = QMapItemsInRect(*TimetableAt(timetable), *q, {min_x, max_x, min_y, max_y},
                                      DayOrToday(date), places);
    if (list) *list = found;
    return Hand(places, items, x, y);
  });
}

QO_API int QoQMapMissingStation(int timetable, int start) {
  return api::GuardedExport(-1, [&] {
    QMapData* q = NetworkOf(timetable);
    if (!q) return -1;
    return static_cast<int>(QMapMissingStation(*TimetableAt(timetable), *q, start));
  });
}

QO_API int QoQMapArcPointsQuick(int timetable, double x1, double y1, double x2, double y2, int arc,
                                const double** x, const double** y) {
  return api::GuardedExport(0, [&] {
    static std::vector<double> xs, ys;
    QMapData* q = QMapOf(timetable);
    if (!q) return 0;
    if (!QMapArcCourse(*q, arc, x1, y1, x2, y2, xs, ys)) {
      SetKernelError(ErrIndexOutOfRange);
      return 0;
    }
    if (x) *x = xs.empty() ? nullptr : xs.data();
    if (y) *y = ys.empty() ? nullptr : ys.data();
    return static_cast<int>(xs.size());
  });
}

QO_API int QoQMapShpNearStations(int timetable, double x, double y, int date, double reach,
                                 int max_count, const int** stations, const int** distances,
                                 int one_group, double edge_limit, double box_half) {
  return api::GuardedExport(0, [&] {
    static std::vector<QMapNearStation> near;
    static std::vector<int> stationOut, distanceOut;
    if (stations) *stations = nullptr;
    if (distances) *distances = nullptr;
    QMapData* q = NetworkOf(timetable);
    if (!q) return 0;
    QMapNearStations(*TimetableAt(timetable), *q, {x, y, edge_limit, box_half}, date, reach,
                     max_count, one_group != 0, near);
    stationOut.resize(near.size());
    distanceOut.resize(near.size());
    for (size_t i = 0; i < near.size(); ++i) {
      stationOut[i] = near[i].station;
      distanceOut[i] = near[i].distance;
    }
    if (stations) *stations = stationOut.data();
    if (distances) *distances = distanceOut.data();
    return static_cast<int>(near.size());
  });
}

QO_API int QoQMapShpNearStationPath(int timetable, double x, double y, int station, int date,
                                    const double** path_x, const double** path_y, int* distance,
                                    double edge_limit, double box_half) {
  return api::GuardedExport(0, [&] {
    static std::vector<double> xs, ys;
    if (distance) *distance = 0;
    QMapData* q = NetworkOf(timetable);
    if (!q) return 0;
    if (!api::CheckStation(*TimetableAt(timetable), station)) return 0;
    int32_t length = 0;
    if (!QMapStationPath(*q, {x, y, edge_limit, box_half}, station, date, xs, ys, &length))
      return 0;
    if (path_x) *path_x = xs.data();
    if (path_y) *path_y = ys.data();
    if (distance) *distance = length;
    return static_cast<int>(xs.size());
  });
}

}  // extern "C"
