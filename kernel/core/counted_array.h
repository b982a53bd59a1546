#pragma once
// CountedArray: a block of equal-sized elements preceded by an 8-byte header
// {i32 byte size; i32 count}. The handle points at the first element, so the
// same shape serves heap arrays and arrays used in place inside a file image.
// The element size is not stored: it is byte size / count. A null handle is
// the empty array; an allocated array never has count 0.
#include <cstddef>
#include <cstdint>

#include "core/byte_order.h"

namespace qo {

using ArrayHandle = uint8_t*;             // heap array, owned by whoever holds it
using ConstArrayHandle = const uint8_t*;  // array that may live in a file image

inline constexpr int32_t kArrayHeaderBytes = 8;

inline int32_t GetArrayBytes(const void* handle) {
  return handle ? LoadI32(static_cast<const uint8_t*>(handle) - 8) : 0;
}
inline int32_t GetArrayCount(const void* handle) {
  return handle ? LoadI32(static_cast<const uint8_t*>(handle) - 4) : 0;
}
inline int32_t GetElementSize(const void* handle) {
  int32_t count = GetArrayCount(handle);
  return count > 0 ? GetArrayBytes(handle) / count : 0;
}

// Element i of an array of T, read unaligned. The caller checks the index.
template <class T>
inline T ArrayAt(const void* handle, int32_t i) {
  return LoadLE<T>(static_cast<const uint8_t*>(handle) + static_cast<size_t>(i) * sizeof(T));
}
template <class T>
inline void ArraySet(void* handle, int32_t i, T value) {
  StoreLE<T>(static_cast<uint8_t*>(handle) + static_cast<size_t>(i) * sizeof(T), value);
}

// Exhausted memory ends the process (exit code 1); it is never an error code.
void AllocArray(ArrayHandle* handle, int32_t count, int32_t elementSize);
void AllocArrayRaw(ArrayHandle* handle, int32_t count, int32_t elementSize);
void FreeArray(ArrayHandle* handle);
// Frees every element array of an array of heap handles, then the array.
void FreeArrayOfArrays(ArrayHandle* handle);
// count 0 frees; growth is zero-filled; an empty handle stays empty.
// Failed reallocation ends the process with exit code 2.
void ResizeArray(ArrayHandle* handle, int32_t count);
ArrayHandle CopyArray(const void* source);
// Removing the last element frees the array, so that no allocated array has
// count 0. An index outside the array is ignored.
void RemoveArrayItem(int32_t index, int32_t elementSize, ArrayHandle* handle);
// Opens a zero-filled element at index (index == count appends). An element
// size that differs from the array's ends the process with exit code 3, an
// index beyond the count with exit code 6: both are programming errors.
void InsertArrayItem(ArrayHandle* handle, int32_t index, int32_t elementSize);
void SortArray(ArrayHandle handle, int (*compare)(const void*, const void*));
int32_t FindInt(int32_t value, const void* array, int32_t count);
int32_t FindShort(int16_t value, const void* array, int32_t count);
// 0 when both have the same byte size and bytes.
int CompareArrays(const void* a, const void* b);

}  // namespace qo
