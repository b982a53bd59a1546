#pragma once
// A timetable model that fills every section its format version carries:
// four stations, three trains (one crossing midnight, two that can share a
// stop pattern), a calendar, remarks, owners, lines, virtual lists, arcs and
// walking links. Used by the reader tests and for the fuzzer's seeds.
#include <cstdint>
#include <string>

#include "text/cp1250.h"
#include "writer/timetable_writer.h"

namespace qo::test {

namespace w = qo::writer;

inline w::TimetableModel RichModel(uint32_t version) {
  w::TimetableModel m;
  m.format_version = version;
  m.kind = 1;
  m.area = 2;
  m.languages = "CE";
  m.names = {"Vzorový řád", "Sample timetable"};
  m.regions = {"Praha-Západ"};
  m.stations = {
      {.name = {"Praha hl.n."}, .key = 5457076, .type = 0x0400, .region = 0, .remark = "{Z}1"},
      {.name = {"Beroun"}, .key = 5457086},
      {.name = {"Plzeň hl.n."}, .key = 5457096},
      {.name = {"Cheb"}, .key = 5457106},
  };
  m.arcs = {{0, 1, 30000}, {1, 0, 30000}, {1, 2, 60000}, {2, 1, 60000}, {2, 3, 90000}};
  m.transfers = {{.from = 0, .to = 1, .minutes = 5}};
  m.virtual_lists = {
      {.type = 1,
       .name = {"Obce", "Towns"},
       .items = {{.stations = {0}, .key = 10, .name = {"Praha", "Prague"}},
                 {.stations = {2, 3}, .key = 20, .name = {"Západ", "West"}}}},
      {.type = 5, .name = {"Oblasti"}, .items = {{.stations = {1}, .key = 30}}},
  };
  m.train_types = {{.abbreviation = {"Os"}, .description = {"Osobní vlak", "Passenger train"}},
                   {.abbreviation = {"R"}, .description = {"Rychlík", "Fast train"}}};
  m.calendars = {{.days = {w::DayNumberOf(2025, 1, 6), w::DayNumberOf(2025, 1, 7)}}};
  m.owners = {{"{ON}ČD{OF}České dráhy"}};
  m.lines = {{"S1"}};
  m.trains = {
      {.stops = {{.station = 0, .departure = 480, .distance = 0},
                 {.station = 1, .arrival = 510, .departure = 512, .distance = 30000},
                 {.station = 2, .arrival = 570, .distance = 90000}},
       .number = "1234",
       .type = 1,
       .calendar = 0,
       .remarks = {{"Vlak veze lůžkové vozy"}},
       .line = 0,
       .owner = 0},
      {.stops = {{.station = 0, .departure = 540, .distance = 0},
                 {.station = 1, .arrival = 570, .departure = 572, .distance = 30000},
                 {.station = 2, .arrival = 630, .distance = 90000}},
       .number = "1236"},
      {.stops = {{.station = 3, .departure = 1420, .distance = 0},
                 {.station = 2, .arrival = 1510, .distance = 90000}},
       .number = "Ex 7",
       .calendar = 0},
  };
  m.station_remarks = {{.train = 0, .station = 1, .code = "x", .text = {"Zastavuje na znamení"}}};
  if (version >= 3) {
    m.links = {{.kind = 2, .area = 2, .entries = {{.station = 0, .other_key = 555, .value = 3}}}};
    m.days_off = {w::DayNumberOf(2025, 1, 1)};
  }
  if (version >= 4) m.zone_lines = {{.number_value = 1234, .threshold = 5}};
  if (version >= 5) m.town_key = 77;
  if (version >= 8) m.hourly_change_times.assign(24, 3);
  if (version >= 12) {
    m.service_codes.codes = {{.name = "WC", .short_text = "W", .description = {"Toaleta"}}};
    m.service_codes.sets = {1};
    m.stations[0].service_set = 0;
    m.trains[0].service_set = 0;
  }
  if (version >= 15) {
    m.merge_kind = 2;
    m.merge_area = 3;
    m.stations[0].merge_key = 99;
  }
  if (version >= 23) m.stop_flag_mask = 0x100;
  return m;
}

inline std::string Cp(const std::string& utf8) { return Utf8ToCp1250(utf8); }

}  // namespace qo::test
