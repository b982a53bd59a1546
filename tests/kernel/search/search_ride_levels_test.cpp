// The fewest rides between a station and the end of a pass: over the lines
// the trains run (each way as the pass rides them), with the walks a
// station lists between rides but never as the end of a journey.
#include "search/search_ride_levels.h"

#include <gtest/gtest.h>

#include <vector>

#include "kernel/search/engine_test_support.h"
#include "search/search_state.h"

namespace qo::test {
namespace {

class SearchRideLevelsTest : public EngineTest {};

constexpr uint8_t kNone = kNoRideLevel;

// Lines 0 -> 1 -> 2 (twice, at other times), 2 -> 3 and 4 -> 3, and walks
// from 5 to 1 and from 2 to 6 (one way each); no line calls at 5 or 6.
TEST_F(SearchRideLevelsTest, FewestRidesOverTheLinesEachWay) {
  w::TimetableModel m = LineTimetable(1, 1, 7, 100);
  m.trains = {
      Trip({Dep(0, 600), {.station = 1, .arrival = 610, .departure = 611}, Arr(2, 616)}, "1"),
      Trip({Dep(0, 700), {.station = 1, .arrival = 710, .departure = 711}, Arr(2, 716)}, "2"),
      Trip({Dep(2, 620), Arr(3, 630)}, "3"), Trip({Dep(4, 620), Arr(3, 640)}, "4")};
  m.transfers = {{.from = 5, .to = 1, .minutes = 3}, {.from = 2, .to = 6, .minutes = 2}};
  ASSERT_EQ(Load({dir_.Write("levels.qo", m)}), 1);
  TimetableRecord& t = *LoadedSet()[0];

  const std::vector<uint8_t> toThree = EndRideLevels(t, {3}, false);
  EXPECT_EQ(toThree, (std::vector<uint8_t>{2, 2, 1, 0, 1, 2, kNone}));
  EXPECT_EQ(EndRideLevels(t, {0}, true), (std::vector<uint8_t>{0, 1, 1, 2, kNone, 1, kNone}))
      << "backward: from the end on";
  // A walk does not end a journey: from 5 a ride is still needed, and no
  // line leads from there to 1.
  EXPECT_EQ(EndRideLevels(t, {1}, false),
            (std::vector<uint8_t>{1, 0, kNone, kNone, kNone, kNone, kNone}));

  // Over the via point 2 first, then to 3: 4 rides to 3 without passing
  // it. Over 1 to 2: one ride from 0 passes 1 on its way.
  SearchStateOf(t).Marks.StopVia.assign(7, 0);
  SearchStateOf(t).Marks.StopVia[2] = 1;
  SearchStateOf(t).Marks.StopVia[1] = 2;
  std::vector<uint8_t> overTwo;
  ViaRideLevels(t, 1, false, toThree, overTwo);
  EXPECT_EQ(overTwo, (std::vector<uint8_t>{2, 2, 1, kNone, kNone, 2, kNone}));
  std::vector<uint8_t> overOne;
  ViaRideLevels(t, 2, false, EndRideLevels(t, {2}, false), overOne);
  EXPECT_EQ(overOne, (std::vector<uint8_t>{1, 1, kNone, kNone, kNone, 1, kNone}));

  EXPECT_EQ(KeptEndRideLevels(t, {3}, false), nullptr) << "other ends were asked since";
  EXPECT_EQ(EndRideLevels(t, {3}, false), toThree);
  ASSERT_NE(KeptEndRideLevels(t, {3}, false), nullptr);
  EXPECT_EQ(KeptEndRideLevels(t, {3}, true), nullptr);
}

}  // namespace
}  // namespace qo::test
