#pragma once
// The model of one timetable as tests and tools describe it, before it is
// written as a .qo file (timetable_writer.h). Every field has a default, so
// a test states only what it cares about; whatever the file needs to agree
// (key order, search letters, offsets, counts, event lists, calendar
// classes) the writer derives.
//
// Texts are UTF-8; the writer converts them to Windows-1250 and refuses a
// character that Windows-1250 lacks. Indexes (stations, trains, types,
// calendars, lines, owners, regions) are 0-based positions in the vectors
// of this model. The layout the writer produces is docs/timetable-format.md.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "format/stored_bits.h"

namespace qo::writer {

// A text in every data language. Empty: the empty text in every language;
// one entry: the same text in every language; otherwise exactly one entry
// per data language, in the order of TimetableModel::languages.
using LangText = std::vector<std::string>;

// Day number of a date (1 January 1900 is day 0), for stating dates in
// models: DayNumberOf(2025, 1, 1). Proleptic Gregorian, no checks.
constexpr uint16_t DayNumberOf(int year, int month, int day) {
  auto civil = [](int y, int m, int d) {
    y -= m <= 2;
    int era = (y >= 0 ? y : y - 399) / 400;
    int yoe = y - era * 400;
    int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
  };
  return static_cast<uint16_t>(civil(year, month, day) - civil(1900, 1, 1));
}

inline constexpr int32_t kNoTime = -1;

// Bits of a stop word's time word that a model may set per stop.
inline constexpr uint16_t kStopFlagMask = kStopFlags;

struct TimeShiftEntry {
  int32_t limit = 0;
  int16_t shift = 0;
};

struct Station {
  LangText name{};
  // 0 lets the writer assign index + 1. Keys must be unique.
  int32_t key = 0;
  uint16_t type = 0;     // the writer adds 0x0800 where a train starts or ends, as the loader does
  int16_t region = -1;   // index into TimetableModel::regions
  std::string remark{};  // one text (not per language); empty = none
  int16_t time_shift = 0;
  // When any station has entries here, the file carries per-station shift
  // lists instead of single shifts.
  std::vector<TimeShiftEntry> time_shift_list{};
  int16_t change_time = -1;  // default minimal change time; -1 = not given
  int32_t merge_key = 0;     // key in the merge timetable (version 15)
  int16_t service_set = -1;  // index into ServiceCodes::sets (version 12)
};

// A directed arc of the station graph.
struct Arc {
  uint16_t from = 0;
  uint16_t to = 0;
  int32_t length = 0;
};

// A walking link between two stations of this timetable.
struct Transfer {
  uint16_t from = 0;
  uint16_t to = 0;
  int8_t minutes = 0;  // negative: switched off
  std::optional<int8_t> barrier_free_minutes{};
};

// One stop of a train. Times are minutes after midnight of the day of the
// train's first departure: 1450 is 0:10 on the next day. The first stop
// needs a departure, the last an arrival, every other stop at least one of
// the two; a stop whose two times differ is stored as two stop words.
struct Stop {
  uint16_t station = 0;
  int32_t arrival = kNoTime;
  int32_t departure = kNoTime;
  uint16_t flags = 0;                 // kStopFlagMask bits, on every word of the stop
  std::optional<int32_t> distance{};  // cumulative from the first stop; all or none per train
};

struct Train {
  std::vector<Stop> stops{};
  // A canonical decimal number that fits 31 bits is stored as a number,
  // anything else as a text.
  std::string number{};
  std::string second_number{};      // the second number table exists when any train has one
  int type = 0;                     // type bit index into TimetableModel::train_types
  uint32_t attributes = 0;          // high bits of the type word (TrainTypeWord)
  int calendar = -1;                // index into TimetableModel::calendars; -1 = every day
  std::vector<LangText> remarks{};  // general remarks, in order
  int16_t line = -1;                // index into TimetableModel::lines
  int16_t owner = -1;               // index into TimetableModel::owners
  int16_t service_set = -1;         // index into ServiceCodes::sets (version 12)
  int8_t start_end_flags = 0;       // per-trip start/end flags (version 11)
  int16_t physical_type = -1;       // index into TimetableModel::physical_types (version 20);
                                    // needed by every train when the timetable has them
  int32_t stop_pattern = -1;        // index into TimetableModel::stop_patterns (version 16)
  uint8_t stop_pattern_byte = 0;
};

struct TrainType {
  LangText abbreviation{};
  LangText description{};
  uint8_t type_bit = 0;  // physical types only: the train type it belongs to
};

// A calendar class: the days (day numbers within the validity) on which its
// trains leave their first stop, and its stored day remarks.
struct Calendar {
  std::vector<uint16_t> days{};
  std::vector<LangText> remarks{};
};

// A remark of trains at one station. train -1: every train; last_train
// above train: the range train..last_train.
struct StationRemark {
  int32_t train = -1;
  int32_t last_train = -1;
  uint16_t station = 0;
  std::string code{};  // at most 4 bytes
  LangText text{};     // empty: a row without text
  // A row that gives the trains a service-code set at the station instead
  // of a text (stored as -(set + 1) in the text field; needs no text).
  int16_t service_set = -1;  // index into ServiceCodes::sets
};

struct Continuation {
  int32_t train_a = 0;
  int32_t station = 0;
  uint16_t train_b = 0;
};

struct VirtListItem {
  std::vector<uint16_t> stations{};      // one or more
  std::vector<uint8_t> station_bytes{};  // empty, or one per station
  int32_t key = 0;
  int8_t kind = 0;
  LangText name{};  // empty: the item takes its search letters from its first station
};

struct VirtList {
  uint32_t type = 1;
  uint8_t default_kind = 0;
  LangText name{};
  std::vector<VirtListItem> items{};
};

// Links from own stations to stations of another timetable (version 3).
struct LinkEntry {
  uint16_t station = 0;
  int32_t other_key = 0;
  uint8_t value = 0;
};
struct LinkRecord {
  uint8_t kind = 0;
  uint8_t area = 0;
  std::vector<LinkEntry> entries{};
};

struct ZoneLine {
  int32_t number_value = 0;
  int32_t threshold = 0;
};

// Search defaults. The first three go to body item 48, the rest to version
// section 1.
struct SearchDefaults {
  uint32_t max_change_time = 240;
  uint32_t min_change_time = 0;
  uint32_t change_penalty = 0;
  uint32_t max_changes = 5;
  uint32_t window_direct = 1440;
  uint32_t window_changes = 360;
  uint32_t delta_max_type = 0;
  uint32_t delta_max_metres = 200000;
  uint32_t delta_max_percent = 100;
  uint32_t retries_direct = 3;
  uint32_t retries_changes = 2;
};

struct ServiceCode {
  std::string name{};
  std::string short_text{};  // symbol characters, stored as given (bytes, not converted)
  LangText description{};
};
struct ServiceCodes {
  std::vector<ServiceCode> codes{};
  std::vector<uint64_t> sets{};  // bit i = code i
  std::string filter_letters{};
  std::vector<uint64_t> letter_masks{};  // parallel to filter_letters (version 22)
  std::vector<int32_t> filter_ids{};     // (version 22)
  uint64_t barrier_free_station_mask = 0;
  std::array<int32_t, 4> roles = {-1, -1, -1, -1};  // code filling role 1..4, -1 none
  uint32_t day_type_mask = 0;                       // (version 22)
  uint32_t section_type_mask = 0;                   // (version 22)
};

struct RegionNumberRow {
  int32_t first_train = 0;
  int32_t last_train = 0;
  std::string region_code{};  // at most 4 bytes
  std::string number{};       // at most 8 bytes
};

struct PatternStop {
  uint16_t station = 0;
  int16_t arc_kind = 0;
};

struct LineValidity {
  int32_t line_key = 0;
  int32_t flags = 0;
  int32_t first_day = 0;
  int32_t last_day = 0;  // 0 = open-ended
  uint8_t weekdays = 0x7F;
};

struct ThroughRunning {
  int32_t train = 0;
  uint16_t station = 0;
  int32_t line_value = 0;
};

struct DistanceOverride {
  uint32_t train = 0;
  uint16_t from = 0;
  uint16_t to = 0;
  int32_t length = 0;
};

struct TrainPair {
  int32_t train = 0;
  int32_t other = 0;
};

struct ViaSection {
  int32_t key = 0;
  int32_t end_a = 0;
  int32_t end_b = 0;
};

struct KeyTranslation {
  int32_t key = 0;
  int32_t translated = 0;
};

struct KeyPair {
  int32_t key_a = 0;
  int32_t key_b = 0;
  int32_t between = 0;
};

struct TimetableModel {
  // Header.
  uint32_t id = 1;
  uint32_t format_version = 23;
  uint8_t kind = 1;  // 1 rail, 2 bus, 3 city transport, 4 air
  uint8_t area = 0;
  uint32_t variant = 0;
  uint16_t creation_date = DayNumberOf(2024, 12, 1);
  uint16_t data_from = DayNumberOf(2025, 1, 1);
  uint16_t data_to = DayNumberOf(2025, 12, 31);
  uint16_t first_day = DayNumberOf(2025, 1, 1);
  uint16_t last_day = DayNumberOf(2025, 12, 31);
  std::string languages = "C";  // one letter per data language

