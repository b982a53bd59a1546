#include <gtest/gtest.h>

#include <ctime>

#include "Qo.h"
#include "dates/day_number.h"

namespace qo {
namespace {

// Days since 1 January 1900 and the weekday of a date, from the C library's
// own calendar: an account of the calendar that shares no code with ours.
struct CalendarFact {
  long days;
  int weekday;
};

CalendarFact FactOf(int year, int month, int day) {
  std::tm date{};
  date.tm_year = year - 1900;
  date.tm_mon = month - 1;
  date.tm_mday = day;
  date.tm_hour = 12;
  std::time_t t = timegm(&date);
  std::tm origin{};
  origin.tm_mday = 1;
  origin.tm_hour = 12;
  std::time_t t0 = timegm(&origin);
  std::tm back{};
  gmtime_r(&t, &back);
  return {static_cast<long>((t - t0) / 86400), back.tm_wday};
}

TEST(DayNumber, EdgesOfTheCalendar) {
  struct Case {
    int day, month, year;
    int expected;
  } cases[] = {
      {1, 1, 1900, 0},  // the first day cannot be told from "no date"
      {2, 1, 1900, 1},
      {28, 2, 1900, 58},
      {29, 2, 1900, 0},  // 1900 is a common year
      {1, 3, 1900, 59},
      {31, 12, 2078, 65378},
      {1, 1, 2079, 0},
      {31, 12, 1899, 0},
      {29, 2, 2009, 0},
      {29, 2, 2000, static_cast<int>(FactOf(2000, 2, 29).days)},
      {29, 2, 2076, static_cast<int>(FactOf(2076, 2, 29).days)},
      {13, 12, 2009, 40158},
      {31, 4, 2010, 0},
      {0, 5, 2010, 0},
      {1, 0, 2010, 0},
      {1, 13, 2010, 0},
      // Two-digit years: below 50 in this century, 50..99 in the last one.
      {5, 6, 9, static_cast<int>(FactOf(2009, 6, 5).days)},
      {5, 6, 75, static_cast<int>(FactOf(1975, 6, 5).days)},
      {1, 1, 0, static_cast<int>(FactOf(2000, 1, 1).days)},
      {31, 12, 49, static_cast<int>(FactOf(2049, 12, 31).days)},
      {1, 1, 50, static_cast<int>(FactOf(1950, 1, 1).days)},
      {29, 2, 0, static_cast<int>(FactOf(2000, 2, 29).days)},
      {1, 1, 100, 0},
      {1, 1, -1, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(QoDMYToDate(c.day, c.month, c.year), c.expected)
        << c.day << "." << c.month << "." << c.year;
}

TEST(DayNumber, NoDateGivesZeros) {
  for (int n : {0, 0xFFFF, 65379, 65534, -1, 70000}) {
    int d = -1, m = -1, y = -1;
    QoDateToDMY(n, &d, &m, &y);
    EXPECT_EQ(d, 0) << n;
    EXPECT_EQ(m, 0) << n;
    EXPECT_EQ(y, 0) << n;
  }
  int d, m, y;
  QoDateToDMY(59, &d, &m, &y);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(m, 3);
  EXPECT_EQ(y, 1900);
  QoDateToDMY(59, nullptr, &m, nullptr);  // the caller may skip any part
  EXPECT_EQ(m, 3);
}

// Every day of the calendar: the date agrees with the C library's calendar,
// comes back to the same number, and falls on the right weekday.
TEST(DayNumber, EveryDayRoundTripsAndAgreesWithTheCLibrary) {
  for (int n = 1; n <= kLastDay; ++n) {
    DateTriple date;
    DayToDmyTriple(n, &date);
    ASSERT_EQ(DmyToDay(date.year, date.month, date.day), n);
    CalendarFact fact = FactOf(date.year, date.month, date.day);
    ASSERT_EQ(fact.days, n) << date.day << "." << date.month << "." << date.year;
    ASSERT_EQ(WeekdayOf(n), fact.weekday) << n;
  }
  EXPECT_EQ(WeekdayOf(0), 1);  // 1 January 1900 was a Monday
}

TEST(DayNumber, MonthLengths) {
  EXPECT_EQ(GetMonthLength(1900, 2), 28);
  EXPECT_EQ(GetMonthLength(2000, 2), 29);
  EXPECT_EQ(GetMonthLength(8, 2), 29);  // two-digit year 2008
  EXPECT_EQ(GetMonthLength(2009, 2), 28);
  EXPECT_EQ(GetMonthLength(2009, 4), 30);
  EXPECT_EQ(GetMonthLength(2009, 12), 31);
  EXPECT_EQ(GetMonthLength(2009, 0), 0);
  EXPECT_EQ(GetMonthLength(2009, 13), 0);
}

}  // namespace
}  // namespace qo
