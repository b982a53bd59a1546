#include "core/image_reader.h"

#include <cstring>

namespace qo {

bool TakeBytes(ImageCursor& cursor, size_t count, const uint8_t** bytes) {
  if (cursor.pos == nullptr || count > cursor.Remaining()) return false;
  *bytes = cursor.pos;
  cursor.pos += count;
  return true;
}

namespace {
template <class T>
bool TakeValue(ImageCursor& cursor, T* value) {
  const uint8_t* bytes;
  if (!TakeBytes(cursor, sizeof(T), &bytes)) return false;
  *value = LoadLE<T>(bytes);
  return true;
}
}  // namespace

bool TakeU8(ImageCursor& cursor, uint8_t* value) { return TakeValue(cursor, value); }
bool TakeU16(ImageCursor& cursor, uint16_t* value) { return TakeValue(cursor, value); }
bool TakeU32(ImageCursor& cursor, uint32_t* value) { return TakeValue(cursor, value); }
bool TakeI32(ImageCursor& cursor, int32_t* value) { return TakeValue(cursor, value); }

bool TakeCString(ImageCursor& cursor, const char** text) {
  if (cursor.pos == nullptr) return false;
  const void* nul = std::memchr(cursor.pos, 0, cursor.Remaining());
  if (!nul) return false;
  *text = reinterpret_cast<const char*>(cursor.pos);
  cursor.pos = static_cast<const uint8_t*>(nul) + 1;
  return true;
}

bool TakeArrayFromImage(ImageCursor& cursor, ConstArrayHandle* handle,
                        int32_t expectedElementSize) {
  ImageCursor probe = cursor;
  int32_t bytes;
  if (!TakeI32(probe, &bytes) || bytes < 0) return false;
  if (bytes == 0) {
    *handle = nullptr;
    cursor = probe;
    return true;
  }
  int32_t count;
  const uint8_t* elements;
  if (!TakeI32(probe, &count) || count <= 0 || bytes % count != 0) return false;
  if (expectedElementSize > 0 && bytes / count != expectedElementSize) return false;
  if (!TakeBytes(probe, static_cast<size_t>(bytes), &elements)) return false;
  *handle = elements;
  cursor = probe;
  return true;
}

bool TakeArrayListFromImage(ImageCursor& cursor, ArrayHandle* list, uint32_t maxCount) {
  ImageCursor probe = cursor;
  uint32_t count;
  // Each array takes at least 4 bytes, which bounds the count by the image.
  if (!TakeU32(probe, &count) || count > maxCount || count > probe.Remaining() / 4) return false;
  ArrayHandle handles = nullptr;
  AllocArray(&handles, static_cast<int32_t>(count), sizeof(ConstArrayHandle));
  for (uint32_t i = 0; i < count; ++i) {
    ConstArrayHandle element;
    if (!TakeArrayFromImage(probe, &element)) {
      FreeArray(&handles);
      return false;
    }
    ArraySet<ConstArrayHandle>(handles, static_cast<int32_t>(i), element);
  }
  *list = handles;
  cursor = probe;
  return true;
}

bool TakePoolFromImage(ImageCursor& cursor, StringPool* pool) {
  ImageCursor probe = cursor;
  StringPool taken;
  if (!TakeArrayFromImage(probe, &taken.offsets, 4)) return false;
  if (!TakeArrayFromImage(probe, &taken.characters, 1)) return false;
  int32_t offsetCount = GetArrayCount(taken.offsets);
  int32_t previous = 0;
  for (int32_t i = 0; i < offsetCount; ++i) {
    int32_t offset = ArrayAt<int32_t>(taken.offsets, i);
    if ((i == 0 && offset != 0) || offset < previous) return false;
    previous = offset;
  }
  if (previous > GetArrayBytes(taken.characters)) return false;
  *pool = taken;
  cursor = probe;
  return true;
}

}  // namespace qo
