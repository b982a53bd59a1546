// The forward engine against the reference router on the real network of
// Plzeň's city transport, in the plain configuration: walking links,
// request stops and alighting restrictions removed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "gtfs/gtfs_import.h"
#include "kernel/search/engine_test_support.h"

namespace qo::test {
namespace {

std::string const kFeed = std::string(QO_SHARED_DATA_DIR) + "/plzen-city-gtfs.zip";

class EnginePlzenTest : public EngineTest {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kFeed)) GTEST_SKIP() << "the Plzeň feed is absent: " << kFeed;
    EngineTest::SetUp();
  }

  // Most pairs of platforms are not joined without walking: a query goes
  // to a stop one or two trains away from its From stop.
  int JoinedPair(std::mt19937& rng, uint16_t& from) {
    w::TimetableModel const& m = feed_.model;
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    if (trainsAt_.empty()) {
      trainsAt_.resize(m.stations.size());
      for (size_t t = 0; t < m.trains.size(); ++t)
        for (w::Stop const& s : m.trains[t].stops)
          trainsAt_[s.station].push_back(static_cast<int>(t));
    }
    auto laterStop = [&](uint16_t station) -> int {
      std::vector<int> const& trains = trainsAt_[station];
      if (trains.empty()) return -1;
      auto const& stops =
          m.trains[static_cast<size_t>(
                       trains[static_cast<size_t>(pick(0, static_cast<int>(trains.size()) - 1))])]
              .stops;
      size_t at = 0;
      while (stops[at].station != station) ++at;
      if (at + 1 >= stops.size()) return -1;
      return stops[static_cast<size_t>(
                       pick(static_cast<int>(at) + 1, static_cast<int>(stops.size()) - 1))]
          .station;
    };
    const int stations = static_cast<int>(m.stations.size());
    int to = -1;
    while (to < 0 || to == from) {
      from = static_cast<uint16_t>(pick(0, stations - 1));
      to = laterStop(from);
      if (to >= 0 && pick(0, 1)) to = laterStop(static_cast<uint16_t>(to));
    }
    return to;
  }

  // The feed in the plain configuration, loaded for a Wednesday.
  void LoadPlain(uint32_t maxWait) {
    feed_ = gtfs::ImportFeed(kFeed);
    w::TimetableModel& m = feed_.model;
    m.transfers.clear();
    for (w::Train& t : m.trains)
      for (w::Stop& s : t.stops) s.flags = 0;
    m.search.max_change_time = maxWait;
    ASSERT_EQ(Load({dir_.Write("plzen.qo", m, feed_.options)}), 1);
    ResetConnParms(nullptr);
    SetSearchDay(kWednesday);
  }

  static constexpr uint16_t kWednesday = w::DayNumberOf(2026, 3, 11);
  gtfs::ImportResult feed_;
  std::vector<std::vector<int>> trainsAt_;
};

TEST_F(EnginePlzenTest, RandomQueriesAgreeWithTheReferenceRouter) {
  // A short longest wait keeps the router's rounds small.
  ASSERT_NO_FATAL_FAILURE(LoadPlain(20));
  w::TimetableModel& m = feed_.model;
  const uint16_t day = kWednesday;
  ReferenceRouter router(m, day);

  std::mt19937 rng(2026);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int query = 0; query < 200; ++query) {
    RouterQuery q;
    const int to = JoinedPair(rng, q.From);
    q.To = static_cast<uint16_t>(to);
    q.SearchDay = day;
    q.WindowTime = pick(240, 1380);
    q.Interval = pick(0, 1) ? 60 : 120;
    q.ChangesAllowed = pick(0, 5) != 0;
    q.MaxChanges = pick(1, 3);
    SCOPED_TRACE("query " + std::to_string(query) + ": from " + std::to_string(q.From) + " to " +
                 std::to_string(q.To) + " at " + std::to_string(q.WindowTime) + " for " +
                 std::to_string(q.Interval) +
                 (q.ChangesAllowed ? " changes " + std::to_string(q.MaxChanges) : " direct"));
    std::set<Journey> engine = Journeys(RunForward(q));
    std::set<Journey> reference = router.Journeys(q);
    EXPECT_EQ(engine, reference) << "engine:" << Describe(engine)
                                 << "\nrouter:" << Describe(reference);
  }
}

// For every forward answer (d, a) the search by arrival at a finds a
// journey that leaves no earlier than d and arrives no later than a.
TEST_F(EnginePlzenTest, EveryForwardAnswerHasABackwardOneNoWorse) {
  // The longest wait as the timetable gives it: where a short one binds,
  // a journey that leaves later can hide one only it could be reached by,
  // in either direction.
  ASSERT_NO_FATAL_FAILURE(LoadPlain(240));
  std::mt19937 rng(2027);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  int answers = 0;
  for (int query = 0; query < 60; ++query) {
    RouterQuery q;
    q.To = static_cast<uint16_t>(JoinedPair(rng, q.From));
    q.SearchDay = kWednesday;
    q.WindowTime = pick(300, 1200);
    q.Interval = 60;
    q.ChangesAllowed = true;
    q.MaxChanges = pick(1, 3);
    SCOPED_TRACE("from " + std::to_string(q.From) + " to " + std::to_string(q.To) + " at " +
                 std::to_string(q.WindowTime) + " changes " + std::to_string(q.MaxChanges));
    for (Journey const& f : Journeys(RunForward(q))) {
      if (f.Arrival > 1439) continue;  // a window time is a minute of the search day
      ++answers;
      RouterQuery back = q;
      back.WindowTime = f.Arrival;
      std::set<Journey> backward;
      for (Connection const& c : RunBackward(back))
        backward.insert(
            {LegDeparture(c.front()), LegArrival(c.back()), static_cast<int32_t>(c.size())});
      const bool found = std::any_of(backward.begin(), backward.end(), [&](Journey const& b) {
        return b.Departure >= f.Departure && b.Arrival <= f.Arrival;
      });
      EXPECT_TRUE(found) << "forward " << f.Departure << "-" << f.Arrival << "/" << f.Trips
                         << "\nbackward:" << Describe(backward);
    }
  }
  // Random pairs of stops of one city are mostly joined.
  EXPECT_GT(answers, 20);
}

}  // namespace
}  // namespace qo::test
