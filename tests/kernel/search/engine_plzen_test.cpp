// The forward engine against the reference router on the real network of
// Plzeň's city transport, in the plain configuration: walking links,
// request stops and alighting restrictions removed.
#include <gtest/gtest.h>

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
};

TEST_F(EnginePlzenTest, RandomQueriesAgreeWithTheReferenceRouter) {
  gtfs::ImportResult feed = gtfs::ImportFeed(kFeed);
  w::TimetableModel& m = feed.model;
  m.transfers.clear();
  for (w::Station& s : m.stations) s.type |= 0x01;
  for (w::Train& t : m.trains)
    for (w::Stop& s : t.stops) s.flags = 0;
  // A short longest wait keeps the router's rounds small.
  m.search.max_change_time = 20;
  ASSERT_EQ(Load({dir_.Write("plzen.qo", m, feed.options)}), 1);
  ResetConnParms(nullptr);
  const uint16_t day = w::DayNumberOf(2026, 3, 11);  // a Wednesday
  SetSearchDay(day);
  ReferenceRouter router(m, day);

  std::mt19937 rng(2026);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  // Most pairs of platforms are not joined without walking: a query goes
  // to a stop one or two trains away from its From stop.
  std::vector<std::vector<int>> trainsAt(m.stations.size());
  for (size_t t = 0; t < m.trains.size(); ++t)
    for (w::Stop const& s : m.trains[t].stops) trainsAt[s.station].push_back(static_cast<int>(t));
  auto laterStop = [&](uint16_t station) -> int {
    std::vector<int> const& trains = trainsAt[station];
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
  for (int query = 0; query < 200; ++query) {
    RouterQuery q;
    int to = -1;
    while (to < 0 || to == q.From) {
      q.From = static_cast<uint16_t>(pick(0, stations - 1));
      to = laterStop(q.From);
      if (to >= 0 && pick(0, 1)) to = laterStop(static_cast<uint16_t>(to));
    }
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

}  // namespace
}  // namespace qo::test
