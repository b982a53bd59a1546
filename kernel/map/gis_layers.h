#pragma once
// The GIS layers in the shape callers receive (gis_records.h): aligned
// copies of the image's arrays with the record's object slots pointing at
// them. Built on first use and kept with the timetable's GIS data, so the
// addresses stay valid until the timetable is closed or its map replaced.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "format/image_array.h"
#include "load/timetable_record.h"
#include "map/gis_records.h"

namespace qo {

struct GisClientLayers {
  // Per layer array: a CountedArray of GisLayerOut, null when empty.
  std::array<OwnedArray, 3> LayerArrays;
  // Every copied array the records point into.
  std::vector<OwnedArray> Owned;
};

GisClientLayers const& ClientLayers(GisData& gis);

// The layer name of a record's name index; empty for a negative or
// unknown index. Kernel text (Windows-1250).
std::string_view GisLayerName(GisData const& gis, int32_t nameIndex);

}  // namespace qo
