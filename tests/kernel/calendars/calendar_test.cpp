// Running days of trains: by date at a later stop, by day type from the
// typical sets of the coming month, the days-off table, group variants
// and the small calendar exports.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "Qo.h"
#include "calendars/day_type_calendars.h"
#include "calendars/day_type_state.h"
#include "calendars/train_calendar.h"
#include "core/counted_array.h"
#include "dates/clock.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

constexpr uint16_t D(int month, int day) { return w::DayNumberOf(2025, month, day); }

// The days of 2025 whose weekday (0 Sunday .. 6 Saturday) is in `weekdays`.
w::Calendar Weekly(std::vector<int> weekdays) {
  w::Calendar c;
  for (uint16_t day = D(1, 1); day <= D(12, 31); ++day)
    for (int weekday : weekdays)
      if ((day + 1) % 7 == weekday) c.days.push_back(day);
  return c;
}

// 2 June 2025 is a Monday: "today" of the day-type tests.
constexpr uint16_t kToday = D(6, 2);

class CalendarTest : public LoadingTest {
 protected:
  enum Train { kNight, kWorkdays, kSundays, kMondayNight, kDaily, kEndsAfterMidnight, kTrainCount };

  void SetUp() override {
    LoadingTest::SetUp();
    SetClockForTesting(kToday, 600);
    w::TimetableModel m = SmallModel(1, 1, 0, 6);
    m.calendars = {{.days = {D(6, 1)}}, Weekly({1, 2, 3, 4, 5}), Weekly({0}), Weekly({1})};
    m.trains = {
        // Leaves at 23:30 and leaves station 1 after midnight.
        {.stops = {Dep(0, 1410), Pass(1, 1438, 1442), Arr(2, 1500)}, .calendar = 0},
        {.stops = {Dep(0, 480), Arr(1, 500)}, .calendar = 1},
        {.stops = {Dep(0, 600), Arr(1, 620)}, .calendar = 2},
        {.stops = {Dep(3, 1430), Arr(4, 1460)}, .calendar = 3},
        {.stops = {Dep(4, 700), Arr(5, 720)}},
        // Its last two words are at station 4, before and after midnight.
        {.stops = {Dep(3, 1400), {.station = 4, .arrival = 1430}, Arr(4, 1450)}, .calendar = 0},
    };
    m.train_pairs = {{.train = 1, .other = 3}, {.train = 2, .other = 1}, {.train = 1, .other = 4}};
    m.days_off = {D(6, 11)};
    Customise(m);
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
    QoError();
  }
  void TearDown() override {
    ResetClockForTesting();
    LoadingTest::TearDown();
  }
  virtual void Customise(w::TimetableModel&) {}
};

