#pragma once
// Bounded reading of a file image. Every take checks that it stays inside
// [pos, end) and that what it takes is well formed; a failed take leaves the
// cursor where it was and returns false, which the reader turns into the
// corrupt-file error. Arrays are used in place: nothing is copied.
#include <cstddef>
#include <cstdint>

#include "core/counted_array.h"
#include "core/string_pool.h"

namespace qo {

struct ImageCursor {
  const uint8_t* pos = nullptr;
  const uint8_t* end = nullptr;

  size_t Remaining() const { return static_cast<size_t>(end - pos); }
};

bool TakeBytes(ImageCursor& cursor, size_t count, const uint8_t** bytes);
bool TakeU8(ImageCursor& cursor, uint8_t* value);
bool TakeU16(ImageCursor& cursor, uint16_t* value);
bool TakeU32(ImageCursor& cursor, uint32_t* value);
bool TakeI32(ImageCursor& cursor, int32_t* value);
// A NUL-terminated text that ends inside the image.
bool TakeCString(ImageCursor& cursor, const char** text);

// A stored CountedArray: {i32 byte size; i32 count; elements}, or a lone
// i32 0 for the empty array. The byte size must be non-negative and fit, the
// count positive when the size is, and the size a multiple of the count.
// With expectedElementSize > 0 a non-empty array must have that element size.
bool TakeArrayFromImage(ImageCursor& cursor, ConstArrayHandle* handle,
                        int32_t expectedElementSize = 0);
// A u32 count n, then n arrays; the handles go into a new heap array of n
// pointers (the empty handle when n is 0). maxCount bounds n against absurd
// values before anything is allocated.
bool TakeArrayListFromImage(ImageCursor& cursor, ArrayHandle* list, uint32_t maxCount = 1u << 24);
// Offsets (i32, ascending, first 0, last not past the characters), then the
// characters (1-byte elements).
bool TakePoolFromImage(ImageCursor& cursor, StringPool* pool);

}  // namespace qo
