#pragma once
// Dates, times and small text conversions the program does itself, without
// a call into the kernel. Day numbers agree with the kernel's for every day:
// day 0 is Monday 1 January 1900, day 65378 is 31 December 2078, and 0 and
// 0xFFFF stand for "no date".
#include <string>
#include <string_view>

namespace vemo {

inline constexpr int kNoDay = 0;
inline constexpr int kLastDayNumber = 65378;

// A year below 50 means 20xx, 50..99 means 19xx.
int ExpandYear(int year);
// 0 for a month outside 1..12; February has 29 days in every fourth year but 1900.
int DaysInMonth(int month, int year);
bool IsValidDmy(int day, int month, int year);
// 0 for an invalid date.
int DmyToDayNumber(int day, int month, int year);

struct Dmy {
  int day = 0, month = 0, year = 0;
  bool operator==(Dmy const&) const = default;
};
// 0, 0, 0 for 0, 0xFFFF and anything outside 1..65378, like the kernel.
Dmy DayNumberToDmy(int day_number);

int TodayDayNumber();
// Hour x 60 + minute of the local clock.
int MinutesNow();
// 0 Sunday, 1 Monday .. 6 Saturday.
int DayOfWeek(int day_number);

// The minute of the day of a time the user typed ("1230", "12:30", "8:5" is
// 8:05, "7" is 7:00, "24:00" is 1440), or -1. Characters other than digits
// are ignored; more than four digits are no time.
int ParseTimeText(std::string_view text);

// Converts 8-bit text in place between two of the kernel's text modes 0..5
// (letters by the kernel's letter rows; bytes below 0x80 never change). Any
// other mode leaves the text unchanged.
void ConvertCodePage(std::string& text, int from_mode, int to_mode);

// A UTF-8 text made safe as a URL query value: every byte but A-Z a-z 0-9
// and - . _ ~ becomes "%" and two upper-case hexadecimal digits.
std::string EscapeUrl(std::string_view utf8);

}  // namespace vemo
