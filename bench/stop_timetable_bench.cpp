// A stop timetable opens on a click: the line's direction through the stop,
// then its departures by hour and day group. Measured at the busiest stop
// of a generated large city (200 lines, 100,000 trips, all through one
// square) and of the Plzeň feed: one click, and the whole book of the stop
// (every line and direction that leaves it).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "Qo.h"
#include "gtfs/gtfs_import.h"
#include "lines/line_directions.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "loaded_models.h"
#include "trains/train_stops.h"

namespace {

namespace w = qo::writer;

constexpr int kLines = 200;
constexpr int kTripsPerLine = 500;
constexpr int kLineStops = 21;  // the square is stop 10 of every line
constexpr unsigned kAll = 0xFFFFFFFF;

w::TimetableModel CityModel() {
  w::TimetableModel m;
  m.id = 2701;
  m.kind = 3;
  m.stations.push_back({.name = {"Square"}, .key = 1});
  for (int l = 0; l < kLines; ++l)
    for (int k = 0; k + 1 < kLineStops; ++k)
      m.stations.push_back({.name = {"S" + std::to_string(l) + "-" + std::to_string(k)},
                            .key = static_cast<int32_t>(m.stations.size() + 1)});
  m.train_types = {{.abbreviation = {"Bus"}}};
  for (uint8_t weekdays : {uint8_t{0x1F}, uint8_t{0x20}, uint8_t{0x40}}) {
    w::Calendar c;
    for (uint16_t d = m.first_day; d <= m.last_day; ++d)
      if (weekdays >> (((d + 1) % 7 + 6) % 7) & 1) c.days.push_back(d);
    m.calendars.push_back(c);
  }
  for (int l = 0; l < kLines; ++l) {
    std::vector<uint16_t> route;
    for (int k = 0; k < kLineStops; ++k)
      route.push_back(k == 10 ? 0 : static_cast<uint16_t>(1 + l * (kLineStops - 1) + k - (k > 10)));
    for (int t = 0; t < kTripsPerLine; ++t) {
      w::Train train{.number = std::to_string(l + 1), .calendar = t % 3};
      std::vector<uint16_t> stops = route;
      if (t % 2) std::reverse(stops.begin(), stops.end());
      if (t % 17 == 0) stops.pop_back();  // a short trip: a route variant
      const int start = 300 + (t / 2) * 4 % 1080;
      for (size_t k = 0; k < stops.size(); ++k) {
        w::Stop stop{.station = stops[k]};
        if (k > 0) stop.arrival = start + 2 * static_cast<int>(k);
        if (k + 1 < stops.size()) stop.departure = start + 2 * static_cast<int>(k);
        train.stops.push_back(stop);
      }
      m.trains.push_back(train);
    }
  }
  return m;
}

// One line and direction that leaves the stop.
struct Leaf {
  int train;
  std::vector<int> stations;
  int stop;
};

// Every direction of every line that departs from `station`.
std::vector<Leaf> Book(int station, int day, int month, int year) {
  std::vector<Leaf> book;
  qo::TimetableRecord& t = *qo::TimetableAt(0);
  int* lines = nullptr;
  const int n = QoLineTrains(0, kAll, &lines);
  std::vector<int> firsts(lines, lines + n);
  for (int first : firsts) {
    const uint32_t end = qo::LineRunEnd(t, static_cast<uint32_t>(first));
    bool calls = false;
    for (uint32_t trip = static_cast<uint32_t>(first); trip < end && !calls; ++trip) {
      qo::StopRange stops(t, trip);
      for (int32_t i = 0; i + 1 < stops.size() && !calls; ++i) calls = stops.Station(i) == station;
    }
    if (!calls) continue;
    int* counts = nullptr;
    int** stations = nullptr;
    const int directions =
        QoLineDirections(0, kAll, first, day, month, year, 1, &counts, &stations, nullptr);
    for (int d = 0; d < directions; ++d)
      for (int i = 0; i + 1 < counts[d]; ++i)
        if (stations[d][i] == station) {
          book.push_back({first, std::vector<int>(stations[d], stations[d] + counts[d]), i});
          break;
        }
  }
  return book;
}

int Times(Leaf const& leaf, int day, int month, int year) {
  int** counts = nullptr;
  ZJRTIME_REC*** hours = nullptr;
  unsigned char* days = nullptr;
  int legend = 0, kind = 0;
  char const** codes = nullptr;
  char const** texts = nullptr;
  return QoZJRTimes(0, kAll, leaf.train, 0, day, month, year, 1, leaf.stations.data(),
                    static_cast<int>(leaf.stations.size()), leaf.stop, 0, &counts, &hours, &days,
                    &legend, &codes, &texts, &kind);
}

void LoadCity() {
  if (qo::LoadedCount() == 1 && qo::TimetableAt(0)->TimetableId == 2701) return;
  qo::bench::LoadModels({CityModel()}, "stop_timetable_city");
}

// One click: the direction through the square, then its stop timetable.
void BM_StopTimetableClickLargeCity(benchmark::State& state) {
  LoadCity();
  int* direction = nullptr;
  for (auto _ : state) {
    const int n = QoZJRDirection(0, kAll, 0, 0, 1, 4, 6, 2025, 1, &direction, nullptr);
    Leaf leaf{0, std::vector<int>(direction, direction + n), 0};
    leaf.stop = static_cast<int>(std::find(leaf.stations.begin(), leaf.stations.end(), 0) -
                                 leaf.stations.begin());
    benchmark::DoNotOptimize(Times(leaf, 4, 6, 2025));
  }
}
BENCHMARK(BM_StopTimetableClickLargeCity)->Unit(benchmark::kMillisecond);

// The book of the square: 400 stop timetables.
void BM_StopTimetableBookLargeCity(benchmark::State& state) {
  LoadCity();
  const std::vector<Leaf> book = Book(0, 4, 6, 2025);
  for (auto _ : state)
    for (Leaf const& leaf : book) benchmark::DoNotOptimize(Times(leaf, 4, 6, 2025));
  state.counters["timetables"] = static_cast<double>(book.size());
}
BENCHMARK(BM_StopTimetableBookLargeCity)->Unit(benchmark::kMillisecond);

std::string const kFeed = std::string(QO_SHARED_DATA_DIR) + "/plzen-city-gtfs.zip";

// The Plzeň timetable loaded, and its stop with the most departures.
int LoadPlzen(benchmark::State& state) {
  static int busiest = -1;
  if (!std::filesystem::exists(kFeed)) {
    state.SkipWithError(("the Plzeň feed is absent: " + kFeed).c_str());
    return -1;
  }
  if (qo::LoadedCount() == 1 && qo::TimetableAt(0)->TimetableId == 2702) return busiest;
  qo::gtfs::ImportOptions options;
  options.id = 2702;
  qo::gtfs::ImportResult feed = qo::gtfs::ImportFeed(kFeed, options);
  qo::bench::LoadModels({feed.model}, "stop_timetable_plzen");
  qo::TimetableRecord& t = *qo::TimetableAt(0);
  std::vector<int> departures(t.StationCount, 0);
  for (uint32_t trip = 0; trip < t.TrainCount; ++trip) {
    qo::StopRange stops(t, trip);
    for (int32_t i = 0; i + 1 < stops.size(); ++i) ++departures[stops.Station(i)];
  }
  busiest =
      static_cast<int>(std::max_element(departures.begin(), departures.end()) - departures.begin());
  return busiest;
}

void BM_StopTimetableClickPlzen(benchmark::State& state) {
  const int stop = LoadPlzen(state);
  if (stop < 0) return;
  const std::vector<Leaf> book = Book(stop, 4, 3, 2026);
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(Times(book[i++ % book.size()], 4, 3, 2026));
}
BENCHMARK(BM_StopTimetableClickPlzen)->Unit(benchmark::kMillisecond);

void BM_StopTimetableBookPlzen(benchmark::State& state) {
  const int stop = LoadPlzen(state);
  if (stop < 0) return;
  const std::vector<Leaf> book = Book(stop, 4, 3, 2026);
  for (auto _ : state)
    for (Leaf const& leaf : book) benchmark::DoNotOptimize(Times(leaf, 4, 3, 2026));
  state.counters["timetables"] = static_cast<double>(book.size());
}
BENCHMARK(BM_StopTimetableBookPlzen)->Unit(benchmark::kMillisecond);

}  // namespace
