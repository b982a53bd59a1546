#pragma once
// The bits and codes that timetable files store and that the kernel and the
// tools both read or write: timetable kinds, stop flags and the high bits of
// a train's type word. One name per meaning, stated once.
#include <cstdint>

namespace qo {

// Timetable kinds (the header's kind byte).
inline constexpr uint8_t kKindRail = 1;
inline constexpr uint8_t kKindBus = 2;
inline constexpr uint8_t kKindCity = 3;
inline constexpr uint8_t kKindAir = 4;

// Stop flags: bits of a stop word's time word, kept through decoding. 0x1000
// and 0x4000 mean something alone and something else together: 0x4000 alone
// lets nobody board, 0x1000 alone lets nobody alight, both mark a request
// stop.
inline constexpr uint16_t kStopNoBoardingMark = 0x0800;  // no change onto the train here
inline constexpr uint16_t kStopNoAlighting = 0x1000;
inline constexpr uint16_t kStopNoBoarding = 0x4000;
inline constexpr uint16_t kStopRequest = kStopNoAlighting | kStopNoBoarding;
inline constexpr uint16_t kStopHasNotes = 0x8000;
// Every stop flag a stop word can carry.
inline constexpr uint16_t kStopFlags =
    kStopNoBoardingMark | kStopNoAlighting | kStopNoBoarding | kStopHasNotes;

inline constexpr bool StopAllowsBoarding(uint16_t flags) {
  return !(flags & kStopNoBoarding) || (flags & kStopNoAlighting);
}
inline constexpr bool StopAllowsAlighting(uint16_t flags) {
  return (flags & kStopNoBoarding) || !(flags & kStopNoAlighting);
}

// Station type word bits. kStationStop marks a place where travellers may
// leave a train: without it the search neither ends a journey nor changes
// there (a timetable may list junctions and border points as stations).
inline constexpr uint16_t kStationStop = 0x0001;
inline constexpr uint16_t kStationForeign = 0x0002;

// The high bits of a train's type word (the low bits are its type bits).
inline constexpr uint32_t kTypeChangesAlongRoute = 0x00400000;
inline constexpr uint32_t kLacksServiceCode = 0x04000000;
// Variants of one train group: consecutive trains with kContinuesGroup
// continue the group of the train before them; a kSecondaryVariant is never
// shown in place of the others.
inline constexpr uint32_t kSecondaryVariant = 0x08000000;
inline constexpr uint32_t kContinuesGroup = 0x10000000;
inline constexpr uint32_t kRunsNoFurther = 0x20000000;
inline constexpr uint32_t kNoDaysOffHandling = 0x40000000;
inline constexpr uint32_t kNoLocalTraffic = 0x80000000;

}  // namespace qo