TEST_F(CalendarTest, ATrainMetAfterMidnightIsTestedOnTheDayItLeft) {
  struct Case {
    char const* name;
    int station, departure, day, month, year;
    int runs, error;
    int train = kNight;
  };
  const Case cases[] = {
      {"first stop", -1, 0, 1, 6, 2025, 1, 0},
      {"first stop by index", 0, 1, 1, 6, 2025, 1, 0},
      {"arrival before midnight", 1, 0, 1, 6, 2025, 1, 0},
      {"departure after midnight", 1, 1, 2, 6, 2025, 1, 0},
      {"departure after midnight, the day it left", 1, 1, 1, 6, 2025, 0, 0},
      {"last stop, the next day", 2, 0, 2, 6, 2025, 1, 0},
      {"the last stop has no departure", 2, 1, 2, 6, 2025, 0, ErrStationIndex},
      {"not on the route", 5, 0, 2, 6, 2025, 0, ErrStationIndex},
      {"beyond the stations", 6, 0, 2, 6, 2025, 0, ErrStationIndex},
      {"no such date", 0, 0, 31, 2, 2025, 0, ErrDate},
      {"year 0 is no date", 0, 0, 1, 6, 0, 0, ErrDate},
      {"left before the validity", 2, 0, 1, 1, 2025, 0, ErrDateOutOfRange},
      {"beyond the validity", 0, 0, 1, 1, 2026, 0, ErrDateOutOfRange},
      // The last word is never the one the train leaves from.
      {"both last words at one station, by departure", 4, 1, 1, 6, 2025, 1, 0, kEndsAfterMidnight},
      {"both last words at one station, by departure the next day", 4, 1, 2, 6, 2025, 0, 0,
       kEndsAfterMidnight},
  };
  for (Case const& c : cases) {
    EXPECT_EQ(QoTrainRuns(0, c.train, c.day, c.month, c.year, c.station, c.departure), c.runs)
        << c.name;
    EXPECT_EQ(QoError(), c.error) << c.name;
  }
  EXPECT_EQ(QoTrainRunsExt(0, kNight, 2, 6, 2025, 2, 0), 1);

  EXPECT_EQ(QoTrainCycle(0, kNight, 1, 0), 0);
  EXPECT_EQ(QoTrainCycle(0, kNight, 1, 1), 1);
  EXPECT_EQ(QoTrainCycle(0, kNight, 2, 0), 1);
  EXPECT_EQ(QoTrainCycle(0, kNight, 5, 0), 0);
  EXPECT_EQ(QoTrainCycle(0, kEndsAfterMidnight, 4, 1), 0);
  EXPECT_EQ(QoError(), 0) << "a station off the route is no error";
  EXPECT_EQ(QoTrainCycle(0, kNight, 6, 0), 0);
  EXPECT_EQ(QoError(), ErrStationIndex);
  EXPECT_EQ(QoTrainRuns(0, kTrainCount, 1, 6, 2025, -1, 0), 0);
  EXPECT_EQ(QoError(), ErrTrainIndex);
  EXPECT_EQ(QoTrainRuns(1, 0, 1, 6, 2025, -1, 0), 0);
  EXPECT_EQ(QoError(), ErrTimetableIndex);

  // Only -1 stands for the first stop; other negative stations are refused.
  for (int station : {-2, -100, INT_MIN}) {
    QoError();
    EXPECT_EQ(QoTrainRuns(0, kNight, 2, 6, 2025, station, 0), 0) << station;
    EXPECT_EQ(QoError(), ErrStationIndex) << station;
    QoError();
    EXPECT_EQ(QoTrainRuns2(0, kNight, 0, 0, station, 0), 0) << station;
    EXPECT_EQ(QoError(), ErrStationIndex) << station;
  }
}

// The day-type sets describe the days from today: a new day makes them anew
// even when the day type asked for is the same.
TEST_F(CalendarTest, DayTypesFollowToday) {
  SetClockForTesting(D(5, 31), 600);
  EXPECT_EQ(QoTrainRuns2(0, kNight, 3, 0, -1, 0), 1);  // its day, 1 June, lies ahead
  SetClockForTesting(kToday, 600);
  EXPECT_EQ(QoTrainRuns2(0, kNight, 3, 0, -1, 0), 0);  // and now behind
}

