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
// A variant of a train group: a train of its own, not one of its namesakes.
inline constexpr uint32_t kGroupVariantTypeBit = 0x08000000;
// Rail trains left out when the use-beds parameter is 2.
inline constexpr uint32_t kBedTrainTypeBit = 0x01000000;

// Times of a pass are minutes from midnight of the search day, kept in 16
// bits; a ride that would go beyond ends there.
inline constexpr int32_t kLatestTime = 0x7FFE;
// The backward scale: kMirror - minute stays positive for every time a
// pass reaches, so ride marks and profiles keep their forward meaning.
inline constexpr int32_t kMirror = 2880;

}  // namespace qo
