#include "load/read_extension.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "frame/error_codes.h"
#include "kernel/load/extension_bodies.h"
#include "kernel/load/load_test_support.h"

namespace qo::test {
namespace {

using w::ExtensionType;

// The events a read raised, and the answer to give at one of them.
struct EventLog {
  static inline std::vector<std::pair<int, intptr_t>> seen;
  static inline int refuseAt = -1;
  static intptr_t Callback(int event, intptr_t value) {
    seen.emplace_back(event, value);
    return event == refuseAt ? kLoadAnswerSkip : 0;
  }
  static void Reset(int refuse = -1) {
    seen.clear();
    refuseAt = refuse;
  }
  static std::vector<int> Events() {
    std::vector<int> events;
    for (auto& [event, value] : seen) events.push_back(event);
    return events;
  }
};

class ReadExtension : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(ReadImage(w::WriteTimetable(RichModel(23)).bytes, &record_), 0);
    EventLog::Reset();
  }

  int Read(const std::vector<uint8_t>& bytes, bool* attached, uint32_t skipTypes = 0) {
    ExtensionReadOptions options{.callback = EventLog::Callback,
                                 .skipTypes = skipTypes,
                                 .setCount = 3,
                                 .refusal = &refusal_};
    refusal_.clear();
    return ReadExtensionBytes(&record_, "x.ext", bytes.data(), bytes.size(), options, attached);
  }

  TimetableRecord record_;  // id 1, stations keyed 5457076 + 10 * i
  std::string refusal_;     // why the last read was refused
};

TEST_F(ReadExtension, OwnerAndTypeDecideSilently) {
  struct Case {
    ExtensionType type;
    int32_t owner;
    bool attached;
  };
  const Case cases[] = {
      {ExtensionType::kFares, -1, true},       {ExtensionType::kGis, 1, true},
      {ExtensionType::kStationKeys, -1, true}, {ExtensionType::kQMap, 1, true},
      {ExtensionType::kGis, 2, false},         {ExtensionType::kQMap, 0, false},
  };
  for (const Case& c : cases) {
    EventLog::Reset();
    bool attached = true;
    EXPECT_EQ(Read(w::WriteExtension({.type = c.type, .owner_id = c.owner}).bytes, &attached), 0);
    EXPECT_EQ(attached, c.attached) << static_cast<int>(c.type) << " owner " << c.owner;
    if (!c.attached) {
      EXPECT_TRUE(EventLog::seen.empty());
    }
  }
  EXPECT_TRUE(record_.Fares && record_.Gis && record_.StationKeyExt && record_.QMap);
  EXPECT_EQ(record_.LoadedExtensions.size(), 4u);

  // An unknown type and a skipped one are ignored before any event.
  EventLog::Reset();
  bool attached = true;
  w::WrittenFile gis = w::WriteExtension({.type = ExtensionType::kGis});
  EXPECT_EQ(Read(w::PatchU32(gis, 80, 6), &attached), 0);
  EXPECT_FALSE(attached);
  EXPECT_EQ(Read(gis.bytes, &attached, 1u << ExtGis), 0);
  EXPECT_FALSE(attached);
  EXPECT_TRUE(EventLog::seen.empty());
}

TEST_F(ReadExtension, EventsAndRefusalsByTheCallback) {
  w::WrittenFile keys = w::WriteExtension({.type = ExtensionType::kStationKeys});
  bool attached = false;
  ASSERT_EQ(Read(keys.bytes, &attached), 0);
  ASSERT_TRUE(attached);
  EXPECT_EQ(EventLog::Events(),
            (std::vector<int>{LoadEvExtFile, LoadEvExtType, LoadEvExtRead, LoadEvExtDone}));
  EXPECT_STREQ(reinterpret_cast<const char*>(EventLog::seen[0].second), "x.ext");
  EXPECT_EQ(EventLog::seen[1].second, ExtStationKeys);
  EXPECT_EQ(EventLog::seen[2].second,
            reinterpret_cast<intptr_t>(record_.StationKeyExt->File.Image.get()));
  EXPECT_EQ(EventLog::seen[3].second, 3);

  for (int refuse : {LoadEvExtFile, LoadEvExtType, LoadEvExtRead}) {
    TimetableRecord fresh;
    ASSERT_EQ(ReadImage(w::WriteTimetable(RichModel(23)).bytes, &fresh), 0);
    EventLog::Reset(refuse);
    ExtensionReadOptions options{.callback = EventLog::Callback};
    EXPECT_EQ(ReadExtensionBytes(&fresh, "x.ext", keys.bytes.data(), keys.bytes.size(), options,
                                 &attached),
              0);
    EXPECT_FALSE(attached) << refuse;
    EXPECT_FALSE(fresh.StationKeyExt) << refuse;
    EXPECT_EQ(EventLog::seen.back().first, refuse);
  }
}