  LangText names = {"Test timetable"};
  LangText decorations{};
  LangText descriptions{};
  std::vector<std::string> extension_names{};
  std::string resource_name{};
  std::string code{};  // at most 8 bytes
  // The description block (version 2 and later): at most 99 characters.
  std::string description = "Test timetable";
  uint32_t description_value = 0;

  // Stations and what hangs on them.
  std::vector<Station> stations{};
  bool write_station_keys = true;
  std::vector<std::string> regions{};  // "first-second" or one part
  std::vector<Arc> arcs{};
  std::vector<Transfer> transfers{};
  // Per station the arc indexes that lead towards it; empty = no table.
  std::vector<std::vector<int32_t>> pass_via{};
  std::vector<VirtList> virtual_lists{};

  // Trains.
  std::vector<Train> trains{};
  std::vector<TrainType> train_types{};
  std::vector<Calendar> calendars{};
  std::vector<StationRemark> station_remarks{};
  std::vector<Continuation> continuations{};
  std::vector<LangText> lines{};
  std::vector<LangText> owners{};
  bool has_distances = false;  // also set by any stop with a distance
  std::vector<DistanceOverride> distance_overrides{};
  std::vector<TrainPair> train_pairs{};
  // The stored typical sets of the day types (item 47): empty, or 225 class
  // bit sets (each empty or of the calendar's set size) in the order of
  // docs/timetable-format.md; empty ones leave the kernel to build them.
  std::vector<std::vector<uint8_t>> day_type_windows{};

