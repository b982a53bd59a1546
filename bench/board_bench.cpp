// A board is what a user opens most: the departures of a busy hub, towards
// a second station, and the board between two towns of many stops each.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "boards/board2.h"
#include "boards/board_core.h"
#include "boards/board_filters.h"
#include "dates/clock.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "loaded_models.h"

namespace {

namespace w = qo::writer;

constexpr uint32_t kBoardTimetableId = 4711;
constexpr int kHubTrains = 2000;
constexpr int kLines = 40;
constexpr int kLineStops = 12;
constexpr int kTownStops = 30;
constexpr int kCalendars = 200;

// Station 0 is the hub; every line leaves it through its own stops. Towns
// A and B are items of a place list, 30 stops each, joined by many trips.
w::TimetableModel HubModel() {
  w::TimetableModel m;
  m.id = kBoardTimetableId;
  m.stations.push_back({.name = {"Hub"}, .key = 1});
  for (int l = 0; l < kLines; ++l)
    for (int k = 0; k < kLineStops; ++k)
      m.stations.push_back({.name = {"L" + std::to_string(l) + "-" + std::to_string(k)},
                            .key = static_cast<int32_t>(m.stations.size() + 1)});
  int const townA = static_cast<int>(m.stations.size());
  for (int k = 0; k < 2 * kTownStops; ++k)
    m.stations.push_back({.name = {(k < kTownStops ? "A" : "B") + std::to_string(k)},
                          .key = static_cast<int32_t>(m.stations.size() + 1)});
  m.train_types = {{.abbreviation = {"Os"}}, {.abbreviation = {"R"}}};
  for (int c = 0; c < kCalendars; ++c) {
    w::Calendar calendar;
    for (uint16_t day = m.first_day; day <= m.last_day; ++day)
      if ((day * 3 + c) % (2 + c % 4) != 0) calendar.days.push_back(day);
    m.calendars.push_back(calendar);
  }
  for (int t = 0; t < kHubTrains; ++t) {
    w::Train train;
    int const line = t % kLines;
    int const start = (t * 7) % 1380;
    train.stops.push_back({.station = 0, .departure = start});
    for (int k = 0; k < kLineStops; ++k) {
      w::Stop stop{.station = static_cast<uint16_t>(1 + line * kLineStops + k),
                   .arrival = start + 3 * k + 3};
      if (k + 1 < kLineStops) stop.departure = start + 3 * k + 4;
      train.stops.push_back(stop);
    }
    train.calendar = t % kCalendars;
    train.type = t % 2;
    train.number = std::to_string(100 + line);
    m.trains.push_back(train);
  }
  // Trips from town A to town B: each calls at three stops of A, then
  // three of B.
  for (int t = 0; t < 1500; ++t) {
    w::Train train;
    int const start = (t * 11) % 1380;
    for (int k = 0; k < 6; ++k) {
      int town = k < 3 ? townA : townA + kTownStops;
      w::Stop stop{.station = static_cast<uint16_t>(town + (t + k * 7) % kTownStops)};
      if (k > 0) stop.arrival = start + 5 * k;
      if (k < 5) stop.departure = start + 5 * k + 1;
      train.stops.push_back(stop);
    }
    train.calendar = t % kCalendars;
    m.trains.push_back(train);
  }
  w::VirtList places{.type = 3, .name = {"Towns"}};
  for (int town = 0; town < 2; ++town) {
    w::VirtListItem item{.name = {town == 0 ? "A" : "B"}};
    for (int k = 0; k < kTownStops; ++k)
      item.stations.push_back(static_cast<uint16_t>(townA + town * kTownStops + k));
    places.items.push_back(item);
  }
  m.virtual_lists = {places};
  return m;
}

// The hub timetable and a like copy of it (another id, same kind, area and
// validity), as two operators publishing one network would; loaded again
// when another benchmark loaded its own.
qo::TimetableRecord* FindHub() {
  for (int i = 0; i < qo::LoadedCount(); ++i)
    if (qo::TimetableAt(i)->TimetableId == kBoardTimetableId && qo::LoadedCount() == 2)
      return qo::TimetableAt(i);
  return nullptr;
}

qo::TimetableRecord& Hub() {
  if (qo::TimetableRecord* hub = FindHub()) return *hub;
  std::vector<w::TimetableModel> models;
  for (uint32_t copy = 0; copy < 2; ++copy) {
    models.push_back(HubModel());
    models.back().id = kBoardTimetableId + copy;
    models.back().names = {"Hub " + std::to_string(copy)};
  }
  qo::bench::LoadModels(models, "board_hub");
  qo::SetClockForTesting(static_cast<qo::DayNumber>(w::DayNumberOf(2025, 3, 3)), 600);
  return *FindHub();
}

// All departures of the hub with the running test: 2,000 entries.
void BM_HubDepartures(benchmark::State& state) {
  qo::TimetableRecord& t = Hub();
  std::vector<qo::BoardEntry> board;
  for (auto _ : state) {
    qo::BoardFilter filter = qo::MakeBoardFilter(t, 0xDFFFFFFF, 0xFFFFFFFF);
    qo::CollectBoard(t, 0, -1, true, filter, false, board);
    benchmark::DoNotOptimize(board.data());
  }
  state.counters["entries"] = static_cast<double>(board.size());
}
BENCHMARK(BM_HubDepartures);

// Departures of the hub towards the last stop of one line: every train is
// decoded and walked.
void BM_HubDeparturesTowards(benchmark::State& state) {
  qo::TimetableRecord& t = Hub();
  std::vector<qo::BoardEntry> board;
  for (auto _ : state) {
    qo::BoardFilter filter = qo::MakeBoardFilter(t, 0xDFFFFFFF, 0xFFFFFFFF);
    qo::CollectBoard(t, 0, kLineStops, true, filter, true, board);
    benchmark::DoNotOptimize(board.data());
  }
  state.counters["entries"] = static_cast<double>(board.size());
}
BENCHMARK(BM_HubDeparturesTowards);

// The board from town A to town B: 30 x 30 station pairs.
void BM_BoardBetweenTowns(benchmark::State& state) {
  qo::TimetableRecord& t = Hub();
  qo::BoardWork work;
  std::vector<qo::BoardEntry> board;
  for (auto _ : state) {
    qo::BoardFilter filter = qo::MakeBoardFilter(t, 0xDFFFFFFF, 0xFFFFFFFF);
    qo::CollectBoardVL(t, 0, 0, 1, 0, true, filter, work, board);
    benchmark::DoNotOptimize(board.data());
  }
  state.counters["entries"] = static_cast<double>(board.size());
}
BENCHMARK(BM_BoardBetweenTowns);

// The board from town A to town B over both like timetables: every entry
// is found twice, sorted by minute, number and name, and the copy dropped.
void BM_MergedBoardBetweenTowns(benchmark::State& state) {
  qo::TimetableRecord& t = Hub();
  qo::MergedBoardRequest request;
  request.fromTimetable = request.toTimetable = 0;
  request.fromItem = 0;
  request.toItem = 1;
  request.fromList = request.toList = 0;
  request.departures = true;
  unsigned const masks1[2] = {0xDFFFFFFF, 0xDFFFFFFF};
  request.masks1 = masks1;
  qo::MergedBoardWork work;
  std::vector<qo::MergedBoardEntry> board;
  for (auto _ : state) {
    qo::CollectMergedBoard(request, work, board);
    benchmark::DoNotOptimize(board.data());
  }
  (void)t;
  state.counters["entries"] = static_cast<double>(board.size());
}
BENCHMARK(BM_MergedBoardBetweenTowns)->Unit(benchmark::kMillisecond);

// The hub's departures with each train's first and last stop, towards the
// last stop of one line, merged by number and type.
void BM_HubBoardWithRouteEnds(benchmark::State& state) {
  qo::TimetableRecord& t = Hub();
  qo::Board2Work work;
  std::vector<qo::Board2Entry> board;
  qo::Board2Request request{
      .station = 0, .towards = kLineStops, .departures = true, .mergeFlags = 0x040 | 0x100};
  for (auto _ : state) {
    qo::BoardFilter filter = qo::MakeBoardFilter(t, 0xDFFFFFFF, 0xFFFFFFFF);
    qo::CollectBoard2(t, request, filter, work, board);
    benchmark::DoNotOptimize(board.data());
  }
  state.counters["entries"] = static_cast<double>(board.size());
}
BENCHMARK(BM_HubBoardWithRouteEnds);

// Two towns of 1,000 stops each (the most a place of this list kind
// takes), joined by 20,000 trips: the board between them forms a million
// station pairs.
constexpr uint32_t kLargeTownsId = 4800;
constexpr int kLargeTownStops = 1000;

qo::TimetableRecord& LargeTowns() {
  for (int i = 0; i < qo::LoadedCount(); ++i)
    if (qo::TimetableAt(i)->TimetableId == kLargeTownsId) return *qo::TimetableAt(i);
  w::TimetableModel m;
  m.id = kLargeTownsId;
  for (int k = 0; k < 2 * kLargeTownStops; ++k)
    m.stations.push_back(
        {.name = {(k < kLargeTownStops ? "A" : "B") + std::to_string(k)}, .key = k + 1});
  m.train_types = {{.abbreviation = {"Bus"}}};
  for (int n = 0; n < 20000; ++n) {
    w::Train train;
    int const start = (n * 13) % 1380;
    for (int k = 0; k < 10; ++k) {
      int const town = k < 5 ? 0 : kLargeTownStops;
      w::Stop stop{.station = static_cast<uint16_t>(town + (n * 7 + k * 131) % kLargeTownStops)};
      if (k > 0) stop.arrival = start + 3 * k;
      if (k < 9) stop.departure = start + 3 * k + 1;
      train.stops.push_back(stop);
    }
    m.trains.push_back(train);
  }
  w::VirtList places{.type = 3, .name = {"Towns"}};
  for (int town = 0; town < 2; ++town) {
    w::VirtListItem item{.name = {town == 0 ? "A" : "B"}};
    for (int k = 0; k < kLargeTownStops; ++k)
      item.stations.push_back(static_cast<uint16_t>(town * kLargeTownStops + k));
    places.items.push_back(item);
  }
  m.virtual_lists = {places};
  qo::bench::LoadModels({m}, "board_large_towns");
  return *qo::TimetableAt(0);
}

void BM_BoardBetweenLargeTowns(benchmark::State& state) {
  qo::TimetableRecord& t = LargeTowns();
  qo::BoardWork work;
  std::vector<qo::BoardEntry> board;
  bool const departures = state.range(0) != 0;
  for (auto _ : state) {
    qo::BoardFilter filter = qo::MakeBoardFilter(t, 0xFFFFFFFF, 0xFFFFFFFF);
    qo::CollectBoardVL(t, 0, 0, 1, 0, departures, filter, work, board);
    benchmark::DoNotOptimize(board.data());
  }
  state.counters["entries"] = static_cast<double>(board.size());
}
BENCHMARK(BM_BoardBetweenLargeTowns)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
