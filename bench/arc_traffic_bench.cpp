// The traffic over a section of line and the reservation trains between
// two stations, each asked for per click: a main line of 120 stations with
// 12000 trains over parts of it, on 60 calendars.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "Qo.h"
#include "load/loaded_set.h"
#include "loaded_models.h"

namespace {

namespace w = qo::writer;

constexpr int kStations = 120;
constexpr int kTrains = 12000;
constexpr int kCalendars = 60;

int32_t KeyOf(int station) { return 1000 + station; }

w::TimetableModel MainLine() {
  w::TimetableModel m;
  m.id = 4712;
  for (int s = 0; s < kStations; ++s)
    m.stations.push_back({.name = {"S" + std::to_string(s)}, .key = KeyOf(s)});
  m.train_types = {{.abbreviation = {"Os"}}, {.abbreviation = {"Ex"}}};
  for (int c = 0; c < kCalendars; ++c) {
    w::Calendar calendar;
    for (uint16_t day = m.first_day; day <= m.last_day; ++day)
      if ((day * 5 + c) % (2 + c % 5) != 0) calendar.days.push_back(day);
    m.calendars.push_back(calendar);
  }
  for (int t = 0; t < kTrains; ++t) {
    w::Train train;
    const int length = 10 + t % 31;
    const int first = (t * 37) % (kStations - length);
    const bool up = t % 2 == 0;
    int minute = (t * 13) % 1400;
    for (int k = 0; k < length; ++k) {
      const int station = up ? first + k : first + length - 1 - k;
      w::Stop stop{.station = static_cast<uint16_t>(station)};
      if (k > 0) stop.arrival = minute;
      if (k + 1 < length) stop.departure = minute + 1;
      train.stops.push_back(stop);
      minute += 4;
    }
    train.number = std::to_string(100 + t);
    train.type = t % 5 == 0 ? 1 : 0;
    train.attributes = t % 5 == 0 ? 0x800000 : 0;
    train.calendar = t % kCalendars;
    m.trains.push_back(std::move(train));
  }
  return m;
}

void LoadMainLine() {
  static bool loaded = false;
  if (loaded && qo::LoadedCount() == 1 && qo::TimetableAt(0)->TimetableId == 4712) return;
  qo::bench::LoadModels({MainLine()}, "arcs");
  loaded = true;
}

// Three arcs of the section S50 - S53, both ways.
void Section(std::vector<int>& from, std::vector<int>& to) {
  for (int s = 50; s < 53; ++s) {
    from.push_back(KeyOf(s));
    to.push_back(KeyOf(s + 1));
    from.push_back(KeyOf(s + 1));
    to.push_back(KeyOf(s));
  }
}

void BM_TrainsOnArcsAnyDay(benchmark::State& state) {
  LoadMainLine();
  std::vector<int> from, to;
  Section(from, to);
  for (auto _ : state) {
    const int* trains = nullptr;
    int n = QoTrainsOnArcs(0, from.data(), to.data(), static_cast<int>(from.size()), 1, 0, 0, 0, 0,
                           0xFFFFFFFF, 0xFFFFFFFF, &trains, nullptr);
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_TrainsOnArcsAnyDay)->Unit(benchmark::kMicrosecond);

// A week from Monday 6:00 to Sunday 22:00.
void BM_TrainsOnArcsWeek(benchmark::State& state) {
  LoadMainLine();
  std::vector<int> from, to;
  Section(from, to);
  const int monday = w::DayNumberOf(2025, 3, 3);
  for (auto _ : state) {
    const int* trains = nullptr;
    int n = QoTrainsOnArcs(0, from.data(), to.data(), static_cast<int>(from.size()), 0, monday, 360,
                           monday + 6, 1320, 0xFFFFFFFF, 0xFFFFFFFF, &trains, nullptr);
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_TrainsOnArcsWeek)->Unit(benchmark::kMicrosecond);

// The reservation trains from S30 to S60 that run on a date, by the
// stations' own keys.
void BM_ReservedTrainsBetweenStations(benchmark::State& state) {
  LoadMainLine();
  for (auto _ : state) {
    const int* trains = nullptr;
    int n = QoSearchReservedTrain(nullptr, 0, KeyOf(30), KeyOf(60), 5, 3, 2025, nullptr, &trains,
                                  nullptr);
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_ReservedTrainsBetweenStations)->Unit(benchmark::kMicrosecond);

}  // namespace
