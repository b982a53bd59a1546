#pragma once
// Search times leave 0..1439 both ways (a window shifted before midnight, an
// arrival after it); C++ `/` and `%` truncate towards zero, which puts
// minute -1 on the wrong day. Every time computation that can go negative
// goes through these.
#include <cstdint>

namespace qo {

constexpr int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

constexpr int64_t FloorMod(int64_t a, int64_t b) { return a - FloorDiv(a, b) * b; }

// The day and minute of day of a search time (minutes from midnight of the
// search day).
constexpr int32_t DayOfSearchTime(int64_t t) { return static_cast<int32_t>(FloorDiv(t, 1440)); }
constexpr int32_t MinuteOfSearchTime(int64_t t) { return static_cast<int32_t>(FloorMod(t, 1440)); }

}  // namespace qo
