// The remark exports over loaded timetables: validity and index errors,
// air words, days-off handling and markers, and train remarks that follow
// the options and the base day.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Qo.h"
#include "calendars/train_calendar.h"
#include "core/counted_array.h"
#include "dates/clock.h"
#include "dayremarks/day_remark_text.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"
#include "text/cp1250.h"

namespace qo::test {
namespace {

constexpr uint16_t D(int month, int day) { return w::DayNumberOf(2025, month, day); }
bool Workday(int day) { return (day + 1) % 7 >= 1 && (day + 1) % 7 <= 5; }

// A counted array of day bytes, freed with the object.
struct DayBytes {
  ArrayHandle handle = nullptr;
  DayBytes(int first, int last, bool (*runs)(int)) {
    AllocArray(&handle, last - first + 1, 1);
    for (int d = first; d <= last; ++d) ArraySet<uint8_t>(handle, d - first, runs(d) ? 1 : 0);
  }
  ~DayBytes() { FreeArray(&handle); }
};

class DayRemarkApiTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    SetClockForTesting(D(1, 1), 600);
    w::TimetableModel rail = SmallModel(1, 1, 0, 2);
    w::Calendar workdays;
    for (uint16_t day = D(1, 1); day <= D(12, 31); ++day)
      if (Workday(day) && day != D(5, 1)) workdays.days.push_back(day);
    rail.calendars = {workdays};
    rail.trains[0].calendar = 0;
    rail.days_off = {D(1, 1), D(5, 1)};
    w::TimetableModel air = SmallModel(2, 4, 0, 2);
    ASSERT_EQ(Load({dir_.Write("rail.qo", rail), dir_.Write("air.qo", air)}), 2);
    QoError();
  }
  void TearDown() override {
    QoDateRemMarks(0);
    QoSetDateRemOptions(0, 0, 1);
    QoSetBaseDate(0);
    QoSetSpecDayOptions(0);
    ResetClockForTesting();
    LoadingTest::TearDown();
  }
  int Rail() const { return TimetableAt(0)->Kind == 1 ? 0 : 1; }
  int Air() const { return 1 - Rail(); }
};

TEST_F(DayRemarkApiTest, TimetableTextsCheckTheirArguments) {
  DayBytes week(D(3, 3), D(3, 30), Workday);
  EXPECT_EQ(QoGetDateRemTxtExt(2, D(3, 3), week.handle, 'E', 0), nullptr);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
  DayBytes late(D(12, 20), D(12, 31) + 1, Workday);
  EXPECT_EQ(QoGetDateRemTxtExt(Rail(), D(12, 20), late.handle, 'E', 0), nullptr);
  EXPECT_EQ(QoError(), ErrParameters);

  EXPECT_STREQ(QoGetDateRemTxtExt(Rail(), D(3, 3), week.handle, 'E', 0), "runs on Mo-Fr");
  EXPECT_STREQ(QoGetDateRemTxtExt(Air(), D(3, 3), week.handle, 'E', 0), "flies on Mo-Fr");
  DayBytes none(D(3, 3), D(3, 30), [](int) { return false; });
  EXPECT_STREQ(QoGetDateRemTxtExt(Air(), D(3, 3), none.handle, 'C', 0),
               Utf8ToCp1250("t.č. nelétá").c_str());
  EXPECT_STREQ(QoGetDateRemTxt(D(3, 3), none.handle, 'C', 0), Utf8ToCp1250("t.č. nejede").c_str());
  EXPECT_EQ(QoError(), 0);
}

TEST_F(DayRemarkApiTest, DaysOffMakeWorkingDaysAndMarkersFrameTheSymbols) {
  // Working days over spring; 1 May (a Thursday) is a day off.
  DayBytes spring(D(4, 1), D(6, 30), [](int d) { return Workday(d) && d != D(5, 1); });
  EXPECT_STREQ(QoGetDateRemTxtExt(Rail(), D(4, 1), spring.handle, 'E', 0), "runs on X");
  QoDateRemMarks(1);
  EXPECT_STREQ(QoGetDateRemTxtExt(Rail(), D(4, 1), spring.handle, 'E', 0), "runs on {X}");
  QoFCMarks("<b>", "</b>", nullptr, nullptr);
  EXPECT_STREQ(QoGetDateRemTxtExt(Rail(), D(4, 1), spring.handle, 'E', 0), "runs on <b>X</b>");
  // Without days-off handling the same days are weekdays with an exception.
  EXPECT_EQ(QoSetSpecDayOptions(1), 1);
  QoDateRemMarks(0);
  EXPECT_STREQ(QoGetDateRemTxtExt(Rail(), D(4, 1), spring.handle, 'E', 0),
               "runs on Mo-Fr, runs not 1 V.");

  // Braces count in no length: with many markers the choice stays the same.
  DayBytes most(D(1, 1), D(3, 31),
                [](int d) { return d != D(2, 4) && d != D(2, 18) && d != D(3, 4); });
  const std::string plain = QoGetDateRemTxt(D(1, 1), most.handle, 'E', 0);
  QoFCMarks("[[[[[[[[[[[[[[[[[[[[", "]]]]]]]]]]]]]]]]]]]]", nullptr, nullptr);
  EXPECT_EQ(plain, "runs not 4, 18 II., 4 III.");
  EXPECT_EQ(std::string(QoGetDateRemTxt(D(1, 1), most.handle, 'E', 0)), plain);
}

TEST_F(DayRemarkApiTest, OptionsKeepTheirRangesAndTrainRemarksFollowThem) {
  EXPECT_EQ(QoSetDateRemOptions(1, 1, 30), 30);
  EXPECT_EQ(QoSetDateRemOptions(1, 1, 1000), 1000);
  int fromBase = -1, limit = -1, days = -1;
  QoGetDateRemOptions(&fromBase, &limit, &days);
  EXPECT_EQ(fromBase, 1);
  EXPECT_EQ(limit, 1);
  EXPECT_EQ(days, 30) << "out of range: the limit keeps its value";
  EXPECT_EQ(QoSetSpecDayOptions(3), 0);
  EXPECT_EQ(QoSetSpecDayOptions(2), 2);

  TimetableRecord& t = *TimetableAt(Rail());
  const int32_t cls = TrainCalendarClass(t, 0);
  std::string text;
  // 30 days from the base day 1 April: 1 May lies outside, so no exception.
  EXPECT_EQ(QoSetBaseDate(D(4, 1)), D(4, 1));
  TrainDayRemarkText(t, 0, 'E', cls, 0, text);
  EXPECT_EQ(text, "runs on Mo-Fr");
  // A base day with 1 May inside: the cached text must not be reused.
  QoSetBaseDate(D(4, 20));
  TrainDayRemarkText(t, 0, 'E', cls, 0, text);
  EXPECT_EQ(text, "runs on X");
  EXPECT_EQ(QoSetSpecDayOptions(1), 1);
  TrainDayRemarkText(t, 0, 'E', cls, 0, text);
  EXPECT_EQ(text, "runs on Mo-Fr, runs not 1 V.");
  // The whole validity, and a train that runs every day has no remark.
  QoSetDateRemOptions(0, 0, 30);
  TrainDayRemarkText(t, 0, 'E', cls, 0, text);
  EXPECT_EQ(text, "runs on Mo-Fr, runs not 1 V.");
  TrainDayRemarkText(*TimetableAt(Air()), 0, 'E', TrainCalendarClass(*TimetableAt(Air()), 0), 0,
                     text);
  EXPECT_EQ(text, "");
}

}  // namespace
}  // namespace qo::test
