#pragma once
// Day numbers and minutes of the day, the kernel's only date and time
// representations. Day 0 is Monday 1 January 1900; 0 and 0xFFFF both mean
// "no date", so the first usable day is 2 January 1900 and the last is
// 31 December 2078 (65378).
#include <cstdint>

namespace qo {

using DayNumber = uint16_t;
using MinuteOfDay = int;  // 0..1439; time texts also give 1440 for 24:00

inline constexpr DayNumber kNoDate = 0;
inline constexpr DayNumber kNoDateAlt = 0xFFFF;
inline constexpr DayNumber kLastDay = 65378;
inline constexpr int kFirstYear = 1900;
inline constexpr int kLastYear = 2078;
inline constexpr MinuteOfDay kMinutesPerDay = 1440;

// The date triple of the information records.
struct DateTriple {
  int day, month, year;
};

// Two-digit years: below 50 are 20xx, 50..99 are 19xx; others unchanged.
constexpr int ExpandYear(int year) {
  return year >= 0 && year < 50 ? 2000 + year : year >= 50 && year < 100 ? 1900 + year : year;
}

// 0 = Sunday .. 6 = Saturday.
constexpr int WeekdayOf(int day) { return (day + 1) % 7; }

// Days in the month (two-digit years expanded); 0 outside 1..12.
int GetMonthLength(int year, int month);
bool IsValidDate(int year, int month, int day);
// The day number of a date; 0 for an invalid one.
DayNumber DmyToDay(int year, int month, int day);
// The date of a day number; all three 0 for a day outside 1..65378 (0 and
// 0xFFFF are "no date"; the others lie beyond the calendar the kernel has).
void DayToDmy(int day_number, int* day, int* month, int* year);
void DayToDmyTriple(int day_number, DateTriple* triple);

}  // namespace qo
