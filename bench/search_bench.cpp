// One forward pass of the connection search per click: the city network of
// Plzeň, a window of six hours, up to five changes, between stops chosen
// once at random. Reported per pass; once more with arcs of made-up lengths
// between the stops, so that the search counts kilometres.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "calendars/day_type_state.h"
#include "gtfs/gtfs_import.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "loaded_models.h"
#include "search/search_control.h"
#include "search/search_params.h"
#include "search/search_run.h"

namespace {

namespace w = qo::writer;

std::string const kFeed = std::string(QO_SHARED_DATA_DIR) + "/plzen-city-gtfs.zip";

struct Pair {
  uint16_t from, to;
  int time;
};

bool LoadPlzen(benchmark::State& state, std::vector<Pair>& pairs, bool kilometres = false) {
  if (!std::filesystem::exists(kFeed)) {
    state.SkipWithError(("the Plzeň feed is absent: " + kFeed).c_str());
    return false;
  }
  qo::gtfs::ImportResult feed = qo::gtfs::ImportFeed(kFeed);
  for (w::Station& s : feed.model.stations) s.type |= 0x01;
  if (kilometres) {
    // Every two stops one after the other get an arc, 300 to 1,500 m long;
    // the kernel sums a train's arcs.
    std::set<std::pair<uint16_t, uint16_t>> arcs;
    for (w::Train const& train : feed.model.trains)
      for (size_t i = 1; i < train.stops.size(); ++i)
        if (train.stops[i - 1].station != train.stops[i].station)
          arcs.insert({train.stops[i - 1].station, train.stops[i].station});
    for (auto const& [from, to] : arcs)
      feed.model.arcs.push_back({.from = from, .to = to, .length = 300 + (from * 31 + to) % 1201});
    feed.model.has_distances = true;
  }
  qo::bench::LoadModels({feed.model}, "search", feed.options);
  qo::ResetConnParms(nullptr);
  qo::TimetableRecord& t = *qo::LoadedSet()[0];
  qo::DayTypesOf(t).Filter.TypeMask = 0xFFFFFFFF;
  qo::DayTypesOf(t).Filter.DayOffset =
      w::DayNumberOf(2026, 3, 11) - static_cast<int32_t>(t.FirstDay);
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> station(0, static_cast<int>(t.StationCount) - 1);
  std::uniform_int_distribution<int> minute(300, 1200);
  for (int i = 0; i < 32; ++i)
    pairs.push_back(
        {static_cast<uint16_t>(station(rng)), static_cast<uint16_t>(station(rng)), minute(rng)});
  return true;
}

void SearchForwardPlzen(benchmark::State& state, bool kilometres) {
  std::vector<Pair> pairs;
  if (!LoadPlzen(state, pairs, kilometres)) return;
  qo::TimetableRecord* t = qo::LoadedSet()[0];
  qo::CurrentSearchSettings().Parms.MaxChanges = 5;
  size_t next = 0;
  int64_t found = 0;
  qo::CurrentSearchCounters() = {};
  for (auto _ : state) {
    Pair const& p = pairs[next++ % pairs.size()];
    qo::SearchRun& run = qo::CurrentSearchRun();
    run.Found.clear();
    run.Request.From = {{.timetable = t, .station = p.from}};
    run.Request.To = {{.timetable = t, .station = p.to}};
    run.WindowTime = run.WindowMinute = p.time;
    run.WindowLength = 360;
    qo::BeginSearch();
    found += qo::SearchForward({.ComputeBounds = true, .ChangesAllowed = true});
  }
  state.counters["connections"] =
      benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
  state.counters["labels"] = benchmark::Counter(
      static_cast<double>(qo::CurrentSearchCounters().Labels), benchmark::Counter::kAvgIterations);
  state.counters["rides"] = benchmark::Counter(
      static_cast<double>(qo::CurrentSearchCounters().Rides), benchmark::Counter::kAvgIterations);
}
void BM_SearchForwardPlzen(benchmark::State& state) { SearchForwardPlzen(state, false); }
BENCHMARK(BM_SearchForwardPlzen)->Unit(benchmark::kMillisecond);

void BM_SearchForwardPlzenByDistance(benchmark::State& state) { SearchForwardPlzen(state, true); }
BENCHMARK(BM_SearchForwardPlzenByDistance)->Unit(benchmark::kMillisecond);

}  // namespace
