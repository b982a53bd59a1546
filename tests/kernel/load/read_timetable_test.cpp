#include "load/read_timetable.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/crc32.h"
#include "frame/error_codes.h"
#include "load/timetable_checks.h"
#include "kernel/load/load_test_support.h"

namespace qo::test {
namespace {

// The image must stay exactly as read: same bytes, trailer CRC still valid.
void ExpectImageUntouched(const TimetableRecord& t, const std::vector<uint8_t>& bytes) {
  ASSERT_EQ(static_cast<size_t>(t.ImageSize()), bytes.size());
  EXPECT_EQ(std::memcmp(t.ImageBytes(), bytes.data(), bytes.size()), 0);
  size_t size = bytes.size();
  EXPECT_EQ(ComputeCrc32(t.ImageBytes(), size - 4), LoadLE<uint32_t>(t.ImageBytes() + size - 4));
}

class EveryFormatVersion : public ::testing::TestWithParam<uint32_t> {};

TEST_P(EveryFormatVersion, ReadsToTheTrailerAndKeepsTheModel) {
  const uint32_t v = GetParam();
  w::WrittenFile file = w::WriteTimetable(RichModel(v));
  TimetableRecord t;
  ASSERT_EQ(ReadImage(file.bytes, &t), 0);

  // The sections end exactly where the description block (or the trailer) starts.
  EXPECT_EQ(t.BodyEnd, file.SectionOffset(v >= 2 ? "Description" : "Trailer"));
  ExpectImageUntouched(t, file.bytes);

  EXPECT_EQ(t.FormatVersion, v);
  EXPECT_EQ(t.Kind, 1);
  EXPECT_EQ(t.Area, 2);
  EXPECT_EQ(t.LanguageLetters, "CE");
  EXPECT_EQ(PoolString(t.NamePool, 1), "Sample timetable");
  EXPECT_EQ(t.StationCount, 4u);
  EXPECT_EQ(PoolString(t.StationNames, 2), Cp("Plzeň hl.n."));
  EXPECT_EQ(t.StationKeys[3], 5457106);
  EXPECT_EQ(t.TrainCount, 3u);
  EXPECT_EQ(t.MaxTrainStops, 4u);
  EXPECT_EQ(t.MainNumbers.Values[1], 1236);
  EXPECT_EQ(PoolString(t.MainNumbers.Texts, ~t.MainNumbers.Values[2]), "Ex 7");
  EXPECT_EQ(t.HasStationTypeBit10, 1u);
  ASSERT_EQ(t.VirtLists.size(), 2u);
  EXPECT_EQ(PoolString(t.VirtLists[0].Names[1], 0), "Towns");
  EXPECT_EQ(t.RunningDayCalendar.size(),
            size_t{w::DayNumberOf(2025, 12, 31)} - w::DayNumberOf(2025, 1, 1) + 1);

  EXPECT_EQ(t.Version1SearchDefaults[0], v >= 1 ? 5u : 0u);
  EXPECT_EQ(t.LinkRecords.size(), v >= 3 ? 1u : 0u);
  EXPECT_EQ(t.Holidays.size(), v >= 3 ? t.RunningDayCalendar.size() : 0u);
  EXPECT_EQ(t.ZoneLines.size(), v >= 4 ? 1 : 0);
  EXPECT_EQ(t.TownKey, v >= 5 ? 77u : 0u);
  EXPECT_EQ(t.HourlyChangeTimes.size(), v >= 8 ? 24 : 0);
  EXPECT_EQ(t.CodeCount, v >= 12 ? 1 : 0);
  EXPECT_EQ(t.MergeKind, v >= 15 ? 2 : 0);
  EXPECT_EQ(t.StopFlagMask, v >= 23 ? 0x100u : 0u);

  std::string_view description;
  uint32_t value;
  EXPECT_EQ(ReadDescriptionBlock(t, &description, &value), v >= 2);
  if (v >= 2) {
    EXPECT_EQ(description, "Test timetable");
  }
}

INSTANTIATE_TEST_SUITE_P(Versions, EveryFormatVersion, ::testing::Range(0u, 24u));

TEST(ReadTimetable, RenumbersLocalVirtualListTypesOnly) {
  struct Case {
    uint32_t stored;
    uint8_t kind, area;
    int32_t expected;
  };
  const Case cases[] = {
      {5, 1, 2, 102005}, {3, 1, 2, 3}, {1000, 1, 2, 1000}, {4, 3, 0, 300004}, {999, 4, 255, 655999},
  };
  for (const Case& c : cases) {
    w::TimetableModel m = RichModel(23);
    m.kind = c.kind;
    m.area = c.area;
    m.virtual_lists[1].type = c.stored;
    w::WrittenFile file = w::WriteTimetable(m);
    TimetableRecord t;
    ASSERT_EQ(ReadImage(file.bytes, &t), 0) << c.stored;
    EXPECT_EQ(t.VirtLists[1].Type, c.expected) << c.stored;
    EXPECT_EQ(t.VirtLists[1].StoredType, static_cast<int32_t>(c.stored));
    ExpectImageUntouched(t, file.bytes);
  }
}

TEST(ReadTimetable, TimeShiftsAsOneValueOrAsPerStationLists) {
  w::TimetableModel m = RichModel(23);
  m.stations[3].time_shift = -60;
  TimetableRecord single;
  ASSERT_EQ(ReadImage(w::WriteTimetable(m).bytes, &single), 0);
  ASSERT_EQ(single.StationTimeShifts.size(), 4);
  EXPECT_EQ(single.StationTimeShifts[3], -60);
  EXPECT_TRUE(single.StationShiftLists.empty());

  m.stations[3].time_shift_list = {{.limit = 0, .shift = -60}, {.limit = 40000, .shift = 0}};
  TimetableRecord lists;
  ASSERT_EQ(ReadImage(w::WriteTimetable(m).bytes, &lists), 0);
  EXPECT_TRUE(lists.StationTimeShifts.empty());
  ASSERT_EQ(lists.StationShiftLists.size(), 4u);
  const RecordArray& entries = lists.StationShiftLists[3];
  ASSERT_EQ(entries.size(), 2);
  EXPECT_EQ(entries.Field<int32_t>(1, 0), 40000);
  EXPECT_EQ(entries.Field<int16_t>(0, 4), -60);
}

TEST(ReadTimetable, SharedPatternsAndEventsLeftToTheLoader) {
  w::WrittenFile file = w::WriteTimetable(
      RichModel(23), {.share_stop_patterns = true, .write_station_events = false});
  TimetableRecord t;
  ASSERT_EQ(ReadImage(file.bytes, &t), 0);
  // Trains 0 and 1 are one pattern shifted by an hour.
  EXPECT_GT(t.TrainStopOffsets.size(), static_cast<int32_t>(t.TrainCount) + 1);
  EXPECT_EQ(t.MaxTrainStops, 4u);
  EXPECT_TRUE(t.StationEvents.empty());
  EXPECT_EQ(t.StationEventOffsets.size(), 5);
}

TEST(ReadTimetable, TrainsWithoutStoredDistances) {
  w::TimetableModel m = RichModel(23);
  for (w::Train& train : m.trains)
    for (w::Stop& stop : train.stops) stop.distance.reset();
  TimetableRecord t;
  ASSERT_EQ(ReadImage(w::WriteTimetable(m).bytes, &t), 0);
  EXPECT_EQ(t.HasDistances, 0u);
  EXPECT_TRUE(t.DistanceOffsets.empty());
  EXPECT_TRUE(t.DistanceWorkBuffer.empty());
}

TEST(ReadTimetable, FilesPathsAndChecksum) {
  w::WrittenFile file = w::WriteTimetable(RichModel(23));
  std::string path = SaveTemp(file.bytes, "good.qo");
  TimetableRecord t;
  uint32_t id = 0;
  EXPECT_EQ(ProbeTimetableFile(path.c_str(), &id), 0);
  EXPECT_EQ(id, 1u);
  ASSERT_EQ(ReadTimetableFile(path.c_str(), nullptr, &t), 0);
  EXPECT_EQ(t.FilePath, path);
  EXPECT_EQ(t.StationCount, 4u);

  // The reader never checks the CRC: that is QoVerifyCrc's business.
  TimetableRecord unchecked;
  EXPECT_EQ(ReadImage(w::BreakCrc(file), &unchecked), 0);

  TimetableRecord none;
  EXPECT_EQ(ReadTimetableFile((path + ".missing").c_str(), nullptr, &none), ErrOpenDataFile);
  std::string tooLong = ::testing::TempDir() + std::string(PATH_MAX, 'x');
  EXPECT_EQ(ProbeTimetableFile(tooLong.c_str(), &id), ErrOpenDataFile);
  EXPECT_EQ(ReadTimetableFile(tooLong.c_str(), nullptr, &none), ErrOpenDataFile);
  std::string unsigned_ = SaveTemp(w::BreakSignature(file), "unsigned.qo");
  EXPECT_EQ(ProbeTimetableFile(unsigned_.c_str(), &id), ErrDataFileHeader);
  EXPECT_EQ(ReadTimetableFile(unsigned_.c_str(), nullptr, &none), ErrDataFileHeader);
  std::remove(path.c_str());
  std::remove(unsigned_.c_str());
}

TEST(ReadTimetable, ProgressInTenthsWhenAsked) {
  static std::vector<intptr_t> seen;
  seen.clear();
  std::string path = SaveTemp(w::WriteTimetable(RichModel(23)).bytes, "progress.qo");
  TimetableRecord t;
  auto callback = [](int event, intptr_t value) -> intptr_t {
    if (event == LoadEvProgress) seen.push_back(value);
    return 0;
  };
  ASSERT_EQ(ReadTimetableImage(path.c_str(), true, callback, &t), 0);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen.front(), 0);
  EXPECT_EQ(seen.back(), 1000);
  EXPECT_LE(seen.size(), 12u);
  std::remove(path.c_str());
}

// Damage the reader must refuse with error 2, leaving nothing taken, and
// the check that refuses it.
struct Damage {
  const char* name;
  const char* refusal;
  std::function<std::vector<uint8_t>(const w::WrittenFile&)> apply;
};

size_t Element(const w::WrittenFile& f, const char* array, size_t byteInData) {
  return f.ArrayOffset(array) + 8 + byteInData;
}

const Damage kDamages[] = {
    {"Signature", "signature", [](auto& f) { return w::BreakSignature(f); }},
    {"VersionAbove23", "header: format version", [](auto& f) { return w::PatchU32(f, 70, 24); }},
    {"LanguageCountAbsurd", "header: past the end",
     [](auto& f) { return w::PatchU32(f, 100, 0x7FFFFFFF); }},
    {"StationCountAbsurd", "stations: station count",
     [](auto& f) { return w::PatchU32(f, f.SectionOffset("StationCount"), 0xFFFFFF); }},
    {"StationCountOffByOne", "station arrays not one per station",
     [](auto& f) { return w::PatchU32(f, f.SectionOffset("StationCount"), 5); }},
    {"ArraySizeBeyondFile", "stations: array element size",
     [](auto& f) { return w::PatchU32(f, f.ArrayOffset("StationKeys"), 0x7FFFFFF0); }},
    {"ArraySizeNegative", "stations: array size negative",
     [](auto& f) { return w::PatchU32(f, f.ArrayOffset("StationKeys"), 0x80000000); }},
    {"CountZeroWithBytes", "stations: array count not positive",
     [](auto& f) { return w::PatchU32(f, f.ArrayOffset("StationKeys") + 4, 0); }},
    {"SizeNotMultipleOfCount", "stations: array size not whole elements",
     [](auto& f) { return w::PatchU32(f, f.ArrayOffset("StationKeys") + 4, 3); }},
    {"WrongElementSize", "stations: array element size",
     [](auto& f) { return w::PatchU32(f, f.ArrayOffset("StationKeys") + 4, 8); }},
    {"PoolOffsetPastCharacters", "stations: pool offsets going down",
     [](auto& f) { return w::PatchU32(f, Element(f, "StationNames/offsets", 4), 0x7FFF); }},
    {"StationByKeyOutOfRange", "station by key out of range",
     [](auto& f) { return w::PatchU8(f, Element(f, "StationsByKey", 1), 0x10); }},
    {"StationByKeyEqualsCount", "station by key out of range",
     [](auto& f) { return w::PatchU8(f, Element(f, "StationsByKey", 2), 4); }},
    {"RegionOutOfRange", "station region out of range",
     [](auto& f) { return w::PatchU8(f, Element(f, "StationRegions", 0), 7); }},
    {"EventOffsetsNotWholeEvents", "station event offsets",
     [](auto& f) { return w::PatchU32(f, Element(f, "StationEventOffsets", 4), 7); }},
    {"StationCountAboveEventOffsetsWithoutEvents", "station arrays not one per station",
     [](auto&) {
       // Without stored events the event offsets are the only per-station
       // array whose last entry a check reads; it has to be read after its
       // size is confirmed against the station count.
       const w::WrittenFile f = w::WriteTimetable(RichModel(23), {.write_station_events = false});
       const size_t at = f.SectionOffset("StationCount");
       return w::PatchU32(f, at, LoadLE<uint32_t>(f.bytes.data() + at) + 1);
     }},
    {"EventTrainOutOfRange", "station event train out of range",
     [](auto& f) { return w::PatchU8(f, Element(f, "StationEvents", 4), 0x7F); }},
    {"ArcOffsetsPastArcs", "arc offsets",
     [](auto& f) { return w::PatchU32(f, Element(f, "ArcOffsets", 4), 100); }},
    {"ArcStationOutOfRange", "arc stations",
     [](auto& f) { return w::PatchU8(f, Element(f, "ArcStations", 1), 0x10); }},
    {"TransferStationOutOfRange", "transfer stations",
     [](auto& f) { return w::PatchU8(f, Element(f, "TransferStations", 0), 9); }},
    {"VirtualListCountAbsurd", "virtual lists: count larger than the image",
     [](auto& f) { return w::PatchU32(f, f.SectionOffset("VirtualLists"), 0xFFFFFFF); }},
    {"ListItemStationOutOfRange", "virtual list station out of range",
     [](auto& f) { return w::PatchU8(f, Element(f, "VirtualList/0/stations", 1), 0x10); }},
    {"ListRangesPastStations", "virtual list station ranges",
     [](auto& f) { return w::PatchU32(f, Element(f, "VirtualList/0/ranges", 8), 50); }},
    {"TrainCountAbsurd", "trains: train count",
     [](auto& f) { return w::PatchU32(f, f.SectionOffset("TrainCount"), 0x7FFFFFF0); }},
    {"TrainCountOffByOne", "stop offsets fewer than trains",
     [](auto& f) { return w::PatchU32(f, f.SectionOffset("TrainCount"), 4); }},
    {"MaxTrainStopsBelowLongest", "longest train above MaxTrainStops",
     [](auto& f) { return w::PatchU32(f, f.SectionOffset("TrainCount") + 4, 3); }},
    {"MaxTrainStopsAbsurd", "MaxTrainStops above the stop words",
     [](auto& f) { return w::PatchU32(f, f.SectionOffset("TrainCount") + 4, 0x40000000); }},
    {"StopOffsetsPastData", "stop offsets",
     [](auto& f) { return w::PatchU32(f, Element(f, "TrainStops/offsets", 4), 0x10000); }},
    {"StopOffsetInsideWord", "stop offsets",
     [](auto& f) { return w::PatchU32(f, Element(f, "TrainStops/offsets", 4), 15); }},
    {"PatternOnePastTheLast", "stop pattern reference out of range",
     [](auto&) {
       // The trains that share a pattern name the one past the last, with
       // two loose words after the last range, so that a range past the end
       // would still look like a list of stops.
       const w::WrittenFile f = w::WriteTimetable(RichModel(23), {.share_stop_patterns = true});
       const size_t offsets = f.ArrayOffset("TrainStops/offsets");
       const size_t words = f.ArrayOffset("TrainStops/words") + 8;
       const uint32_t trains = LoadLE<uint32_t>(f.bytes.data() + f.SectionOffset("TrainCount"));
       const uint32_t ranges = LoadLE<uint32_t>(f.bytes.data() + offsets + 4) - 1;
       std::vector<uint8_t> bytes = f.bytes;
       auto offset = [&](uint32_t i) {
         return LoadLE<uint32_t>(bytes.data() + offsets + 8 + 4 * i);
       };
       StoreLE<uint32_t>(bytes.data() + offsets + 8 + 4 * ranges, offset(ranges) - 8);
       int references = 0;
       for (uint32_t t = 0; t < trains; ++t) {
         if (offset(t + 1) - offset(t) != 4) continue;
         ++references;
         uint8_t* ref = bytes.data() + words + offset(t);
         StoreLE<uint16_t>(ref, LoadLE<uint16_t>(ref) & 0x0FFF);
         StoreLE<uint16_t>(ref + 2, static_cast<uint16_t>(ranges - trains));
       }
       EXPECT_GT(references, 0);
       w::Reseal(bytes);
       return bytes;
     }},
    {"StopStationOutOfRange", "stop station out of range",
     [](auto& f) { return w::PatchU8(f, Element(f, "TrainStops/words", 3), 0x40); }},
    {"StopMinuteBeyondDay", "stop minute beyond the day",
     [](auto& f) { return w::PatchU8(f, Element(f, "TrainStops/words", 1), 0x07); }},
    {"UnsafeNumberFormat", "unsafe number format",
     [](auto& f) { return w::PatchU8(f, f.SectionOffset("MainNumbers") + 13, 'n'); }},
    {"RemarkGroupOutOfRange", "general remark group out of range",
     [](auto& f) { return w::PatchU8(f, Element(f, "GeneralRemarks/groups", 0), 0x7F); }},
    {"CalendarClassOutOfRange", "calendar class out of range",
     [](auto& f) { return w::PatchU8(f, Element(f, "Calendar/classes", 0), 0x7F); }},
    {"CalendarClassNegative", "calendar class out of range",
     [](auto& f) { return w::PatchU8(f, Element(f, "Calendar/classes", 1), 0x80); }},
    {"RemarkRowStationOutOfRange", "station remark row station out of range",
     [](auto& f) { return w::PatchU8(f, Element(f, "TrainStationRemarks/rows", 4), 9); }},
    {"RemarkRowTrainOutOfRange", "station remark row train out of range",
     [](auto& f) { return w::PatchU32(f, Element(f, "TrainStationRemarks/rows", 0), 77); }},
    {"RemarkRangeRowInLastPlace", "station remark range without its end",
     [](auto&) {
       // Without texts nothing follows the rows that a reader could mistake
       // for the missing last row.
       w::TimetableModel m = RichModel(23);
       m.station_remarks = {{.train = 1, .station = 2, .code = "x"}};
       w::WrittenFile g = w::WriteTimetable(m);
       return w::PatchU32(g, Element(g, "TrainStationRemarks/rows", 0), 0x40000000);
     }},
    {"DistanceListShorterThanStops", "distance list shorter than the stops",
     [](auto& f) { return w::PatchU32(f, Element(f, "TrainDistances/offsets", 4), 4); }},
    {"OwnerOutOfRange", "owner out of range",
     [](auto& f) { return w::PatchU8(f, Element(f, "TrainExtras/owners", 0), 5); }},
    {"LinkStationOutOfRange", "link station out of range",
     [](auto& f) { return w::PatchU8(f, Element(f, "V3Links/0/stations", 1), 0x10); }},
    {"ServiceSetOutOfRange", "train service-code set out of range",
     [](auto& f) { return w::PatchU8(f, Element(f, "V12ServiceCodes/perTrain", 0), 9); }},
    {"MergeByKeyOutOfRange", "station by key out of range",
     [](auto& f) { return w::PatchU8(f, Element(f, "V15Merge/byKey", 1), 0x10); }},
    {"DescriptionNotAfterBody", "body end or description block",
     [](auto& f) {
       return w::PatchU32(f, f.SectionOffset("Trailer"), f.SectionOffset("Description") + 1);
     }},
};

void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

class DamagedFile : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedFile, IsRefusedAndNothingStays) {
  w::WrittenFile file = w::WriteTimetable(RichModel(23));
  TimetableRecord t;
  std::vector<uint8_t> damaged = GetParam().apply(file);
  std::string refusal;
  EXPECT_EQ(ReadTimetableBytes(damaged.data(), damaged.size(), &t, &refusal), ErrDataFileHeader);
  EXPECT_EQ(refusal, GetParam().refusal);
  EXPECT_EQ(t.ImageSize(), 0);
  EXPECT_EQ(t.StationCount, 0u);
  EXPECT_TRUE(t.VirtLists.empty());
}

