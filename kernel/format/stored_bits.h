#pragma once
// The high bits of a train's type word (the low bits are its type bits).
// One list, so that the boards, calendars, remarks and search agree.
#include <cstdint>

namespace qo {

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
