// The fare runs once per click on a found connection. A long journey over a
// national-size station graph drives its costly parts: an express that has
// no stored distances between its stops (each pair is measured over the
// graph), the greedy zone cover over many stops with two zone candidates at
// the zone borders, and a tariff whose first rules fail only on their zone
// or distance tests, so that the measures are taken for every rule.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "dates/clock.h"
#include "format/fare_layout.h"
#include "loaded_models.h"
#include "search/fare_engine.h"
#include "writer/timetable_writer.h"

namespace {

namespace w = qo::writer;

constexpr int kGrid = 100;  // 10,000 stations, four arcs each
constexpr int kPathStops = 200;
constexpr int kExpressEvery = 5;
const qo::DayNumber kTuesday = static_cast<qo::DayNumber>(w::DayNumberOf(2025, 3, 11));

int StationAt(int row, int col) { return row * kGrid + col; }

// A path of 200 stations through the grid: along row 50, down the last
// column and back along the last row.
std::vector<int> Path() {
  std::vector<int> path;
  for (int c = 0; c < kGrid; ++c) path.push_back(StationAt(50, c));
  for (int r = 51; r < kGrid; ++r) path.push_back(StationAt(r, kGrid - 1));
  for (int c = kGrid - 2; static_cast<int>(path.size()) < kPathStops; --c)
    path.push_back(StationAt(kGrid - 1, c));
  return path;
}

// Train 0 stops everywhere on the path, train 1 at every fifth station:
// the graph has no arc between the express's stops.
w::TimetableModel GridModel(std::string const& extension) {
  w::TimetableModel m;
  m.id = 1;
  m.names = {"Rail"};
  m.train_types = {{.abbreviation = {"R"}, .description = {"Train"}}};
  for (int s = 0; s < kGrid * kGrid; ++s)
    m.stations.push_back({.name = {"S" + std::to_string(s)}, .key = s + 1, .type = 0x01});
  for (int r = 0; r < kGrid; ++r)
    for (int c = 0; c < kGrid; ++c) {
      const int32_t length = 1000 + 500 * ((r * 7 + c * 3) % 5);
      if (c + 1 < kGrid) {
        m.arcs.push_back({static_cast<uint16_t>(StationAt(r, c)),
                          static_cast<uint16_t>(StationAt(r, c + 1)), length});
        m.arcs.push_back({static_cast<uint16_t>(StationAt(r, c + 1)),
                          static_cast<uint16_t>(StationAt(r, c)), length});
      }
      if (r + 1 < kGrid) {
        m.arcs.push_back({static_cast<uint16_t>(StationAt(r, c)),
                          static_cast<uint16_t>(StationAt(r + 1, c)), length});
        m.arcs.push_back({static_cast<uint16_t>(StationAt(r + 1, c)),
                          static_cast<uint16_t>(StationAt(r, c)), length});
      }
    }
  const std::vector<int> path = Path();
  w::Train all{.number = "1"}, express{.number = "2"};
  for (int i = 0; i < kPathStops; ++i) {
    const auto station = static_cast<uint16_t>(path[static_cast<size_t>(i)]);
    const int minute = 360 + 2 * i;
    all.stops.push_back({.station = station,
                         .arrival = i > 0 ? minute : w::kNoTime,
                         .departure = i + 1 < kPathStops ? minute : w::kNoTime});
    if (i % kExpressEvery == 0 || i + 1 == kPathStops)
      express.stops.push_back({.station = station,
                               .arrival = i > 0 ? minute + 600 : w::kNoTime,
                               .departure = i + 1 < kPathStops ? minute + 600 : w::kNoTime});
  }
  m.trains = {all, express};
  m.extension_names = {extension};
  return m;
}

// Zone i/10 + 1 along the path, the border stations in both zones; ten
// zone-range rules that a long journey fails after its zones are counted,
// a distance rule for a region no station has, and the distance fare by the
// kilometre up to 1000 km.
w::FareModel Tariff() {
  w::FareModel f;
  f.currencies = {{.rounding = 0, .format_cents = "%d,%02d Kč", .format_whole = "%d Kč"}};
  w::FareTable km{.kind = qo::kTableDistance, .formats = "%d km"};
  for (int k = 1; k <= 1000; ++k) {
    km.thresholds.push_back(1000 * k);
    km.values.push_back(1000 + 150 * k);
  }
  w::FareTable zones{.kind = qo::kTableZones, .formats = "1=1 pásmo|2-4=%d pásma|%d pásem"};
  for (int z = 1; z <= 40; ++z) {
    zones.thresholds.push_back(z);
    zones.values.push_back(1200 + 600 * z);
  }
  f.tables = {km, zones};
  const std::vector<int> path = Path();
  for (int i = 0; i < kPathStops; ++i)
    f.station_zones.push_back(
        {.key = path[static_cast<size_t>(i)] + 1,
         .zone = static_cast<int16_t>(i / 10 + 1),
         .second = i % 10 == 0 && i > 0 ? static_cast<int16_t>(i / 10) : int16_t{-1}});
  std::sort(f.station_zones.begin(), f.station_zones.end(),
            [](w::FareStationZone const& a, w::FareStationZone const& b) { return a.key < b.key; });
  for (int16_t lo = 1; lo <= 10; ++lo) {
    w::FareRule r{.names = {"Pásma " + std::to_string(lo)}};
    r.zones[0] = lo;
    r.zones[1] = lo;
    r.prices = {{.table = 1}};
    r.measure_table = 1;
    f.rules.push_back(r);
  }
  w::FareRule region{.names = {"Region"}, .region = "Nikde"};
  region.distances = {{.lo = 1000, .hi = 50000}};
  region.prices = {{.table = 0}};
  region.measure_table = 0;
  f.rules.push_back(region);
  w::FareRule plain{.names = {"Obyčejné"}};
  plain.prices = {{.table = 0}};
  plain.measure_table = 0;
  f.rules.push_back(plain);
  return f;
}

void LoadGrid() {
  static bool loaded = false;
  if (loaded) return;
  const std::string extension = "qo_bench_fare.qof";
  w::ExtensionModel e{.type = w::ExtensionType::kFares};
  e.fares = Tariff();
  w::SaveFile(std::string(P_tmpdir) + "/" + extension, w::WriteExtension(e).bytes);
  qo::bench::LoadModels({GridModel(extension)}, "fare");
  qo::SetClockForTesting(kTuesday, 600);
  loaded = true;
}

qo::ConnectionLeg Leg(int train, int from, int dep, int to, int arr) {
  qo::ConnectionLeg l;
  l.Timetable = 0;
  l.Train = train;
  l.FromStation = from;
  l.DepartureMinute = dep;
  l.ToStation = to;
  l.ArrivalMinute = arr;
  return l;
}

// One leg of `train` from path stop 0 to path stop `last`.
void PriceJourney(benchmark::State& state, int train, int last) {
  LoadGrid();
  const std::vector<int> path = Path();
  const int offset = train == 1 ? 600 : 0;
  qo::Connection legs = {
      Leg(train, path[0], 360 + offset, path[static_cast<size_t>(last)], 360 + offset + 2 * last)};
  qo::FareTables& tables = qo::CurrentFareTables();
  const qo::FareRequest request{.TravelDay = kTuesday};
  if (qo::CalculateFare(legs, request, tables) != qo::FareAllPriced) {
    state.SkipWithError("the journey was not priced");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(qo::CalculateFare(legs, request, tables));
  }
  state.SetLabel(std::string(tables.Sections[0].Lines[0].Rule) + " " +
                 tables.Sections[0].Lines[0].Measure + " " + tables.Totals[0].Text);
}

// Every stop has an arc to the next: stored distances, 20 and 200 stops.
void BM_FareAllStops(benchmark::State& state) {
  PriceJourney(state, 0, static_cast<int>(state.range(0)) - 1);
}
BENCHMARK(BM_FareAllStops)->Arg(20)->Arg(kPathStops)->Unit(benchmark::kMicrosecond);

// The express: every stop pair measured over the 10,000-station graph.
void BM_FareExpressOverTheGraph(benchmark::State& state) { PriceJourney(state, 1, kPathStops - 1); }
BENCHMARK(BM_FareExpressOverTheGraph)->Unit(benchmark::kMicrosecond);

// A short journey that the zone rules price (zone cover per rule tried).
void BM_FareShortByZones(benchmark::State& state) { PriceJourney(state, 0, 25); }
BENCHMARK(BM_FareShortByZones)->Unit(benchmark::kMicrosecond);

}  // namespace
