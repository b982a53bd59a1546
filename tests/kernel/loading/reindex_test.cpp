// What the re-index derives across timetables: set-wide numbers and merged
// rings, cross links and their station bits, town marks, fare groups, and
// that closing a partner takes all of it away again.
#include "load/reindex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

w::TimetableModel Keyed(uint32_t id, uint8_t kind, uint8_t area, std::vector<int32_t> keys) {
  w::TimetableModel m = SmallModel(id, kind, area, static_cast<int>(keys.size()));
  for (size_t s = 0; s < keys.size(); ++s) m.stations[s].key = keys[s];
  return m;
}

std::vector<int32_t> Ring() { return LoadedSetIndex().MergedStationRing; }

using Reindex = LoadingTest;

TEST_F(Reindex, SameKeyStationsOfOneKindAndAreaFormRings) {
  // Rail reads as bus while merging; the city timetable merges under its
  // merge identity (bus, area 2); area 3 stays apart; key 0 never merges.
  w::WrittenFile r1 = w::WriteTimetable(Keyed(1, 1, 2, {100, 200, 300}));
  w::WrittenFile r2 = w::WriteTimetable(Keyed(2, 1, 2, {100, 250, 300}));
  size_t firstKey = r1.ArrayOffset("StationKeys") + 8;
  w::TimetableModel city = Keyed(5, 3, 5, {7, 8});
  city.merge_kind = 2;
  city.merge_area = 2;
  city.stations[0].merge_key = 400;
  std::vector<std::string> paths = {
      dir_.Save("r1.qo", w::PatchU32(r1, firstKey, 0)),
      dir_.Save("r2.qo", w::PatchU32(r2, r2.ArrayOffset("StationKeys") + 8, 0)),
      dir_.Write("x.qo", Keyed(3, 1, 3, {300})),
      dir_.Write("b.qo", Keyed(4, 2, 2, {300, 400})),
      dir_.Write("c.qo", city),
  };
  ASSERT_EQ(Load(paths), 5);
  // Set order r1 r2 x (rail) b (bus) c (city); numbers 0-2, 3-5, 6, 7-8, 9-10.
  EXPECT_EQ(Ring(), (std::vector<int32_t>{-1, -1, 5, -1, -1, 7, -1, 2, 9, 8, -1}));
  EXPECT_EQ(LoadedSetIndex().StationTimetable[9], 4);
  EXPECT_EQ(LoadedSetIndex().StationIndex[9], 0);
  EXPECT_EQ(At(4).SetWide.SetStationNumbers, (std::vector<int32_t>{9, 10}));
  EXPECT_EQ(At(2).SetWide.MergeGroup, -1);
  EXPECT_EQ(At(4).SetWide.MergeGroup, 0);

  // Nothing of the record was rewritten for the merge.
  EXPECT_EQ(At(4).Kind, 3);
  EXPECT_EQ(At(4).Area, 5);
  EXPECT_EQ(At(4).StationKeys[0], 7);
  EXPECT_EQ(At(0).Kind, 1);

  // Closing the bus timetable breaks the ring through it and renumbers.
  ASSERT_EQ(QoCloseQo(3, 1), 1);
  EXPECT_EQ(Ring(), (std::vector<int32_t>{-1, -1, 5, -1, -1, 2, -1, -1, -1}));
}

// A rail timetable linked by key to a city stop, with a bus timetable
// between them in the set.
struct LinkedSet {
  std::vector<std::string> paths;
  static constexpr int kRail = 0, kBus = 1, kCity = 2;
};

LinkedSet WriteLinkedSet(TempDir const& dir, size_t entries = 1) {
  w::TimetableModel rail = Keyed(1, 1, 0, {100, 200});
  rail.links = {{.kind = 3, .area = 1}};
  for (size_t e = 0; e < entries; ++e)
    rail.links[0].entries.push_back({.station = 0, .other_key = 500, .value = 7});
  return {{dir.Write("r.qo", rail), dir.Write("b.qo", Keyed(2, 2, 0, {100})),
           dir.Write("c.qo", Keyed(3, 3, 1, {600, 500}))}};
}

