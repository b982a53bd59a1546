// Preparation marks and change rules: To groups and their cap, a key via
// point switching stops-in-via off for one search, request and customs
// stops, where a change may be made, and one place by name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Qo.h"
#include "kernel/loading/loading_test_support.h"
#include "load/loaded_set.h"
#include "search/change_rules.h"
#include "search/search_marks.h"
#include "search/search_params.h"
#include "search/search_request.h"
#include "search/search_run.h"
#include "search/search_state.h"

namespace qo::test {
namespace {

class SearchMarksTest : public LoadingTest {};

TEST_F(SearchMarksTest, ToStationsAreNumberedInGroupsUpToTheCap) {
  w::TimetableModel m = SmallModel(1, 1, 0, 125);
  m.stations[1].name = m.stations[0].name;  // one place with station 0
  ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  SearchRun run;
  for (int s = 0; s < 125; ++s) run.Request.To.push_back({TimetableAt(0), s, 0});
  BuildTargetMarks(run);
  std::vector<uint8_t> const& marks = SearchStateOf(*TimetableAt(0)).Marks.Target;
  struct Case {
    int station, mark;
  };
  // Station k >= 1 is group k - 1; groups from 119 on share the last.
  for (Case c : {Case{0, 1}, Case{1, 1}, Case{2, 3}, Case{100, 199}, Case{120, 239}, Case{121, 239},
                 Case{124, 239}}) {
    SCOPED_TRACE(c.station);
    EXPECT_EQ(marks[static_cast<size_t>(c.station)], c.mark);
  }
}

TEST_F(SearchMarksTest, AKeyViaPointSwitchesStopsInViaOffForOneSearch) {
  ASSERT_EQ(Load({dir_.Write("a.qo", SmallModel(1, 1, 0, 4))}), 1);
  static int seen = -1;
  SetSearchEngineForTesting([](SearchRun&, EngineCall const&) {
    seen = CurrentSearchSettings().Parms.StopsInVia;
    return 0;
  });
  int const from[3] = {0, -1, 0}, to[3] = {2, -1, 0};
  struct Case {
    char const* name;
    int item, list;
    int during;
  };
  for (Case c : {Case{"key", 4711, -3, 0}, Case{"station", 3, -1, 1}}) {
    SCOPED_TRACE(c.name);
    int const via[3] = {c.item, c.list, static_cast<int>(0x80000000u)};
    ConnectionQuery q;
    q.From = {&from[0], &from[1], &from[2], nullptr, 1};
    q.To = {&to[0], &to[1], &to[2], nullptr, 1};
    q.Via = {&via[0], &via[1], &via[2], nullptr, 1};
    q.Time = 600, q.Day = 10, q.Month = 3, q.Year = 2025;
    int count = 0;
    SearchConnections(q, &count);
    EXPECT_EQ(seen, c.during);
    EXPECT_EQ(CurrentSearchSettings().Parms.StopsInVia, 1);
  }
  SetSearchEngineForTesting(nullptr);
}

// A bus timetable: station 1 a request stop of train 0, station 2 a border
// crossing by name, station 3 by its service codes, station 4 named like a
// crossing but a plain stop.
class ChangeRulesTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    w::TimetableModel m = SmallModel(1, 2, 0, 6);
    m.stations[2].name = {"Hranice CLO"};
    m.stations[4].name = {"ZOLL Nord"};
    m.stations[4].type = 0x01;
    m.service_codes.codes = {{.name = "C"}};
    m.service_codes.sets = {0x1};
    m.stations[3].service_set = 0;
    m.customs_mask = 0x1;
    m.trains = {
        {.stops = {Dep(0, 480), Pass(1, 490, 491), Pass(5, 500, 502), Arr(3, 520)}, .number = "1"},
        {.stops = {Dep(5, 505), Arr(0, 530)}, .number = "2"},
        {.stops = {Dep(5, 510), Arr(1, 540)}, .number = "1"},
    };
    m.trains[0].stops[2].flags = 0x1000;  // no alighting at 5
    m.station_remarks = {{.train = 0, .station = 1, .text = {"zastavuje na znamení"}}};
    m.continuations = {{.train_a = 0, .station = 3, .train_b = 1}};
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  }
};

TEST_F(ChangeRulesTest, RequestAndCustomsStops) {
  EXPECT_TRUE(IsRequestStop(0, 0, 1));
  EXPECT_FALSE(IsRequestStop(0, 0, 5));
  EXPECT_FALSE(IsRequestStop(0, 1, 1));
  struct Case {
    int station;
    bool customs;
  };
  for (Case c : {Case{0, false}, Case{2, true}, Case{3, true}, Case{4, false}}) {
    SCOPED_TRACE(c.station);
    EXPECT_EQ(IsCustomsStop(0, c.station), c.customs);
  }
}

TEST_F(ChangeRulesTest, WhereAChangeMayBeMade) {
  auto leg = [](int train, int from, int to) {
    ConnectionLeg l;
    l.Train = train;
    l.FromStation = from;
    l.ToStation = to;
    return l;
  };
  struct Case {
    char const* name;
    ConnectionLeg in, out;
    int station;
    bool can;
  };
  const Case cases[] = {
      {"plain", leg(0, 0, 1), leg(2, 1, 1), 1, true},
      {"no alighting", leg(0, 0, 5), leg(1, 5, 0), 5, false},
      {"at a customs stop", leg(0, 0, 3), leg(2, 3, 1), 3, false},
      {"the train goes on as the other", leg(0, 0, 3), leg(1, 3, 0), 3, false},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CanChangeAt(0, c.in, c.station, c.station, c.out, false), c.can);
  }
  EXPECT_TRUE(HaveSameTrainNumber(0, 0, 2));
  EXPECT_FALSE(HaveSameTrainNumber(0, 0, 1));
}

TEST_F(SearchMarksTest, APlatformNumberIsThePlace) {
  w::TimetableModel m = SmallModel(1, 3, 0, 4);
  m.stations[0].name = {"Náměstí"};
  m.stations[1].name = {"Náměstí - 1"};
  m.stations[2].name = {"Náměstí - 12"};
  m.stations[3].name = {"náměstí"};
  ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  struct Case {
    int a, b;
    bool same;
  };
  for (Case c : {Case{0, 1, true}, Case{0, 2, false}, Case{0, 3, true}, Case{1, 3, true}}) {
    SCOPED_TRACE(std::to_string(c.a) + "/" + std::to_string(c.b));
    EXPECT_EQ(IsSamePlaceByName(0, c.a, c.b), c.same);
  }
}

}  // namespace
}  // namespace qo::test
