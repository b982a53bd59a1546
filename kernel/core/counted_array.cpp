#include "core/counted_array.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "core/memory_failure.h"

namespace qo {
namespace {

uint8_t* BlockOf(ArrayHandle handle) { return handle - kArrayHeaderBytes; }

void SetHeader(ArrayHandle handle, int32_t bytes, int32_t count) {
  StoreLE<int32_t>(BlockOf(handle), bytes);
  StoreLE<int32_t>(BlockOf(handle) + 4, count);
}

// Byte size of count elements. The header stores it as a signed 32-bit value,
// so a larger array cannot exist and counts as exhausted memory.
size_t DataBytes(int32_t count, int32_t elementSize, int exitCode) {
  uint64_t bytes = static_cast<uint64_t>(count) * static_cast<uint64_t>(elementSize);
  if (bytes > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
    ExitOnMemoryFailure(static_cast<size_t>(bytes) + kArrayHeaderBytes, exitCode);
  return static_cast<size_t>(bytes);
}

void Allocate(ArrayHandle* handle, int32_t count, int32_t elementSize, bool zero) {
  if (count <= 0 || elementSize <= 0) {
    *handle = nullptr;
    return;
  }
  size_t bytes = DataBytes(count, elementSize, kExitAllocation);
  size_t total = bytes + kArrayHeaderBytes;
  auto* block = static_cast<uint8_t*>(zero ? std::calloc(1, total) : std::malloc(total));
  if (!block) ExitOnMemoryFailure(total, kExitAllocation);
  *handle = block + kArrayHeaderBytes;
  SetHeader(*handle, static_cast<int32_t>(bytes), count);
}

}  // namespace

void AllocArray(ArrayHandle* handle, int32_t count, int32_t elementSize) {
  Allocate(handle, count, elementSize, true);
}

void AllocArrayRaw(ArrayHandle* handle, int32_t count, int32_t elementSize) {
  Allocate(handle, count, elementSize, false);
}

void FreeArray(ArrayHandle* handle) {
  if (!*handle) return;
  std::free(BlockOf(*handle));
  *handle = nullptr;
}

void FreeArrayOfArrays(ArrayHandle* handle) {
  if (!*handle) return;
  int32_t count = GetArrayCount(*handle);
  for (int32_t i = 0; i < count; ++i) {
    auto element = ArrayAt<ArrayHandle>(*handle, i);
    FreeArray(&element);
  }
  FreeArray(handle);
}

void ResizeArray(ArrayHandle* handle, int32_t count) {
  if (!*handle) return;
  if (count <= 0) {
    FreeArray(handle);
    return;
  }
  int32_t elementSize = GetElementSize(*handle);
  size_t oldBytes = static_cast<size_t>(GetArrayBytes(*handle));
  size_t bytes = DataBytes(count, elementSize, kExitReallocation);
  size_t total = bytes + kArrayHeaderBytes;
  auto* block = static_cast<uint8_t*>(std::realloc(BlockOf(*handle), total));
  if (!block) ExitOnMemoryFailure(total, kExitReallocation);
  *handle = block + kArrayHeaderBytes;
  if (bytes > oldBytes) std::memset(*handle + oldBytes, 0, bytes - oldBytes);
  SetHeader(*handle, static_cast<int32_t>(bytes), count);
}

ArrayHandle CopyArray(const void* source) {
  ArrayHandle copy = nullptr;
  int32_t count = GetArrayCount(source);
  if (count <= 0) return nullptr;
  AllocArrayRaw(&copy, count, GetElementSize(source));
  std::memcpy(copy, source, static_cast<size_t>(GetArrayBytes(copy)));
  return copy;
}

void RemoveArrayItem(int32_t index, int32_t elementSize, ArrayHandle* handle) {
  int32_t count = GetArrayCount(*handle);
  if (index < 0 || index >= count) return;
  if (count == 1) {
    FreeArray(handle);
    return;
  }
  size_t size = static_cast<size_t>(elementSize);
  std::memmove(*handle + index * size, *handle + (index + 1) * size, (count - index - 1) * size);
  SetHeader(*handle, static_cast<int32_t>((count - 1) * size), count - 1);
}

void InsertArrayItem(ArrayHandle* handle, int32_t index, int32_t elementSize) {
  if (!*handle) {
    if (index != 0) ExitOnInternalError(kExitInsertPosition);
    AllocArray(handle, 1, elementSize);
    return;
  }
  int32_t count = GetArrayCount(*handle);
  if (GetElementSize(*handle) != elementSize) ExitOnInternalError(kExitInsertElementSize);
  if (index < 0 || index > count) ExitOnInternalError(kExitInsertPosition);
  ResizeArray(handle, count + 1);
  size_t size = static_cast<size_t>(elementSize);
  std::memmove(*handle + (index + 1) * size, *handle + index * size, (count - index) * size);
  std::memset(*handle + index * size, 0, size);
}

void SortArray(ArrayHandle handle, int (*compare)(const void*, const void*)) {
  int32_t count = GetArrayCount(handle);
  if (count < 2) return;
  std::qsort(handle, static_cast<size_t>(count), static_cast<size_t>(GetElementSize(handle)),
             compare);
}

int32_t FindInt(int32_t value, const void* array, int32_t count) {
  for (int32_t i = 0; i < count; ++i)
    if (ArrayAt<int32_t>(array, i) == value) return i;
  return -1;
}

int32_t FindShort(int16_t value, const void* array, int32_t count) {
  for (int32_t i = 0; i < count; ++i)
    if (ArrayAt<int16_t>(array, i) == value) return i;
  return -1;
}

int CompareArrays(const void* a, const void* b) {
  int32_t bytes = GetArrayBytes(a);
  if (bytes != GetArrayBytes(b)) return 1;
  if (bytes == 0) return 0;
  return std::memcmp(a, b, static_cast<size_t>(bytes)) != 0;
}

}  // namespace qo
