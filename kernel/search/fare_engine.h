#pragma once
// The fare engine: prices a found connection from the fare extensions of
// its timetables. The journey is cut into tariff nodes (runs of legs priced
// together), each node is priced by the first rules of its timetable that
// apply, and the lines are gathered into sections and one total per
// currency mark. The result tables are kernel-global and fixed in size;
// whatever does not fit is dropped and the result says "partly priced".
#include <array>
#include <cstdint>
#include <vector>

#include "dates/day_number.h"
#include "search/connection_leg.h"

namespace qo {

#pragma pack(push, 1)
struct PriceLine {
  int32_t Price;      // hundredths of the currency's unit
  char Text[32];      // the price written in the currency's format
  char Rule[100];     // rule name in the asked language
  char Measure[100];  // e.g. the distance with its unit
  uint8_t Flag;       // the rule's flags
  uint8_t Mark;       // the currency's total mark
};
struct PriceSection {
  int32_t FromTimetable;
  int32_t FromStation;
  int32_t ToTimetable;
  int32_t ToStation;
  int32_t Count;
  PriceLine Lines[6];
};
#pragma pack(pop)
static_assert(sizeof(PriceLine) == 238);
static_assert(sizeof(PriceSection) == 1448);

inline constexpr int kMaxFareLines = 31;  // totals
inline constexpr int kMaxFareSections = 31;
inline constexpr int kMaxSectionLines = 6;
inline constexpr int kMaxTariffNodes = 31;

enum FareResult : int { FareAllPriced = 0, FarePartlyPriced = 1, FareNotPriced = 2 };

struct FareRequest {
  DayNumber TravelDay = 0;  // the day the first leg departs (by date)
  bool ByDayType = false;
  int32_t DayType = 0;
  int32_t WeekdayMask = 0;
  char Language = 'C';
  int32_t Variant = 0;    // 1: the second price of each rule, when offered
  int32_t Category = -1;  // -1: none asked
};

struct FareTables {
  std::array<PriceLine, kMaxFareLines> Totals{};
  int32_t TotalCount = 0;
  std::array<PriceSection, kMaxFareSections> Sections{};
  int32_t SectionCount = 0;
  // Leg positions at which a chain of linked nodes was cut.
  std::vector<int32_t> Cuts;
};

// The kernel's one set of result tables (valid until the next calculation).
FareTables& CurrentFareTables();

// Prices the legs (timetable indexes of the loaded set) into `out`.
FareResult CalculateFare(Connection const& legs, FareRequest const& request, FareTables& out);

}  // namespace qo
