#include "writer/timetable_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "core/byte_order.h"
#include "core/crc32.h"
#include "format/file_signatures.h"
#include "tools/format_walker.h"
#include "tools/rich_model.h"

namespace qo::writer {
namespace {

using testing::RichModel;
using testing::ViewArray;
using testing::WalkExtension;
using testing::WalkTimetable;

// Appends little-endian fields to an expected image, so that the dump below
// reads field by field.
struct Expect {
  std::vector<uint8_t> bytes;
  void u8(uint8_t v) { bytes.push_back(v); }
  void u16(uint16_t v) {
    u8(v & 0xFF);
    u8(v >> 8);
  }
  void u32(uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  }
  void text(char const* s, size_t width) {
    for (size_t i = 0; i < width; ++i) u8(i < std::strlen(s) ? s[i] : 0);
  }
  void empty() { u32(0); }  // the empty array: a lone zero
  void emptyPool() {
    empty();
    empty();
  }
};

// A version-0 file with two stations and one train, checked byte for byte.
TEST(TimetableWriter, MinimalVersion0ByteForByte) {
  TimetableModel m;
  m.format_version = 0;
  m.id = 0x01020304;
  m.kind = 2;
  m.area = 7;
  m.creation_date = 100;
  m.data_from = 200;
  m.data_to = 201;
  m.first_day = 200;
  m.last_day = 201;
  m.names = {"T"};
  m.stations = {{.name = {"Ab"}, .key = 10}, {.name = {"Cd"}, .key = 5}};
  m.trains = {
      {.stops = {{.station = 0, .departure = 480}, {.station = 1, .arrival = 540}}, .number = "7"}};
  WrittenFile file = WriteTimetable(m);

  Expect e;
  // Header: signature, id, version, kind, area, variant, five dates, one language.
  e.text(kTimetableSignatureText, 66);
  e.u32(0x01020304);
  e.u32(0);
  e.u8(2);
  e.u8(7);
  e.u32(0);
  for (uint32_t day : {100, 200, 201, 200, 201}) e.u32(day);
  e.u32(1);
  e.u8('C');
  // 1 NamePool: the name "T" and an empty decoration: offsets {0,1,1}, chars "T".
  e.u32(12), e.u32(3), e.u32(0), e.u32(1), e.u32(1);
  e.u32(1), e.u32(1), e.u8('T');
  // 2 DescriptionPool: one empty text: offsets {0,0}, no characters.
  e.u32(8), e.u32(2), e.u32(0), e.u32(0);
  e.empty();
  // 3 ExtensionNames: none. 4 ResourceName: "". 5 TimetableCode: 8 zero bytes.
  e.emptyPool();
  e.u8(0);
  e.text("", 8);
  // 6 StationCount, 7 StationNames "Ab", "Cd".
  e.u32(2);
  e.u32(12), e.u32(3), e.u32(0), e.u32(2), e.u32(4);
  e.u32(4), e.u32(4), e.text("AbCd", 4);
  // 8 StationKeys {10, 5}; 9 StationsByKey {1, 0}.
  e.u32(8), e.u32(2), e.u32(10), e.u32(5);
  e.u32(4), e.u32(2), e.u16(1), e.u16(0);
  // 10, 11 search letters of "AB" and "CD".
  e.u32(2), e.u32(2), e.u8('A'), e.u8('C');
  e.u32(2), e.u32(2), e.u8('B'), e.u8('D');
  // 12 no time shifts; 13 types: both stations end the train (0x0800).
  e.empty();
  e.u32(4), e.u32(2), e.u16(0x0800), e.u16(0x0800);
  // 14 regions, 15 region names, 16 remark index, 17 remarks, 18 change times: none.
  e.empty();
  e.emptyPool();
  e.empty();
  e.emptyPool();
  e.empty();
  // 19 event offsets in bytes {0, 6, 12}; 20 events: departure 8:00 at
  // station 0, arrival 9:00 at station 1, train 0, day 0.
  e.u32(12), e.u32(3), e.u32(0), e.u32(6), e.u32(12);
  e.u32(12), e.u32(2);
  e.u16(480), e.u32(0x01000000);
  e.u16(540), e.u32(0x02000000);
  // 21 to 30: no arcs, item 24, no pass-via, no transfers, item 30 (five).
  for (int i = 0; i < 3 + 1 + 2 + 3 + 5; ++i) e.empty();
  // 31 no virtual lists; 32 station names in the one language.
  e.u32(0);
  e.u32(12), e.u32(3), e.u32(0), e.u32(2), e.u32(4);
  e.u32(4), e.u32(4), e.text("AbCd", 4);
  // 33 one train of two stop words.
  e.u32(1), e.u32(2);
  // 34 stop offsets in bytes {0, 8}; words {8:00, station 0}, {9:00, station 1}.
  e.u32(8), e.u32(2), e.u32(0), e.u32(8);
  e.u32(8), e.u32(2), e.u16(480), e.u16(0), e.u16(540), e.u16(1);
  // 35 main numbers: block (12 zero bytes, "%d", "%s"), values {7}, no texts.
  e.text("", 12), e.text("%d", 10), e.text("%s", 10);
  e.u32(4), e.u32(1), e.u32(7);
  e.emptyPool();
  // 36 second numbers: the block only.
  e.text("", 12), e.text("%d", 10), e.text("%s", 10);
  e.empty();
  e.emptyPool();
  // 37 no type words; 38 one language of (abbreviations, descriptions).
  e.empty();
  e.emptyPool(), e.emptyPool();
  // 39 no general remarks: three arrays and one pool.
  e.empty(), e.empty(), e.empty(), e.emptyPool();
  // 40 calendar class 0 for the train, no day remarks.
  e.u32(2), e.u32(1), e.u16(0);
  e.empty(), e.empty(), e.emptyPool();
  // 41 no station remarks, no slots; 42 no continuations; 43 no distances; 44 none.
  e.empty(), e.empty();
  e.empty(), e.empty(), e.empty();
  e.u32(0);
  e.empty(), e.empty();
  // 45 no overrides, pairs, lines (array, pool), owners (array, pool).
  e.empty(), e.empty(), e.empty(), e.emptyPool(), e.empty(), e.emptyPool();
  // 46 two days of validity, class 0 runs on both.
  e.u32(2);
  e.u32(1), e.u32(1), e.u8(1);
  e.u32(1), e.u32(1), e.u8(1);
  // 47 the 225 day-type windows, all empty.
  for (int i = 0; i < 225; ++i) e.empty();
  // 48 change-time defaults; 49 no via sections, no customs mask, 0; 50 no tables.
  e.u32(240), e.u32(0), e.u32(0);
  e.empty(), e.empty(), e.u32(0);
  e.u32(0);
  // Trailer: no description block before version 2, 40 zero bytes, CRC.
  e.u32(0);
  e.text("", 40);
  e.u32(ComputeCrc32(e.bytes.data(), e.bytes.size()));

  EXPECT_EQ(file.bytes, e.bytes);
  EXPECT_EQ(WalkTimetable(file.bytes).error, "");
}

TEST(TimetableWriter, EveryVersionWalksToTheTrailer) {
  for (uint32_t version = 0; version <= 23; ++version) {
    SCOPED_TRACE("version " + std::to_string(version));
    TimetableModel m = RichModel();
    m.format_version = version;
    for (bool patterns : {false, true}) {
      WrittenFile file = WriteTimetable(m, {.share_stop_patterns = patterns});
      testing::Walk walk = WalkTimetable(file.bytes);
      ASSERT_EQ(walk.error, "");
      ASSERT_EQ(walk.sections.size(), file.sections.size());
      for (size_t i = 0; i < walk.sections.size(); ++i) {
        EXPECT_EQ(walk.sections[i].name, file.sections[i].name);
        EXPECT_EQ(walk.sections[i].offset, file.sections[i].offset) << walk.sections[i].name;
      }
      // The trailer: description offset (none before version 2) and the CRC.
      size_t trailer = file.bytes.size() - 48;
      EXPECT_EQ(file.SectionOffset("Trailer"), trailer);
      uint32_t description = LoadU32(file.bytes.data() + trailer);
      if (version >= 2) {
        EXPECT_EQ(description, file.SectionOffset("Description"));
        EXPECT_STREQ(reinterpret_cast<char const*>(file.bytes.data() + description),
                     "J\xED"
                     "zdn\xED \xF8\xE1"
                     "d");
      } else {
        EXPECT_EQ(description, 0u);
      }
      EXPECT_EQ(LoadU32(file.bytes.data() + file.bytes.size() - 4),
                ComputeCrc32(file.bytes.data(), file.bytes.size() - 4));
    }
  }
}

// The kernel's decoding of stop words, as the file reference states it:
// what a reader makes of the stored ranges, pattern references expanded.
std::vector<uint32_t> DecodeAll(WrittenFile const& file, uint32_t trains) {
  auto offsets = ViewArray(file.bytes, file.ArrayOffset("TrainStops/offsets"));
  auto words = ViewArray(file.bytes, file.ArrayOffset("TrainStops/words"));
  auto word = [&](uint32_t byteOffset) { return LoadU32(words.data + byteOffset); };
  auto offset = [&](uint32_t i) { return LoadU32(offsets.data + 4 * i); };
  std::vector<uint32_t> out;
  for (uint32_t t = 0; t < trains; ++t) {
    uint32_t begin = offset(t), end = offset(t + 1);
    if (end - begin != 4) {
      for (uint32_t o = begin; o < end; o += 4) out.push_back(word(o));
      continue;
    }
    uint32_t ref = word(begin);
    uint32_t start = ref & 0x7FF;
    uint32_t pattern = ((ref >> 12) & 0xF) << 16 | ref >> 16;
    uint32_t pb = offset(trains + pattern), pe = offset(trains + pattern + 1);
    uint32_t previous = 0;
    for (uint32_t o = pb; o < pe; o += 4) {
      uint32_t w = word(o);
      uint32_t minute = start + (w & 0x7FF);
      if (minute > 1440) minute -= 1440;
      bool last = o + 4 == pe;
      if (minute == 1440 && !last && (word(o + 4) >> 16) != (w >> 16)) minute = 0;
      uint32_t time = (w & 0xD800) | minute;
      if (o != pb && minute < previous) time |= 0x2000;
      previous = minute;
      out.push_back((w & 0xFFFF0000) | time);
    }
  }
  return out;
}

TEST(TimetableWriter, SharedPatternsDecodeToTheSameStops) {
  TimetableModel m;
  m.stations.resize(3);
  for (auto& s : m.stations) s.name = {"S"};
  // Runs of one shape: by day, across midnight, arriving at 24:00, and one
  // whose arrival at midnight mid-route a reference cannot express (it stays
  // a plain stop list); then a train of another shape.
  auto run = [](int32_t start) {
    return Train{.stops = {{.station = 0, .departure = start},
                           {.station = 1, .arrival = start + 20, .departure = start + 22},
                           {.station = 2, .arrival = start + 40}}};
  };
  m.trains = {run(480), run(1410), run(1400), run(600), run(1420)};
  m.trains.push_back({.stops = {{.station = 2, .departure = 10}, {.station = 0, .arrival = 30}}});
  WrittenFile plain = WriteTimetable(m);
  WrittenFile shared = WriteTimetable(m, {.share_stop_patterns = true});

  auto words = [](WrittenFile const& f) {
    return ViewArray(f.bytes, f.ArrayOffset("TrainStops/words")).count;
  };
  EXPECT_EQ(words(plain), 5u * 4 + 2);
  EXPECT_EQ(words(shared), 4u + 4 + 2 + 4);  // four references, two plain trains, the pattern
  EXPECT_EQ(ViewArray(shared.bytes, shared.ArrayOffset("TrainStops/offsets")).count, 6u + 1 + 1);
  EXPECT_EQ(DecodeAll(shared, 6), DecodeAll(plain, 6));
  std::vector<uint32_t> decoded = DecodeAll(plain, 6);
  EXPECT_EQ(decoded[4 + 3] & 0xFFFF, 0x2000u | 10);  // run(1410) arrives 0:10 the next day
  EXPECT_EQ(decoded[8 + 3] & 0xFFFF, 1440u);         // run(1400) arrives at 24:00
  EXPECT_EQ(decoded[16 + 1] & 0xFFFF, 0x2000u);      // run(1420) arrives 0:00 the next day
  EXPECT_EQ(decoded[16 + 2] & 0xFFFF, 2u);           // and leaves at 0:02
  EXPECT_EQ(LoadU32(shared.bytes.data() + shared.SectionOffset("TrainCount") + 4), 4u);
}

TEST(TimetableWriter, StationEventsCarryDaysAndAreSorted) {
  TimetableModel m;
  m.stations = {{.name = {"A"}}, {.name = {"B"}}};
  m.trains = {
      {.stops = {{.station = 0, .departure = 1430}, {.station = 1, .arrival = 1450}}},
      {.stops = {{.station = 0, .departure = 300}, {.station = 1, .arrival = 320}}},
  };
  WrittenFile file = WriteTimetable(m);
  auto events = ViewArray(file.bytes, file.ArrayOffset("StationEvents"));
  ASSERT_EQ(events.count, 4u);
  using Event = std::pair<uint16_t, uint32_t>;
  auto event = [&](int i) {
    return Event(LoadU16(events.data + 6 * i), LoadU32(events.data + 6 * i + 2));
  };
  // Station 0: train 1 at 5:00 before train 0 at 23:50; station 1: train 0
  // arrives at 0:10 of the next day (day offset 1), then train 1 at 5:20.
  EXPECT_EQ(event(0), Event(300, 0x01000001));
  EXPECT_EQ(event(1), Event(1430, 0x01000000));
  EXPECT_EQ(event(2), Event(10, 0x02000000 | 1u << 26));
  EXPECT_EQ(event(3), Event(320, 0x02000001));

  WrittenFile unbuilt = WriteTimetable(m, {.write_station_events = false});
  EXPECT_EQ(ViewArray(unbuilt.bytes, unbuilt.ArrayOffset("StationEvents")).count, 0u);
  EXPECT_EQ(ViewArray(unbuilt.bytes, unbuilt.ArrayOffset("StationEventOffsets")).count, 3u);
  EXPECT_EQ(WalkTimetable(unbuilt.bytes).error, "");
}

TEST(TimetableWriter, RefusesInconsistentModels) {
  auto base = [] {
    TimetableModel m;
    m.stations = {{.name = {"A"}}, {.name = {"B"}}};
    m.trains = {{.stops = {{.station = 0, .departure = 480}, {.station = 1, .arrival = 540}}}};
    return m;
  };
  struct Case {
    char const* what;
    std::function<void(TimetableModel&)> change;
    char const* message;
  };
  const Case cases[] = {
      {"stop at a station that does not exist", [](auto& m) { m.trains[0].stops[1].station = 7; },
       "train 0: stop 1: station 7 does not exist"},
      {"duplicate keys", [](auto& m) { m.stations[0].key = m.stations[1].key = 9; },
       "station 1: duplicate station key 9"},
      {"an assigned key meets a given one", [](auto& m) { m.stations[1].key = 1; },
       "duplicate station key 1"},
      {"times going backwards", [](auto& m) { m.trains[0].stops[1].arrival = 470; },
       "train 0: stop 1: times go backwards"},
      {"departure before arrival",
       [](auto& m) {
         m.trains[0].stops.insert(m.trains[0].stops.begin() + 1,
                                  {.station = 1, .arrival = 500, .departure = 490});
       },
       "departure before arrival"},
      {"names for more languages than the timetable has",
       [](auto& m) {
         m.names = {"a", "b", "c"};
       },
       "names: 3 texts for 1 data languages"},
      {"station names for fewer languages",
       [](auto& m) {
         m.languages = "CEG";
         m.stations[0].name = {"A", "B"};
       },
       "station 0 name: 2 texts for 3 data languages"},
      {"a character without a Windows-1250 byte", [](auto& m) { m.stations[1].name = {"東京"}; },
       "station 1 name: character U+6771"},
      {"malformed UTF-8", [](auto& m) { m.names = {"\xC3"}; }, "names: malformed UTF-8"},
      {"no data language", [](auto& m) { m.languages = ""; }, "at least one data language"},
      {"a one-stop train", [](auto& m) { m.trains[0].stops.pop_back(); }, "at least two stops"},
      {"a first stop without departure", [](auto& m) { m.trains[0].stops[0].departure = kNoTime; },
       "the first stop needs a departure"},
      {"a last stop without arrival", [](auto& m) { m.trains[0].stops[1].arrival = kNoTime; },
       "the last stop needs an arrival"},
      {"a day step the file reads as going back",
       [](auto& m) { m.trains[0].stops[1].arrival = 480 + 2260; },
       "the file cannot express the days"},
      {"a first departure on a later day",
       [](auto& m) {
         m.trains[0].stops[0].departure = 1500;
         m.trains[0].stops[1].arrival = 1600;
       },
       "first departure must lie in its first day"},
      {"distances for some stops only", [](auto& m) { m.trains[0].stops[0].distance = 0; },
       "distances given for some stops only"},
      {"stop flags outside their bits", [](auto& m) { m.trains[0].stops[0].flags = 0x2000; },
       "flags outside the stop-flag bits"},
      {"a type that does not exist",
       [](auto& m) {
         m.train_types = {{.abbreviation = {"Os"}}};
         m.trains[0].type = 1;
       },
       "train 0: type 1 does not exist"},
      {"attributes on the type bits",
       [](auto& m) {
         m.train_types = {{.abbreviation = {"Os"}}, {.abbreviation = {"R"}}};
         m.trains[0].attributes = 0x2;
       },
       "attribute bits overlap the type bits"},
      {"a calendar that does not exist", [](auto& m) { m.trains[0].calendar = 0; },
       "train 0: calendar 0 does not exist"},
      {"a running day outside the validity",
       [](auto& m) { m.calendars = {{.days = {DayNumberOf(2030, 1, 1)}}}; }, "calendar 0: day"},
      {"a range of trains backwards",
       [](auto& m) {
         m.trains.push_back(m.trains[0]);
         m.station_remarks = {{.train = 1, .last_train = 0, .station = 0}};
       },
       "the range of trains runs backwards"},
      {"a remark code too long",
       [](auto& m) { m.station_remarks = {{.station = 0, .code = "ABCDE"}}; },
       "a code has at most 4 bytes"},
      {"a walking link to nowhere",
       [](auto& m) {
         m.transfers = {{0, 2, 5}};
       },
       "transfer 0: station 2 does not exist"},
      {"an arc to nowhere",
       [](auto& m) {
         m.arcs = {{0, 1, 5}, {3, 0, 5}};
       },
       "arc 1: station 3 does not exist"},
      {"a virtual-list item without station",
       [](auto& m) { m.virtual_lists = {{.items = {{.stations = {}}}}}; },
       "virtual list 0, item 0: an item needs a station"},
      {"a line that does not exist", [](auto& m) { m.trains[0].line = 0; },
       "train 0: line 0 does not exist"},
      {"a continuation of a train that does not exist",
       [](auto& m) { m.continuations = {{.train_a = 0, .station = 0, .train_b = 4}}; },
       "continuation 0: train 4 does not exist"},
      {"a pass-via table of the wrong size", [](auto& m) { m.pass_via = {{}}; },
       "one list per station"},
      {"a format version beyond 23", [](auto& m) { m.format_version = 24; },
       "format version 24 is above 23"},
      {"validity backwards", [](auto& m) { m.last_day = m.first_day - 1; },
       "the first day lies after the last day"},
      {"a description too long", [](auto& m) { m.description = std::string(100, 'x'); },
       "longer than 99 characters"},
      {"hourly change times not 24",
       [](auto& m) {
         m.hourly_change_times = {1, 2};
       },
       "24 entries needed"},
      {"a train without physical type among trains with them",
       [](auto& m) {
         m.physical_types = {{.abbreviation = {"EMU"}}};
         m.format_version = 20;
       },
       "train 0: every train needs a physical type"},
      {"a service-code role naming no code", [](auto& m) { m.service_codes.roles[0] = 0; },
       "role 1 names code 0"},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.what);
    TimetableModel m = base();
    ASSERT_NO_THROW(WriteTimetable(m));
    c.change(m);
    try {
      WriteTimetable(m);
      ADD_FAILURE() << "accepted";
    } catch (ModelError const& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST(TimetableWriter, DamagedCopiesForTheReader) {
  TimetableModel m = RichModel();
  WrittenFile file = WriteTimetable(m);
  // Every section boundary: a resealed cut passes the CRC and fails the walk.
  for (Mark const& section : file.sections) {
    if (section.name == "Header") continue;
    SCOPED_TRACE(section.name);
    std::vector<uint8_t> cut = TruncateAt(file, section.name);
    EXPECT_EQ(cut.size(), section.offset + 48);
    EXPECT_EQ(LoadU32(cut.data() + cut.size() - 4), ComputeCrc32(cut.data(), cut.size() - 4));
    EXPECT_NE(WalkTimetable(cut).error, "");
  }
  EXPECT_EQ(TruncateAt(file, "StationKeys", false).size(), file.SectionOffset("StationKeys"));

  // A count that disagrees with the byte size, an offset past its characters.
  size_t keys = file.ArrayOffset("StationKeys");
  EXPECT_EQ(WalkTimetable(PatchU32(file, keys + 4, 3)).error, "bad count at StationKeys");
  size_t names = file.ArrayOffset("StationNames/offsets");
  EXPECT_EQ(WalkTimetable(PatchU32(file, names + 8 + 4 * 4, 9999)).error,
            "offsets do not end at the characters at station names");
  EXPECT_EQ(WalkTimetable(BreakCrc(file)).error, "CRC mismatch");
  EXPECT_EQ(WalkTimetable(BreakSignature(file)).error, "signature");
  // Unresealed damage fails the checksum first.
  EXPECT_EQ(WalkTimetable(PatchU8(file, keys + 8, 0xFF, false)).error, "CRC mismatch");
}

TEST(TimetableWriter, ExtensionFilesHaveFrameBodyAndCrc) {
  for (auto type : {ExtensionType::kFares, ExtensionType::kGis, ExtensionType::kStationKeys,
                    ExtensionType::kQMap}) {
    SCOPED_TRACE(static_cast<int>(type));
    for (int variant = 0; variant < 3; ++variant) {
      ExtensionModel model{.type = type, .owner_id = variant == 0 ? -1 : 33};
      model.fare_version = static_cast<uint16_t>(variant * 3);  // 0, 3, 6
      model.qmap_version = static_cast<uint16_t>(variant % 2);
      model.station_key_sets = static_cast<uint32_t>(variant);
      WrittenFile file = WriteExtension(model);
      EXPECT_EQ(WalkExtension(file.bytes).error, "");
      EXPECT_EQ(std::memcmp(file.bytes.data(), kExtensionSignature.data(), 76), 0);
      EXPECT_EQ(LoadI32(file.bytes.data() + 76), model.owner_id);
      EXPECT_EQ(LoadU32(file.bytes.data() + 80), static_cast<uint32_t>(type));
      EXPECT_EQ(file.SectionOffset("Crc"), file.bytes.size() - 4);
    }
  }
  EXPECT_THROW(WriteExtension({.type = static_cast<ExtensionType>(6)}), ModelError);
}

}  // namespace
}  // namespace qo::writer
