// One forward pass of the connection search per click: the city network of
// Plzeň, a window of six hours, up to five changes, between stops chosen
// once at random. Reported per pass.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
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

bool LoadPlzen(benchmark::State& state, std::vector<Pair>& pairs) {
  if (!std::filesystem::exists(kFeed)) {
    state.SkipWithError(("the Plzeň feed is absent: " + kFeed).c_str());
    return false;
  }
  qo::gtfs::ImportResult feed = qo::gtfs::ImportFeed(kFeed);
  for (w::Station& s : feed.model.stations) s.type |= 0x01;
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

void BM_SearchForwardPlzen(benchmark::State& state) {
  std::vector<Pair> pairs;
  if (!LoadPlzen(state, pairs)) return;
  qo::TimetableRecord* t = qo::LoadedSet()[0];
  qo::CurrentSearchSettings().Parms.MaxChanges = 5;
  size_t next = 0;
  int64_t found = 0;
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
}
BENCHMARK(BM_SearchForwardPlzen)->Unit(benchmark::kMillisecond);

}  // namespace
