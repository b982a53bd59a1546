#include "dates/day_number.h"

namespace qo {
namespace {

// 1900 is a common year; in range every other multiple of 4 is a leap year.
bool IsLeapYear(int year) { return year % 4 == 0 && year != 1900; }

}  // namespace

int GetMonthLength(int year, int month) {
  static constexpr int kLength[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && IsLeapYear(ExpandYear(year))) return 29;
  return kLength[month - 1];
}

bool IsValidDate(int year, int month, int day) {
  year = ExpandYear(year);
  return year >= kFirstYear && year <= kLastYear && day >= 1 && day <= GetMonthLength(year, month);
}

DayNumber DmyToDay(int year, int month, int day) {
  year = ExpandYear(year);
  if (!IsValidDate(year, month, day)) return kNoDate;
  // The formula counts from 1 March 1900, so that the leap day ends a year;
  // the two months before it are counted directly.
  if (year == kFirstYear && month == 1) return static_cast<DayNumber>(day - 1);
  if (year == kFirstYear && month == 2) return static_cast<DayNumber>(day + 30);
  int a = month <= 2 ? 1 : 0;
  int n = (a * 1836 + 153 * month - 457) / 5 + day + ((year - a - kFirstYear) * 1461) / 4 + 58;
  return static_cast<DayNumber>(n);
}

void DayToDmy(int day_number, int* day, int* month, int* year) {
  int d = 0, m = 0, y = 0;
  if (day_number >= 1 && day_number <= kLastDay) {
    if (day_number < 31) {
      d = day_number + 1, m = 1, y = kFirstYear;
    } else if (day_number < 59) {
      d = day_number - 30, m = 2, y = kFirstYear;
    } else {
      int b = 4 * day_number - 233;
      y = kFirstYear + b / 1461;
      int c = ((b % 1461) / 4) * 5 + 2;
      m = c / 153;
      d = ((c % 153) + 5) / 5;
      if (m <= 9) {
        m += 3;
      } else {
        m -= 9;
        ++y;
      }
    }
  }
  if (day) *day = d;
  if (month) *month = m;
  if (year) *year = y;
}

void DayToDmyTriple(int day_number, DateTriple* triple) {
  if (triple) DayToDmy(day_number, &triple->day, &triple->month, &triple->year);
}

}  // namespace qo
