#pragma once
// The range checks of stored tables, one rule for the timetable and the
// extension readers alike. An offsets array either is empty or has one entry
// per item and one more for the end, starts at 0 or above, never goes down
// and never passes its target; a stored index is below its count (or, where
// negative means none, negative). The queries index the tables without
// checking again once these have passed.
#include <cstdint>

#include "format/image_array.h"

namespace qo {

// The name of the check that refused a file, for qodump and the tests to
// tell which damage was found; null when the file passed.
using Refusal = const char*;

// Empty, or n entries.
template <class A>
bool PerItem(const A& array, uint32_t n) {
  return array.empty() || static_cast<uint32_t>(array.size()) == n;
}

// Non-decreasing values from 0 up, none above limit, each a multiple of unit.
template <class T>
bool Monotone(const ImageArray<T>& offsets, int64_t limit, int64_t unit = 1) {
  int64_t previous = 0;
  for (int32_t i = 0; i < offsets.size(); ++i) {
    int64_t value = static_cast<int64_t>(offsets[i]);
    if (value < previous || value > limit || value % unit != 0) return false;
    previous = value;
  }
  return true;
}

// An offsets array of n + 1 entries (or none) into a target of `limit`.
template <class T>
bool Ranges(const ImageArray<T>& offsets, uint32_t n, int64_t limit, int64_t unit = 1) {
  if (offsets.empty()) return true;
  return static_cast<uint32_t>(offsets.size()) == n + 1 && Monotone(offsets, limit, unit);
}

// Every value in 0..limit-1.
template <class T>
bool AllBelow(const ImageArray<T>& values, int64_t limit) {
  for (int32_t i = 0; i < values.size(); ++i) {
    int64_t value = static_cast<int64_t>(values[i]);
    if (value < 0 || value >= limit) return false;
  }
  return true;
}

// Negative values mean "none"; the others must be below limit.
template <class T>
bool NoneOrBelow(const ImageArray<T>& values, int64_t limit) {
  for (int32_t i = 0; i < values.size(); ++i)
    if (static_cast<int64_t>(values[i]) >= limit) return false;
  return true;
}

}  // namespace qo
