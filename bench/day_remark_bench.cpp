// Lists show a running-days remark on every row: the cached text of a
// train's calendar class must cost next to nothing, and making one afresh
// stays well below a keystroke.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "api/loaded_set_steps.h"
#include "calendars/train_calendar.h"
#include "dates/clock.h"
#include "dates/day_number.h"
#include "dayremarks/day_remark_text.h"
#include "load/load_timetables.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "writer/timetable_writer.h"

namespace {

namespace w = qo::writer;

constexpr int kCalendars = 50;

// Working days with holes, weekly shapes that change mid-year, and noise:
// the shapes that drive the planner through its slower paths.
bool Runs(int day, int c) {
  int weekday = (day + 1) % 7;
  bool workday = weekday >= 1 && weekday <= 5;
  if (c % 3 == 0) return workday && (day * 31 + c) % 23 != 0;
  if (c % 3 == 1) return (day % 120 < 60 ? workday : weekday == 0 || weekday == 6);
  return (day * 7 + c * 13) % (2 + c % 5) != 0;
}

qo::TimetableRecord& Loaded() {
  static qo::TimetableRecord* record = [] {
    w::TimetableModel m;
    m.id = 1;
    m.stations = {{.name = {"A"}, .key = 1}, {.name = {"B"}, .key = 2}};
    m.train_types = {{.abbreviation = {"Os"}}};
    for (int c = 0; c < kCalendars; ++c) {
      w::Calendar calendar;
      for (uint16_t day = m.first_day; day <= m.last_day; ++day)
        if (Runs(day, c)) calendar.days.push_back(day);
      m.calendars.push_back(calendar);
      m.trains.push_back(
          {.stops = {{.station = 0, .departure = 600 + c}, {.station = 1, .arrival = 660 + c}},
           .calendar = c});
    }
    std::string path = std::string(P_tmpdir) + "/qo_bench_day_remarks.qo";
    w::SaveFile(path, w::WriteTimetable(m).bytes);
    qo::LoadTimetableFiles({path}, nullptr, qo::KernelLoadSteps());
    qo::SetClockForTesting(static_cast<qo::DayNumber>(w::DayNumberOf(2025, 1, 1)), 600);
    return qo::TimetableAt(0);
  }();
  return *record;
}

void BM_DayRemarkUncached(benchmark::State& state) {
  const int first = qo::DmyToDay(2025, 1, 1);
  std::vector<std::vector<uint8_t>> sets(kCalendars);
  for (int c = 0; c < kCalendars; ++c)
    for (int d = 0; d < 365; ++d) sets[static_cast<size_t>(c)].push_back(Runs(first + d, c));
  std::string out;
  int c = 0;
  for (auto _ : state) {
    const std::vector<uint8_t>& days = sets[static_cast<size_t>(c)];
    qo::MakeDayRemarkText(first, days.data(), 365, 'C', 0, qo::DayRemarkContext{}, out);
    benchmark::DoNotOptimize(out.data());
    c = (c + 1) % kCalendars;
  }
}
BENCHMARK(BM_DayRemarkUncached);

void BM_DayRemarkCached(benchmark::State& state) {
  qo::TimetableRecord& t = Loaded();
  std::string out;
  int c = 0;
  for (auto _ : state) {
    qo::TrainDayRemarkText(t, static_cast<uint32_t>(c), 'C',
                           qo::TrainCalendarClass(t, static_cast<uint32_t>(c)), 0, out);
    benchmark::DoNotOptimize(out.data());
    c = (c + 1) % kCalendars;
  }
}
BENCHMARK(BM_DayRemarkCached);

}  // namespace
