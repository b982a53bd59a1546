#pragma once
// The body of a fare extension file (after the frame) from its model.
#include <cstdint>

#include "writer/byte_sink.h"
#include "writer/fare_model.h"

namespace qo::writer {

// Throws ModelError for a rule naming a currency or table that does not
// exist, a table whose values do not fit its thresholds or zones, more
// than 8 fare languages, or a text without a Windows-1250 character.
void WriteFareBody(FareModel const& model, uint16_t version, ByteSink& sink);

}  // namespace qo::writer
