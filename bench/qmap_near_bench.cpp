// The stations nearest to a point along the QMap path network, and the
// path to one of them, as a client asks them per click: a national-size
// network of 30,000 path nodes 1 km apart (a grid of 250 by 120 with
// edges between neighbours) and 3,360 stations, each 100 m beside every
// third path node in both directions.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Qo.h"
#include "loaded_models.h"

namespace {

namespace w = qo::writer;

constexpr int kColumns = 250, kRows = 120;
constexpr double kX0 = -900000, kY0 = -1250000, kStep = 1000;

void LoadNetwork() {
  static bool loaded = false;
  if (loaded) return;
  w::TimetableModel m;
  m.names = {"QMap"};
  w::QMapModel q;
  for (int j = 0; j < kRows; ++j) {
    for (int i = 0; i < kColumns; ++i) {
      w::QMapNode n{{kX0 + i * kStep, kY0 + j * kStep}, -1, {}};
      const int32_t at = j * kColumns + i;
      if (i > 0) n.edges.push_back({at - 1, 1000});
      if (i + 1 < kColumns) n.edges.push_back({at + 1, 1000});
      if (j > 0) n.edges.push_back({at - kColumns, 1000});
      if (j + 1 < kRows) n.edges.push_back({at + kColumns, 1000});
      q.nodes.push_back(n);
    }
  }
  for (int j = 0; j < kRows; j += 3) {
    for (int i = 0; i < kColumns; i += 3) {
      const auto s = static_cast<int32_t>(m.stations.size());
      m.stations.push_back({.name = {"Station " + std::to_string(s)}, .key = s + 1});
      const w::QMapPoint at{kX0 + i * kStep, kY0 + j * kStep + 100};
      q.coors.push_back({s + 1, 0, at, {}});
      q.nodes[static_cast<size_t>(j * kColumns + i)].edges.push_back(
          {static_cast<int32_t>(q.nodes.size()), 100});
      q.nodes.push_back({at, s, {}});
    }
  }
  m.extension_names = {".qmap"};
  w::SaveFile(std::string(P_tmpdir) + "/qo_bench_qmap0.qmap",
              w::WriteExtension({.type = w::ExtensionType::kQMap, .qmap = q}).bytes);
  qo::bench::LoadModels({m}, "qmap");
  std::fprintf(stderr, "QMap network: %zu nodes, %zu stations\n", q.nodes.size(),
               m.stations.size());
  loaded = true;
}

// Clicks wander over the middle of the network.
struct Click {
  double x = kX0 + 120 * kStep + 230, y = kY0 + 60 * kStep + 410;
  void Next() {
    x += 137;
    if (x > kX0 + 200 * kStep) x = kX0 + 40 * kStep + 230;
  }
};

// The nearest stations within `reach` metres (argument), at most 10.
void BM_QMapNearStations(benchmark::State& state) {
  LoadNetwork();
  const double reach = static_cast<double>(state.range(0));
  Click click;
  int found = 0;
  for (auto _ : state) {
    const int *stations = nullptr, *distances = nullptr;
    found = QoQMapShpNearStations(0, click.x, click.y, 1, reach, 10, &stations, &distances, 0, 2000,
                                  3000);
    benchmark::DoNotOptimize(stations);
    click.Next();
  }
  state.counters["stations"] = found;
}
BENCHMARK(BM_QMapNearStations)->Arg(3000)->Arg(10000)->Arg(50000);

// The path to a station about 10 km away; the search has no reach bound.
void BM_QMapNearStationPath(benchmark::State& state) {
  LoadNetwork();
  Click click;
  const int station = (60 / 3) * ((kColumns + 2) / 3) + 130 / 3;
  int points = 0;
  for (auto _ : state) {
    const double *x = nullptr, *y = nullptr;
    int distance = 0;
    points =
        QoQMapShpNearStationPath(0, click.x, click.y, station, 1, &x, &y, &distance, 2000, 3000);
    benchmark::DoNotOptimize(x);
    click.Next();
  }
  state.counters["points"] = points;
}
BENCHMARK(BM_QMapNearStationPath);

}  // namespace
