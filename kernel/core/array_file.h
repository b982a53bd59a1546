#pragma once
#include <cstdio>

#include "core/counted_array.h"

namespace qo {

// Reads a stored CountedArray from an open file into a new heap array.
// Returns false, with the handle empty, on a short read, a negative size, or
// a size that is not a positive multiple of the count.
bool ReadArrayFromFile(std::FILE* file, ArrayHandle* handle);

}  // namespace qo