TEST_F(CalendarTest, DayTypesFromTheComingMonth) {
  struct Case {
    char const* name;
    int train, station, type, mask, runs;
  };
  const Case cases[] = {
      {"working day", kWorkdays, -1, 0, 0, 1},
      {"working-day train on a Sunday", kWorkdays, -1, 1, 0, 0},
      {"Sunday train on a Sunday", kSundays, -1, 1, 0, 1},
      {"Sunday train on a working day", kSundays, -1, 0, 0, 0},
      {"Monday", kWorkdays, -1, 2, 0x01, 1},
      {"Saturday", kWorkdays, -1, 2, 0x20, 0},
      {"Monday and Tuesday", kWorkdays, -1, 2, 0x03, 1},
      {"Monday and Saturday: it must run on both", kWorkdays, -1, 2, 0x21, 0},
      {"Sunday by mask", kSundays, -1, 2, 0x40, 1},
      {"left on Monday, met on Tuesday", kMondayNight, 4, 2, 0x02, 1},
      {"left on Monday, met on Monday", kMondayNight, 4, 2, 0x01, 0},
      {"its first stop on Monday", kMondayNight, 3, 2, 0x01, 1},
      {"some day from today on", kWorkdays, -1, 3, 0, 1},
      {"its only day lies before today", kNight, -1, 3, 0, 0},
      {"any day", kNight, -1, 5, 0, 1},
  };
  for (Case const& c : cases) {
    EXPECT_EQ(QoTrainRuns2(0, c.train, c.type, c.mask, c.station, 0), c.runs) << c.name;
    EXPECT_EQ(QoTrainRunsExt(0, c.train, c.type, c.mask, 0, c.station, 0), c.runs) << c.name;
  }
  EXPECT_EQ(QoError(), 0);
  const std::pair<int, int> wrong[] = {{2, 0x80}, {2, 0}, {4, 0}, {-1, 0}, {6, 0}};
  for (auto [type, mask] : wrong) {
    EXPECT_EQ(QoTrainRuns2(0, kWorkdays, type, mask, -1, 0), 0) << type << " " << mask;
    EXPECT_EQ(QoError(), ErrDate) << type << " " << mask;
  }
}

TEST_F(CalendarTest, DayShiftIsAnArgumentAndTheWindowsRestartInTheMiddle) {
  TimetableRecord& t = At(0);
  bool runs = false;
  // A stop timetable asks for a stop the train reaches a day later than
  // the day asked for; the export itself never shifts.
  ASSERT_EQ(TrainRunsOnDayType(t, kMondayNight, 2, 0x02, -1, false, 1, &runs), 0);
  EXPECT_TRUE(runs);
  ASSERT_EQ(TrainRunsOnDayType(t, kMondayNight, 2, 0x02, -1, false, 0, &runs), 0);
  EXPECT_FALSE(runs);
  EXPECT_EQ(QoTrainRuns2(0, kMondayNight, 2, 0x02, -1, 0), 0);
  EXPECT_EQ(QoTrainRuns2(0, kMondayNight, 2, 0x01, -1, 0), 1);
  // A daily train runs in every window, and in none past either end.
  for (auto [shift, inWindow] : {std::pair{12, true}, {13, false}, {-12, true}, {-13, false}}) {
    ASSERT_EQ(TrainRunsOnDayType(t, kDaily, 0, 0, -1, false, shift, &runs), 0);
    EXPECT_EQ(runs, inWindow) << "day shift " << shift;
  }

  // A search by date moves the running test; the same day type again starts
  // from the day asked for, not from where the date search left it.
  DayTypesOf(t).Filter.DayTypeMode = false;
  DayTypesOf(t).Filter.DayOffset = 150;
  PrepareDayTypeCalendars(t, 2, 0x01);
  EXPECT_TRUE(DayTypesOf(t).Filter.DayTypeMode);
  EXPECT_EQ(DayTypesOf(t).Filter.DayOffset, kDayTypeWindowCentre);
}

TEST_F(CalendarTest, DaysOffTable) {
  int first = 0;
  unsigned char const* table = nullptr;
  ASSERT_EQ(QoGetHolidays(0, &first, &table), 365);
  EXPECT_EQ(first, D(1, 1));
  EXPECT_EQ(table[D(6, 11) - D(1, 1)], 1);
  EXPECT_EQ(table[D(6, 8) - D(1, 1)], 0) << "the file's table marks its holidays only";
  EXPECT_EQ(QoGetHolidays(1, &first, &table), 0);
  EXPECT_EQ(QoError(), ErrTimetableIndex);

  TimetableRecord& t = At(0);
  EXPECT_TRUE(IsSundayOrHoliday(t, D(6, 8))) << "a Sunday";
  EXPECT_TRUE(IsSundayOrHoliday(t, D(6, 11))) << "a holiday on a Wednesday";
  EXPECT_FALSE(IsWorkingDay(t, D(6, 11)));
  EXPECT_TRUE(IsWorkingDay(t, D(6, 12)));
  EXPECT_FALSE(IsWorkingDay(t, D(6, 14))) << "a Saturday";
}