TEST_F(Reindex, CrossLinksGoBothWaysAndMarkTheirStations) {
  ASSERT_EQ(Load(WriteLinkedSet(dir_).paths), 3);
  CrossLinkTable const& rail = At(LinkedSet::kRail).SetWide.CrossLinks;
  EXPECT_EQ(rail.Offsets, (std::vector<int32_t>{0, 1, 1}));
  EXPECT_EQ(rail.Timetables, (std::vector<int32_t>{LinkedSet::kCity}));
  EXPECT_EQ(rail.Stations, (std::vector<uint16_t>{1}));
  EXPECT_EQ(rail.Values, (std::vector<int8_t>{7}));
  CrossLinkTable const& city = At(LinkedSet::kCity).SetWide.CrossLinks;
  EXPECT_EQ(city.Offsets, (std::vector<int32_t>{0, 0, 1}));
  EXPECT_EQ(city.Timetables, (std::vector<int32_t>{LinkedSet::kRail}));
  EXPECT_EQ(city.Stations, (std::vector<uint16_t>{0}));
  EXPECT_TRUE(At(LinkedSet::kBus).SetWide.CrossLinks.empty());

  EXPECT_EQ(At(LinkedSet::kRail).StationTypes[0] & 0x0021, 0x0021);
  EXPECT_EQ(At(LinkedSet::kRail).StationTypes[1] & 0x0021, 0);
  EXPECT_EQ(At(LinkedSet::kCity).StationTypes[1] & 0x0021, 0x0021);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(QoVerifyCrc(i, nullptr), 1) << "timetable " << i;
}

TEST_F(Reindex, ClosingRemovesEveryReferenceToTheClosedTimetable) {
  LinkedSet set = WriteLinkedSet(dir_);
  for (int reindex : {0, 1}) {
    SCOPED_TRACE(reindex ? "with the re-index" : "without the re-index");
    // The bus timetable goes: the rail timetable's link now names the city
    // timetable by its new index.
    Clear();
    ASSERT_EQ(Load(set.paths), 3);
    ASSERT_EQ(QoCloseQo(LinkedSet::kBus, reindex), 1);
    EXPECT_EQ(At(0).SetWide.CrossLinks.Timetables, (std::vector<int32_t>{1}));
    EXPECT_EQ(At(1).SetWide.CrossLinks.Timetables, (std::vector<int32_t>{0}));
    EXPECT_EQ(LoadedSetIndex().StationTimetable.size(), 4u);

    // The partner goes: links and their bits go with it, the image stays
    // sound.
    ASSERT_EQ(QoCloseQo(1, reindex), 1);
    TimetableRecord const& rail = At(0);
    EXPECT_TRUE(rail.SetWide.CrossLinks.empty());
    EXPECT_EQ(rail.StationTypes[0], rail.SetWide.StoredStationTypes[0]);
    EXPECT_EQ(QoVerifyCrc(0, nullptr), 1);
  }
}

TEST_F(Reindex, LinkOffsetsCountPast32767) {
  ASSERT_EQ(Load(WriteLinkedSet(dir_, 40000).paths), 3);
  EXPECT_EQ(At(LinkedSet::kRail).SetWide.CrossLinks.Offsets,
            (std::vector<int32_t>{0, 40000, 40000}));
  EXPECT_EQ(At(LinkedSet::kCity).SetWide.CrossLinks.Offsets, (std::vector<int32_t>{0, 0, 40000}));
}

TEST_F(Reindex, CityLinkedToATownMarksItsLinks) {
  w::TimetableModel rail = Keyed(1, 1, 0, {100, 200, 300});
  rail.transfers = {{.from = 0, .to = 1, .minutes = 5}, {.from = 1, .to = 0, .minutes = 5}};
  rail.virtual_lists = {{.type = 1,
                         .name = {"Obce"},
                         .items = {{.stations = {0, 1}, .key = 42, .name = {"Town"}},
                                   {.stations = {2}, .key = 43, .name = {"Village"}}}}};
  rail.links = {{.kind = 3, .area = 1, .entries = {{.station = 0, .other_key = 500, .value = 3}}}};
  std::string railPath = dir_.Write("r.qo", rail);

  struct Case {
    uint32_t townKey;
    bool linked;
    std::vector<uint16_t> transferMarks;
    std::vector<uint16_t> linkMarks;
  };
  const Case cases[] = {
      {42, true, {1, 1}, {1}},
      {43, false, {0, 0}, {0}},  // the town's station has no links
      {0, false, {}, {}},        // no town: nothing is marked
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(testing::Message() << "town key " << c.townKey);
    Clear();
    w::TimetableModel city = Keyed(2, 3, 1, {500});
    city.town_key = c.townKey;
    ASSERT_EQ(Load({railPath, dir_.Write("c.qo", city)}), 2);
    EXPECT_EQ(QoHasLinkedCity(), c.linked ? 1 : 0);
    EXPECT_EQ(At(0).SetWide.TransferTownMarks, c.transferMarks);
    EXPECT_EQ(At(0).SetWide.LinkTownMarks, c.linkMarks);

    ASSERT_EQ(QoCloseQo(1, 1), 1);
    EXPECT_EQ(QoHasLinkedCity(), 0);
    EXPECT_TRUE(At(0).SetWide.TransferTownMarks.empty());
  }
}

