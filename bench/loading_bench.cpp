// Building the station event lists and the re-index run at every load and
// close: with many timetables loaded they bound how long a load takes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "api/loaded_set_steps.h"
#include "load/close_timetables.h"
#include "load/load_timetables.h"
#include "load/loaded_set.h"
#include "load/read_timetable.h"
#include "load/reindex.h"
#include "trains/station_index.h"
#include "writer/timetable_writer.h"

namespace {

namespace w = qo::writer;

// A timetable of `stations` stations on one long line with trains of ten
// stops each, every station keyed so that timetables of one kind and area
// merge, and linked by key to a city timetable.
w::TimetableModel LineModel(uint32_t id, uint8_t kind, int stations, int trains) {
  w::TimetableModel m;
  m.id = id;
  m.kind = kind;
  for (int s = 0; s < stations; ++s)
    m.stations.push_back({.name = {"S" + std::to_string(s)}, .key = 1000 + s});
  m.train_types = {{.abbreviation = {"Os"}, .description = {"Train"}}};
  for (int t = 0; t < trains; ++t) {
    w::Train train;
    int first = (t * 7) % (stations - 10);
    int start = (t * 13) % 1200;
    for (int k = 0; k < 10; ++k) {
      w::Stop stop{.station = static_cast<uint16_t>(first + k)};
      if (k > 0) stop.arrival = start + 10 * k;
      if (k < 9) stop.departure = start + 10 * k + 1;
      train.stops.push_back(stop);
    }
    m.trains.push_back(train);
  }
  if (kind != 3) {
    m.links = {{.kind = 3, .area = 0}};
    for (int s = 0; s < stations; s += 10)
      m.links[0].entries.push_back(
          {.station = static_cast<uint16_t>(s), .other_key = 1000 + s, .value = 5});
  }
  return m;
}

std::string SaveModel(w::TimetableModel const& model, std::string const& name, bool events) {
  std::string path = std::string(P_tmpdir) + "/qo_bench_" + name + ".qo";
  w::SaveFile(path, w::WriteTimetable(model, {.write_station_events = events}).bytes);
  return path;
}

void BM_BuildStationIndex(benchmark::State& state) {
  static const std::string path = SaveModel(LineModel(1, 1, 4000, 40000), "index", false);
  qo::TimetableRecord record;
  if (qo::ReadTimetableFile(path.c_str(), nullptr, &record) != 0) {
    state.SkipWithError("the timetable does not load");
    return;
  }
  for (auto _ : state) {
    record.EventsBuilt = 0;
    record.StationEvents = {};
    record.BuiltStationEvents.reset();
    benchmark::DoNotOptimize(qo::BuildStationIndex(record, state.range(0) != 0, false, nullptr));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 40000 * 10);
}
BENCHMARK(BM_BuildStationIndex)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ReindexLoadedSet(benchmark::State& state) {
  std::vector<std::string> paths;
  for (int i = 0; i < 6; ++i)
    paths.push_back(SaveModel(LineModel(10 + i, i == 5 ? 3 : 1 + i % 2, 4000, 100),
                              "set" + std::to_string(i), true));
  qo::CloseAllTimetables();
  qo::LoadTimetableFiles(paths, nullptr, qo::KernelLoadSteps());
  for (auto _ : state) qo::ReindexLoadedSet();
  state.counters["timetables"] = qo::LoadedCount();
  qo::CloseAllTimetables();
}
BENCHMARK(BM_ReindexLoadedSet)->Unit(benchmark::kMillisecond);

}  // namespace