INSTANTIATE_TEST_SUITE_P(Reader, DamagedFile, ::testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.name); });

// A file cut at any section boundary is refused, with a fresh trailer (so
// that only the missing sections tell) and without one.
TEST(ReadTimetable, TruncationAtEverySectionIsRefused) {
  for (uint32_t v : {0u, 2u, 23u}) {
    w::WrittenFile file = w::WriteTimetable(RichModel(v));
    for (const w::Mark& section : file.sections) {
      if (section.name == "Header") continue;
      for (bool reseal : {true, false}) {
        // A version 0 file cut before its trailer and resealed is whole again.
        if (v < 2 && reseal && section.name == "Trailer") continue;
        TimetableRecord t;
        std::vector<uint8_t> cut = w::TruncateAt(file, section.name, reseal);
        EXPECT_EQ(ReadImage(cut, &t), ErrDataFileHeader)
            << "version " << v << " cut at " << section.name << (reseal ? " resealed" : "");
      }
    }
  }
}

TEST(ReadTimetable, SafeFormats) {
  struct Case {
    const char* format;
    bool text;
    bool safe;
  };
  const Case cases[] = {
      {"%d", false, true},  {"%05d", false, true}, {"Os %d", false, true}, {"%d%%", false, true},
      {"%s", true, true},   {"%-8s", true, true},  {"%n", false, false},   {"%d %d", false, false},
      {"%s", false, false}, {"%d", true, false},   {"%*d", false, false},  {"%ld", false, false},
      {"", false, false},   {"%", false, false},   {"abc", true, false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsSafeFormat(c.format, c.text), c.safe) << c.format;
}

}  // namespace
}  // namespace qo::test