TEST_F(ReadExtension, FromAFileWithProgressOnRequest) {
  w::WrittenFile qmap = w::WriteExtension({.type = ExtensionType::kQMap});
  std::string path = SaveTemp(qmap.bytes, "map.qom");
  EventLog::Reset();
  auto progress = [](int event, intptr_t value) -> intptr_t {
    EventLog::seen.emplace_back(event, value);
    return event == LoadEvExtFile ? kLoadAnswerProgress : 0;
  };
  bool attached = false;
  ASSERT_EQ(ReadExtensionFile(&record_, path.c_str(), {.callback = progress}, &attached), 0);
  EXPECT_TRUE(attached);
  EXPECT_EQ(record_.LoadedExtensions, std::vector<std::string>{path});
  EXPECT_EQ(EventLog::seen.front().first, LoadEvExtFile);
  EXPECT_NE(std::find(EventLog::seen.begin(), EventLog::seen.end(),
                      std::make_pair(int{LoadEvProgress}, intptr_t{1000})),
            EventLog::seen.end());

  // An unopenable file is silent; a path too long for the system is error 1.
  EXPECT_EQ(ReadExtensionFile(&record_, (path + ".none").c_str(), {}, &attached), 0);
  EXPECT_FALSE(attached);
  std::string tooLong(PATH_MAX, 'x');
  EXPECT_EQ(ReadExtensionFile(&record_, tooLong.c_str(), {}, &attached), ErrOpenDataFile);
  std::remove(path.c_str());
}

TEST_F(ReadExtension, BadSignatureTruncationAndAbsurdSizesAreError25) {
  for (ExtensionType type : {ExtensionType::kFares, ExtensionType::kGis,
                             ExtensionType::kStationKeys, ExtensionType::kQMap}) {
    w::WrittenFile file = w::WriteExtension({.type = type, .station_key_sets = 2});
    bool attached = true;
    EXPECT_EQ(Read(w::BreakSignature(file), &attached), ErrExtensionHeader);
    EXPECT_EQ(refusal_, "frame or signature");
    for (const w::Mark& section : file.sections) {
      if (section.name == "Header" || section.name == "Frame") continue;
      for (bool reseal : {true, false}) {
        if (reseal && section.name == "Crc") continue;  // whole again
        EXPECT_EQ(Read(w::TruncateAt(file, section.name, reseal), &attached), ErrExtensionHeader)
            << static_cast<int>(type) << " cut at " << section.name;
        EXPECT_FALSE(attached);
      }
    }
    for (const w::Mark& array : file.arrays) {
      EXPECT_EQ(Read(w::PatchU32(file, array.offset, 0x7FFFFFF0), &attached), ErrExtensionHeader)
          << static_cast<int>(type) << " " << array.name;
      EXPECT_FALSE(refusal_.empty());
      // Cut right before the array, with a fresh CRC after the cut.
      std::vector<uint8_t> cut(file.bytes.begin(), file.bytes.begin() + array.offset);
      cut.insert(cut.end(), kExtensionCrcBytes, 0);
      w::Reseal(cut);
      EXPECT_EQ(Read(cut, &attached), ErrExtensionHeader)
          << static_cast<int>(type) << " cut before " << array.name;
    }
  }
  EXPECT_FALSE(record_.Fares || record_.Gis || record_.StationKeyExt || record_.QMap);
  EXPECT_TRUE(record_.LoadedExtensions.empty());
}

