// Virtual lists: the default list, list and item texts, keys and stations,
// mapping items within a timetable and across timetables, and regions.
#include "virtlists/virt_lists.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Qo.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"
#include "writer/model_text.h"

namespace qo::test {
namespace {

std::string Cp(std::string const& utf8) { return w::ToCp1250(utf8, "test text"); }

// The item stations as the caller reads them: the array may lie unaligned
// in the timetable's image.
std::vector<int> Stations(int timetable, int list, int item, std::vector<int>* bytes = nullptr) {
  unsigned short const* stations = nullptr;
  unsigned char const* parallel = nullptr;
  int n = QoVirtListItemStations(timetable, list, item, &stations, &parallel);
  std::vector<int> out;
  for (int k = 0; k < n; ++k) {
    uint16_t s;
    std::memcpy(&s, reinterpret_cast<char const*>(stations) + 2 * k, 2);
    out.push_back(s);
    if (bytes && parallel) bytes->push_back(parallel[k]);
  }
  return out;
}

// A rail timetable with towns, stops whose texts come from their kinds, two
// lists of stations and a list of its own; and a bus timetable that shares
// towns by key and links one stop to two rail stations.
w::TimetableModel RailModel() {
  w::TimetableModel m = SmallModel(1, 1, 0, 5);
  m.languages = "CE";
  m.regions = {"Středočeský kraj-Kolín", "A-Wien"};
  m.stations = {
      {.name = {"Kolín,,aut.st."}, .key = 100, .region = 0},
      {.name = {"Kolín,,žel.st."}, .key = 101, .region = 0},
      {.name = {"Kolín,Zálabí"}, .key = 102, .region = 0},
      {.name = {"Kutná Hora,Sedlec,kostel"}, .key = 103},
      {.name = {"Wien Hbf"}, .key = 104, .type = 0x02, .region = 1},
  };
  m.trains = {{.stops = {{.station = 1, .departure = 480}, {.station = 3, .arrival = 500}}},
              {.stops = {{.station = 1, .departure = 540}, {.station = 3, .arrival = 560}}},
              {.stops = {{.station = 0, .departure = 600}, {.station = 2, .arrival = 610}}}};
  m.virtual_lists = {
      {.type = 1,
       .name = {"Obce", "Towns"},
       .items = {{.stations = {0, 1, 2}, .key = 533165, .name = {"Kolín"}},
                 {.stations = {3}, .key = 534676, .name = {"Kutná Hora"}},
                 {.stations = {4}, .key = 999, .name = {"Vídeň", "Vienna"}}}},
      {.type = 2,
       .name = {"Zastávky"},
       .items = {{.stations = {0}, .kind = -1},
                 {.stations = {2}, .kind = -4},  // a part of a town
                 {.stations = {2}, .kind = -1},
                 {.stations = {3}, .kind = -8},  // a part of a town
                 {.stations = {3}, .kind = 2},   // a second entry
                 {.stations = {3}, .kind = -3}}},
      {.type = 3,
       .name = {"Stanice", ""},
       .items = {{.stations = {0}},
                 {.stations = {0, 1}, .station_bytes = {5, 6}},
                 {.stations = {4}}}},
      {.type = 3, .name = {"Uzly"}, .items = {{.stations = {0, 1}}, {.stations = {0}}}},
      {.type = 5, .name = {"Linky"}, .items = {{.stations = {0}, .name = {"Linka 1"}}}},
  };
  return m;
}

w::TimetableModel BusModel() {
  w::TimetableModel m = SmallModel(2, 2, 0, 4);
  m.regions = {"Středočeský kraj-Kolín"};
  m.stations = {
      {.name = {"Kolín,,aut.st."}, .key = 200, .region = 0},
      {.name = {"Kolín,Zálabí"}, .key = 201, .region = 0},
      {.name = {"Kutná Hora,Sedlec,kostel"}, .key = 202},
      {.name = {"Čáslav"}, .key = 203},
  };
  m.virtual_lists = {
      {.type = 1,
       .name = {"Obce"},
       .items = {{.stations = {0, 1}, .key = 533165, .name = {"Kolín"}},
                 {.stations = {2}, .key = 534676, .name = {"Kutná Hora"}}}},
      {.type = 2,
       .name = {"Zastávky"},
       .items = {{.stations = {0}}, {.stations = {1}}, {.stations = {2}}}},
  };
  m.links = {{.kind = 1,
              .area = 0,
              .entries = {{.station = 0, .other_key = 100, .value = 3},
                          {.station = 0, .other_key = 101, .value = 4}}}};
  return m;
}

class VirtLists : public LoadingTest {
 protected:
  static constexpr int kRail = 0, kBus = 1;  // the set sorts rail before bus
  void SetUp() override {
    LoadingTest::SetUp();
    ASSERT_EQ(Load({dir_.Write("rail.qo", RailModel()), dir_.Write("bus.qo", BusModel())}), 2);
    ASSERT_EQ(At(kRail).Kind, 1);
  }
  void TearDown() override {
    QoSetRegMode(0);
    LoadingTest::TearDown();
  }
};

TEST_F(VirtLists, DefaultListRules) {
  struct Case {
    std::vector<uint32_t> types;
    int defaultList, stationsList;
  };
  const Case cases[] = {
      {{}, -1, -1},       {{4, 5}, 0, -1},  // only the timetable's own lists
      {{2, 1, 2}, 2, -1}, {{1, 3, 1}, 2, 1}, {{3, 4, 3}, 2, 0}, {{4, 3}, 1, 1},
  };
  for (Case const& c : cases) {
    Clear();
    w::TimetableModel m = SmallModel(3);
    for (uint32_t type : c.types)
      m.virtual_lists.push_back({.type = type, .items = {{.stations = {0}}}});
    ASSERT_EQ(Load({dir_.Write("lists.qo", m)}), 1);
    EXPECT_EQ(QoDefaultVirtList(0), c.defaultList) << c.types.size() << " lists";
    EXPECT_EQ(QoStationsExtVirtList(0), c.stationsList);
  }
  EXPECT_EQ(QoDefaultVirtList(1), -1);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
}

TEST_F(VirtLists, ListsAndTheirNames) {
  EXPECT_EQ(QoVirtListCount(kRail), 5);
  int type = -9, count = -9;
  char const* name = "x";
  EXPECT_EQ(QoVirtListInfo(kRail, -1, 0, &type, &count, &name), 1);
  EXPECT_EQ(type, 0);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(name, nullptr);
  EXPECT_EQ(QoVirtListInfo(kRail, 0, 1, &type, &count, &name), 1);
  EXPECT_STREQ(name, "Towns");
  EXPECT_EQ(count, 3);
  EXPECT_EQ(QoVirtListInfo(kRail, 2, 1, nullptr, nullptr, &name), 1);
  EXPECT_STREQ(name, "Stanice");  // no English name: the first language's
  EXPECT_EQ(QoVirtListInfo(kRail, 4, 0, &type, nullptr, nullptr), 1);
  EXPECT_EQ(type, 100005);  // own types are renumbered by kind and area

  EXPECT_EQ(QoSearchVirtList(kRail, 1, 0, "towns"), 0);
  EXPECT_EQ(QoSearchVirtList(kRail, 0, 0, Cp("ZASTÁVKY").c_str()), 1);
  EXPECT_EQ(QoSearchVirtList(kRail, 0, 3, "Obce"), 2);  // a type wins over the name
  EXPECT_EQ(QoSearchVirtList(kRail, 0, 100005, nullptr), 4);
  EXPECT_EQ(QoSearchVirtList(kRail, 0, 0, "Trasy"), -1);
  // The search asks for the name in the language given: an empty English
  // name does not stand in for the Czech one the list info falls back to.
  EXPECT_EQ(QoSearchVirtList(kRail, 1, 0, "Stanice"), -1);
  EXPECT_EQ(QoSearchVirtList(kRail, 0, 0, "Stanice"), 2);

  EXPECT_EQ(QoVirtListInfo(kRail, 5, 0, &type, &count, &name), 0);
  EXPECT_EQ(QoError(), ErrVirtListIndex);
  EXPECT_EQ(QoVirtListInfo(kRail, 0, 2, &type, &count, &name), 0);
  EXPECT_EQ(QoError(), ErrLanguageIndex);
  EXPECT_EQ(QoVirtListInfo(2, 0, 0, &type, &count, &name), 0);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
  EXPECT_EQ(QoSearchVirtList(kRail, -1, 1, nullptr), -1);
  EXPECT_EQ(QoError(), ErrLanguageIndex);
}

TEST_F(VirtLists, ItemTextsByKindAndRegionMode) {
  struct Case {
    int list, language, item, mode;
    char const* text;
  };
  const Case cases[] = {
      {0, 0, 0, 0, "Kolín"},
      {0, 1, 2, 0, "Vienna"},
      {0, 0, 2, 0, "Vídeň"},
      {0, 0, 2, 1, "Vídeň [A-Wien]"},
      {1, 0, 0, 0, "Kolín,,aut.st."},
      {1, 0, 0, 1, "Kolín [Středočeský kraj-Kolín],,aut.st."},
      {1, 0, 1, 0, "Zálabí/Kolín"},
      {1, 0, 1, 3, "Zálabí/Kolín [Kolín]"},
      {1, 0, 3, 0, "Sedlec/Kutná Hora"},
      {1, 0, 4, 0, "Kutná Hora"},
      {1, 0, 5, 0, "Kutná Hora,Sedlec"},
      {2, 0, 1, 0, "Kolín,,aut.st."},  // no kinds, no names: the station's name
      {4, 1, 0, 0, "Linka 1"},
  };
  for (Case const& c : cases) {
    QoSetRegMode(c.mode);
    EXPECT_STREQ(QoVirtListItem(kRail, c.list, c.language, c.item), Cp(c.text).c_str())
        << c.list << "/" << c.item << " in mode " << c.mode;
  }
  QoSetRegMode(0);
  EXPECT_STREQ(QoItemName(kRail, -1, 7, 2), Cp("Kolín,Zálabí").c_str());  // stations: no language
  EXPECT_STREQ(QoItemName(kRail, 0, 0, 1), Cp("Kutná Hora").c_str());

  EXPECT_EQ(QoVirtListItem(kRail, -1, 0, 0), nullptr);
  EXPECT_EQ(QoError(), ErrVirtListIndex);
  EXPECT_STREQ(QoVirtListItem(kRail, 0, 0, 3), "");
  EXPECT_EQ(QoError(), ErrObjectIndex);
  EXPECT_STREQ(QoItemName(kRail, -1, 0, 5), "");
  EXPECT_EQ(QoError(), ErrStationIndex);
  EXPECT_EQ(QoVirtListItem(kRail, 0, 2, 0), nullptr);
  EXPECT_EQ(QoError(), ErrLanguageIndex);
}

TEST_F(VirtLists, KeysStationsAndForeignItems) {
  EXPECT_EQ(QoVirtListItemKey(kRail, 0, 1), 534676);
  EXPECT_EQ(QoVirtListItemKey(kRail, 0, 3), 0);      // beyond the items
  EXPECT_EQ(QoVirtListItemKey(kRail, 2, 1), 0);      // a list without keys
  EXPECT_EQ(QoVirtListItemKeyEx(kRail, 2, 1), 100);  // ... of stations: its first station's
  EXPECT_EQ(QoVirtListItemKeyEx(kRail, 1, 1), 0);
  EXPECT_EQ(QoVirtListItemKeyEx(kRail, -1, 3), 103);
  EXPECT_EQ(QoVirtListItemKey(kRail, 9, 0), 0);
  EXPECT_EQ(QoError(), ErrVirtListIndex);

  std::vector<int> bytes;
  EXPECT_EQ(Stations(kRail, 0, 0), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Stations(kRail, 2, 1, &bytes), (std::vector<int>{0, 1}));
  EXPECT_EQ(bytes, (std::vector<int>{5, 6}));
  EXPECT_EQ(Stations(kRail, 1, 3), (std::vector<int>{3}));
  EXPECT_EQ(Stations(kRail, -1, 4), (std::vector<int>{4}));
  EXPECT_EQ(Stations(kRail, 1, 6), (std::vector<int>{}));

  EXPECT_EQ(QoVirtListItemIntl(kRail, 0, 2), 1);
  EXPECT_EQ(QoVirtListItemIntl(kRail, 0, 0), 0);
  EXPECT_EQ(QoVirtListItemIntl(kRail, -1, 4), 1);
  struct Error {
    int list, item, error;
  };
  for (Error e : {Error{0, 3, ErrObjectIndex}, Error{0, -1, ErrObjectIndex},
                  Error{-1, 5, ErrStationIndex}, Error{5, 0, ErrVirtListIndex}}) {
    EXPECT_EQ(QoVirtListItemIntl(kRail, e.list, e.item), 0);
    EXPECT_EQ(QoError(), e.error) << e.list << "/" << e.item;
  }
}

TEST_F(VirtLists, MappingWithinATimetable) {
  struct Case {
    int list, item, target, mapped;
  };
  const Case cases[] = {
      {1, 1, 0, 0},                  // a stop into the towns: the town that holds its station
      {0, 1, -1, 3},                 // an item to its first station
      {-1, 2, 1, 2},                 // a station prefers a whole stop to a part of a town ...
      {1, 1, 1, 1},                  // ... a part of a town another part
      {1, 5, 1, 5},                  // second entries are never the result
      {1, 3, 1, 3},   {2, 1, 3, 0},  // two stations map to the node of two stations ...
      {2, 0, 3, 1},                  // ... one to the node of one
      {-1, 4, 3, -1}, {-1, 3, 0, 1},
  };
  for (Case const& c : cases)
    EXPECT_EQ(QoMapVirtListItem(kRail, c.list, c.item, c.target), c.mapped)
        << c.list << "/" << c.item << " into " << c.target;

  int list = -1;
  EXPECT_EQ(QoMapStation(kRail, 1, &list), 1);  // the first list of stations holding it
  EXPECT_EQ(list, 2);
  EXPECT_EQ(QoMapStation(kRail, 3, &list), 1);  // none holds it: the towns
  EXPECT_EQ(list, 0);

  struct Error {
    int list, item, target, error;
  };
  const Error errors[] = {
      {0, 0, 5, ErrVirtListIndex}, {5, 0, 0, ErrVirtListIndex},  {0, 3, 1, ErrObjectIndex},
      {-1, 5, 1, ErrStationIndex}, {0, 0, -2, ErrVirtListIndex},
  };
  for (Error const& e : errors) {
    EXPECT_EQ(QoMapVirtListItem(kRail, e.list, e.item, e.target), -1);
    EXPECT_EQ(QoError(), e.error);
  }
  EXPECT_EQ(QoMapStation(kRail, 5, &list), -1);
  EXPECT_EQ(QoError(), ErrStationIndex);
}

TEST_F(VirtLists, MappingAcrossTimetables) {
  struct Case {
    int from, list, item, to, targetList;
    int mapped, chosenList;
  };
  const Case cases[] = {
      {kRail, 0, 0, kBus, -2, 0, 0},    // towns by key, the list chosen by type
      {kRail, 0, 2, kBus, -2, -1, 0},   // a keyed list without the key
      {kBus, -1, 0, kRail, -1, 1, -1},  // a linked stop: the busier of its rail stations
      {kBus, 1, 1, kRail, -2, 2, 1},    // no key, no link: by name
      {kBus, 1, 0, kRail, 0, 0, 0},     // the linked station, mapped into the towns
      {kRail, 1, 0, kRail, 0, 0, 0},    // within one timetable
      {kRail, -1, 3, kBus, -2, 2, -1},  // by name among the stations
  };
  for (Case const& c : cases) {
    int chosen = c.targetList;
    EXPECT_EQ(QoMapVirtListItem2(c.from, c.list, c.item, c.to, &chosen), c.mapped)
        << c.from << ":" << c.list << "/" << c.item;
    EXPECT_EQ(chosen, c.chosenList);
  }
  EXPECT_EQ(QoMapVirtListItem2(kRail, 0, 0, kBus, nullptr), 0);

  struct Error {
    int list, item, to, targetList, error;
  };
  const Error errors[] = {
      {0, 0, kBus, -3, ErrVirtListIndex}, {0, 0, kBus, 2, ErrVirtListIndex},
      {5, 0, kBus, -2, ErrVirtListIndex}, {0, 3, kBus, -2, ErrObjectIndex},
      {-1, 9, kBus, -1, ErrStationIndex}, {0, 0, 2, -2, ErrTimetableIndex},
  };
  for (Error const& e : errors) {
    int chosen = e.targetList;
    EXPECT_EQ(QoMapVirtListItem2(kRail, e.list, e.item, e.to, &chosen), -1);
    EXPECT_EQ(QoError(), e.error) << e.list << "/" << e.item << " into " << e.targetList;
  }
}

TEST_F(VirtLists, Regions) {
  EXPECT_EQ(QoRegCount(kRail), 2);
  EXPECT_STREQ(QoRegName(kRail, 1), "A-Wien");
  EXPECT_STREQ(QoRegName(kRail, -1), "");
  EXPECT_STREQ(QoRegName(kRail, 2), "");
  EXPECT_EQ(QoStReg(kRail, 4), 1);
  EXPECT_EQ(QoStReg(kRail, 3), -1);
  EXPECT_EQ(QoStReg(kRail, 5), -1);
  EXPECT_EQ(QoRegName(3, 0), nullptr);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
  EXPECT_EQ(QoSetRegMode(3), 3);
  EXPECT_EQ(QoGetRegMode(), 3);

  Clear();
  w::TimetableModel m = SmallModel(3);
  m.regions = {std::string(60, 'r')};
  ASSERT_EQ(Load({dir_.Write("long.qo", m)}), 1);
  EXPECT_EQ(std::string(QoRegName(0, 0)), std::string(49, 'r'));
}

}  // namespace
}  // namespace qo::test
