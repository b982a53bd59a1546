// The name search of place inputs, the exact-name and key searches.
#include "stations/station_search.h"

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

class StationSearch : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    w::TimetableModel m = SmallModel(1, 1, 0, 2);
    m.languages = "CE";
    m.regions = {"Středočeský kraj-Kolín", "Jihomoravský kraj-Brno-venkov", "A-Wien"};
    m.stations = {
        {.name = {"Brno hl.n."}},                                // 0
        {.name = {"Brno-Královo Pole"}},                         // 1
        {.name = {"Praha hl.n."}},                               // 2
        {.name = {"Wien Westbf"}, .type = 0x02, .region = 2},    // 3
        {.name = {"Wien Meidling"}, .type = 0x08, .region = 2},  // 4
        {.name = {"Zdarec"}},                                    // 5
        {.name = {"Žďár nad Sázavou"}},                          // 6
        {.name = {"Nová Ves I."}, .region = 0},                  // 7
        {.name = {"Nová Ves II."}, .region = 1},                 // 8
        {.name = {"Ostrava 1.máje"}},                            // 9
        {.name = {"Sv. Kateřina"}},                              // 10
        {.name = {"Nová Ves"}, .region = 0},                     // 11
        {.name = {"Nová Ves"}, .region = 1},                     // 12
        {.name = {"Hor. Počernice"}},                            // 13
        {.name = {"Star. Ves"}},                                 // 14
    };
    for (size_t s = 0; s < m.stations.size(); ++s) m.stations[s].key = 1000 + static_cast<int>(s);
    // Towns named in two languages; "Brno" has a second (positive) entry
    // under the same key.
    m.virtual_lists = {
        {.type = 1,
         .name = {"Obce", "Towns"},
         .items = {{.stations = {0, 1}, .key = 582786, .name = {"Brno", "Brünn"}},
                   {.stations = {0}, .key = 582786, .kind = 1},
                   {.stations = {2}, .key = 554782, .name = {"Praha", "Prague"}}}},
        {.type = 3, .name = {"Stanice"}, .items = {{.stations = {3}}, {.stations = {4}}}},
    };
    ASSERT_EQ(Load({dir_.Write("search.qo", m)}), 1);
  }
  void TearDown() override {
    QoSetDia(3);
    QoSetRegMode(0);
    LoadingTest::TearDown();
  }
  static int Search(std::string const& text, int fold = 1, int start = 0, int list = -1,
                    int language = 0, unsigned char const* filter = nullptr) {
    return QoSearchStation(0, list, language, start, Cp(text).c_str(), fold, filter);
  }
};

TEST_F(StationSearch, WordsAbbreviationsAndWildcards) {
  struct Case {
    char const* text;
    int fold, start, found;
  };
  const Case cases[] = {
      {"brno", 1, 0, 0},
      {"brno", 1, 1, 1},          // Brno-Královo Pole
      {"brno kr", 1, 0, 1},       // words begin the name's words in order
      {"kr", 1, 0, -1},           // ... from the first word on
      {"praha hlavni", 1, 0, 2},  // "hl." abbreviates "hlavni"
      {"praha hlx", 1, 0, 2},     // the '.' ends the comparison
      {"praha hx", 1, 0, -1},     // ... what comes before it must agree
      {"brno hl n", 1, 0, 0},
      {"brnox", 1, 0, -1},
      {"*pole", 1, 0, 1},
      {"*", 1, 5, 5},       // every candidate
      {"@", 1, 3, 5},       // every domestic one
      {"@wien", 1, 0, -1},  // every Wien is international
      {"wien", 1, 0, 3},
      {"*@meid", 1, 0, -1},      // '*' and '@' in any order
      {"nova ves ii", 1, 0, 8},  // "I." is a Roman numeral, not an abbreviation
      {"nova ves i", 1, 0, 7},
      {"ostrava 1 maje", 1, 0, 9},
      {"ostrava 1m", 1, 0, -1},  // "1." is an ordinal
      {"sv katerina", 1, 0, 10},
      {"svata", 1, 0, -1},  // one word through a short abbreviation
      {"sv", 1, 0, 10},
      {"horni", 1, 0, -1},               // three characters before the '.' are still too few
      {"stare", 1, 0, 14},               // four are enough
      {"nova ves [brno", 1, 0, 12},      // '[': the second part of the region
      {"nova ves [kol", 1, 0, 11},       // words in order: "I." is no region
      {"nova ves [*jihomor", 1, 0, 12},  // "[*": anywhere in the whole region
      {"nova ves [*", 1, 11, 11},
      {"zdar", 1, 0, 5},  // without diacritics both spellings
      {"zdar", 1, 6, 6},
      {"žďár", 1, 0, 6},  // typed with diacritics: only names with them
      {"ŽĎÁR", 0, 0, 6},
      {"zdar", 0, 6, -1},
      {"", 1, 4, 4},
      {"brno", 1, 13, -1},  // start beyond the candidates
  };
  for (Case const& c : cases)
    EXPECT_EQ(Search(c.text, c.fold, c.start), c.found) << c.text << " from " << c.start;
}

