// Station names with their region parts, and the name helpers of list
// items and remark texts.
#include "stations/station_names.h"

#include <gtest/gtest.h>

#include <string>

#include "Qo.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"
#include "writer/model_text.h"

namespace qo::test {
namespace {

std::string Cp(std::string const& utf8) { return w::ToCp1250(utf8, "expected text"); }

class StationNames : public LoadingTest {
 protected:
  // Two timetables whose names differ, so that the re-index marks none of
  // them as same-named across timetables.
  void SetUp() override {
    LoadingTest::SetUp();
    w::TimetableModel rail = SmallModel(1, 1, 0, 5);
    rail.regions = {"CZ-Kolín", "D-Sachsen", "Brno"};
    rail.stations[0] = {.name = {"Nová Ves"}, .region = 0};
    rail.stations[1] = {.name = {"Nová Ves u Kolína"}, .type = 0x04, .region = 0};
    rail.stations[2] = {.name = {"Dresden Hbf"}, .type = 0x08, .region = 1};
    rail.stations[3] = {.name = {"Brno, hl.n."}, .type = 0x04, .region = 2};
    rail.stations[4] = {.name = {"Praha"}};
    w::TimetableModel bus = SmallModel(2, 2, 0, 2);
    bus.regions = {"CZ-Kolín"};
    bus.stations[0] = {.name = {"Zásmuky"}, .type = 0x04, .region = 0};
    ASSERT_EQ(Load({dir_.Write("rail.qo", rail), dir_.Write("bus.qo", bus)}), 2);
  }
  TimetableRecord& Rail() { return At(0).Kind == 1 ? At(0) : At(1); }
  TimetableRecord& Bus() { return At(0).Kind == 1 ? At(1) : At(0); }
};

TEST_F(StationNames, RegionPartsByNameMode) {
  struct Case {
    bool bus;
    int station, mode;
    bool plain;
    char const* name;
  };
  const Case cases[] = {
      {false, 0, 0, false, "Nová Ves"},
      {false, 1, 0, false, "Nová Ves u Kolína [Kolín]"},
      {false, 2, 0, false, "Dresden Hbf [D]"},
      {false, 3, 0, false, "Brno [Brno], hl.n."},  // before the comma; a single part serves
      {false, 4, 0, false, "Praha"},               // no region
      {false, 1, 0, true, "Nová Ves u Kolína"},    // plain names of rail timetables
      {true, 0, 0, true, "Zásmuky [Kolín]"},       // ... but not of bus timetables
      {false, 1, 1, true, "Nová Ves u Kolína [CZ-Kolín]"},
      {false, 0, 1, false, "Nová Ves [CZ-Kolín]"},
      {false, 1, 2, false, "Nová Ves u Kolína"},
      {false, 0, 3, false, "Nová Ves [Kolín]"},
      {false, 2, 3, false, "Dresden Hbf [D-Sachsen]"},
      {false, 2, 4, false, "Dresden Hbf [Sachsen]"},
      {false, 3, 4, false, "Brno [Brno], hl.n."},
      {false, 0, 9, false, "Nová Ves"},  // an unknown mode shows no region
  };
  for (Case const& c : cases) {
    std::string name;
    EXPECT_EQ(GetStationName(c.bus ? Bus() : Rail(), c.station, c.mode, c.plain, name), 0);
    EXPECT_EQ(name, Cp(c.name)) << c.station << " in mode " << c.mode;
  }
  std::string name = "kept";
  EXPECT_EQ(GetStationName(Rail(), 5, 0, false, name), ErrStationIndex);
  EXPECT_EQ(name, "");
  EXPECT_EQ(GetStationName(Rail(), -1, 0, false, name), ErrStationIndex);
}

TEST_F(StationNames, ShownNamesCrossInTheTextMode) {
  int const rail = At(0).Kind == 1 ? 0 : 1;
  EXPECT_EQ(std::string(QoStName(rail, 1)), Cp("Nová Ves u Kolína"));
  RegionDisplayMode() = NameModeWholeRegion;
  QoSetDia(4);
  EXPECT_STREQ(QoStName(rail, 1), "Nova Ves u Kolina [CZ-Kolin]");
  QoSetDia(3);
  RegionDisplayMode() = NameModeByType;
  EXPECT_STREQ(QoStName(rail, 5), "");
  EXPECT_EQ(QoError(), ErrStationIndex);
  EXPECT_EQ(QoStName(2, 0), nullptr);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
}

TEST(NameHelpers, CommaParts) {
  struct Case {
    char const* name;
    char const* first;   // cut at the first comma
    char const* second;  // cut at the second
    char const* swapped;
  };
  const Case cases[] = {
      {"Praha", "Praha", "Praha", "Praha"},
      {"Praha, Florenc", "Praha", "Praha, Florenc", "Florenc/Praha"},
      {"Brno,Královo Pole,nádr.", "Brno", "Brno,Královo Pole", "Královo Pole/Brno,nádr."},
      {"A,B,C,D", "A", "A,B", "B/A,D"},
      {"A,,B", "A", "A", "/A,B"},
  };
  for (Case const& c : cases) {
    std::string first = c.name, second = c.name, swapped = c.name;
    CutAtComma(first, 1);
    CutAtComma(second, 2);
    SwapCommaParts(swapped);
    EXPECT_EQ(first, c.first) << c.name;
    EXPECT_EQ(second, c.second) << c.name;
    EXPECT_EQ(swapped, c.swapped) << c.name;
  }
}

TEST_F(StationNames, BracketedCodesBecomeTheirRendering) {
  Clear();
  w::TimetableModel m = SmallModel(3);
  m.service_codes.codes = {{.name = "WC", .short_text = "w", .description = {"Toaleta"}},
                           {.name = "BF", .description = {"Bezbariérový"}}};
  ASSERT_EQ(Load({dir_.Write("codes.qo", m)}), 1);
  const std::string text = "Vlak [WC] a [BF], [XX] a [WC";
  struct Case {
    CodeMarkers markers;
    char const* expanded;
  };
  const Case cases[] = {
      {{}, "Vlak WC a BF, [XX] a [WC"},
      {{"<", ">", "", ""}, "Vlak <WC> a <BF>, [XX] a [WC"},
      {{"<", ">", "{", "}"}, "Vlak {w} a <BF>, [XX] a [WC"},  // BF has no symbol
      {{"", "", "{", "}"}, "Vlak {w} a BF, [XX] a [WC"},
  };
  std::string out;
  for (Case const& c : cases) {
    ExpandBracketRefs(At(0), text, c.markers, out);
    EXPECT_EQ(out, c.expanded);
  }
  ExpandBracketRefs(At(0), "Bez kódů", {"<", ">", "{", "}"}, out);
  EXPECT_EQ(out, "Bez kódů");
}

}  // namespace
}  // namespace qo::test
