// The backward engine (by arrival) on seeded random networks: every
// forward answer has a backward one that leaves no earlier and arrives no
// later, every backward answer is a real journey that no later departure
// beats, and the latest departure matches an unpruned search.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "kernel/search/random_query_test.h"

namespace qo::test {
namespace {

constexpr uint32_t kSeeds = 150;

class EngineBackwardTest : public RandomQueryTest {
 protected:
  // Calls f(model, router, query) for a few queries on each network.
  template <typename F>
  void ForEachQuery(F&& f) {
    RandomQueryDraw draw{.Seeds = kSeeds, .SeedFactor = 104729, .DirectWithoutChanges = true};
    ForEachRandomQuery(
        draw, [](w::TimetableModel&) {}, [] {}, f);
  }
};

// The router's unpruned earliest arrival for departures from `first` to
// `last`; arrivals before the search day are negative, so none is told
// apart by the departure it leaves unset.
std::optional<int32_t> Earliest(ReferenceRouter const& router, RouterQuery const& q, int32_t first,
                                int32_t last) {
  int32_t departure = INT32_MIN;
  const int32_t arrival = router.EarliestArrival(q, first, last, &departure);
  if (departure == INT32_MIN) return std::nullopt;
  return arrival;
}

TEST_F(EngineBackwardTest, EveryForwardAnswerHasABackwardOneNoWorse) {
  ForEachQuery([&](w::TimetableModel const&, ReferenceRouter const&, RouterQuery const& q) {
    std::set<Journey> forward = Journeys(RunForward(q));
    for (Journey const& f : forward) {
      if (f.Arrival > 1439) continue;  // a window time is a minute of the search day
      RouterQuery back = q;
      back.WindowTime = f.Arrival;
      back.Interval = 60;
      std::set<Journey> backward = AllJourneys(RunBackward(back));
      const bool found = std::any_of(backward.begin(), backward.end(), [&](Journey const& b) {
        return b.Departure >= f.Departure && b.Arrival <= f.Arrival;
      });
      EXPECT_TRUE(found) << "forward " << f.Departure << "-" << f.Arrival << "/" << f.Trips
                         << "\nbackward:" << Describe(backward);
    }
  });
}

TEST_F(EngineBackwardTest, AnswersAreTheLatestDeparturesOfAnUnprunedSearch) {
  ForEachQuery(
      [&](w::TimetableModel const& model, ReferenceRouter const& router, RouterQuery const& q) {
        ConnectionList list = RunBackward(q);
        for (Connection const& c : list) {
          // Legs follow each other in time.
          for (size_t i = 1; i < c.size(); ++i) EXPECT_LE(LegArrival(c[i - 1]), LegDeparture(c[i]));
          EXPECT_EQ(c.front().FromStation, q.From);
          EXPECT_EQ(c.back().ToStation, q.To);
        }
        std::set<Journey> backward = AllJourneys(list);
        // Where the longest change time binds, an earlier departure hides a
        // later one it alone could have been reached from, as forward.
        if (model.search.max_change_time < 1439) return;
        for (Journey const& b : backward) {
          // A real journey.
          std::optional<int32_t> reach = Earliest(router, q, b.Departure, b.Departure);
          EXPECT_TRUE(reach && *reach <= b.Arrival) << b.Departure << "-" << b.Arrival;
        }
        const int32_t slack = q.ChangesAllowed ? std::min(q.Interval / 2, 120) : 0;
        const int32_t windowStart = q.WindowTime - std::min(q.Interval + slack, 1439);
        for (Journey const& b : Journeys(list)) {
          // Within the window no later departure with as few trips reaches the
          // To station by its arrival; direct trips are all kept, also
          // overtaken ones.
          if (b.Trips == 1) continue;
          RouterQuery fewer = q;
          fewer.MaxChanges = b.Trips - 1;
          std::optional<int32_t> later = Earliest(router, fewer, b.Departure + 1, b.Arrival);
          // (A journey arriving before the window and its slack is not
          // looked at.)
          EXPECT_TRUE(!later || *later > b.Arrival || *later < windowStart)
              << b.Departure << "-" << b.Arrival << " beaten by one arriving " << *later;
        }
        // The latest departure that arrives by the window time, when the
        // journey it gives arrives inside the window.
        auto arrivesInTime = [&](int32_t first) {
          std::optional<int32_t> e = Earliest(router, q, first, q.WindowTime);
          return e && *e <= q.WindowTime;
        };
        int32_t lo = q.WindowTime - 1439, hi = q.WindowTime;
        if (!arrivesInTime(lo)) return;
        while (lo < hi) {
          const int32_t mid = lo + (hi - lo + 1) / 2;
          if (arrivesInTime(mid))
            lo = mid;
          else
            hi = mid - 1;
        }
        if (*Earliest(router, q, lo, lo) < q.WindowTime - q.Interval) return;
        int32_t latest = INT32_MIN;
        for (Journey const& b : backward)
          if (b.Arrival <= q.WindowTime) latest = std::max(latest, b.Departure);
        EXPECT_EQ(latest, lo) << "backward:" << Describe(backward);
      });
}

}  // namespace
}  // namespace qo::test
