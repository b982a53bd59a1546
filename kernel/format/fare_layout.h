#pragma once
// Positions inside the fare extension that the kernel's loader reads. The
// fare engine owns the meaning of the rest of these records.
#include <cstdint>

namespace qo {

// The header block: u16 its own length H, u16 fare format version, u8 the
// number of fare languages; the loader keeps its first bytes.
inline constexpr int32_t kFareHeaderKeep = 316;

// Tariff record (144 bytes, the fourth array). Bytes 0-83 are the 21 array
// slots that the arrays after the pools fill (zero in the file).
inline constexpr int32_t kTariffRecordBytes = 144;
inline constexpr int32_t kTariffArraySlots = 21;
// u32: non-zero when a 64-byte extension block follows for this record
// (fare version 3 and later).
inline constexpr int32_t kTariffExtensionSlot = 84;
// i32: above 0 when the record applies to certain owners only; their texts
// are array slot 20 ('|'-separated, Windows-1250).
inline constexpr int32_t kTariffOwnerSelector = 88;
inline constexpr int32_t kTariffOwnerTextSlot = 20;

// 24-byte records (the fifth array) carry two arrays each.
inline constexpr int32_t kFareZoneRecordBytes = 24;

// The extension block: sixteen 4-byte slots; 0-3 and 7-8 are filled by
// arrays, slot 9 flags one more array (fare version 6 and later).
inline constexpr int32_t kTariffBlockBytes = 64;
inline constexpr int32_t kTariffBlockFlagSlot = 9;

// Arc fare areas: the tenth array holds one u8 area value per station-key
// list of the list of arrays that follows it (i32 station keys each).
inline constexpr int32_t kFareAreaArray = 9;

}  // namespace qo
