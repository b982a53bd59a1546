// The stations nearest to a click on the map, over a set as large as a
// national rail and bus network (45,000 stations with points), as the map
// window asks it on every click: the nearest few with a soft limit, and a
// capped radius search.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Qo.h"
#include "loaded_models.h"

namespace {

constexpr int kStations = 45000;

void LoadLargeMap() {
  static bool loaded = false;
  if (loaded) return;
  qo::writer::TimetableModel m;
  m.names = {"Circle"};
  qo::writer::GisModel gis;
  // A grid over a country-sized plane of S-JTSK metres, about 1.5 km apart.
  for (int s = 0; s < kStations; ++s) {
    m.stations.push_back({.name = {"Station " + std::to_string(s)}, .key = s + 1});
    gis.station_points.push_back({-900000 + (s % 250) * 1800, -1250000 + (s / 250) * 1500, s + 1});
  }
  m.extension_names = {".gis"};
  qo::writer::SaveFile(
      std::string(P_tmpdir) + "/qo_bench_circle0.gis",
      qo::writer::WriteExtension({.type = qo::writer::ExtensionType::kGis, .gis = gis}).bytes);
  qo::bench::LoadModels({m}, "circle");
  loaded = true;
}

void BM_StationsNearAClick(benchmark::State& state) {
  LoadLargeMap();
  std::vector<int> timetables(20), stations(20);
  int x = -700000, y = 1100000;
  for (auto _ : state) {
    int n =
        QoGetStationsInCircle(nullptr, x, y, 3, 2000, 0, timetables.data(), stations.data(), 20);
    benchmark::DoNotOptimize(n);
    x += 37;
  }
}
BENCHMARK(BM_StationsNearAClick);

void BM_StationsWithinARadius(benchmark::State& state) {
  LoadLargeMap();
  std::vector<int> timetables(1000), stations(1000);
  int x = -700000, y = 1100000;
  for (auto _ : state) {
    int n = QoGetStationsInCircle(nullptr, x, y, 0, 20000, 20000, timetables.data(),
                                  stations.data(), 1000);
    benchmark::DoNotOptimize(n);
    x += 37;
  }
}
BENCHMARK(BM_StationsWithinARadius);

}  // namespace