TEST_F(Reindex, BusTimetablesAfterRailShareItsTowns) {
  w::TimetableModel rail = SmallModel(1, 1, 0, 2);
  rail.virtual_lists = {{.type = 1,
                         .name = {"Obce"},
                         .items = {{.stations = {0}, .key = 10, .name = {"A"}},
                                   {.stations = {1}, .key = 20, .name = {"B"}}}}};
  w::TimetableModel bus = SmallModel(2, 2, 0, 4);
  bus.virtual_lists = {{.type = 1,
                        .name = {"Obce"},
                        .items = {{.stations = {2, 3}, .key = 20, .name = {"B"}},
                                  {.stations = {0}, .key = 30, .name = {"C"}}}}};
  std::string busPath = dir_.Write("b.qo", bus);
  ASSERT_EQ(Load({dir_.Write("r.qo", rail), busPath}), 2);
  EXPECT_TRUE(LoadedSetIndex().TownsShared);
  EXPECT_TRUE(At(1).SetWide.HasTownSharedStations);
  EXPECT_EQ(At(1).SetWide.TownSharedStations, (std::vector<uint8_t>{0, 0, 1, 1}));

  ASSERT_EQ(QoCloseQo(0, 1), 1);
  EXPECT_FALSE(LoadedSetIndex().TownsShared);
  EXPECT_FALSE(At(0).SetWide.HasTownSharedStations);
}

TEST_F(Reindex, FareGroupsFollowTheFareFile) {
  dir_.Save("fares.ext", w::WriteExtension({.type = w::ExtensionType::kFares}).bytes);
  dir_.Save("other.ext", w::WriteExtension({.type = w::ExtensionType::kFares}).bytes);
  std::vector<std::string> names = {"fares.ext", "FARES.EXT", "other.ext", ""};
  std::vector<std::string> paths;
  for (size_t i = 0; i < names.size(); ++i) {
    w::TimetableModel m = SmallModel(static_cast<uint32_t>(i + 1));
    if (!names[i].empty()) m.extension_names = {names[i]};
    paths.push_back(dir_.Write(std::string(1, static_cast<char>('a' + i)) + ".qo", m));
  }
  ASSERT_EQ(Load(paths), 4);
  std::vector<int32_t> groups;
  for (int i = 0; i < 4; ++i) groups.push_back(At(i).FareGroup);
  EXPECT_EQ(groups, (std::vector<int32_t>{0, 0, 1, -1}));
}

TEST_F(Reindex, CityRemarkFlagComesFromControlCodes) {
  struct Case {
    uint8_t kind;
    std::string code;
    uint32_t flag;
  };
  const Case cases[] = {
      {3, "\x04", 1}, {3, "\x05x", 1}, {3, "A", 0}, {3, "\x03", 0}, {1, "\x04", 0}};
  for (Case const& c : cases) {
    Clear();
    w::TimetableModel m = SmallModel(1, c.kind);
    m.station_remarks = {{.station = 0, .code = c.code, .text = {"Remark"}}};
    ASSERT_EQ(Load({dir_.Write("t.qo", m)}), 1);
    EXPECT_EQ(At(0).CityRemarkFlag, c.flag) << "kind " << int(c.kind) << " code " << int(c.code[0]);
  }
}

TEST_F(Reindex, EveryChangeOfTheSetMakesANewGeneration) {
  uint32_t start = LoadedSetIndex().DataGeneration;
  ASSERT_EQ(Load({dir_.Write("a.qo", SmallModel(1)), dir_.Write("b.qo", SmallModel(2))}), 2);
  uint32_t loaded = LoadedSetIndex().DataGeneration;
  EXPECT_NE(loaded, start);
  QoCloseQo(1, 0);
  EXPECT_NE(LoadedSetIndex().DataGeneration, loaded);
}

}  // namespace
}  // namespace qo::test
