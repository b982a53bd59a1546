#include "tools/rich_model.h"

namespace qo::writer::testing {

TimetableModel RichModel() {
  TimetableModel m;
  m.languages = "CE";
  m.names = {"Vlaky", "Trains"};
  m.decorations = {"ČD", "CD"};
  m.descriptions = {"Řádek 1|Řádek 2", "Line 1|Line 2"};
  m.extension_names = {".gis"};
  m.resource_name = "res.dll";
  m.code = "CZ25";
  m.description = "Jízdní řád";
  m.regions = {"Praha-Západ", "Brno"};
  m.stations = {
      {.name = {"Praha hl.n.", "Prague main"}, .key = 5457076, .region = 0, .remark = "{I}x"},
      {.name = {"Kolín"}, .key = 5453274, .time_shift = 0, .change_time = 5},
      {.name = {"Brno hl.n."}, .key = 5433007, .region = 1},
      {.name = {"Žďár nad Sázavou"}, .key = 5434107},
  };
  m.arcs = {{0, 1, 62000}, {1, 0, 62000}, {1, 3, 100000}, {3, 2, 80000}};
  m.transfers = {{0, 1, 10, 15}, {1, 0, 10}};
  m.pass_via = {{}, {0}, {}, {2, 3}};
  m.virtual_lists = {
      {.type = 1,
       .name = {"Obce", "Towns"},
       .items = {{.stations = {0}, .key = 1}, {.stations = {2, 3}, .station_bytes = {1, 0}}}},
      {.type = 5,
       .default_kind = 2,
       .name = {"Zastávky"},
       .items = {{.stations = {1}, .kind = -4, .name = {"Kolín město"}}}},
  };
  m.train_types = {{.abbreviation = {"Os"}, .description = {"Osobní", "Local"}},
                   {.abbreviation = {"R"}, .description = {"Rychlík", "Fast"}}};
  m.calendars = {{.days = {DayNumberOf(2025, 1, 1), DayNumberOf(2025, 1, 3)},
                  .remarks = {{"jede 1.1.", "runs 1 Jan"}}}};
  m.lines = {{"Linka S1", "Line S1"}};
  m.owners = {{"{ON}ČD"}};
  m.trains = {
      {.stops = {{.station = 0, .departure = 480, .distance = 0},
                 {.station = 1, .arrival = 520, .departure = 522, .distance = 62000},
                 {.station = 3, .arrival = 600, .distance = 162000}},
       .number = "801",
       .second_number = "S1",
       .type = 0,
       .calendar = 0,
       .remarks = {{"Vůz", "Car"}},
       .line = 0,
       .owner = 0,
       .service_set = 0,
       .start_end_flags = static_cast<int8_t>(0x80),
       .physical_type = 0,
       .stop_pattern = 0},
      {.stops = {{.station = 2, .departure = 1420},
                 {.station = 3, .arrival = 1450, .departure = 1450, .flags = 0x1000},
                 {.station = 1, .arrival = 1500}},
       .number = "R 12",
       .type = 1,
       .attributes = 0x10000000,
       .physical_type = 0},
  };
  m.station_remarks = {{.train = 0, .last_train = 1, .station = 1, .code = "X", .text = {"Pozor"}},
                       {.train = -1, .station = 0, .code = "ab"}};
  m.continuations = {{.train_a = 0, .station = 3, .train_b = 1}};
  m.distance_overrides = {{.train = 0, .from = 1, .to = 3, .length = 99000}};
  m.train_pairs = {{0, 1}};
  m.via_sections = {{.key = 7, .end_a = 5457076, .end_b = 54}};
  m.customs_mask = 0x100000001ull;
  m.change_penalty_rows = {{1, 2, 3}, {4}};
  m.links = {{.kind = 3, .area = 1, .entries = {{.station = 0, .other_key = 77, .value = 2}}}};
  m.days_off = {DayNumberOf(2025, 1, 1)};
  m.zone_lines = {{801, 3}};
  m.town_key = 42;
  m.key_translation = {{5457076, 1}, {5433007, 2}};
  m.hourly_change_times = std::vector<int16_t>(24, 4);
  m.gis_town_items = {0};
  m.first_pairs = {{5, 3, 4}};
  m.second_pairs = {{1, 2, 9}};
  m.through_running = {{.train = 1, .station = 1, .line_value = -1}};
  m.service_codes.codes = {{.name = "WC", .short_text = "a", .description = {"Toaleta", "Toilet"}}};
  m.service_codes.sets = {1};
  m.service_codes.filter_letters = "W";
  m.service_codes.letter_masks = {1};
  m.service_codes.filter_ids = {17};
  m.service_codes.roles = {0, -1, -1, 0};
  m.region_numbers = {{.first_train = 0, .last_train = 1, .region_code = "JM", .number = "1234"}};
  m.merge_kind = 2;
  m.merge_area = 1;
  m.stop_patterns = {{{0, 1}, {1, 0}}};
  m.line_validity = {{.line_key = 801, .first_day = DayNumberOf(2025, 1, 1)}};
  m.train_validity = {{0}, {}};
  m.physical_types = {
      {.abbreviation = {"EMU"}, .description = {"Jednotka", "Unit"}, .type_bit = 0}};
  m.stop_flag_mask = 0x10000000;
  return m;
}

}  // namespace qo::writer::testing
