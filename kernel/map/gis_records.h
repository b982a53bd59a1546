#pragma once
// The map records as callers receive them. The layer record keeps the
// stored 164-byte layout up to the object slots; those become full
// pointers, so the record has 192 bytes on 64-bit systems. Pens, brushes
// and fonts are plain values: the caller makes its own drawing objects.
#include <cstddef>
#include <cstdint>

#include "format/image_array.h"

namespace qo {

// A label of a layer: the stored 20-byte record with its text field
// widened to a pointer (null for a label without text).
struct GisLabelOut {
  int32_t X;
  int32_t Y;
  const char* Text;
  int32_t Angle;
  int32_t Alignment;
};
static_assert(sizeof(GisLabelOut) == 24);

// Element of a layer's point array: x, y and the station field, as the
// 12-byte point record stores them.
struct GisPointOut {
  int32_t X;
  int32_t Y;
  int32_t Station;
};
static_assert(sizeof(GisPointOut) == 12);

// Point i of a layer's point array.
inline GisPointOut GisPointAt(RecordArray const& points, int32_t i) {
  return {points.Field<int32_t>(i, 0), points.Field<int32_t>(i, 4), points.Field<int32_t>(i, 8)};
}

// The record of one layer. Every array is a CountedArray (byte size and
// count stand in the 8 bytes before the first element) or null when absent;
// the two vertex-array lists are CountedArrays of vertex-array pointers.
struct GisLayerOut {
  uint8_t Stored[136];   // name index, window values, pen, brush, font as stored
  const void* Points;    // GisPointOut
  const void* Vertices;  // {i32 x; i32 y}
  const void* Lines;     // vertex arrays drawn as polylines
  const void* Areas;     // the second list of vertex arrays
  const void* Items;     // as stored
  const void* Labels;    // GisLabelOut
  const void* Further;   // as stored
};
static_assert(sizeof(GisLayerOut) == 192);
static_assert(offsetof(GisLayerOut, Points) == 136);

// Offsets of the stored fields inside the record.
inline constexpr size_t kLayerNameIndex = 0;
inline constexpr size_t kLayerPenColor = 32;
inline constexpr size_t kLayerPenWidth = 36;
inline constexpr size_t kLayerPenStyle = 40;
inline constexpr size_t kLayerBrushColor = 44;
inline constexpr size_t kLayerBrushStyle = 48;
inline constexpr size_t kLayerBrushHatch = 52;
inline constexpr size_t kLayerFontFace = 80;
inline constexpr size_t kLayerFontFaceBytes = 32;
inline constexpr size_t kLayerFontSize = 128;
inline constexpr size_t kLayerFontCharset = 132;

struct GisPen {
  int32_t Style;
  int32_t Width;
  uint32_t Color;  // 0x00BBGGRR
};

struct GisBrush {
  int32_t Style;
  uint32_t Color;
  int32_t Hatch;
};

// The logical font of a layer: height in device units (positive: the cell
// height), escapement and orientation in tenths of a degree.
struct GisFont {
  int32_t Height;
  int32_t Escapement;
  int32_t Orientation;
  int32_t Charset;
  char Face[32];
};
static_assert(sizeof(GisFont) == 48);

}  // namespace qo