// Without a table of its own the timetable marks the Sundays.
class SundaysOnlyTest : public CalendarTest {
  void Customise(w::TimetableModel& m) override { m.days_off.clear(); }
};

TEST_F(SundaysOnlyTest, DaysOffAreTheSundays) {
  int first = 0;
  unsigned char const* table = nullptr;
  ASSERT_EQ(QoGetHolidays(0, &first, &table), 365);
  std::vector<int> marked;
  for (int i = 0; i < 365; ++i)
    if (table[i]) marked.push_back(i);
  ASSERT_EQ(marked.size(), 52u);
  EXPECT_EQ(marked[0], D(1, 5) - D(1, 1)) << "5 January 2025 is the first Sunday";
  EXPECT_EQ(At(0).HolidaysBuilt, 1u);
}

// Typical sets stored in the file are taken as they are.
class StoredSetsTest : public CalendarTest {
  void Customise(w::TimetableModel& m) override {
    // Classes are the model's calendars: the Sunday train's is 2.
    m.day_type_windows.assign(9 * 25, {});
    for (int window = 0; window < 25; ++window) m.day_type_windows[7 * 25 + window] = {0x04};
  }
};

TEST_F(StoredSetsTest, StoredWorkingDaySetsStandForTheCalendar) {
  EXPECT_EQ(QoTrainRuns2(0, kSundays, 0, 0, -1, 0), 1);
  EXPECT_EQ(QoTrainRuns2(0, kWorkdays, 0, 0, -1, 0), 0);
  EXPECT_EQ(QoTrainRuns2(0, kWorkdays, 1, 0, -1, 0), 0) << "an empty stored set";
  EXPECT_EQ(At(0).StoredWindowsBuilt, 0u);
}

TEST_F(CalendarTest, RunningDaysEveryDayAndPairs) {
  unsigned char const* days = QoTrainRunsFlags(0, kNight);
  ASSERT_NE(days, nullptr);
  ASSERT_EQ(GetArrayCount(days), 365);
  int running = 0;
  for (int i = 0; i < 365; ++i) running += days[i];
  EXPECT_EQ(running, 1);
  EXPECT_EQ(days[D(6, 1) - D(1, 1)], 1);

  EXPECT_EQ(QoTrainRunsAlways(0, kDaily), 1);
  EXPECT_EQ(QoTrainRunsAlways(0, kWorkdays), 0);

  int const* paired = nullptr;
  ASSERT_EQ(QoMapTrain(0, 1, &paired), 2);
  EXPECT_EQ(paired[0], 3);
  EXPECT_EQ(paired[1], 4);
  EXPECT_EQ(QoMapTrain(0, 3, &paired), 0);
  EXPECT_EQ(paired, nullptr);
  EXPECT_EQ(QoMapTrain(0, -1, &paired), 0);
  EXPECT_EQ(QoError(), ErrTrainIndex);
}

// A train group: variant 0 from station 0 to 2, a longer variant 1 that
// holds its route, variant 2 on the same route as 0, a secondary variant 3
// that goes on to station 4, and variant 4 from 0 to 4 that neither holds
// nor continues it; train 5 is in no group.
class GroupTest : public LoadingTest {
 protected:
  static constexpr uint32_t kContinues = 0x10000000, kSecondary = 0x08000000;

