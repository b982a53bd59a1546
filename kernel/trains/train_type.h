#pragma once
// A train's type word (type bits low, attribute bits high) as it holds at a
// station: rail trains may change type along their route, which their
// general remarks tell.
#include <cstdint>

#include "load/timetable_record.h"
#include "format/stored_bits.h"

namespace qo {

// The stored type word of the train (0 without type words); for a rail
// train whose type changes along the route, the type bit of the type in
// force at `station` (-1: the whole route) plus the stored attribute bits.
// `train` must be below TrainCount.
uint32_t GetTrainTypeWord(TimetableRecord const& t, uint32_t train, int32_t station);

// The type in force at a station of a train whose type changes along its
// route: the last type that a general remark names at a stop up to the
// station. False when no remark names one. *bit is the type's bit index, and
// *physical the physical type (-1 when the name is a train type's).
bool FindTypeAtStop(TimetableRecord const& t, uint32_t train, int32_t station, int* bit,
                    int* physical);

}  // namespace qo
