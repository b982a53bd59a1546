#pragma once
// Little-endian loads and stores over unaligned memory. Timetable images have
// no alignment anywhere, so nothing in the kernel casts a byte pointer to a
// wider type: every access goes through these memcpy-based helpers.
#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace qo {

static_assert(std::endian::native == std::endian::little,
              "the file formats are little-endian and read without swapping");

template <class T>
inline T LoadLE(const void* p) {
  static_assert(std::is_trivially_copyable_v<T>);
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

template <class T>
inline void StoreLE(void* p, T value) {
  static_assert(std::is_trivially_copyable_v<T>);
  std::memcpy(p, &value, sizeof value);
}

inline uint16_t LoadU16(const void* p) { return LoadLE<uint16_t>(p); }
inline int16_t LoadI16(const void* p) { return LoadLE<int16_t>(p); }
inline uint32_t LoadU32(const void* p) { return LoadLE<uint32_t>(p); }
inline int32_t LoadI32(const void* p) { return LoadLE<int32_t>(p); }

}  // namespace qo
