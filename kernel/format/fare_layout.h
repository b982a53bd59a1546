#pragma once
// Positions inside the fare extension. The loader takes the frame and checks
// every reference the fare engine follows; docs/timetable-format.md tells
// the whole layout.
#include <array>
#include <cstdint>

namespace qo {

// The header block: u16 its own length H, u16 fare format version, u8 the
// number of fare languages; the loader keeps its first bytes.
inline constexpr int32_t kFareHeaderKeep = 316;
// Further header fields (a shorter header leaves them zero).
inline constexpr int32_t kFareHeaderDateBasis =
    5;  // u8: 0 earlier of today/travel, 1 today, 2 travel day
inline constexpr int32_t kFareHeaderFlags = 6;     // u8, kFareFlag*
inline constexpr int32_t kFareHeaderExcluded = 8;  // u32 fare categories never priced through
inline constexpr int32_t kFareHeaderLetters = 12;  // char[8] letters of the fare languages
inline constexpr int32_t kFareHeaderBytes = 24;    // what the writer writes
inline constexpr int32_t kFareMaxLanguages = 8;

inline constexpr uint8_t kFareFlagForceJoin = 0x01;    // linked nodes stay joined even when dearer
inline constexpr uint8_t kFareFlagFillZones = 0x02;    // fill gaps between zones taken
inline constexpr uint8_t kFareFlagThrough = 0x04;      // consecutive legs priced as one node
inline constexpr uint8_t kFareFlagNoLinks = 0x08;      // nodes are never linked across a change
inline constexpr uint8_t kFareFlagSplit = 0x10;        // an unpriceable node may be split
inline constexpr uint8_t kFareFlagTwoVariants = 0x20;  // rules carry a second price

// The ten arrays after the header.
inline constexpr int32_t kFareCurrencies = 0;    // 20-byte currency records
inline constexpr int32_t kFareStationZones = 1;  // 8-byte {i32 key; i16 zone; i16 zone}, by key
inline constexpr int32_t kFareZoneMap = 2;       // i16 per zone number: its translation
inline constexpr int32_t kFareRules = 3;         // 144-byte rule records
inline constexpr int32_t kFareTables = 4;        // 24-byte tariff tables
inline constexpr int32_t kFareTransfers = 5;     // 12-byte {i32 key; i32 key; i32 metres}
inline constexpr int32_t kFareBorders = 6;  // 12-byte {i32 inside key; i32 outside key; i32 metres}
inline constexpr int32_t kFareTrainCategories = 7;  // i8 per train, -1 none
inline constexpr int32_t kFareArcZones = 8;         // 12-byte {i32 key; i32 key; i32 zone}
inline constexpr int32_t kFareAreaArray = 9;        // u8 per key list: arc kind (area)

inline constexpr int32_t kFareCurrencyBytes = 20;
inline constexpr int32_t kFareKeyTripleBytes = 12;
inline constexpr int32_t kFareStationZoneBytes = 8;
// Currency record: f64 rate; u8 divide (else multiply); u8 rounding (0 whole
// units, 1 tens of hundredths, 2 hundredths); u8 total mark; u8 0;
// i32 format with hundredths; i32 format without (texts of the pool).
inline constexpr int32_t kCurrencyDivide = 8;
inline constexpr int32_t kCurrencyRounding = 9;
inline constexpr int32_t kCurrencyMark = 10;
inline constexpr int32_t kCurrencyFormatCents = 12;
inline constexpr int32_t kCurrencyFormatWhole = 16;

// Rule record (144 bytes, the fourth array). Bytes 0-83 are the 21 array
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

inline constexpr int32_t kRuleValidFrom = 92;  // u16 day, 0 open
inline constexpr int32_t kRuleValidTo = 94;    // u16 day, 0 open
inline constexpr int32_t kRuleDayRule =
    96;  // u8: 0 working, 1 Sunday/holiday, 2 mask, 4 not working
inline constexpr int32_t kRuleWeekdays = 97;          // u8, bit 0 Monday
inline constexpr int32_t kRuleWindowStart = 98;       // i16 minute, -1 none
inline constexpr int32_t kRuleWindowEnd = 100;        // i16 minute
inline constexpr int32_t kRuleFlags = 102;            // u8, kRuleFlag*
inline constexpr int32_t kRuleCategory = 103;         // u8, 0 general
inline constexpr int32_t kRuleCurrency = 104;         // i16
inline constexpr int32_t kRuleKindTest = 106;         // i16, -1 none
inline constexpr int32_t kRuleDuration = 108;         // i16 min, i16 max (-1 open)
inline constexpr int32_t kRuleStops = 112;            // i16 min, i16 max
inline constexpr int32_t kRuleZones = 116;            // i16 min, i16 max
inline constexpr int32_t kRuleFareCategories = 120;   // u32 mask, 0 none
inline constexpr int32_t kRuleTrainCategories = 124;  // u32 bit set, 0 none
inline constexpr int32_t kRuleRegion = 128;           // i32 text, -1 none
inline constexpr int32_t kRuleArcKind = 132;          // i16, -1 any
inline constexpr int32_t kRuleMeasureTable = 134;     // i16 table, -1 none

inline constexpr uint8_t kRuleFinal = 0x01;
inline constexpr uint8_t kRuleEitherEnd = 0x02;
inline constexpr uint8_t kRuleSeveralLegs = 0x04;
inline constexpr uint8_t kRuleAnyLegCategory = 0x08;
inline constexpr uint8_t kRuleSingleVariant = 0x10;
inline constexpr uint8_t kRuleSingleLeg = 0x20;

// Array slots of a rule.
enum RuleSlot : int32_t {
  kSlotFirstStops = 0,      // i32 keys
  kSlotLastStops = 1,       // i32 keys
  kSlotKeyPairs = 2,        // 16 bytes {first lo, hi; last lo, hi}
  kSlotNamePatterns = 3,    // i32 texts: first stop, last stop (-1 none)
  kSlotTrainNumbers = 4,    // 8 bytes {lo; hi}
  kSlotAllStops = 5,        // i32 keys
  kSlotRequiredKeys = 6,    // 8 bytes {lo; hi}
  kSlotTextTriples = 7,     // 12 bytes {number text; name text; type text}
  kSlotPrices = 8,          // 20-byte price entries
  kSlotDistances = 9,       // 12 bytes {u32 category mask; i32 lo m; i32 hi m}
  kSlotRequiredZones = 10,  // i16 zones
  kSlotRemarkTexts = 11,    // i32 texts
};
inline constexpr int32_t kPriceEntryBytes =
    20;  // i16 table; i16 zone table; i16 lo; i16 hi; i32 base; i32 fixed[2]
// The element size of each slot's array above, by RuleSlot.
inline constexpr std::array<int32_t, kSlotRemarkTexts + 1> kRuleSlotBytes = {
    4, 4, 16, 4, 8, 4, 8, 12, kPriceEntryBytes, 12, 2, 4};

// The extension block: sixteen 4-byte slots; 0-3 and 7-8 are filled by
// arrays, slot 9 flags one more array (fare version 6 and later), slot 10
// is the rule's extension category (rules of another category than 0 are
// not priced here).
inline constexpr int32_t kTariffBlockBytes = 64;
inline constexpr int32_t kTariffBlockFlagSlot = 9;
inline constexpr int32_t kTariffBlockCategory = 40;

// Tariff table (24 bytes, the fifth array; its two arrays: thresholds or
// zones, then values).
inline constexpr int32_t kFareZoneRecordBytes = 24;
inline constexpr int32_t kTableKind = 0;      // u8
inline constexpr int32_t kTableZoneMode = 1;  // u8: 0 key ranges, 1 zone names
inline constexpr int32_t kTableBase = 4;      // i32 added to the measure text's value
inline constexpr int32_t kTableFormats = 8;   // i32 text of the measure formats, -1 none
enum TableKind : uint8_t {
  kTableDistance = 0,
  kTableDuration = 1,
  kTableStops = 2,
  kTableZones = 3,
  kTableZonePrice = 4,
  kTableZoneNumber = 5,
  kTableZonePairMeasure = 6,
};
// A zone-pair table: its first array is the zones (zone mode 0: 8-byte key
// ranges {i32 first; i32 last}; mode 1: i32 zone-name texts), its second
// the value of each pair of zones, the upper triangle by rows, with the
// diagonal or (key ranges only) without it.
constexpr bool IsZonePairTable(uint8_t kind) {
  return kind == kTableZonePrice || kind == kTableZoneNumber;
}
inline constexpr int32_t kZoneRangeBytes = 8;

// The number of values of the triangle of `zones` zones.
constexpr int64_t ZonePairCount(int64_t zones, bool diagonal) {
  return diagonal ? zones * (zones + 1) / 2 : zones * (zones - 1) / 2;
}

// Whether `values` fill the triangle, by the zones' mode.
constexpr bool ZonePairValuesFit(int64_t zones, int64_t values, bool keyRanges) {
  return values == ZonePairCount(zones, true) ||
         (keyRanges && values == ZonePairCount(zones, false));
}

// The place of the pair of zones m <= M in the triangle.
constexpr int64_t ZonePairIndex(int64_t zones, int64_t m, int64_t M, bool diagonal) {
  return diagonal ? (2 * zones - m + 1) * m / 2 + M - m : (2 * zones - m - 1) * m / 2 + M - m - 1;
}

}  // namespace qo
