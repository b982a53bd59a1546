#pragma once
// Extension files with content for the extension reader's tests and the
// fuzzer's seeds: the GIS map and the QMap data from the writer's models,
// the fare body built with the writer's byte sink (the writer writes it
// empty). They fit the stations of RichModel (keys 5457076 + 10 * i).
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "format/fare_layout.h"
#include "kernel/load/rich_timetable.h"
#include "load/read_extension.h"
#include "load/read_timetable.h"
#include "writer/byte_sink.h"

namespace qo::test {

// The extension frame the writer makes, with a body of our own.
inline std::vector<uint8_t> WithBody(w::ExtensionType type, const std::vector<uint8_t>& body) {
  w::WrittenFile frame = w::WriteExtension({.type = type});
  std::vector<uint8_t> bytes(frame.bytes.begin(), frame.bytes.begin() + kExtensionFrameBytes);
  bytes.insert(bytes.end(), body.begin(), body.end());
  bytes.insert(bytes.end(), kExtensionCrcBytes, 0);
  w::Reseal(bytes);
  return bytes;
}

// An array of elements of `width` bytes made of the given values.
template <class T>
void Elements(w::ByteSink& b, size_t width, const std::vector<T>& values) {
  std::vector<uint8_t> raw(values.size() * sizeof(T));
  for (size_t i = 0; i < values.size(); ++i) StoreLE(raw.data() + i * sizeof(T), values[i]);
  b.Array("elements", width, raw.size() / width, raw);
}

// A GIS map: a far point in layer array 1 (not part of the extent), a
// vertex array and a polyline in array 2, and the station point table in
// array 3 (two keys of RichModel's stations and one of no station).
inline w::GisModel GisContent() {
  w::GisModel gis;
  gis.map_id = 7;
  gis.map_names = {"Mapa"};
  gis.layer_names = {"Železnice"};
  gis.layers[0].push_back({.points = {{-1000000, -1000000, 0}}});
  gis.layers[1].push_back({.name = 0,
                           .vertices = {{-50, 10}, {40, 20}},
                           .lines = {{{0, -30}, {100, 5}}},
                           .labels = {{.x = 5, .y = 5, .text = "Beroun"}, {.x = 6, .y = 6}}});
  gis.station_points = {{10, 60, 5457086}, {20, 70, 5457096}, {30, 80, 9999999}};
  return gis;
}

inline std::vector<uint8_t> GisFile() {
  return w::WriteExtension({.type = w::ExtensionType::kGis, .gis = GisContent()}).bytes;
}

// A QMap file: coordinate rows by key (station 0 twice, newest first, then
// station 2 and a place of no station), an arc from the first row to row
// `arcTarget` over the one polyline.
inline w::QMapModel QMapContent(int32_t arcTarget) {
  w::QMapModel q;
  q.coors = {{5457076, 45000, {1.0, 2.0}, {{arcTarget, 1, 40000, {0}}}},
             {5457076, 40000, {1.5, 2.5}},
             {5457096, 40000, {3.0, 4.0}},
             {8888888, 40000, {5.0, 6.0}}};
  q.polylines = {{{1.0, 2.0}, {3.0, 4.0}}};
  return q;
}

inline std::vector<uint8_t> QMapFile(int32_t arcTarget) {
  return w::WriteExtension({.type = w::ExtensionType::kQMap, .qmap = QMapContent(arcTarget)}).bytes;
}

// A fare body written by the writer: one rule naming an owner ("XY|ČD"),
// and area 7 over the stations keyed 5457076 and 5457086 (and a key of no
// station).
inline std::vector<uint8_t> FareBody() {
  w::ExtensionModel m{.type = w::ExtensionType::kFares};
  w::FareModel& f = m.fares;
  f.currencies = {{}, {.rate = 25.0, .divide = true, .rounding = 1, .mark = 1}};
  w::FareRule rule;
  rule.names = {"Jízdné"};
  rule.owners = "XY|ČD";
  // A second rule fills every array a rule has, so that the fuzzer's seed
  // reaches each of them.
  w::FareRule full;
  full.names = {"Vše"};
  full.currency = 1;
  full.first_stops = full.last_stops = full.all_stops = {5457076};
  full.key_pairs = {{0, 9999999, 0, 9999999}};
  full.first_pattern = "$0";
  full.last_pattern = "Praha";
  full.train_numbers = full.required_keys = {{0, 9999999}};
  full.text_triples = {{"1", "", "Os"}};
  full.prices = {{.table = 0, .zone_table = 1, .zone_lo = 1, .zone_hi = 9},
                 {.table = 2, .zone_table = 3}};
  full.distances = {{0, 0, 1000000}};
  full.required_zones = {1};
  full.remark_texts = {"kolo"};
  full.region = "Pra";
  full.measure_table = 0;
  f.rules = {rule, full};
  f.tables = {{.kind = 0, .formats = "1-4=%d km|%d km", .thresholds = {10000}, .values = {100, 50}},
              {.kind = 4, .values = {1}, .zone_ranges = {{0, 5457080}, {5457081, 9999999}}},
              {.kind = 6, .thresholds = {3}, .values = {100}},
              {.kind = 5, .zone_names = true, .values = {1, 2, 3}, .zone_names_list = {"P", "B"}}};
  f.station_zones = {{5457076, 1, 2}};
  f.zone_map = {0, 1, 2};
  f.transfers = f.borders = f.arc_zones = {{5457076, 5457086, 500}};
  f.train_categories = {0, 1, -1};
  f.areas = {{.kind = 7, .keys = {5457076, 5457086, 1}}};
  w::WrittenFile file = w::WriteExtension(m);
  return std::vector<uint8_t>(file.bytes.begin() + kExtensionFrameBytes,
                              file.bytes.end() - kExtensionCrcBytes);
}

}  // namespace qo::test
