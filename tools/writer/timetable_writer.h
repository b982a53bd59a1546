#pragma once
// Writes timetable files and extension files from models, and damaged
// copies of them for the tests of the reader. The layout is
// docs/timetable-format.md.
//
//   qo::writer::TimetableModel model;
//   model.stations = {{.name = {"Praha"}}, {.name = {"Brno"}}};
//   model.trains = {{.stops = {{.station = 0, .departure = 480},
//                              {.station = 1, .arrival = 630}}}};
//   qo::writer::WrittenFile file = qo::writer::WriteTimetable(model);
//
// An inconsistent model is refused with ModelError, whose text names the
// offending part ("train 3, stop 2: station 17 does not exist").
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "writer/fare_model.h"
#include "writer/gis_model.h"
#include "writer/qmap_model.h"
#include "writer/timetable_model.h"

namespace qo::writer {

class ModelError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct WriteOptions {
  // Store trains whose stop lists are equal up to a shift in time as
  // references to one shared pattern (only where the kernel's decoding gives
  // back exactly the same stop words).
  bool share_stop_patterns = false;
  // Write the station event lists; without them the loader builds them.
  bool write_station_events = true;
  // Also share patterns whose run is longer than a day: the decoding then
  // reduces the minutes more than once (modulo 1440, 1440 kept at the end).
  bool share_patterns_over_a_day = false;
};

// A named place in a written file: a section (body item or version
// section, named as in docs/timetable-format.md) or one array or pool
// inside it ("StationNames/offsets", "TrainStops/words", ...).
struct Mark {
  std::string name;
  size_t offset = 0;
};

struct WrittenFile {
  std::vector<uint8_t> bytes;
  // Sections in file order, each at its first byte. The description block
  // (when written) is "Description", the trailer "Trailer"; an extension
  // file ends in its CRC, "Crc".
  std::vector<Mark> sections;
  // Bytes after the body: the 48-byte trailer, or an extension's CRC.
  size_t tail_bytes = 48;
  // Every array and pool header, in file order.
  std::vector<Mark> arrays;

  // The offset of a section or array by name; throws std::out_of_range for
  // an unknown name.
  size_t SectionOffset(std::string_view name) const;
  size_t ArrayOffset(std::string_view name) const;
};

WrittenFile WriteTimetable(TimetableModel const& model, WriteOptions const& options = {});

enum class ExtensionType : uint32_t { kFares = 2, kGis = 3, kStationKeys = 4, kQMap = 5 };

// A row of the station-key extension: a station's key and its keys in two
// other systems.
struct StationKeyRow {
  int32_t station_key = 0;
  int32_t tcv_key = 0;
  int32_t reservation_key = 0;
};

struct ExtensionModel {
  ExtensionType type = ExtensionType::kFares;
  int32_t owner_id = -1;  // -1: any timetable
  uint16_t fare_version = 6;
  uint16_t qmap_version = 1;
  uint8_t gis_languages = 1;
  uint32_t station_key_sets = 0;  // 0..2: further column triples
  // The rows of the first column triple (the further triples stay empty).
  std::vector<StationKeyRow> station_key_rows{};
  // The content of a GIS file; without map names the file has
  // gis_languages empty map-name pools.
  GisModel gis{};
  // The content of a QMap file (its version is qmap_version).
  QMapModel qmap{};
  // The content of a fare file; the default is a file without rules.
  FareModel fares{};
};

WrittenFile WriteExtension(ExtensionModel const& model);

// Damage for the reader's tests. Each returns a new image; unless said
// otherwise the CRC is recomputed afterwards ("resealed"), so that the
// reader meets the damage itself rather than a failing checksum.

// The file cut at a section's first byte. With reseal a fresh trailer (or
// CRC) is appended (description offset 0), else the bytes simply end there.
std::vector<uint8_t> TruncateAt(WrittenFile const& file, std::string_view section,
                                bool reseal = true);
// The u32 at offset (e.g. ArrayOffset("StationKeys") + 0 for the byte size,
// + 4 for the count, + 8 + 4 * i for element i) replaced.
std::vector<uint8_t> PatchU32(WrittenFile const& file, size_t offset, uint32_t value,
                              bool reseal = true);
std::vector<uint8_t> PatchU8(WrittenFile const& file, size_t offset, uint8_t value,
                             bool reseal = true);
// The stored CRC off by one bit.
std::vector<uint8_t> BreakCrc(WrittenFile const& file);
// The signature's first byte changed (CRC resealed).
std::vector<uint8_t> BreakSignature(WrittenFile const& file);
// Recomputes the CRC in the last four bytes of an image of 4 bytes or more.
void Reseal(std::vector<uint8_t>& bytes);

// Writes bytes to a file; throws std::runtime_error on failure.
void SaveFile(std::string const& path, std::vector<uint8_t> const& bytes);

}  // namespace qo::writer
