// The lower bounds on the minutes between a station and the end of a pass:
// the fewest minutes of any train between two stops, walks both ways, and
// over a via point first when one is still to pass.
#include "search/search_lower_bound.h"

#include <gtest/gtest.h>

#include <string>

#include "kernel/search/random_query_test.h"
#include "search/search_state.h"

namespace qo::test {
namespace {

class SearchLowerBoundTest : public EngineTest {};

// 0 -> 1 -> 2 by a slow train (10 + 5 minutes) and 0 -> 1 by a fast one
// (8), a walk of 4 minutes from 2 to 3 (one way only in the file) and a
// switched-off walk of 6 from 1 to 3; station 4 has nothing.
TEST_F(SearchLowerBoundTest, FewestMinutesByTrainAndWalkEachWay) {
  w::TimetableModel m = LineTimetable(1, 1, 5, 100);
  m.trains = {
      Trip({Dep(0, 600), {.station = 1, .arrival = 610, .departure = 611}, Arr(2, 616)}, "1"),
      Trip({Dep(0, 700), Arr(1, 708)}, "2")};
  m.transfers = {{.from = 2, .to = 3, .minutes = 4}, {.from = 1, .to = 3, .minutes = ~6}};
  ASSERT_EQ(Load({dir_.Write("bounds.qo", m)}), 1);
  TimetableRecord& t = *LoadedSet()[0];

  const std::vector<int32_t> toTwo = EndLowerBounds(t, {2}, false);
  EXPECT_EQ(toTwo, (std::vector<int32_t>{13, 5, 0, 4, kEndUnreachable}));
  const std::vector<int32_t> fromZero = EndLowerBounds(t, {0}, true);
  EXPECT_EQ(fromZero, (std::vector<int32_t>{0, 8, 13, 14, kEndUnreachable}));
  EXPECT_EQ(EndLowerBounds(t, {2}, false), toTwo) << "asked again after another end";
  EXPECT_EQ(EndLowerBounds(t, {1, 3}, false), (std::vector<int32_t>{8, 0, 4, 0, kEndUnreachable}))
      << "to the nearer of two ends";

  // Via point 3 before the end 2: over 3 first (1 -> 3 by the walk).
  SearchStateOf(t).Marks.StopVia.assign(5, 0);
  SearchStateOf(t).Marks.StopVia[3] = 1;
  std::vector<int32_t> overThree;
  ViaLowerBounds(t, 1, false, toTwo, overThree);
  EXPECT_EQ(overThree, (std::vector<int32_t>{18, 10, 8, 4, kEndUnreachable}));

  // Over station 4, which nothing leaves: no way at all.
  SearchStateOf(t).Marks.StopVia[4] = 2;
  std::vector<int32_t> overFour;
  ViaLowerBounds(t, 2, false, toTwo, overFour);
  EXPECT_EQ(overFour, std::vector<int32_t>(5, kEndUnreachable));
}

// Every leg of every connection a pass hands out, as text.
std::string Legs(ConnectionList const& list) {
  std::string text;
  for (Connection const& c : list) {
    for (ConnectionLeg const& l : c)
      text += " " + std::to_string(l.Train) + ":" + std::to_string(l.FromStation) + ">" +
              std::to_string(l.ToStation) + "@" +
              std::to_string(l.DepartureDay * 1440 + l.DepartureMinute) + "-" +
              std::to_string(l.ArrivalDay * 1440 + l.ArrivalMinute);
    text += " |";
  }
  return text;
}

// A pass for the query over a via point, its marks set as a request sets
// them.
ConnectionList PassOverVia(RouterQuery const& q, uint16_t via, SearchDirection direction) {
  TimetableRecord* t = LoadedSet()[0];
  return RunSearch({.From = {{.timetable = t, .station = q.From}},
                    .To = {{.timetable = t, .station = q.To}},
                    .Via = {{{.timetable = t, .station = via}}},
                    .Time = q.WindowTime,
                    .WindowLength = q.Interval,
                    .MaxChanges = q.MaxChanges,
                    .ChangesAllowed = q.ChangesAllowed,
                    .Marks = true},
                   {.ChangesAllowed = q.ChangesAllowed}, direction)
      .Found;
}

class LowerBoundPassTest : public RandomQueryTest {
 protected:
  // Pruning by the bounds (the fewest minutes and rides to the end, and
  // the look ahead they steer) from a pass's first label changes no
  // answer, by departure or by arrival, against the same pass without
  // them; over a via point too, whether it must be a stop or not.
  template <typename Prepare>
  void ExpectTheSameAnswers(Prepare&& prepare, bool overAVia = false) {
    RandomQueryDraw draw{.Seeds = 120, .SeedFactor = 6007, .Intervals = {60, 180, 360, 1440}};
    ForEachRandomQuery(
        draw, prepare, [] {},
        [&](w::TimetableModel const& m, ReferenceRouter const&, RouterQuery const& q) {
          const auto via = static_cast<uint16_t>((q.From * 7 + q.To * 3) % m.stations.size());
          if (overAVia && (via == q.From || via == q.To)) return;
          for (SearchDirection direction : {SearchDirection::Forward, SearchDirection::Backward})
            for (uint8_t stopsInVia : {1, 0}) {
              CurrentSearchSettings().Parms.StopsInVia = stopsInVia;
              auto answers = [&] {
                return Legs(overAVia ? PassOverVia(q, via, direction) : RunPass(q, {}, direction));
              };
              SetLabelsBeforeLowerBoundsForTesting(SIZE_MAX);
              const std::string without = answers();
              SetLabelsBeforeLowerBoundsForTesting(0);
              EXPECT_EQ(answers(), without)
                  << (direction == SearchDirection::Forward ? "forward" : "backward")
                  << (stopsInVia ? ", stopping at the via point" : "");
              if (!overAVia) break;
            }
          CurrentSearchSettings().Parms.StopsInVia = 1;
        });
  }
};

TEST_F(LowerBoundPassTest, TheBoundsChangeNoAnswer) {
  ExpectTheSameAnswers([](w::TimetableModel&) {});
}

TEST_F(LowerBoundPassTest, NorOverAViaPoint) {
  ExpectTheSameAnswers([](w::TimetableModel&) {}, true);
}

// A train may reach the next stop in the minute it leaves: a journey found
// ahead that arrives in the minute its last train is boarded is still made.
TEST_F(LowerBoundPassTest, NorWithRidesOfNoMinutes) {
  ExpectTheSameAnswers([](w::TimetableModel& m) {
    for (auto& train : m.trains)
      for (size_t k = 1; k < train.stops.size(); k += 2) {
        w::Stop& stop = train.stops[k];
        const int32_t left = train.stops[k - 1].departure;
        if (left == w::kNoTime || stop.arrival == w::kNoTime) continue;
        stop.arrival = left;
        if (stop.departure != w::kNoTime) stop.departure = std::max(stop.departure, left);
      }
  });
}

}  // namespace
}  // namespace qo::test