TEST_F(StationSearch, DiacriticsFollowTheTextMode) {
  // A text mode without diacritics cannot carry them in: the text's letters
  // are folded, not taken as a wish for exact diacritics.
  QoSetDia(4);
  EXPECT_EQ(Search("žďár"), 5);
  QoSetDia(2);  // ISO 8859-2: the same letters arrive as other bytes
  std::string iso = Cp("žďár");
  QoDiaExport(iso.data(), 2);
  EXPECT_EQ(QoSearchStation(0, -1, 0, 0, iso.c_str(), 1, nullptr), 6);
}

TEST_F(StationSearch, ListsFiltersAndErrors) {
  EXPECT_EQ(Search("prag", 1, 0, 0, 1), 2);  // item names of the list's language
  EXPECT_EQ(Search("prag", 1, 0, 0, 0), -1);
  EXPECT_EQ(Search("brno", 1, 1, 0), 1);  // an item without a name shows its station
  EXPECT_EQ(Search("@", 1, 0, 1), -1);    // items of foreign stations
  std::vector<unsigned char> filter(13, 1);
  filter[0] = 0;
  EXPECT_EQ(Search("brno", 1, 0, -1, 0, filter.data()), 1);

  struct Error {
    int timetable, list, language, start, error;
  };
  const Error errors[] = {
      {1, -1, 0, 0, ErrTimetableIndex},   {0, 2, 0, 0, ErrVirtListIndex},
      {0, -2, 0, 0, ErrVirtListIndex},    {0, 0, 2, 0, ErrLanguageIndex},
      {0, -1, 0, -1, ErrIndexOutOfRange},
  };
  for (Error const& e : errors) {
    QoError();
    EXPECT_EQ(QoSearchStation(e.timetable, e.list, e.language, e.start, "BRNO", 1, nullptr), -1);
    EXPECT_EQ(QoError(), e.error);
  }
}

TEST_F(StationSearch, ExactNamesAndKeys) {
  EXPECT_EQ(QoSearchStationName(0, Cp("Praha hl.n.").c_str()), 2);
  EXPECT_EQ(QoSearchStationName(0, Cp("praha hl.n.").c_str()), -1);
  EXPECT_EQ(QoStationsEqual(0, 11, 12), 1);  // same name, other places
  EXPECT_EQ(QoStationsEqual(0, 7, 8), 0);
  EXPECT_EQ(QoStationsEqual(0, 4, 4), 1);
  EXPECT_EQ(QoStationsEqual(0, 4, 15), 0);  // one past the last
  EXPECT_EQ(QoError(), ErrStationIndex);

  EXPECT_EQ(QoSearchKey(0, -1, 1002), 2);
  EXPECT_EQ(QoSearchKey(0, 0, 582786), 0);
  EXPECT_EQ(QoSearchKey(0, 1, 1004), 1);  // a list of stations is keyed by its stations
  EXPECT_EQ(QoSearchKey(0, 0, 0), -1);
  EXPECT_EQ(QoSearchKey(0, 0, 999), -1);
  // With a text the item whose text it is, among items of one key.
  EXPECT_EQ(QoSearchStation2(0, 0, 0, 582786, Cp("Brno hl.n.").c_str()), 1);
  EXPECT_EQ(QoSearchStation2(0, 0, 0, 582786, "Brno"), 0);
  EXPECT_EQ(QoSearchStation2(0, 0, 0, 1, "Praha"), -1);  // a keyed list lacks the key
  EXPECT_EQ(QoSearchStation2(0, -1, 0, 0, Cp("Brno-Královo Pole").c_str()), 1);
  EXPECT_EQ(QoSearchStation2(0, -1, 0, 0, "Brno"), -1);  // names must be whole
  QoSetRegMode(4);                                       // shown names and bracketed texts agree
  EXPECT_EQ(QoSearchStation2(0, -1, 0, 0, Cp("Nová Ves [Brno-venkov]").c_str()), 12);
}

}  // namespace
}  // namespace qo::test
