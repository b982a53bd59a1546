// Global lists, the global search and index over several timetables, and
// the marks of same-named stations that the re-index sets.
#include "global/global_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Qo.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"
#include "writer/model_text.h"

namespace qo::test {
namespace {

std::string Cp(std::string const& utf8) { return w::ToCp1250(utf8, "test text"); }

struct Town {
  char const* name;
  int32_t key;
  int16_t region = -1;
};

// A timetable whose list of towns (type 1, in this order) has one station
// per town, plus lists of further types.
w::TimetableModel TownsModel(uint32_t id, uint8_t kind, std::vector<Town> const& towns,
                             w::LangText listName = {"Obce"}) {
  w::TimetableModel m = SmallModel(id, kind, 0, 2);
  m.stations.clear();
  w::VirtList list{.type = 1, .name = listName};
  for (size_t i = 0; i < towns.size(); ++i) {
    m.stations.push_back({.name = {towns[i].name},
                          .key = 100 * static_cast<int32_t>(id) + static_cast<int32_t>(i),
                          .region = towns[i].region});
    list.items.push_back(
        {.stations = {static_cast<uint16_t>(i)}, .key = towns[i].key, .name = {towns[i].name}});
  }
  m.trains.clear();
  m.virtual_lists = {list};
  return m;
}

class GlobalSearchTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    w::TimetableModel rail =
        TownsModel(1, 1, {{"Brno", 1}, {"Cerhenice", 8}, {"Cheb", 9}, {"Kolín", 2}, {"Praha", 3}});
    rail.virtual_lists.push_back({.type = 5, .name = {"Tratě"}, .items = {{.stations = {0}}}});
    rail.virtual_lists.push_back({.type = 6, .name = {"Prázdný"}});
    w::TimetableModel bus = TownsModel(
        2, 2, {{"Brno", 1}, {"Čáslav", 4}, {"Hlinsko", 10}, {"Chrudim", 11}, {"Kolín", 5}},
        {"Towns"});
    bus.virtual_lists.push_back({.type = 5, .name = {"Linky"}, .items = {{.stations = {0}}}});
    w::TimetableModel city = TownsModel(3, 3, {{"Brno, Bystrc", 6}, {"Brno/Bystrc", 7}});
    ASSERT_EQ(
        Load({dir_.Write("city.qo", city), dir_.Write("bus.qo", bus), dir_.Write("rail.qo", rail)}),
        3);
    ASSERT_EQ(At(0).Kind, 1);
    ASSERT_EQ(At(2).Kind, 3);
  }

  // "timetable:text" of every place the running search gives.
  static std::string Places() {
    std::string out;
    GLOBALSEARCH_REC place{};
    while (QoGlobalSearch(&place)) {
      if (!out.empty()) out += " | ";
      out += std::to_string(place.timetable) + ":" +
             QoVirtListItem(place.timetable, place.list, 0, place.item);
    }
    return out;
  }
};

TEST(StructuredOrder, HeadsSeparatorsRegionsAndRests) {
  struct Case {
    char const* a;
    char const* b;
    int sign;
  };
  const Case cases[] = {
      {"Brno", "Brno, Bystrc", -1},
      {"Brno, Bystrc", "Brno/Bystrc", -1},
      {"Brno", "Brno/Bystrc", -1},
      {"Brno/Bystrc", "Brno, Žabovřesky", 1},  // '/' after ',' whatever follows
      {"Adamov, Zátiší", "Brno", -1},          // heads first
      {"Brno [A-Wien]", "Brno [CZ-Brno]", -1},
      {"Brno [CZ], Líšeň", "Brno, Bystrc", 1},  // one region part only: the rests decide
      {"Brno, Bystrc", "Brno, Bystrc", 0},
      {"Brno, Bystrc, nám.", "Brno, Bystrc", 1},
  };
  for (Case const& c : cases) {
    int got = CompareStructured(Cp(c.a), Cp(c.b));
    EXPECT_EQ((got > 0) - (got < 0), c.sign) << c.a << " ~ " << c.b;
    got = CompareStructured(Cp(c.b), Cp(c.a));
    EXPECT_EQ((got > 0) - (got < 0), -c.sign) << c.b << " ~ " << c.a;
  }
}

