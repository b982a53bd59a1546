#pragma once
// The body of a GIS extension file (after the frame) from its model.
#include <cstdint>

#include "writer/byte_sink.h"
#include "writer/gis_model.h"

namespace qo::writer {

// Throws ModelError for more than 5 map-name languages, map names that do
// not match the letters, a layer name index outside the names, or a text
// without a Windows-1250 character. Without map names, `emptyLanguages`
// empty map-name pools are written.
void WriteGisBody(GisModel const& model, uint8_t emptyLanguages, ByteSink& sink);

}  // namespace qo::writer