TEST_F(ReadExtension, GisExtentAndStationPoints) {
  std::vector<uint8_t> bytes = GisFile();
  bool attached = false;
  ASSERT_EQ(Read(bytes, &attached), 0);
  ASSERT_TRUE(attached);
  const GisData& gis = *record_.Gis;
  EXPECT_EQ(gis.MapId, 7u);
  // x from -50 to 100, y from -30 to 80; layer array 1 does not count.
  EXPECT_EQ(gis.Extent, (std::array<int32_t, 4>{-50, 100, -30, 80}));
  EXPECT_EQ(gis.StationPoint, (std::vector<int32_t>{0, 1, 2, 0}));
  EXPECT_EQ(gis.PointStation, (std::vector<int32_t>{1, 2, -1}));
  EXPECT_EQ(gis.Layers[1][0].LabelTexts, (std::vector<std::string_view>{"Beroun", ""}));
  EXPECT_EQ(PoolString(gis.LayerNames, 0), Cp("Železnice"));
  // The stored points keep their keys: derived values live beside the image.
  EXPECT_EQ(std::memcmp(gis.File.Image.get(), bytes.data(), bytes.size()), 0);

  // Without key order no station claims a point, and no stored key may pass
  // for a station index: every point is -1.
  w::TimetableModel unkeyed = RichModel(23);
  unkeyed.write_station_keys = false;
  TimetableRecord plain;
  ASSERT_EQ(ReadImage(w::WriteTimetable(unkeyed).bytes, &plain), 0);
  ExtensionReadOptions options{};
  ASSERT_EQ(ReadExtensionBytes(&plain, "x.ext", bytes.data(), bytes.size(), options, &attached), 0);
  ASSERT_TRUE(attached);
  EXPECT_EQ(plain.Gis->StationPoint, (std::vector<int32_t>{0, 0, 0, 0}));
  EXPECT_EQ(plain.Gis->PointStation, (std::vector<int32_t>{-1, -1, -1}));

  // A label text that runs into the trailer is a damaged file.
  std::vector<uint8_t> cut = GisFile();
  auto at = std::search(cut.begin(), cut.end(), std::begin("Beroun"), std::end("Beroun"));
  ASSERT_NE(at, cut.end());
  cut.erase(at + 6, cut.end());  // drop the NUL and the rest
  cut.insert(cut.end(), kExtensionCrcBytes, 0);
  w::Reseal(cut);
  EXPECT_EQ(Read(cut, &attached), ErrExtensionHeader);
}

TEST_F(ReadExtension, QMapCoordinateIndex) {
  bool attached = false;
  ASSERT_EQ(Read(QMapFile(2), &attached), 0);
  ASSERT_TRUE(attached);
  const QMapData& q = *record_.QMap;
  EXPECT_EQ(q.StationCoor, (std::vector<int32_t>{1, 0, 3, 0}));
  EXPECT_EQ(q.CoorStation, (std::vector<int32_t>{0, 0, 2, -8888888}));
  EXPECT_EQ(q.Coors.Field<int32_t>(3, 0), 8888888);  // the image keeps the key

  record_.QMap.reset();
  EXPECT_EQ(Read(QMapFile(9), &attached), ErrExtensionHeader);
  EXPECT_EQ(refusal_, "arc target out of range");
  EXPECT_FALSE(record_.QMap);
}

