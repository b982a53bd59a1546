// Stop timetables: day groups of a week, route-variant letters and their
// legend, merged departures, service marks, validity records (the second
// kind of working days, substitutes, the validity interval) and the checks
// of the caller's arguments.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "dates/clock.h"
#include "kernel/lines/line_test_support.h"

namespace qo::test {
namespace {

enum Station : uint16_t { kA, kB, kC, kD, kX, kY };
constexpr unsigned kAll = 0xFFFFFFFF;

// A stop timetable printed whole: per group its day mask and departures
// ("6:05A*1": marks, then the service mark when set), then the legend.
struct Printed {
  int groups = 0;
  std::string text;
  int kind = -1;
};

Printed StopTimetable(std::vector<int> const& direction, int stop, int day, int month, int year,
                      int week, int letter = 0) {
  int** counts = nullptr;
  ZJRTIME_REC*** hours = nullptr;
  unsigned char* days = nullptr;
  int legend = 0;
  char const** codes = nullptr;
  char const** texts = nullptr;
  Printed p;
  p.groups = QoZJRTimes(0, kAll, 0, 0, day, month, year, week, direction.data(),
                        static_cast<int>(direction.size()), stop, letter, &counts, &hours, &days,
                        &legend, &codes, &texts, &p.kind);
  char buffer[32];
  for (int g = 0; g < p.groups; ++g) {
    std::snprintf(buffer, sizeof buffer, "%02X:", days[g]);
    p.text += (g ? " | " : "") + std::string(buffer);
    for (int h = 0; h < 24; ++h)
      for (int i = 0; i < counts[g][h]; ++i) {
        ZJRTIME_REC const& r = hours[g][h][i];
        std::snprintf(buffer, sizeof buffer, " %d:%02d%s", h, r.minute, r.marks);
        p.text += buffer;
        if (r.service) p.text += "*" + std::to_string(r.service);
      }
  }
  for (int i = 0; i < legend; ++i) p.text += std::string(" [") + codes[i] + "=" + texts[i] + "]";
  return p;
}

class StopTimetableTest : public LineTest {
 protected:
  // Line 1 on working days, Saturdays and Sundays, with a route variant, a
  // trip that ends early and two departures at one minute.
  w::TimetableModel Model() {
    w::TimetableModel m = CityModel({"A", "B", "C", "D", "X", "Y"});
    m.calendars = {WeekdayCalendar(kWorkdays), WeekdayCalendar(kSaturday),
                   WeekdayCalendar(kSunday)};
    m.trains = {Trip("1", {kA, kB, kC, kD}, 360, 0),
                Trip("1", {kA, kB, kC, kD}, 380, 0),
                Trip("1", {kA, kB, kC, kD}, 380, 0),  // the same minute again
                Trip("1", {kA, kB, kX, kC, kD}, 400, 0),
                Trip("1", {kA, kB, kC}, 420, 0),
                Trip("1", {kA, kB, kC, kD, kY}, 440, 0),
                Trip("1", {kA, kB, kC, kD}, 480, 1),
                Trip("1", {kA, kB, kC, kD}, 480, 2),
                Trip("1", {kD, kC, kB, kA}, 600, 0),
                Trip("2", {kB, kC}, 365, 0)};
    return m;
  }
};

TEST_F(StopTimetableTest, AWeekGroupsItsDaysAndLettersTheRouteVariants) {
  LoadModel(Model());
  const std::vector<int> direction = {kA, kB, kC, kD};
  Printed p = StopTimetable(direction, 1, 4, 6, 2025, 1);
  EXPECT_EQ(p.groups, 2);
  EXPECT_EQ(p.text,
            "1F: 6:05 6:25 6:45A 7:05B 7:25C | 60: 8:05"
            " [A=runs via stop X] [B=runs only to stop C] [C=continues to stop Y]");
  EXPECT_EQ(p.kind, 0);
  EXPECT_EQ(QoError(), 0);

  // Without week: one group of mask 0 with the day's departures.
  p = StopTimetable(direction, 1, 7, 6, 2025, 0);
  EXPECT_EQ(p.text, "00: 8:05");
  // By day type (Sunday or holiday), judged from today.
  SetClockForTesting(Day(6, 2), 600);
  p = StopTimetable(direction, 1, 1, 0, 0, 0);
  ResetClockForTesting();
  EXPECT_EQ(p.text, "00: 8:05");

  // The last stop of a direction has no departures, and that is no error.
  EXPECT_EQ(StopTimetable(direction, 3, 4, 6, 2025, 1).groups, 0);
  EXPECT_EQ(QoError(), 0);
}

TEST_F(StopTimetableTest, WeekModeOneEvaluatesEachWeekdayWithinTheSevenDays) {
  w::TimetableModel m = Model();
  // Runs on Monday 9 June only: after Wednesday 4 June in mode 1, outside
  // the week of 4 June in mode 2.
  m.calendars.push_back({.days = {Day(6, 9)}});
  m.trains.insert(m.trains.begin() + 8, Trip("1", {kA, kB, kC, kD}, 700, 3));
  LoadModel(m);
  const std::vector<int> direction = {kA, kB, kC, kD};
  EXPECT_EQ(StopTimetable(direction, 1, 4, 6, 2025, 1).text.find("11:45"), std::string::npos);
  QoZJRSetWeekMode(1);
  Printed p = StopTimetable(direction, 1, 4, 6, 2025, 1);
  EXPECT_EQ(p.text.substr(0, 39), "01: 6:05 6:25 6:45A 7:05B 7:25C 11:45 |");
}

TEST_F(StopTimetableTest, CallerArgumentsAreChecked) {
  LoadModel(Model());
  const std::vector<int> direction = {kA, kB, kC, kD};
  const std::vector<int> bad = {kA, 77, kC};
  int** counts = reinterpret_cast<int**>(1);
  struct Case {
    int train;
    std::vector<int> const* stations;
    int stop, year, error;
  } const cases[] = {
      {0, &direction, 4, 2025, 20}, {0, &direction, -1, 2025, 20}, {0, nullptr, 0, 2025, 20},
      {0, &bad, 0, 2025, 4},        {99, &direction, 1, 2025, 6},  {0, &direction, 1, 1800, 9},
  };
  for (Case const& c : cases) {
    EXPECT_EQ(
        QoZJRTimes(0, kAll, c.train, 0, 4, 6, c.year, 1, c.stations ? c.stations->data() : nullptr,
                   c.stations ? static_cast<int>(c.stations->size()) : 0, c.stop, 0, &counts,
                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
        0);
    EXPECT_EQ(QoError(), c.error) << c.train << " " << c.stop;
    EXPECT_EQ(counts, nullptr);
  }
}

TEST_F(StopTimetableTest, TheRoleOneServiceOnEveryTripClearsTheMarks) {
  struct Case {
    std::vector<int16_t> sets;  // per trip of line 1 (the first five)
    int kind;
    char const* text;
  } const cases[] = {
      {{0, 0, 0, 0, 0}, 1, "1F: 6:05 6:25 6:45A 7:05B"},
      {{1, -1, 1, -1, -1}, 2, "1F: 6:05*1 6:25 6:25*1 6:45A 7:05B"},
      {{1, 1, 1, 1, 1}, 3, "1F: 6:05 6:25 6:45A 7:05B"},
      {{2, -1, -1, -1, -1}, 4, "1F: 6:05*2 6:25 6:45A 7:05B"},
  };
  for (Case const& c : cases) {
    w::TimetableModel m = Model();
    m.trains.resize(5);
    m.service_codes.codes = {{.name = "All"}, {.name = "Low floor"}, {.name = "Ramp"}};
    m.service_codes.sets = {1, 2, 4};
    m.service_codes.roles = {0, 1, -1, 2};
    for (size_t i = 0; i < c.sets.size(); ++i) m.trains[i].service_set = c.sets[i];
    QoCloseData();
    LoadModel(m);
    Printed p = StopTimetable({kA, kB, kC, kD}, 1, 4, 6, 2025, 1);
    EXPECT_EQ(p.kind, c.kind);
    EXPECT_EQ(p.text.substr(0, p.text.find(" [")), c.text) << c.kind;
  }
}

TEST_F(StopTimetableTest, CodedRouteRemarksMarkDeparturesInsteadOfVariants) {
  w::TimetableModel m = Model();
  m.trains.resize(5);
  for (w::Train& t : m.trains) t.stops[1].flags = 0x8000;
  // A code led by a control character with bit 0x04 says the timetable
  // carries its route differences as remarks; 0x08 hides a code.
  m.station_remarks = {{.train = 0, .station = kB, .code = "a", .text = {"Low floor"}},
                       {.train = 1, .station = kB, .code = "\x04R", .text = {"Via depot"}},
                       {.train = 2, .station = kB, .code = "\x08h", .text = {"Hidden"}},
                       {.train = 3, .station = kB, .code = "x", .text = {"Via X"}}};
  LoadModel(m);
  // The stop's common remark "a" is not repeated on its departures.
  Printed p = StopTimetable({kA, kB, kC, kD}, 1, 4, 6, 2025, 1, 'a');
  EXPECT_EQ(p.text, "1F: 6:05 6:25R 6:25 6:45x 7:05 [R=Via depot] [x=Via X]");
}

TEST_F(StopTimetableTest, ValidityRecordsGiveASecondKindOfWorkingDaysAndTheInterval) {
  w::TimetableModel m = CityModel({"A", "B", "C", "D"});
  // School days (kind 0) from March, holidays (kind 1) from January to
  // the end of August, weekends, and a substitute service.
  m.line_validity = {
      {.line_key = 1, .first_day = Day(1, 1), .last_day = Day(8, 31), .weekdays = 0x9F},
      {.line_key = 1, .first_day = Day(3, 1), .last_day = Day(9, 30), .weekdays = 0x1F},
      {.line_key = 1, .first_day = Day(3, 3), .weekdays = 0x60},
      {.line_key = 2,
       .flags = static_cast<int32_t>(0x80000000),
       .first_day = Day(6, 1),
       .last_day = Day(6, 30),
       .weekdays = 0x7F}};
  m.trains = {Trip("1", {kA, kB, kC, kD}, 360), Trip("1", {kA, kB, kC, kD}, 380),
              Trip("1", {kA, kB, kC, kD}, 480), Trip("1", {kA, kB, kC, kD}, 500),
              Trip("9", {kD, kA}, 600)};
  m.train_validity = {{1}, {0}, {2}, {3}, {}};
  LoadModel(m);
  Printed p = StopTimetable({kA, kB, kC, kD}, 1, 4, 6, 2025, 1);
  EXPECT_EQ(p.text, "1F: 6:05 8:25 | 60: 8:05 8:25 | 9F: 6:25");
  // The records traced begin on 1 January, 1 and 3 March and 1 June: only
  // the last lies within a week of the latest; the substitute ends first.
  int from = -1, until = -1;
  EXPECT_EQ(QoZJRTimesLimits(&from, &until), 1);
  EXPECT_EQ(from, Day(6, 1));
  EXPECT_EQ(until, Day(6, 30));

  struct Case {
    int train, day, result, error;
  } const cases[] = {
      {3, Day(6, 4), 1, 0}, {3, Day(7, 4), 1, 0},  // not valid: the first record decides
      {0, Day(6, 4), 0, 0}, {4, Day(6, 4), 0, 0},  // a trip without records
      {5, Day(6, 4), 0, 6}, {-1, Day(6, 4), 0, 6},
  };
  for (Case const& c : cases) {
    EXPECT_EQ(QoZJRLineSubstitute(0, c.train, c.day), c.result) << c.train;
    EXPECT_EQ(QoError(), c.error);
  }
}

}  // namespace
}  // namespace qo::test
