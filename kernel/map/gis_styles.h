#pragma once
// Pens, brushes and fonts of a GIS layer as plain values (gis_records.h).
#include <cstdint>

#include "map/gis_records.h"

namespace qo {

GisPen LayerPen(GisLayerOut const& layer);

// The layer's brush; when `keyColor` equals the brush colour in its low 24
// bits, the brush gets `replacement` instead.
GisBrush LayerBrush(GisLayerOut const& layer, uint32_t keyColor, uint32_t replacement);

// The layer's font for a label (may be null): the point size, or with a
// device resolution (`dpi` > 0) the size in pixels rounded as MulDiv does,
// times `scale` truncated toward zero; a label with an angle turns it.
GisFont LayerFont(GisLayerOut const& layer, GisLabelOut const* label, int32_t dpi, double scale);

}  // namespace qo
