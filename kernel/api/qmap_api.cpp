// QMap exports: whether a timetable has QMap data, station coordinates by
// date, and the polylines of its arcs.
#include <cstdint>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "core/counted_array.h"
#include "dates/clock.h"
#include "map/qmap_coors.h"

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

}  // extern "C"
