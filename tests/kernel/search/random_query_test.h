#pragma once
// Seeded random networks, each loaded in turn, and a few random queries on
// each: the frame of the checks that hold the engines against the
// reference router.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "kernel/search/engine_test_support.h"
#include "kernel/search/random_network.h"

namespace qo::test {

// How a check draws its queries. Each check keeps its own draw, so that it
// goes on asking the queries it was written against.
struct RandomQueryDraw {
  uint32_t Seeds = 150;
  uint32_t SeedFactor = 7919;
  std::vector<int> Intervals{60, 180, 360};
  // A direct query asks for no changes (otherwise its limit is drawn too).
  bool DirectWithoutChanges = false;
  bool PatternsOverADay = false;
};

class RandomQueryTest : public EngineTest {
 protected:
  // For each network: prepare(model) before it is written and loaded,
  // settle() once it is loaded, then f(model, router, query) for each of
  // four queries.
  template <typename Prepare, typename Settle, typename F>
  void ForEachRandomQuery(RandomQueryDraw const& draw, Prepare&& prepare, Settle&& settle, F&& f) {
    for (uint32_t seed = 1; seed <= draw.Seeds; ++seed) {
      SCOPED_TRACE("seed " + std::to_string(seed));
      writer::TimetableModel model = RandomNetwork(seed);
      prepare(model);
      QoCloseData();
      // Every other network stores equal trains as shared stop patterns.
      writer::WriteOptions options{
          .share_stop_patterns = seed % 2 == 1,
          .share_patterns_over_a_day = draw.PatternsOverADay && seed % 4 == 1};
      ASSERT_EQ(Load({dir_.Write("n.qo", model, options)}), 1);
      SetSearchDay(kNetworkSearchDay);
      settle();
      ReferenceRouter router(model, kNetworkSearchDay);
      std::mt19937 rng(seed * draw.SeedFactor);
      auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
      const int stations = static_cast<int>(model.stations.size());
      const int intervals = static_cast<int>(draw.Intervals.size());
      for (int query = 0; query < 4; ++query) {
        RouterQuery q;
        q.From = static_cast<uint16_t>(pick(0, stations - 1));
        q.To = static_cast<uint16_t>((q.From + pick(1, stations - 1)) % stations);
        q.SearchDay = kNetworkSearchDay;
        q.WindowTime = pick(0, 1439);
        q.Interval = draw.Intervals[static_cast<size_t>(pick(0, intervals - 1))];
        q.ChangesAllowed = pick(0, 4) != 0;
        q.MaxChanges = draw.DirectWithoutChanges && !q.ChangesAllowed ? 0 : pick(0, 4);
        SCOPED_TRACE("from " + std::to_string(q.From) + " to " + std::to_string(q.To) + " at " +
                     std::to_string(q.WindowTime) + " for " + std::to_string(q.Interval) +
                     (q.ChangesAllowed ? " changes " + std::to_string(q.MaxChanges) : " direct"));
        f(model, router, q);
      }
    }
  }
};

}  // namespace qo::test
