#pragma once
// Where the layers meet when the loaded set changes: the full re-index as
// one list of the steps each layer owns, and the steps a load hands to the
// loader. Only the exports (and benchmarks standing in for them) call these;
// no layer below calls up into them.
#include <string>
#include <vector>

#include "load/load_timetables.h"

namespace qo {

// The full re-index, after QoInit, QoInit2, QoLoadExtension, QoCloseData
// and a QoCloseQo that asks for it.
void ReindexLoadedSet();

// The station index of trains/ and the full re-index, for the loader.
LoadSteps const& KernelLoadSteps();

}  // namespace qo
