#include "core/crc32.h"

#include <array>

#include "core/byte_order.h"

namespace qo {
namespace {

// Eight tables, so that the loop takes eight bytes a step (slicing-by-8):
// files are checked whole at every load.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr CrcTables MakeTables() {
  CrcTables tables{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t crc = i;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    tables[0][i] = crc;
  }
  for (uint32_t i = 0; i < 256; ++i)
    for (size_t t = 1; t < 8; ++t)
      tables[t][i] = (tables[t - 1][i] >> 8) ^ tables[0][tables[t - 1][i] & 0xFF];
  return tables;
}

constexpr CrcTables kTables = MakeTables();

}  // namespace

uint32_t UpdateCrc32(uint32_t crc, const void* data, size_t length) {
  const auto* p = static_cast<const uint8_t*>(data);
  crc = ~crc;
  while (length >= 8) {
    uint32_t low = LoadU32(p) ^ crc;
    uint32_t high = LoadU32(p + 4);
    crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF] ^
          kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF] ^
          kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
    p += 8;
    length -= 8;
  }
  while (length--) crc = (crc >> 8) ^ kTables[0][(crc ^ *p++) & 0xFF];
  return ~crc;
}

uint32_t ComputeCrc32(const void* data, size_t length) { return UpdateCrc32(0, data, length); }

}  // namespace qo
