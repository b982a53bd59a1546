#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Qo.h"
#include "dates/clock.h"
#include "dates/date_text.h"
#include "dates/day_number.h"
#include "text/cp1250.h"

namespace qo {
namespace {

constexpr DayNumber kMon14Dec2009 = 40159;  // 13 December 2009 was a Sunday
constexpr DayNumber kTue15Dec2009 = 40160;

// Fixes today and the time of day for one test.
class FixedClock {
 public:
  FixedClock(DayNumber today, MinuteOfDay now) { SetClockForTesting(today, now); }
  ~FixedClock() { ResetClockForTesting(); }
};

std::string Kernel(const char* utf8) { return Utf8ToCp1250(utf8); }

TEST(FormatDate, PrintsDayMonthYearAndWeekday) {
  char buffer[64];
  FormatDate(40158, buffer, sizeof buffer, "%d.%d.%d %s", 'E');
  EXPECT_STREQ(buffer, "13.12.2009 Sunday");
  FormatDate(40158, buffer, sizeof buffer, "%d.%d.%d %s", 'C');
  EXPECT_EQ(Cp1250ToUtf8(buffer), "13.12.2009 Neděle");
  FormatDate(DmyToDay(9, 6, 5), buffer, sizeof buffer, "%02d/%02d/%d", 'E');
  EXPECT_STREQ(buffer, "05/06/2009");  // the year is printed in full

  for (int none : {0, 0xFFFF}) {
    std::strcpy(buffer, "old");
    EXPECT_EQ(FormatDate(none, buffer, sizeof buffer, "%d.%d.%d %s", 'E'), 0);
    EXPECT_STREQ(buffer, "");
  }
  char small[6];
  FormatDate(40158, small, sizeof small, "%d.%d.%d %s", 'E');
  EXPECT_STREQ(small, "13.12");
}

TEST(FormatDate, ExportConvertsToTheModeAndBoundsTheText) {
  char buffer[400];
  EXPECT_STREQ(QoMakeDateStr(buffer, "%d.%d.%d %s", 40158, 'C', 4), "13.12.2009 Nedele");
  EXPECT_EQ(QoMakeDateStr(buffer, "%d.%d.%d %s", 40158, 'C', 6), nullptr);
  EXPECT_EQ(QoMakeDateStr(nullptr, "%d", 40158, 'C', 3), nullptr);
  EXPECT_STREQ(QoMakeDateStr(buffer, "%d.%d.%d", 0, 'C', 3), "");
  // A format that would print 300 characters writes 255 and stops.
  std::memset(buffer, 'x', sizeof buffer);
  QoMakeDateStr(buffer, "%300d", 40158, 'C', 3);
  EXPECT_EQ(std::strlen(buffer), 255u);
  EXPECT_EQ(buffer[256], 'x');
}

TEST(ParseTime, Texts) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {
      {"1230", 750},   {"12:30", 750},
      {"8", 480},      {"8:5", 485},
      {"8.5", 485},    {"8 5", 485},
      {"8:15", 495},   {"0", 0},
      {"0:00", 0},     {"23:59", 1439},
      {"24:00", 1440}, {"24", 1440},
      {"24:01", -1},   {"7:60", -1},
      {"25", -1},      {"abc", -1},
      {"", -1},        {"5", 300},
      {"8:5 ", -1},  // 85 hours
      {"12h30", 750},  {"000000000000000000000000000000000000000000000000000000001230", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseTime(c.text), c.expected) << '"' << c.text << '"';
  EXPECT_EQ(ParseTime(nullptr), -1);
}

TEST(ParseTime, ExportsFallBackToNowAndPrint) {
  FixedClock clock(kMon14Dec2009, 17 * 60 + 42);
  EXPECT_EQ(QoMakeTime("abc"), 17 * 60 + 42);
  EXPECT_EQ(QoMakeTime(nullptr), 17 * 60 + 42);
  EXPECT_EQ(QoMakeTime("8:5"), 485);

  char buffer[300];
  EXPECT_STREQ(QoMakeTimeStr(buffer, "%d:%02d", 1440), "24:00");
  EXPECT_STREQ(QoMakeTimeStr(buffer, "%d:%02d", 485), "8:05");
  EXPECT_STREQ(QoMakeTimeStr(buffer, "%d:%02d", 1441), "");
  EXPECT_STREQ(QoMakeTimeStr(buffer, "%d:%02d", -1), "");
  EXPECT_EQ(QoMakeTimeStr(nullptr, "%d:%02d", 10), nullptr);
}

TEST(ParseDate, NumericTextsWithAFixedToday) {
  FixedClock clock(kMon14Dec2009, 600);
  const DayNumber dec13 = DmyToDay(2009, 12, 13);
  struct Case {
    const char* text;
    DayNumber expected;
  } cases[] = {
      {"13.12.2009", dec13},
      {"13/12/09", dec13},
      {"13-12", dec13},  // this year
      {"13122009", dec13},
      {"131209", dec13},
      {"13", dec13},  // this month
      {"13.", dec13},
      {"13. 12. 2009", dec13},
      {"13,12,2009", dec13},
      {"13\t12\t2009", dec13},
      {"13.x", dec13},  // no month: this month and year
      {"5.6", DmyToDay(2009, 6, 5)},
      {"5.6.75", DmyToDay(1975, 6, 5)},
      {"1.1.2079", kNoDate},
      {"31.2", kNoDate},
      {"0", kMon14Dec2009},  // no day: today
      {"00.5.2010", kMon14Dec2009},
      {"123456789012345678901234567890123456789012345678901", kNoDate},  // 51
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseNumericDate(c.text), c.expected) << c.text;
    EXPECT_EQ(ParseDate(c.text, 'C'), c.expected) << c.text;
  }
}

TEST(ParseDate, WordsWithAFixedToday) {
  const DayNumber mon = kMon14Dec2009;
  struct Case {
    DayNumber today;
    const char* utf8;
    char language;
    DayNumber expected;
  } cases[] = {
      {mon, "", 'C', mon},
      {mon, "+", 'C', mon + 1},
      {mon, "-", 'C', mon - 1},
      {mon, "po", 'C', mon},  // a weekday name finds today itself
      {kTue15Dec2009, "po", 'C', kTue15Dec2009 + 6},
      {mon, "S", 'C', mon + 2},  // Středa before Sobota: the nearer one
      {mon, "so", 'C', mon + 5},
      {mon, "Út", 'C', mon + 1},
      {mon, "čtvrtek", 'C', mon + 3},
      {mon, "ned", 'X', mon + 6},
      {mon, "fri", 'E', mon + 4},
      {mon, "Wednesday, 16.12.", 'E', mon + 2},
      {mon, "Sa", 'G', mon + 5},
      {mon, "DIENSTAG", 'G', mon + 1},
      {mon, "št", 'S', mon + 3},
      {mon, "nedeľa", 'S', mon + 6},
      {mon, "po", 'S', mon},
      {mon, "pondelok", 'C', mon},  // Slovak spelling is no Czech prefix
      {mon, " so", 'C', mon + 5},   // the token skips the blanks
      {mon, "xyz", 'C', mon},       // nothing matches: today
      {mon, "Sonntag", 'E', mon},
      {mon, "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxy", 'C', kNoDate},  // 51
  };
  for (const Case& c : cases) {
    FixedClock clock(c.today, 600);
    std::string text = Kernel(c.utf8);
    EXPECT_EQ(ParseDate(text.c_str(), c.language), c.expected) << c.utf8 << " " << c.language;
  }
  FixedClock clock(mon, 600);
  EXPECT_EQ(ParseDate(nullptr, 'C'), mon);
}

TEST(ParseDate, ExportReadsTheCallersModeAndFirst29Characters) {
  FixedClock clock(kMon14Dec2009, 600);
  EXPECT_EQ(QoToday(), kMon14Dec2009);
  // "út" in CP852 (mode 1): ú is 0xA3 there, which Windows-1250 reads as Ł.
  EXPECT_EQ(QoMakeDate("\xA3t", 'C', 1), kMon14Dec2009 + 1);
  EXPECT_EQ(QoMakeDate("\xA3t", 'C', 3), kMon14Dec2009);
  EXPECT_EQ(QoMakeDate("13.12.2009", 'C', 6), 0);
  EXPECT_EQ(QoMakeDate(nullptr, 'C', 3), kMon14Dec2009);
  // Past 29 characters the text is not read, so it is not too long.
  std::string text = std::string("so") + std::string(27, ' ') + std::string(30, 'x');
  EXPECT_EQ(ParseDate(text.c_str(), 'C'), kNoDate);
  EXPECT_EQ(QoMakeDate(text.c_str(), 'C', 3), kMon14Dec2009 + 5);
}

TEST(Clock, SystemClockIsTheLocalDate) {
  ResetClockForTesting();
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  DayNumber today = GetToday();
  // Around midnight the two readings may straddle the change of day.
  DayNumber expected = DmyToDay(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  EXPECT_LE(expected > today ? expected - today : today - expected, 1);
  EXPECT_GE(NowMinuteOfDay(), 0);
  EXPECT_LT(NowMinuteOfDay(), 1440);
}

}  // namespace
}  // namespace qo
