#include "map/gis_styles.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <climits>

#include "core/byte_order.h"

namespace qo {
namespace {

int32_t Stored(GisLayerOut const& layer, size_t offset) {
  return LoadLE<int32_t>(layer.Stored + offset);
}

// a * b / c rounded half away from zero; -1 when c is 0 or the result does
// not fit.
int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  int64_t product = static_cast<int64_t>(a) * b;
  int64_t half = (c < 0 ? -static_cast<int64_t>(c) : c) / 2;
  bool negative = (product < 0) != (c < 0);
  int64_t magnitude = (std::llabs(product) + half) / std::llabs(static_cast<int64_t>(c));
  int64_t result = negative ? -magnitude : magnitude;
  if (result > INT32_MAX || result < INT32_MIN) return -1;
  return static_cast<int32_t>(result);
}

int32_t Truncated(double value) {
  if (!(value > INT32_MIN && value < INT32_MAX)) return 0;
  return static_cast<int32_t>(value);
}

}  // namespace

GisPen LayerPen(GisLayerOut const& layer) {
  return {Stored(layer, kLayerPenStyle), Stored(layer, kLayerPenWidth),
          static_cast<uint32_t>(Stored(layer, kLayerPenColor))};
}

GisBrush LayerBrush(GisLayerOut const& layer, uint32_t keyColor, uint32_t replacement) {
  uint32_t color = static_cast<uint32_t>(Stored(layer, kLayerBrushColor));
  if (((keyColor ^ color) & 0x00FFFFFFu) == 0) color = replacement;
  return {Stored(layer, kLayerBrushStyle), color, Stored(layer, kLayerBrushHatch)};
}

GisFont LayerFont(GisLayerOut const& layer, GisLabelOut const* label, int32_t dpi, double scale) {
  GisFont font{};
  font.Charset = Stored(layer, kLayerFontCharset) & 0xFF;
  int32_t height = Stored(layer, kLayerFontSize);
  if (dpi > 0) height = MulDiv(height, dpi, 72);
  font.Height = Truncated(height * scale);
  std::memcpy(font.Face, layer.Stored + kLayerFontFace, kLayerFontFaceBytes);
  font.Face[kLayerFontFaceBytes - 1] = '\0';
  if (label && label->Angle != 0) {
    font.Escapement = Truncated(label->Angle / 6.283185307179586 * 3600);
    font.Orientation = font.Escapement;
  }
  return font;
}

}  // namespace qo
