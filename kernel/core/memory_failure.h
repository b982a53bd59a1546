#pragma once
// Exhausted memory and misuse of the array operations are not error codes:
// the kernel says why on stderr and ends the process.
#include <cstddef>

namespace qo {

inline constexpr int kExitAllocation = 1;
inline constexpr int kExitReallocation = 2;
inline constexpr int kExitInsertElementSize = 3;
inline constexpr int kExitInsertPosition = 6;

[[noreturn]] void ExitOnMemoryFailure(size_t bytesAsked, int exitCode);
[[noreturn]] void ExitOnInternalError(int code);

}  // namespace qo
