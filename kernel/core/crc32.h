#pragma once
// CRC-32 of IEEE 802.3 (reflected, polynomial 0xEDB88320, register starting at
// 0xFFFFFFFF, result inverted): the checksum in the trailer of every
// timetable and extension file. CRC-32 of "abc" is 0x352441C2.
#include <cstddef>
#include <cstdint>

namespace qo {

uint32_t ComputeCrc32(const void* data, size_t length);
// Continues a CRC over more data: ComputeCrc32(a+b) ==
// UpdateCrc32(ComputeCrc32(a), b).
uint32_t UpdateCrc32(uint32_t crc, const void* data, size_t length);

}  // namespace qo
