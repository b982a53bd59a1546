#pragma once
// The content of a fare extension file as the writer takes it. Texts are
// UTF-8 (written as Windows-1250); stations are named by their keys.
// docs/timetable-format.md tells what each field means to the fare engine.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qo::writer {

struct FareCurrency {
  double rate = 0;                       // 0: prices are taken as they are
  bool divide = false;                   // divide by the rate (else multiply)
  uint8_t rounding = 2;                  // 0 whole units, 1 tens of hundredths, 2 hundredths
  uint8_t mark = 0;                      // lines of one mark share a total line
  std::string format_cents = "%d.%02d";  // units, hundredths
  std::string format_whole = "%d";
};

struct FareKeyRange {
  int32_t lo = 0;
  int32_t hi = 0;
};

// One price entry of a rule: a threshold table's price for the rule's
// measure plus `base`, a zone-pair table's price, and a fixed amount, for
// the zone counts from `zone_lo` to `zone_hi` (-1: any).
struct FarePrice {
  int16_t table = -1;       // threshold table (kinds 0-3, 6), -1 none
  int16_t zone_table = -1;  // zone-pair table (kinds 4, 5), -1 none
  int16_t zone_lo = -1;
  int16_t zone_hi = -1;
  int32_t base = 0;
  int32_t fixed[2] = {0, 0};  // per price variant, in hundredths
};

struct FareDistanceRange {
  uint32_t category_mask = 0;  // the legs counted; 0 all
  int32_t lo = 0;              // metres
  int32_t hi = 0;
};

struct FareTextTriple {
  std::string number{}, name{}, type{};  // empty: any
};

struct FareRule {
  std::vector<std::string> names{};  // one per fare language
  uint16_t valid_from = 0;           // day numbers, 0 open
  uint16_t valid_to = 0;
  uint8_t day_rule =
      0xFF;              // 0 working day, 1 Sunday or holiday, 2 weekdays, 4 not working; else any
  uint8_t weekdays = 0;  // bit 0 Monday
  int16_t window_start = -1;  // minutes; -1 none
  int16_t window_end = -1;
  bool final = true;
  bool either_end = false;
  bool several_legs = true;
  bool any_leg_category = false;
  bool single_variant = false;
  bool single_leg = false;
  uint8_t category = 0;
  int16_t currency = 0;
  int16_t kind_test = -1;
  int16_t duration[2] = {-1, -1};
  int16_t stops[2] = {-1, -1};
  int16_t zones[2] = {-1, -1};
  uint32_t fare_categories = 0;
  uint32_t train_categories = 0;
  std::string region{};  // empty: none
  int16_t arc_kind = -1;
  int16_t measure_table = -1;
  std::string owners{};  // '|'-separated owner texts; empty: every owner

  std::vector<int32_t> first_stops{}, last_stops{}, all_stops{};
  std::vector<std::array<int32_t, 4>> key_pairs{};  // first lo, hi; last lo, hi
  std::string first_pattern{}, last_pattern{};
  std::vector<FareKeyRange> train_numbers{}, required_keys{};
  std::vector<FareTextTriple> text_triples{};
  std::vector<FarePrice> prices{};
  std::vector<FareDistanceRange> distances{};
  std::vector<int16_t> required_zones{};
  std::vector<std::string> remark_texts{};
};

struct FareTable {
  uint8_t kind = 0;  // 0 distance, 1 duration, 2 stops, 3 zones, 4 zone-pair price, 5 zone-pair
                     // number, 6 zone-pair measure
  bool zone_names = false;  // kinds 4, 5: zones by the stations' zone names
  int32_t base = 0;
  std::string formats{};              // "lo-hi=format|value=format|format"; empty none
  std::vector<int32_t> thresholds{};  // kinds 0-3, 6
  // Kinds 0-3, 6: per threshold one value, or two (both variants in turn).
  // Kinds 4, 5: the upper triangle by rows, with or without the diagonal.
  std::vector<int32_t> values{};
  std::vector<FareKeyRange> zone_ranges{};     // kinds 4, 5 by key ranges
  std::vector<std::string> zone_names_list{};  // kinds 4, 5 by names
};

struct FareKeyTriple {
  int32_t a = 0, b = 0, value = 0;
};

struct FareStationZone {
  int32_t key = 0;
  int16_t zone = 0;
  int16_t second = -1;  // -1 none
};

struct FareArea {
  uint8_t kind = 0;
  std::vector<int32_t> keys{};
};

struct FareModel {
  std::string languages = "C";  // one letter per fare language
  uint8_t date_basis = 2;       // 0 earlier of today and the travel day, 1 today, 2 travel day
  uint8_t flags = 0;            // kFareFlag* of format/fare_layout.h
  uint32_t excluded_categories = 0;
  std::vector<FareCurrency> currencies{};
  std::vector<FareStationZone> station_zones{};
  std::vector<int16_t> zone_map{};  // zone number -> zone; empty none
  std::vector<FareRule> rules{};
  std::vector<FareTable> tables{};
  std::vector<FareKeyTriple> transfers{};  // key, key, metres of the walk
  std::vector<FareKeyTriple> borders{};    // inside key, outside key, metres to the border
  std::vector<int8_t> train_categories{};  // per train; empty none
  std::vector<FareKeyTriple> arc_zones{};  // key, key, zone of the arc
  std::vector<FareArea> areas{};           // arc kinds
};

}  // namespace qo::writer
