// The clean-up of a merged list of next connections: a few hundred
// connections of one to four legs spread over a day, many of them close
// variants of each other. Reported per clean-up of the whole list, and
// per sort of it. No timetable is loaded.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "search/connection_cleanup.h"
#include "search/connection_order.h"

namespace {

qo::ConnectionList MergedList(int count) {
  std::mt19937 rng(23);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  qo::ConnectionList list;
  for (int i = 0; i < count; ++i) {
    qo::Connection c;
    int32_t time = pick(300, 1300);
    int32_t station = 0;
    int const legs = pick(1, 4);
    for (int k = 0; k < legs; ++k) {
      qo::ConnectionLeg leg;
      leg.Train = pick(0, 60);
      leg.FromStation = station;
      station = k + 1 == legs ? 99 : pick(1, 40);
      leg.ToStation = station;
      leg.DepartureMinute = time % 1440;
      leg.DepartureDay = time / 1440;
      time += pick(10, 90);
      leg.ArrivalMinute = time % 1440;
      leg.ArrivalDay = time / 1440;
      leg.Distance = pick(2, 80) * 1000;
      time += pick(2, 20);
      c.push_back(leg);
    }
    list.push_back(std::move(c));
  }
  qo::SortConnectionsByDeparture(list);
  return list;
}

void BM_ConnectionCleanup(benchmark::State& state) {
  const qo::ConnectionList merged = MergedList(static_cast<int>(state.range(0)));
  size_t left = 0;
  for (auto _ : state) {
    qo::ConnectionList list = merged;
    qo::RemoveDuplicateConnections(list);
    qo::RemoveDetourConnections(list, nullptr, true, false, false);
    qo::RemoveDominatedConnections(list);
    left = list.size();
    benchmark::DoNotOptimize(list.data());
  }
  state.counters["left"] = static_cast<double>(left);
}
BENCHMARK(BM_ConnectionCleanup)->Arg(100)->Arg(300)->Arg(600)->Unit(benchmark::kMicrosecond);

// The merge puts the list in order first; no timetable is loaded here, so
// the stations sort by their numbers.
void BM_SortMergedList(benchmark::State& state) {
  qo::ConnectionList merged = MergedList(static_cast<int>(state.range(0)));
  std::reverse(merged.begin(), merged.end());
  for (auto _ : state) {
    qo::ConnectionList list = merged;
    qo::SortConnectionsByDeparture(list);
    benchmark::DoNotOptimize(list.data());
  }
}
BENCHMARK(BM_SortMergedList)->Arg(300)->Arg(600)->Unit(benchmark::kMicrosecond);

}  // namespace
