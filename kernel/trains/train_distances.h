#pragma once
// Cumulative distances along a train's route and the lengths of the arcs
// between stations.
#include <cstdint>

#include "format/image_array.h"
#include "load/timetable_record.h"

namespace qo {

// The train's cumulative distances, one per decoded stop word (the first
// 0): its stored list, or the list of the train it refers to, or the arc
// lengths summed along its stops into the timetable's distance work buffer.
// False, with *out empty, when the timetable carries no distances or an arc
// between two stops is missing. The list stays valid until the next call on
// this timetable. `train` must be below TrainCount.
bool LoadTrainDistances(TimetableRecord& t, uint32_t train, ImageArray<int32_t>* out);

// Length of the arc from one station to another as the train runs it: 0 for
// the same station, the train's own override when it has one, else the
// first arc of `from` that leads to `to`; -1 when there is none.
int32_t ArcLength(TimetableRecord const& t, uint16_t from, int32_t train, uint16_t to);

}  // namespace qo
