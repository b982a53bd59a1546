// The train data access runs for every train a board, a stop timetable or a
// search step looks at, and the station distances for every detour check of
// a search: both must stay cheap on large timetables.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "load/read_timetable.h"
#include "trains/search_filter.h"
#include "stations/station_distances.h"
#include "trains/running_day.h"
#include "trains/station_events.h"
#include "trains/train_stops.h"
#include "writer/timetable_writer.h"

namespace {

namespace w = qo::writer;

constexpr int kSide = 60;  // a kSide x kSide grid of stations
constexpr int kTrains = 20000;
constexpr int kStops = 20;

// Trains run along the rows and columns of the grid; every tenth train
// starts a new route, the nine after it repeat it later in the day, so that
// shared patterns cover most trains.
w::TimetableModel GridModel() {
  w::TimetableModel m;
  m.id = 77;
  for (int s = 0; s < kSide * kSide; ++s)
    m.stations.push_back({.name = {"S" + std::to_string(s)}, .key = 1000 + s});
  m.train_types = {{.abbreviation = {"Os"}, .description = {"Train"}}};
  auto at = [](int row, int column) { return static_cast<uint16_t>(row * kSide + column); };
  for (int row = 0; row < kSide; ++row) {
    for (int column = 0; column < kSide; ++column) {
      int length = 500 + (row * 7 + column * 13) % 2000;
      if (column + 1 < kSide) {
        m.arcs.push_back({at(row, column), at(row, column + 1), length});
        m.arcs.push_back({at(row, column + 1), at(row, column), length});
      }
      if (row + 1 < kSide) {
        m.arcs.push_back({at(row, column), at(row + 1, column), length + 100});
        m.arcs.push_back({at(row + 1, column), at(row, column), length + 100});
      }
    }
    m.transfers.push_back({.from = at(row, 0), .to = at(row, kSide - 1), .minutes = 5});
  }
  for (int t = 0; t < kTrains; ++t) {
    int route = t / 10;
    bool alongRow = route % 2 == 0;
    int line = route % kSide, offset = (route / kSide) % (kSide - kStops);
    int start = 300 + (t % 10) * 97 + route % 60;
    w::Train train;
    for (int k = 0; k < kStops; ++k) {
      uint16_t station = alongRow ? at(line, offset + k) : at(offset + k, line);
      w::Stop stop{.station = station};
      if (k > 0) stop.arrival = start + 6 * k;
      if (k + 1 < kStops) stop.departure = start + 6 * k + 1;
      train.stops.push_back(stop);
    }
    m.trains.push_back(train);
  }
  return m;
}

qo::TimetableRecord& Grid(bool shared) {
  static qo::TimetableRecord records[2];
  static bool loaded[2] = {false, false};
  qo::TimetableRecord& record = records[shared ? 1 : 0];
  if (!loaded[shared ? 1 : 0]) {
    std::string path = std::string(P_tmpdir) + "/qo_bench_grid" + (shared ? "_shared" : "") + ".qo";
    w::SaveFile(path, w::WriteTimetable(GridModel(), {.share_stop_patterns = shared}).bytes);
    qo::ReadTimetableFile(path.c_str(), nullptr, &record);
    loaded[shared ? 1 : 0] = true;
  }
  return record;
}

void BM_DecodeTrainStops(benchmark::State& state) {
  qo::TimetableRecord& t = Grid(state.range(0) != 0);
  if (t.TrainCount != kTrains) {
    state.SkipWithError("the timetable does not load");
    return;
  }
  for (auto _ : state) {
    int64_t sum = 0;
    for (uint32_t train = 0; train < t.TrainCount; ++train) {
      qo::StopList stops = qo::DecodeTrainStops(t, train);
      for (int32_t i = 0; i < stops.count; ++i) sum += stops.Minute(i) + stops.Station(i);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kTrains);
}
BENCHMARK(BM_DecodeTrainStops)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RunningTestOverStationEvents(benchmark::State& state) {
  qo::TimetableRecord& t = Grid(true);
  qo::SearchFilter filter;
  filter.DayOffset = 10;
  int64_t events = 0;
  for (auto _ : state) {
    int running = 0;
    for (uint16_t s = 0; s < t.StationCount; s += 7) {
      qo::StationEventList list = qo::SelectStationEvents(t, s);
      for (int32_t i = 0; i < list.count; ++i)
        running += qo::IsTrainRunningOnDay(filter, t, 0, list.At(i), s, nullptr);
      events += list.count;
    }
    benchmark::DoNotOptimize(running);
  }
  state.SetItemsProcessed(events);
}
BENCHMARK(BM_RunningTestOverStationEvents)->Unit(benchmark::kMicrosecond);

void BM_StationDistances(benchmark::State& state) {
  qo::TimetableRecord& t = Grid(false);
  std::vector<int32_t> distances, predecessors;
  for (auto _ : state) {
    qo::ComputeStationDistances(t, static_cast<uint16_t>(kSide * kSide / 2), state.range(0) != 0,
                                distances, predecessors);
    benchmark::DoNotOptimize(distances.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * t.StationCount);
}
BENCHMARK(BM_StationDistances)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
