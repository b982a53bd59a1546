#pragma once
// The body of a QMap extension file (after the frame) from its model.
#include "writer/byte_sink.h"
#include "writer/qmap_model.h"

namespace qo::writer {

void WriteQMapBody(QMapModel const& model, ByteSink& sink);

}  // namespace qo::writer
