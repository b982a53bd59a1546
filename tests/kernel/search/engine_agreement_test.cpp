// The forward engine against the reference router on seeded random
// networks: the direct trips, the earliest arrival and the whole answer of
// a pass before clean-up must agree exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "kernel/search/random_query_test.h"
#include "search/connection_cleanup.h"
#include "search/search_state.h"

namespace qo::test {
namespace {

constexpr uint32_t kSeeds = 300;

// Arcs of 100 m between the neighbouring stops of every line, and the
// trains' distances along them: far too short for the 8 km least detour
// to leave any station of a network out of the corridor.
void MeasureLines(w::TimetableModel& m) {
  std::set<std::pair<uint16_t, uint16_t>> arcs;
  for (w::Train& train : m.trains) {
    for (size_t i = 0; i < train.stops.size(); ++i) {
      train.stops[i].distance = static_cast<int32_t>(i) * 100;
      if (i == 0) continue;
      const uint16_t a = train.stops[i - 1].station;
      const uint16_t b = train.stops[i].station;
      arcs.insert({a, b});
      arcs.insert({b, a});
    }
  }
  for (auto const& [a, b] : arcs) m.arcs.push_back({a, b, 100});
}

class EngineAgreementTest : public RandomQueryTest {
 protected:
  void AgreeOnRandomNetworks(bool corridor);
};

TEST_F(EngineAgreementTest, RandomNetworksAgreeWithTheReferenceRouter) {
  AgreeOnRandomNetworks(false);
}

// The same with a distance corridor around every query, which the clean-up
// then works on: what the corridor lets through is all the router finds.
TEST_F(EngineAgreementTest, TheCorridorAndTheCleanUpKeepTheReferenceAnswers) {
  AgreeOnRandomNetworks(true);
}

void EngineAgreementTest::AgreeOnRandomNetworks(bool corridor) {
  RandomQueryDraw draw{
      .Seeds = kSeeds, .Intervals = {60, 180, 360, 1440}, .PatternsOverADay = true};
  auto prepare = [&](w::TimetableModel& model) {
    if (corridor) MeasureLines(model);
  };
  auto settle = [&] {
    if (corridor) {
      CurrentSearchSettings().Parms.DeltaMaxType = 1;
      CurrentSearchSettings().Parms.DeltaMaxPercent = 20;
    }
  };
  ForEachRandomQuery(
      draw, prepare, settle,
      [&](w::TimetableModel const& model, ReferenceRouter const& router, RouterQuery const& q) {
        std::set<Journey> engine = Journeys(RunForward(q));
        std::set<Journey> reference = router.Journeys(q);
        // A journey rides arcs all the way: the corridor is built.
        if (corridor && !reference.empty()) {
          ASSERT_EQ(SearchStateOf(*TimetableAt(0)).Marks.Allowed.size(), model.stations.size());
          EXPECT_GT(CurrentSearchRun().DistanceLimit, 0);
        }
        // Counting kilometres (the corridor's arcs have lengths) keeps, beside
        // every journey the router finds, a later one by a shorter way; each
        // such journey is beaten in time by another the pass found, maybe one
        // that leaves after the window.
        const bool kilometres = engine != reference;
        if (corridor) {
          EXPECT_TRUE(
              std::includes(engine.begin(), engine.end(), reference.begin(), reference.end()))
              << "engine:" << Describe(engine) << "\nrouter:" << Describe(reference);
          std::set<Journey> passed = AllJourneys(CurrentSearchRun().Found);
          for (Journey const& j : engine) {
            if (reference.count(j)) continue;
            EXPECT_TRUE(std::any_of(passed.begin(), passed.end(),
                                    [&](Journey const& r) {
                                      return r.Departure >= j.Departure && r.Arrival <= j.Arrival &&
                                             (r.Departure != j.Departure || r.Arrival != j.Arrival);
                                    }))
                << "engine:" << Describe(engine) << "\nrouter:" << Describe(reference);
          }
        } else {
          EXPECT_EQ(engine, reference)
              << "engine:" << Describe(engine) << "\nrouter:" << Describe(reference);
        }

        // The clean-up keeps a part of the router's answer, and all of it
        // when no journey found (also past the window) takes twice as long
        // as another.
        int32_t shortest = INT32_MAX, longest = 0;
        for (Connection const& c : CurrentSearchRun().Found) {
          shortest = std::min(shortest, LegArrival(c.back()) - LegDeparture(c.front()));
          longest = std::max(longest, LegArrival(c.back()) - LegDeparture(c.front()));
        }
        // A journey whose change was needless (a later train of it calls at
        // the start, maybe after the window) goes whatever its duration.
        std::set<Journey> needless;
        for (Connection const& c : CurrentSearchRun().Found)
          if (IsNeedlessChange(c, true))
            needless.insert(
                {LegDeparture(c.front()), LegArrival(c.back()), static_cast<int32_t>(c.size())});
        CleanUpConnectionList(CurrentSearchRun(), true);
        std::set<Journey> cleaned = Journeys(CurrentSearchRun().Found);
        std::set<Journey> const& front = kilometres ? engine : reference;
        EXPECT_TRUE(std::includes(front.begin(), front.end(), cleaned.begin(), cleaned.end()))
            << "cleaned:" << Describe(cleaned) << "\nfound:" << Describe(front);
        if (!kilometres && !reference.empty() && int64_t{longest} <= 2 * int64_t{shortest}) {
          std::set<Journey> expected;
          for (Journey const& j : reference)
            if (!needless.count(j)) expected.insert(j);
          EXPECT_EQ(cleaned, expected)
              << "cleaned:" << Describe(cleaned) << "\nrouter:" << Describe(reference);
        }

        // The earliest arrival, found without any pruning, whenever the
        // journey that reaches it latest leaves within the window. Only where
        // the longest change time never binds: otherwise a journey that
        // reaches a station earlier hides a later one that could still catch
        // a train the earlier one may not wait for, as the router models.
        if (model.search.max_change_time < 1439) return;
        const int32_t slack = q.ChangesAllowed ? std::min(q.Interval / 2, 120) : 0;
        int32_t departure = 0;
        int32_t earliest = router.EarliestArrival(
            q, q.WindowTime, q.WindowTime + std::min(q.Interval + slack, 1439), &departure);
        if (earliest >= 0 && departure <= q.WindowTime + q.Interval) {
          int32_t best = INT32_MAX;
          for (Journey const& j : engine) best = std::min(best, j.Arrival);
          EXPECT_EQ(best, earliest) << "departing " << departure;
        }
      });
}

}  // namespace
}  // namespace qo::test