  void SetUp() override {
    LoadingTest::SetUp();
    w::TimetableModel m = SmallModel(1, 1, 0, 6);
    m.calendars = {{.days = {D(6, 2), D(6, 3), D(6, 5)}},
                   {.days = {D(6, 3)}},
                   {.days = {D(6, 5)}},
                   {.days = {D(6, 2)}},
                   {.days = {D(6, 2)}}};
    auto route = [](std::vector<uint16_t> stations) {
      std::vector<w::Stop> stops;
      for (size_t i = 0; i < stations.size(); ++i)
        stops.push_back(i == 0 ? Dep(stations[i], 600)
                        : i + 1 == stations.size()
                            ? Arr(stations[i], 600 + 10 * static_cast<int>(i))
                            : Pass(stations[i], 600 + 10 * static_cast<int>(i),
                                   601 + 10 * static_cast<int>(i)));
      return stops;
    };
    m.trains = {
        {.stops = route({0, 1, 2}), .calendar = 0},
        {.stops = route({0, 1, 2, 3}), .attributes = kContinues, .calendar = 1},
        {.stops = route({0, 1, 2}), .attributes = kContinues, .calendar = 2},
        {.stops = route({0, 1, 2, 3, 4}), .attributes = kContinues | kSecondary, .calendar = 3},
        {.stops = route({0, 4}), .attributes = kContinues, .calendar = 4},
        {.stops = route({0, 5})},
    };
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  }
};

TEST_F(GroupTest, VariantsOfAGroup) {
  struct Case {
    char const* name;
    int train, day, month, year, station;
    int runs, variant;
  };
  const Case cases[] = {
      {"a longer variant that runs replaces it", 0, 3, 6, 2025, -1, 0, -1},
      {"the same at a station", 0, 3, 6, 2025, 1, 0, -1},
      {"the earlier of two equal variants stays", 0, 5, 6, 2025, -1, 1, -1},
      {"the later of two equal variants gives way", 2, 5, 6, 2025, -1, 0, -1},
      {"a secondary variant never replaces; another goes beyond it", 0, 2, 6, 2025, -1, 1, 4},
      {"it does not run", 0, 4, 6, 2025, -1, 0, -1},
      {"the longer variant itself", 1, 3, 6, 2025, -1, 1, -1},
      {"by day type every variant runs", 0, 5, 0, 0, -1, 0, -1},
      {"in no group", 5, 4, 6, 2025, -1, 1, -1},
  };
  for (Case const& c : cases) {
    int variant = 99;
    EXPECT_EQ(QoTrainRunsExcl(0, c.train, c.day, c.month, c.year, c.station, 0, &variant), c.runs)
        << c.name;
    EXPECT_EQ(variant, c.variant) << c.name;
    EXPECT_EQ(QoError(), 0) << c.name << ": variants that miss the station are no error";
  }
}

TEST_F(GroupTest, TheVariantThatRunsOnADate) {
  EXPECT_EQ(QoMapTrainDate(0, 0, -1, 3, 6, 2025, 0), 1) << "the longer variant runs";
  EXPECT_EQ(QoMapTrainDate(0, 0, -1, 2, 6, 2025, 0), 0) << "only a secondary one holds it";
  EXPECT_EQ(QoMapTrainDate(0, 3, -1, 2, 6, 2025, 0), 3) << "no variant holds its route";
  EXPECT_EQ(QoMapTrainDate(0, 0, -1, 4, 6, 2025, 0), 0) << "it does not run";
  EXPECT_EQ(QoMapTrainDate(0, 5, -1, 4, 6, 2025, 0), 5) << "in no group";
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(QoMapTrainDate(0, 0, 3, 3, 6, 2025, 0), 0) << "it does not call there";
  EXPECT_EQ(QoError(), ErrStationIndex);
  EXPECT_EQ(QoMapTrainDate(0, 6, -1, 3, 6, 2025, 0), -1);
  EXPECT_EQ(QoError(), ErrTrainIndex);
}

}  // namespace
}  // namespace qo::test
