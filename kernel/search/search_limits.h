#pragma once
// The bounds of a connection search in one place: the request front checks
// against them, the engines size their tables by them.
#include <cstdint>

#include "dates/day_number.h"

namespace qo {

inline constexpr int kMaxViaPoints = 16;
inline constexpr int kMaxTargetGroups = 120;
inline constexpr int kMaxChanges = 15;
// A connection holds train legs only, one more than its changes.
inline constexpr int kMaxLegs = kMaxChanges + 1;
// Most From stations per timetable a search takes (more is refused with
// error 8, not dropped).
inline constexpr int kMaxFromStationsPerTimetable = 600;

// Ranges of the search parameters (the limits record hands them out).
inline constexpr int kMaxChangeTime = 1439;
inline constexpr int kMaxChangePenalty = 480;
inline constexpr int kMinWindowLength = 60;
inline constexpr int kMaxWindowLength = 1440;
inline constexpr int kMaxDeltaPercent = 1000;
inline constexpr int kMaxDeltaMetres = 10000000;
inline constexpr int kMaxRetries = 32;
inline constexpr int kMaxArcLength = 120;

// The bits the caller's train-type mask always gains: group variants and
// trains continuing a group take part with their group.
inline constexpr uint32_t kAlwaysIncludedTypeBits = 0x18000000;
// Rail trains left out when the use-beds parameter is 2.
inline constexpr uint32_t kBedTrainTypeBit = 0x01000000;

}  // namespace qo
