// The train list's search box runs QoSearchTrain at every keystroke over
// every train of the timetable: with 300,000 trains it must still answer in
// a few milliseconds. The folded number texts it compares are built once per
// timetable, at the first search; that build is measured apart.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Qo.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "trains/train_search.h"
#include "writer/timetable_writer.h"

namespace {

namespace w = qo::writer;

constexpr int kTrains = 300000;

// Trains over two stations, numbered 1..300000, every tenth with a text
// number and every seventh with a name (rail: second numbers count too).
std::string const& BigTimetable() {
  static std::string const path = [] {
    w::TimetableModel m;
    m.stations = {{.name = {"A"}}, {.name = {"B"}}};
    m.train_types = {{.abbreviation = {"Os"}}};
    m.trains.reserve(kTrains);
    for (int t = 0; t < kTrains; ++t) {
      w::Train train{.stops = {{.station = 0, .departure = t % 1380},
                               {.station = 1, .arrival = t % 1380 + 30}}};
      train.number = t % 10 == 9 ? "Os " + std::to_string(t + 1) : std::to_string(t + 1);
      if (t % 7 == 0) train.second_number = "Expres " + std::to_string(t);
      m.trains.push_back(std::move(train));
    }
    std::string file = std::string(P_tmpdir) + "/qo_bench_train_search.qo";
    w::SaveFile(file, w::WriteTimetable(m).bytes);
    return file;
  }();
  return path;
}

bool LoadBig(benchmark::State& state) {
  QoCloseData();
  char const* paths[] = {BigTimetable().c_str()};
  if (QoInit2(paths, 1, nullptr) != 1) {
    state.SkipWithError("the timetable does not load");
    return false;
  }
  return true;
}

// A text that no train matches: the search walks all 300,000.
void BM_SearchTrainMiss(benchmark::State& state) {
  if (!LoadBig(state)) return;
  QoSearchTrain(0, 0, "x", 1, -1, nullptr, 0);  // builds the folded texts
  for (auto _ : state) benchmark::DoNotOptimize(QoSearchTrain(0, 0, "Z99", 1, -1, nullptr, 0));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kTrains);
  QoCloseData();
}
BENCHMARK(BM_SearchTrainMiss)->Unit(benchmark::kMillisecond);

// Typing "299999" one key at a time, each key searching from the start.
void BM_SearchTrainTyping(benchmark::State& state) {
  if (!LoadBig(state)) return;
  QoSearchTrain(0, 0, "x", 1, -1, nullptr, 0);
  char const* keys[] = {"2", "29", "299", "2999", "29999", "299999"};
  for (auto _ : state)
    for (char const* text : keys)
      benchmark::DoNotOptimize(QoSearchTrain(0, 0, text, 1, -1, nullptr, 0));
  QoCloseData();
}
BENCHMARK(BM_SearchTrainTyping)->Unit(benchmark::kMillisecond);

// The once-per-timetable build of the folded number texts.
void BM_BuildTrainSearchIndex(benchmark::State& state) {
  if (!LoadBig(state)) return;
  qo::TimetableRecord& t = *qo::TimetableAt(0);
  for (auto _ : state) {
    t.TrainSearch.reset();
    benchmark::DoNotOptimize(&qo::EnsureTrainSearchIndex(t));
  }
  QoCloseData();
}
BENCHMARK(BM_BuildTrainSearchIndex)->Unit(benchmark::kMillisecond);

}  // namespace