  // Search.
  SearchDefaults search{};
  std::vector<ViaSection> via_sections{};
  std::optional<uint64_t> customs_mask{};
  std::vector<std::vector<uint8_t>> change_penalty_rows{};

  // Version sections.
  std::vector<LinkRecord> links{};                // 3
  std::vector<uint16_t> days_off{};               // 3: day numbers within the validity
  std::vector<ZoneLine> zone_lines{};             // 4
  uint32_t town_key = 0;                          // 5
  std::vector<KeyTranslation> key_translation{};  // 7
  std::vector<int16_t> hourly_change_times{};     // 8: empty or 24 entries
  std::vector<uint16_t> gis_town_items{};         // 9
  std::vector<KeyPair> first_pairs{};             // 10
  std::vector<KeyPair> second_pairs{};            // 10
  std::vector<ThroughRunning> through_running{};  // 11 (with Train::start_end_flags)
  ServiceCodes service_codes{};                   // 12, 14, 21, 22
  std::vector<RegionNumberRow> region_numbers{};  // 13
  uint8_t merge_kind = 0;                         // 15 (with Station::merge_key)
  uint8_t merge_area = 0;
  std::vector<std::vector<PatternStop>> stop_patterns{};  // 16 (with Train::stop_pattern)
  uint32_t fare_value = 0;                                // 17
  std::vector<LineValidity> line_validity{};              // 18
  std::vector<std::vector<uint16_t>> train_validity{};    // 18: per train, record indexes
  std::vector<TrainType> physical_types{};                // 20 (with Train::physical_type)
  uint32_t stop_flag_mask = 0;                            // 23
};

}  // namespace qo::writer