// Per coordinate record its first node, and the path nodes by cells.
TEST_F(ReadExtension, QMapNetworkIndexes) {
  w::QMapModel q = QMapContent(2);
  q.nodes = {{{1, 2}, 2, {}},          {{0, 3}, -1, {{2, 1}}}, {{1, 2}, 0, {}},
             {{10, 3}, -1, {{1, 10}}}, {{3, 4}, 2, {}},        {{NAN, 3}, -1, {}}};
  bool attached = false;
  ASSERT_EQ(Read(w::WriteExtension({.type = ExtensionType::kQMap, .qmap = q}).bytes, &attached), 0);
  ASSERT_TRUE(attached);
  const QMapData& data = *record_.QMap;
  EXPECT_EQ(data.CoorNode, (std::vector<int32_t>{2, -1, 0, -1}));
  ASSERT_GT(data.NodeGrid.Columns, 0);
  EXPECT_EQ(data.NodeGrid.Loose, std::vector<int32_t>{5});
  std::vector<int32_t> near;
  // Nodes near the point, maybe with some more of the same cells.
  ASSERT_TRUE(QMapNodesNear(data.NodeGrid, 0, 3, 1, near));
  for (int32_t node : {1, 5})
    EXPECT_NE(std::find(near.begin(), near.end(), node), near.end()) << node;

  // A file of no network has neither.
  record_.QMap.reset();
  ASSERT_EQ(Read(QMapFile(2), &attached), 0);
  EXPECT_EQ(record_.QMap->CoorNode, (std::vector<int32_t>(4, -1)));
  EXPECT_EQ(record_.QMap->NodeGrid.Columns, 0);
}

// The queries read the arc, neighbour, node and edge indexes unasked: a file
// that leaves one empty while it has items to index is damaged, not a file
// without them.
TEST_F(ReadExtension, QMapIndexesLeftEmpty) {
  w::QMapModel q = QMapContent(2);
  q.nodes = {{{0, 3}, -1, {{1, 10}, {2, 1}}}, {{10, 3}, -1, {{0, 10}}}, {{1, 2}, 0, {}}};
  const w::WrittenFile file = w::WriteExtension({.type = ExtensionType::kQMap, .qmap = q});
  bool attached = false;
  ASSERT_EQ(Read(file.bytes, &attached), 0);
  ASSERT_TRUE(attached);
  struct Case {
    char const* array;
    size_t count;  // of its 4-byte elements
    char const* refusal;
  };
  const Case cases[] = {{"QMap/arc index", 5, "arc index"},
                        {"QMap/neighbour index", 2, "neighbour index"},
                        {"QMap/node coor", 3, "node coordinates"},
                        {"QMap/edge index", 4, "edge index"}};
  for (Case const& c : cases) {
    SCOPED_TRACE(c.array);
    std::vector<uint8_t> bytes = file.bytes;
    const size_t at = file.ArrayOffset(c.array);
    ASSERT_EQ(LoadLE<uint32_t>(bytes.data() + at + 4), c.count);
    // An empty array is its zero byte size alone.
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at + 4),
                bytes.begin() + static_cast<std::ptrdiff_t>(at + 8 + 4 * c.count));
    StoreLE<uint32_t>(bytes.data() + at, 0);
    w::Reseal(bytes);
    record_.QMap.reset();
    EXPECT_EQ(Read(bytes, &attached), ErrExtensionHeader);
    EXPECT_EQ(refusal_, c.refusal);
    EXPECT_FALSE(record_.QMap);
  }
}

TEST_F(ReadExtension, FareArcMarksAndOwnerBits) {
  bool attached = false;
  ASSERT_EQ(Read(WithBody(ExtensionType::kFares, FareBody()), &attached), 0);
  ASSERT_TRUE(attached);
  const FareData& fares = *record_.Fares;
  // Arcs 0 (0 -> 1) and 1 (1 -> 0) lie inside the area; the others do not.
  EXPECT_EQ(fares.ArcMarks, (std::vector<uint8_t>{7, 7, 0, 0, 0}));
  ASSERT_EQ(fares.OwnerBits.size(), 2u);
  EXPECT_EQ(fares.OwnerBits[0], std::vector<uint8_t>{1});
  EXPECT_TRUE(fares.OwnerBits[1].empty());  // the second rule names no owner
}

TEST(OwnerDisplayText, FieldsInTheirOrder) {
  EXPECT_EQ(OwnerDisplayText("Plain carrier"), "Plain carrier");
  EXPECT_EQ(OwnerDisplayText("{ON}CD{OF}Ceske drahy{OT}Praha"), "CD; Ceske drahy; Praha");
  EXPECT_EQ(OwnerDisplayText("{OD}Dopravce{OC}Firma"), "Dopravce");
  EXPECT_EQ(OwnerDisplayText("{OC}Firma{XX}ignored"), "Firma");
}

}  // namespace
}  // namespace qo::test
