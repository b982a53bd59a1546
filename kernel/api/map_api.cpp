// GIS map exports: whether a timetable has its map, station points, the
// layers with their names and drawing styles, and the stations near a
// place.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "map/gis_layers.h"
#include "map/gis_points.h"
#include "map/gis_styles.h"

using namespace qo;

// The records cross the interface as the kernel builds them.
static_assert(sizeof(GISLAYER_REC) == sizeof(GisLayerOut));
static_assert(offsetof(GISLAYER_REC, points) == offsetof(GisLayerOut, Points));
static_assert(offsetof(GISLAYER_REC, further) == offsetof(GisLayerOut, Further));
static_assert(offsetof(GISLAYER_REC, font_face) == kLayerFontFace);
static_assert(offsetof(GISLAYER_REC, font_size) == kLayerFontSize);
static_assert(offsetof(GISLAYER_REC, brush_color) == kLayerBrushColor);
static_assert(sizeof(void*) != 8 || sizeof(GISLAYER_REC) == 192);
static_assert(sizeof(GISLABEL_REC) == sizeof(GisLabelOut));
static_assert(offsetof(GISLABEL_REC, angle) == offsetof(GisLabelOut, Angle));
static_assert(sizeof(GISPOINT_REC) == sizeof(GisPointOut));
static_assert(sizeof(GISFONT_REC) == sizeof(GisFont));

namespace {

constexpr size_t kLayerNameMax = 79;

const GisLayerOut& Layer(const GISLAYER_REC* layer) {
  return *reinterpret_cast<const GisLayerOut*>(layer);
}

void PutPoint(int* x, int* y, int32_t px, int32_t py) {
  if (x) *x = px;
  if (y) *y = py;
}

}  // namespace

extern "C" {

QO_API int QoExtMapAvail(int timetable) {
  return api::Export(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    return t && t->Gis ? 1 : 0;
  });
}

QO_API void QoExtMapGetStCoors(int timetable, int station, int* x, int* y) {
  api::Export(0, [&] {
    PutPoint(x, y, -1, -1);
    TimetableRecord* t = api::CheckTimetable(timetable);
    int32_t px, py;
    if (t && GisStationPoint(*t, station, &px, &py)) PutPoint(x, y, px, py);
    return 0;
  });
}

QO_API void QoExtMapGetKeyCoors(int timetable, int key, int* x, int* y) {
  api::Export(0, [&] {
    PutPoint(x, y, -1, -1);
    TimetableRecord* t = api::CheckTimetable(timetable);
    int32_t px, py;
    if (t && GisKeyPoint(*t, key, &px, &py)) PutPoint(x, y, px, py);
    return 0;
  });
}

QO_API int QoGetLayersGIS(int timetable, const GISLAYER_REC** layers1, const GISLAYER_REC** layers2,
                          const GISLAYER_REC** layers3) {
  return api::GuardedExport(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !t->Gis) return 0;
    GisClientLayers const& layers = ClientLayers(*t->Gis);
    const GISLAYER_REC** outs[] = {layers1, layers2, layers3};
    for (size_t k = 0; k < 3; ++k)
      if (outs[k]) *outs[k] = reinterpret_cast<const GISLAYER_REC*>(layers.LayerArrays[k].get());
    return 1;
  });
}

QO_API const char* QoGetLayerNameGIS(int timetable, const GISLAYER_REC* layer) {
  return api::GuardedExport(static_cast<const char*>(nullptr), [&]() -> const char* {
    static std::vector<char> buffer;
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return nullptr;
    if (!layer) {
      SetKernelError(ErrParameters);
      return nullptr;
    }
    std::string_view name = t->Gis ? GisLayerName(*t->Gis, layer->name) : std::string_view();
    return api::ConvertOut(name.substr(0, kLayerNameMax), buffer);
  });
}

QO_API GISPEN_REC QoGetPenGIS(const GISLAYER_REC* layer) {
  return api::GuardedExport(GISPEN_REC{}, [&] {
    if (!layer) {
      SetKernelError(ErrParameters);
      return GISPEN_REC{};
    }
    GisPen pen = LayerPen(Layer(layer));
    return GISPEN_REC{pen.Style, pen.Width, pen.Color};
  });
}

QO_API GISBRUSH_REC QoGetBrushGIS(const GISLAYER_REC* layer, unsigned int key_color,
                                  unsigned int replacement) {
  return api::GuardedExport(GISBRUSH_REC{}, [&] {
    if (!layer) {
      SetKernelError(ErrParameters);
      return GISBRUSH_REC{};
    }
    GisBrush brush = LayerBrush(Layer(layer), key_color, replacement);
    return GISBRUSH_REC{brush.Style, brush.Color, brush.Hatch};
  });
}

QO_API GISFONT_REC QoGetFontGISEx(const GISLAYER_REC* layer, const GISLABEL_REC* label, int dpi,
                                  double scale) {
  return api::GuardedExport(GISFONT_REC{}, [&] {
    GISFONT_REC out{};
    if (!layer) {
      SetKernelError(ErrParameters);
      return out;
    }
    GisFont font = LayerFont(Layer(layer), reinterpret_cast<const GisLabelOut*>(label), dpi, scale);
    std::memcpy(&out, &font, sizeof out);
    return out;
  });
}

QO_API GISFONT_REC QoGetFontGIS(const GISLAYER_REC* layer, const GISLABEL_REC* label, int dpi) {
  return QoGetFontGISEx(layer, label, dpi, 1.0);
}

QO_API int QoGetStationsInCircle(const int* selection, int x, int y, int min_count, int soft_limit,
                                 int radius, int* timetables, int* stations, int capacity) {
  return api::GuardedExport(0, [&] {
    if (capacity <= 0) return 0;
    if (!timetables || !stations) {
      SetKernelError(ErrParameters);
      return 0;
    }
    static std::vector<CircleStation> work, found;
    CircleQuery q{selection, x, y, min_count, soft_limit, radius, capacity};
    StationsInCircle(q, work, found);
    for (size_t i = 0; i < found.size(); ++i) {
      timetables[i] = found[i].Timetable;
      stations[i] = found[i].Station;
    }
    return static_cast<int>(found.size());
  });
}

}  // extern "C"