TEST_F(GlobalSearchTest, MergesTimetablesInOneCzechOrder) {
  ASSERT_EQ(QoInitGlobalSearch(nullptr, 1, 'C', "", 1), 1);
  // Brno of the bus timetable has Brno's key: it comes once, from the rail
  // timetable; Kolín has another key there and comes twice.
  EXPECT_EQ(Places(), Cp("0:Brno | 2:Brno, Bystrc | 2:Brno/Bystrc | 0:Cerhenice | 1:Čáslav | "
                         "1:Hlinsko | 0:Cheb | 1:Chrudim | 0:Kolín | 1:Kolín | 0:Praha"));
  GLOBALSEARCH_REC place{};
  EXPECT_EQ(QoGlobalSearch(&place), 0);  // exhausted stays exhausted

  ASSERT_EQ(QoInitGlobalSearch(nullptr, 1, 'C', "br", 1), 1);
  EXPECT_EQ(Places(), "0:Brno | 2:Brno, Bystrc | 2:Brno/Bystrc");
  ASSERT_EQ(QoInitGlobalSearch(nullptr, 1, 'C', "*ol", 1), 1);
  EXPECT_EQ(Places(), Cp("0:Kolín | 1:Kolín"));
  int const busAndCity[] = {0, 1, 1};
  ASSERT_EQ(QoInitGlobalSearch(busAndCity, 1, 'C', Cp("č").c_str(), 1), 1);
  EXPECT_EQ(Places(), Cp("1:Čáslav"));

  // A change of the loaded set ends a running search.
  ASSERT_EQ(QoInitGlobalSearch(nullptr, 1, 'C', "", 1), 1);
  ASSERT_EQ(QoGlobalSearch(&place), 1);
  QoCloseQo(2, 1);
  EXPECT_EQ(QoGlobalSearch(&place), 0);
}

TEST_F(GlobalSearchTest, IndexWithKindBytes) {
  GLOBALSEARCH_REC* entries = nullptr;
  unsigned char* kinds = nullptr;
  ASSERT_EQ(QoGlobalIndex(nullptr, 1, 'C', &entries, &kinds), 11);
  std::string order, bytes;
  for (int i = 0; i < 11; ++i) {
    order += QoVirtListItem(entries[i].timetable, entries[i].list, 0, entries[i].item);
    order += i < 10 ? "|" : "";
    bytes += std::to_string(kinds[i]) + " ";
  }
  EXPECT_EQ(order, Cp("Brno|Brno, Bystrc|Brno/Bystrc|Cerhenice|Čáslav|Hlinsko|Cheb|Chrudim|"
                      "Kolín|Kolín|Praha"));
  // Bit 1 << kind of every timetable that holds the place: Brno in the rail
  // (2) and bus (4) timetables.
  EXPECT_EQ(bytes, "6 8 8 2 4 4 2 4 2 4 2 ");

  int const busOnly[] = {0, 1, 0};
  EXPECT_EQ(QoGlobalIndex(busOnly, 1, 'C', &entries, nullptr), 5);
  const GLOBALSEARCH_REC last = entries[4];  // packed: read by copy
  EXPECT_EQ(last.timetable, 1);
  EXPECT_EQ(int{last.item}, 4);
  EXPECT_EQ(GetArrayCount(entries), 5);
}

TEST_F(GlobalSearchTest, ListsWithoutPlacesAreError21) {
  int const none[] = {0, 0, 0};
  EXPECT_EQ(QoInitGlobalSearch(none, 1, 'C', "", 1), 0);
  EXPECT_EQ(QoError(), ErrGlobalSearchList);
  int const cityOnly[] = {0, 0, 1};
  EXPECT_EQ(QoInitGlobalSearch(cityOnly, 100005, 'C', "", 1), 0);
  EXPECT_EQ(QoError(), ErrGlobalSearchList);
  GLOBALSEARCH_REC* entries = reinterpret_cast<GLOBALSEARCH_REC*>(1);
  EXPECT_EQ(QoGlobalIndex(nullptr, 100006, 'C', &entries, nullptr), 0);  // one empty list
  EXPECT_EQ(QoError(), ErrGlobalSearchList);
  EXPECT_EQ(entries, nullptr);
  EXPECT_EQ(QoInitGlobalSearch(nullptr, 100006, 'C', "", 1), 1);  // a search finds nothing there
  EXPECT_EQ(Places(), "");
}

