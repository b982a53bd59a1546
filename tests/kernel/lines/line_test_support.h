#pragma once
// Shared by the line and stop-timetable tests: a city timetable model
// with named stations, calendars of weekdays, and the process-wide line
// settings put back to their initial values around every test.
#include <string>
#include <vector>

#include "Qo.h"
#include "kernel/loading/loading_test_support.h"

namespace qo::test {

constexpr uint16_t Day(int month, int day) { return w::DayNumberOf(2025, month, day); }

// Weekday bits as in a weekday mask: Monday 0 .. Sunday 6.
constexpr uint8_t kWorkdays = 0x1F, kSaturday = 0x20, kSunday = 0x40;

// The days of 2025 whose weekday bit is in `weekdays`.
inline w::Calendar WeekdayCalendar(uint8_t weekdays) {
  w::Calendar c;
  for (uint16_t d = Day(1, 1); d <= Day(12, 31); ++d)
    if (weekdays >> (((d + 1) % 7 + 6) % 7) & 1) c.days.push_back(d);
  return c;
}

// A trip over stations at the given minutes (one minute's stop at each
// intermediate station is left out: every stop is a single word).
inline w::Train Trip(std::string number, std::vector<uint16_t> const& stations, int start,
                     int calendar = -1, int step = 5) {
  w::Train train{.number = std::move(number), .calendar = calendar};
  for (size_t i = 0; i < stations.size(); ++i) {
    const int minute = start + static_cast<int>(i) * step;
    if (i == 0)
      train.stops.push_back({.station = stations[i], .departure = minute});
    else if (i + 1 == stations.size())
      train.stops.push_back({.station = stations[i], .arrival = minute});
    else
      train.stops.push_back({.station = stations[i], .arrival = minute, .departure = minute});
  }
  return train;
}

inline w::TimetableModel CityModel(std::vector<std::string> const& names) {
  w::TimetableModel m;
  m.kind = 3;
  m.languages = "E";
  m.names = {"City"};
  for (std::string const& name : names)
    m.stations.push_back({.name = {name}, .key = static_cast<int32_t>(m.stations.size() + 1)});
  m.train_types = {{.abbreviation = {"Bus"}, .description = {"Bus"}}};
  return m;
}

class LineTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    ResetSettings();
  }
  void TearDown() override {
    ResetSettings();
    LoadingTest::TearDown();
  }
  static void ResetSettings() {
    QoZJRSetWeekMode(2);
    QoSetExtactInclusion(0);
    QoSetExtactInclusion(-2);
  }
  void LoadModel(w::TimetableModel const& m) {
    ASSERT_EQ(Load({dir_.Write("city.qo", m)}), 1);
    QoError();
  }
  // Station names of a list, joined by '-'.
  static std::string Names(int const* stations, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
      if (i) out += '-';
      char const* name = QoStName(0, stations[i]);
      out += name ? name : "?";
    }
    return out;
  }
};

}  // namespace qo::test
