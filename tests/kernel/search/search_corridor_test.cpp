// The corridor a search keeps to: the detour over the station graph with
// its 8 km minimum, the default alighting words when no way is known, the
// domestic and one-region scope, the ellipse on the map and change points.
#include <gtest/gtest.h>

#include "kernel/search/engine_test_support.h"
#include "load/loaded_set.h"
#include "search/search_marks.h"
#include "search/search_state.h"
#include "writer/gis_model.h"

namespace qo::test {
namespace {

// A line 0 - 1 - 2 - 3 - 4 of 10 km arcs with a branch from 2 to 5 and
// station 6 off the graph. Station 3 is no stop (flag 0x01 clear); 1 is
// abroad and in the region "East"; the others are in "West". One train
// runs 0 - 5 - 4.
w::TimetableModel CorridorModel(int32_t branch) {
  w::TimetableModel m = SmallModel(1, 1, 0, 7);
  m.regions = {"West-a", "East-b"};
  for (w::Station& s : m.stations) {
    s.type = 0x01;
    s.region = 0;
  }
  m.stations[3].type = 0;
  m.stations[1].type = 0x01 | 0x02;
  m.stations[1].region = 1;
  auto both = [&](uint16_t a, uint16_t b, int32_t length) {
    m.arcs.push_back({a, b, length});
    m.arcs.push_back({b, a, length});
  };
  both(0, 1, 10000);
  both(1, 2, 10000);
  both(2, 3, 10000);
  both(3, 4, 10000);
  both(2, 5, branch);
  m.trains = {{.stops = {Dep(0, 600), Pass(5, 630, 631), Arr(4, 660)}}};
  return m;
}

class SearchCorridorTest : public EngineTest {
 protected:
  void LoadModel(w::TimetableModel const& m) {
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
    SetSearchDay(static_cast<uint16_t>(TimetableAt(0)->FirstDay + 10));
  }
  // The corridor from station 0 to `to` under the detour settings.
  SearchMarks const& Corridor(int type, int percent, uint16_t to = 4) {
    ConnParms& p = CurrentSearchSettings().Parms;
    p.DeltaMaxType = type;
    p.DeltaMaxPercent = percent;
    SearchRun& run = CurrentSearchRun();
    run = SearchRun{};
    run.Request.From = {{.timetable = TimetableAt(0), .station = 0}};
    run.Request.To = {{.timetable = TimetableAt(0), .station = to}};
    ComputeSearchCorridor(run);
    return SearchStateOf(*TimetableAt(0)).Marks;
  }
};

TEST_F(SearchCorridorTest, ADetourOfAtLeastEightKilometres) {
  // Station 5 lies 2 x branch off the 40 km way from 0 to 4.
  struct Case {
    int type, percent;
    int32_t branch;
    bool allowed;
  };
  for (Case c : {Case{1, 10, 4000, true}, Case{1, 10, 4001, false}, Case{1, 50, 10000, true},
                 Case{1, 50, 10001, false}, Case{1, 0, 1, false}, Case{2, 0, 10000, false}}) {
    SCOPED_TRACE(testing::Message() << c.type << " " << c.percent << "% " << c.branch);
    LoadModel(CorridorModel(c.branch));
    CurrentSearchSettings().Parms.DeltaMaxMetres = 15000;
    SearchMarks const& marks = Corridor(c.type, c.percent);
    ASSERT_EQ(marks.Allowed.size(), 7u);
    EXPECT_EQ(marks.Allowed[5] != 0, c.allowed);
    for (int s : {0, 1, 2, 3, 4}) EXPECT_EQ(marks.Allowed[static_cast<size_t>(s)], 1) << s;
    EXPECT_EQ(marks.Allowed[6], 0);
    Clear();
  }
}

TEST_F(SearchCorridorTest, AlightingOnlyAtStopsAndTheDefaultWordsWithoutAWay) {
  LoadModel(CorridorModel(4000));
  struct Case {
    char const* name;
    int type;
    uint16_t to;
    bool corridor;
  };
  for (Case c : {Case{"corridor", 1, 4, true}, Case{"no way to 6", 1, 6, false},
                 Case{"no detour rule", 0, 4, false}}) {
    SCOPED_TRACE(c.name);
    SearchMarks const& marks = Corridor(c.type, 100, c.to);
    EXPECT_EQ(marks.Allowed.empty(), !c.corridor);
    EXPECT_EQ(marks.Alighting[3], 0);  // not a stop
    EXPECT_EQ(marks.Alighting[2], 1);
    EXPECT_EQ(marks.Alighting[c.to], 1);
    // Off the graph only the default words reach station 6.
    EXPECT_EQ(marks.Alighting[6], c.corridor ? 0 : 1);
  }
  // A ride ends where the corridor ends: with 4 km of detour the train
  // through 5 (8 km off the way) cannot be ridden to 4.
  RouterQuery q{.From = 0, .To = 4, .WindowTime = 590, .Interval = 60};
  for (int32_t branch : {4000, 4001}) {
    SCOPED_TRACE(branch);
    Clear();
    LoadModel(CorridorModel(branch));
    CurrentSearchSettings().Parms.DeltaMaxType = 1;
    CurrentSearchSettings().Parms.DeltaMaxPercent = 10;
    EXPECT_EQ(Describe(Journeys(RunForward(q))), branch == 4000 ? " 600-660/1" : " (none)");
  }
}

TEST_F(SearchCorridorTest, DomesticAndOneRegionScope) {
  LoadModel(CorridorModel(4000));
  SearchRun& run = CurrentSearchRun();
  struct Case {
    int mode;
    int16_t abroad;  // station 1: abroad and in the other region
  };
  for (Case c : {Case{0, 0}, Case{1, 1}, Case{2, 0}}) {
    SCOPED_TRACE(c.mode);
    run = SearchRun{};
    run.Request.From = {{.timetable = TimetableAt(0), .station = 0}};
    run.Request.To = {{.timetable = TimetableAt(0), .station = 4}};
    run.ScopeMode = c.mode;
    ComputeSearchCorridor(run);
    SearchMarks const& marks = SearchStateOf(*TimetableAt(0)).Marks;
    EXPECT_EQ(marks.Alighting[1], c.abroad);
    EXPECT_EQ(marks.Alighting[2], 1);
  }
  PrepareSearchMarks(run, false);
  EXPECT_EQ(run.ScopeMode, 0);  // From and To are at home
}

TEST_F(SearchCorridorTest, TheEllipseOnTheMapAndChangePoints) {
  w::TimetableModel m = CorridorModel(4000);
  m.extension_names = {".gis"};
  // From (1000, 1000) to (2000, 1000): 1000 units, widened to 1200.
  w::GisModel gis;
  gis.station_points = {{1000, 1000, 100},
                        {1500, 1100, 200},
                        {1500, 1500, 300},
                        {2000, 1000, 500},
                        {3000, 1000, 600}};
  dir_.Save("a.gis", w::WriteExtension({.type = w::ExtensionType::kGis, .gis = gis}).bytes);
  LoadModel(m);
  struct Case {
    char const* name;
    int coordinates;
    bool changePoint;
    std::vector<int16_t> words;  // stations 0..6
  };
  const Case cases[] = {
      {"inside and outside the ellipse", 1, false, {1, 1, 0, 0, 1, 0, 1}},
      {"search by coordinates off", 0, false, {1, 1, 1, 0, 1, 1, 1}},
      {"only the change point and the ends", 0, true, {1, 0, 1, 0, 1, 0, 0}},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    CurrentSearchSettings().Parms.SearchByCoordinates = c.coordinates;
    SearchRun& run = CurrentSearchRun();
    run = SearchRun{};
    run.Request.From = {{.timetable = TimetableAt(0), .station = 0}};
    run.Request.To = {{.timetable = TimetableAt(0), .station = 4}};
    if (c.changePoint) run.Request.ChangePoints = {{.timetable = TimetableAt(0), .station = 2}};
    ComputeSearchCorridor(run);
    SearchMarks const& marks = SearchStateOf(*TimetableAt(0)).Marks;
    EXPECT_EQ(marks.Alighting, c.words);
  }
}

}  // namespace
}  // namespace qo::test