TEST_F(GlobalSearchTest, GlobalListsJoinNamesOfOneType) {
  int* types = nullptr;
  char** names = nullptr;
  int defaultType = -1;
  ASSERT_EQ(QoGlobalLists(nullptr, 'C', &types, &names, &defaultType), 4);
  std::string lists;
  for (int i = 0; i < 4; ++i) lists += std::to_string(types[i]) + " " + names[i] + "; ";
  EXPECT_EQ(lists, Cp("1 Obce/Towns; 100005 Tratě; 200005 Linky; 100006 Prázdný; "));
  EXPECT_EQ(defaultType, 1);
  EXPECT_EQ(QoGlobalListID(2), 200005);
  EXPECT_STREQ(QoGlobalListName(0), "Obce/Towns");
  EXPECT_EQ(QoGlobalListID(4), 0);
  EXPECT_EQ(QoGlobalListName(-1), nullptr);
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(QoSearchGlobalList(0, "Linky"), 2);
  EXPECT_EQ(QoSearchGlobalList(100006, nullptr), 3);
  EXPECT_EQ(QoSearchGlobalList(0, "linky"), -1);  // byte for byte
  // Every name handed out is found again, also where the text mode drops
  // letters the kernel's names hold.
  for (int mode : {4, 2}) {
    QoSetDia(mode);
    ASSERT_EQ(QoGlobalLists(nullptr, 'C', nullptr, nullptr, nullptr), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(QoSearchGlobalList(0, QoGlobalListName(i)), i) << mode;
  }
  QoSetDia(3);
  ASSERT_EQ(QoGlobalLists(nullptr, 'C', nullptr, nullptr, nullptr), 4);

  int const busOnly[] = {0, 1, 0};
  ASSERT_EQ(QoGlobalLists(busOnly, 'C', &types, nullptr, &defaultType), 2);
  EXPECT_EQ(defaultType, 1);
  // After the set changed, the readers rebuild the lists for all timetables.
  QoCloseQo(1, 1);
  EXPECT_STREQ(QoGlobalListName(0), "Obce");
  EXPECT_EQ(QoGlobalListID(2), 100006);
}

TEST_F(GlobalSearchTest, ListsOfSeveralCitiesCarryTheirDecorations) {
  Clear();
  w::TimetableModel brno = TownsModel(4, 3, {{"Bystrc", 1}});
  brno.area = 1;
  brno.decorations = {"Brno"};
  brno.virtual_lists.push_back({.type = 4, .name = {"Linky"}, .items = {{.stations = {0}}}});
  w::TimetableModel ostrava = TownsModel(5, 3, {{"Poruba", 2}});
  ostrava.area = 2;
  ostrava.decorations = {"Ostrava"};
  ostrava.virtual_lists.push_back({.type = 4, .name = {"Linky"}, .items = {{.stations = {0}}}});
  ostrava.virtual_lists.push_back({.type = 2, .name = {"Zastávky"}, .items = {{.stations = {0}}}});
  ASSERT_EQ(Load({dir_.Write("brno.qo", brno), dir_.Write("ostrava.qo", ostrava)}), 2);
  char** names = nullptr;
  int defaultType = 0;
  ASSERT_EQ(QoGlobalLists(nullptr, 'C', nullptr, &names, &defaultType), 4);
  EXPECT_STREQ(names[0], "Obce");
  EXPECT_STREQ(names[1], Cp("Zastávky").c_str());
  EXPECT_STREQ(names[2], "Linky (Brno)");
  EXPECT_STREQ(names[3], "Linky (Ostrava)");
  EXPECT_EQ(defaultType, 1);
}

class SameNames : public LoadingTest {
 protected:
  // Rail: "Nová Ves" and "Praha" in one region; bus: a "Nová Ves" elsewhere
  // in the country (another key) and the same Praha (same key).
  std::string Rail() {
    w::TimetableModel m = TownsModel(1, 1, {{"Nová Ves", 500, 0}, {"Praha", 600, 0}});
    m.regions = {"CZ-Kolín"};
    return dir_.Write("rail.qo", m);
  }
  std::string Bus(uint32_t id, char const* region) {
    w::TimetableModel m =
        TownsModel(id, 2, {{"Nová Ves", 500 + static_cast<int32_t>(id), 0}, {"Praha", 600, 0}});
    m.regions = {region};
    return dir_.Write("bus" + std::to_string(id) + ".qo", m);
  }
  static std::string Towns(int timetable) {
    std::string first = QoVirtListItem(timetable, 0, 0, 0);  // the next call replaces it
    return first + ", " + QoVirtListItem(timetable, 0, 0, 1);
  }
};

TEST_F(SameNames, MarksComeAndGoWithThePartner) {
  ASSERT_EQ(Load({Rail(), Bus(2, "CZ-Beroun")}), 2);
  EXPECT_EQ(Towns(0), Cp("Nová Ves [Kolín], Praha"));
  EXPECT_EQ(Towns(1), Cp("Nová Ves [Beroun], Praha"));
  EXPECT_EQ(QoStType(0, 0) & 0x04, 0x04);
  EXPECT_EQ(QoStType(0, 1) & 0x04, 0);

  // A close without re-index keeps them until the next full one.
  QoCloseQo(1, 0);
  EXPECT_EQ(Towns(0), Cp("Nová Ves [Kolín], Praha"));
  EXPECT_EQ(QoStType(0, 0) & 0x04, 0x04);
  ASSERT_EQ(Load({Bus(2, "CZ-Beroun")}), 2);

  QoCloseQo(1, 1);
  EXPECT_EQ(Towns(0), Cp("Nová Ves, Praha"));
  EXPECT_EQ(QoStType(0, 0) & 0x04, 0);

  // Another country: the names do not meet.
  ASSERT_EQ(Load({Bus(3, "SK-Senec")}), 2);
  EXPECT_EQ(Towns(0), Cp("Nová Ves, Praha"));
  EXPECT_EQ(Towns(1), Cp("Nová Ves, Praha"));
}

}  // namespace
}  // namespace qo::test
