// Running-day tests, day-type windows, the service-code matcher and change
// minutes run per train or per change in boards and searches: each must
// stay small next to the rest of the work a train costs there.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "calendars/train_calendar.h"
#include "dates/clock.h"
#include "links/station_links.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "loaded_models.h"
#include "calendars/day_type_calendars.h"
#include "servicecodes/service_codes.h"
#include "trains/train_stops.h"
#include "writer/timetable_writer.h"

namespace {

namespace w = qo::writer;

constexpr int kStations = 3000;
constexpr int kTrains = 20000;
constexpr int kStops = 10;
constexpr int kCalendars = 400;

// A rail timetable of many trains on a long line, each with one of many
// calendars of irregular days; every third train has codes that depend on
// the day or on the section; every tenth station is linked to a stop of
// the city timetable.
w::TimetableModel RailModel() {
  w::TimetableModel m;
  m.id = 1;
  for (int s = 0; s < kStations; ++s)
    m.stations.push_back({.name = {"S" + std::to_string(s)}, .key = 1000 + s});
  m.train_types = {{.abbreviation = {"Os"}}, {.abbreviation = {"R"}}, {.abbreviation = {"Sp"}}};
  for (int c = 0; c < kCalendars; ++c) {
    w::Calendar calendar;
    for (uint16_t day = m.first_day; day <= m.last_day; ++day)
      if ((day * 7 + c * 13) % (2 + c % 5) != 0) calendar.days.push_back(day);
    m.calendars.push_back(calendar);
  }
  w::ServiceCodes& codes = m.service_codes;
  for (int i = 0; i < 8; ++i) codes.codes.push_back({.name = "C" + std::to_string(i)});
  codes.sets = {0x0F, 0x33, 0xF0, 0x81};
  codes.filter_letters = "ABCD";
  codes.letter_masks = {0x01, 0x02, 0x10, 0x80};
  codes.day_type_mask = 0x2;
  codes.section_type_mask = 0x4;
  for (int t = 0; t < kTrains; ++t) {
    w::Train train;
    int first = (t * 7) % (kStations - kStops);
    int start = (t * 13) % 1300;
    for (int k = 0; k < kStops; ++k) {
      w::Stop stop{.station = static_cast<uint16_t>(first + k)};
      if (k > 0) stop.arrival = start + 15 * k;
      if (k + 1 < kStops) stop.departure = start + 15 * k + 1;
      train.stops.push_back(stop);
    }
    train.calendar = t % kCalendars;
    train.type = t % 3;
    train.service_set = static_cast<int16_t>(t % 4);
    if (t % 3 == 1) train.remarks = {{"Bistro¤¤¤C0¤V" + std::to_string(t % 50)}};
    if (t % 3 == 2)
      train.remarks = {{"Nízkopodlažní¤¤¤C4¤F" + std::to_string(1000 + first + 2) + "¤T" +
                        std::to_string(1000 + first + 6)}};
    m.trains.push_back(train);
  }
  m.links = {{.kind = 3, .area = 0}};
  for (int s = 0; s < kStations; s += 10)
    m.links[0].entries.push_back(
        {.station = static_cast<uint16_t>(s), .other_key = 90000 + s, .value = 4});
  return m;
}

w::TimetableModel CityModel() {
  w::TimetableModel m;
  m.id = 2;
  m.kind = 3;
  for (int s = 0; s < kStations; s += 10) {
    m.stations.push_back({.name = {"C" + std::to_string(s)}, .key = 90000 + s});
    m.stations.push_back({.name = {"D" + std::to_string(s)}, .key = 95000 + s});
  }
  for (size_t s = 0; s + 1 < m.stations.size(); s += 2)
    m.transfers.push_back(
        {.from = static_cast<uint16_t>(s), .to = static_cast<uint16_t>(s + 1), .minutes = 3});
  return m;
}

// The two timetables loaded once for every benchmark here; indexes of the
// rail and the city timetable.
struct Set {
  int rail = -1, city = -1;
};
Set const& Loaded() {
  static Set set = [] {
    qo::bench::LoadModels({RailModel(), CityModel()}, "calendar");
    // The typical sets describe the month from today: keep today inside
    // the validity.
    qo::SetClockForTesting(static_cast<qo::DayNumber>(w::DayNumberOf(2025, 3, 3)), 600);
    Set s;
    for (int i = 0; i < qo::LoadedCount(); ++i)
      (qo::TimetableAt(i)->Kind == 3 ? s.city : s.rail) = i;
    return s;
  }();
  return set;
}

qo::TimetableRecord& Rail() { return *qo::TimetableAt(Loaded().rail); }

// A click on a train in a board: does it run on this date at its fifth stop?
void BM_TrainRunsOnDate(benchmark::State& state) {
  qo::TimetableRecord& t = Rail();
  uint32_t train = 0;
  for (auto _ : state) {
    bool runs = false;
    int32_t station = (static_cast<int32_t>(train) * 7) % (kStations - kStops) + 5;
    qo::TrainRunsOnDate(t, train, static_cast<int32_t>(t.FirstDay) + 200, station, true, &runs);
    benchmark::DoNotOptimize(runs);
    train = (train + 1) % kTrains;
  }
}
BENCHMARK(BM_TrainRunsOnDate);

void BM_TrainRunsOnDayType(benchmark::State& state) {
  qo::TimetableRecord& t = Rail();
  uint32_t train = 0;
  for (auto _ : state) {
    bool runs = false;
    qo::TrainRunsOnDayType(t, train, 2, 0x1F, -1, false, 0, &runs);
    benchmark::DoNotOptimize(runs);
    train = (train + 1) % kTrains;
  }
}
BENCHMARK(BM_TrainRunsOnDayType);

// Once per loaded timetable: the typical sets of the coming month.
void BM_BuildTypicalSets(benchmark::State& state) {
  qo::TimetableRecord& t = Rail();
  for (auto _ : state) {
    t.StoredWindowsBuilt = 0;
    t.DayWindowMode = -1;
    qo::PrepareDayTypeCalendars(t, 0, 0);
  }
  state.counters["classes"] = qo::CalendarSetBytes(t) * 8;
}
BENCHMARK(BM_BuildTypicalSets)->Unit(benchmark::kMillisecond);

// Per search by day type (when the type changes): the 25 windows.
void BM_PrepareDayTypeWindows(benchmark::State& state) {
  qo::TimetableRecord& t = Rail();
  int type = 0;
  for (auto _ : state) {
    qo::PrepareDayTypeCalendars(t, type, 0x21);
    type = type == 0 ? 2 : 0;
  }
}
BENCHMARK(BM_PrepareDayTypeWindows)->Unit(benchmark::kMicrosecond);

// Per ride of a search with a code filter: the train as a whole, and at a
// stop for the trains whose codes depend on the section.
void BM_MatchTrainServiceCodes(benchmark::State& state) {
  qo::TimetableRecord& t = Rail();
  qo::EnableServiceCodes(t, reinterpret_cast<uint8_t const*>("AC"), 2);
  bool const atStop = state.range(0) != 0;
  uint32_t train = 0;
  for (auto _ : state) {
    int byDay = 0, bySection = 0;
    qo::StopList stops = atStop ? qo::DecodeTrainStops(t, train) : qo::StopList{};
    int32_t station = atStop ? stops.Station(4) : -1;
    benchmark::DoNotOptimize(
        qo::MatchTrainServiceCodes(t, train, stops, station, 150, &byDay, &bySection));
    train = (train + 1) % kTrains;
  }
  qo::EnableServiceCodes(t, nullptr, 0);
}
BENCHMARK(BM_MatchTrainServiceCodes)->Arg(0)->Arg(1);

// Per change of a search: the minutes from a rail station to a city stop,
// through the stop linked to it.
void BM_LinkMinutes(benchmark::State& state) {
  Set const& set = Loaded();
  uint16_t station = 0;
  for (auto _ : state) {
    uint16_t stop = static_cast<uint16_t>(2 * (station / 10) + 1);
    benchmark::DoNotOptimize(qo::LinkMinutes(set.rail, station, set.city, stop, false));
    station = static_cast<uint16_t>((station + 10) % kStations);
  }
}
BENCHMARK(BM_LinkMinutes);

}  // namespace
