#include "shell/program_dates.h"

#include <array>
#include <cstdint>
#include <ctime>

#include "text/letter_rows.h"

namespace vemo {
namespace {

constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2078;

std::tm LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

}  // namespace

int ExpandYear(int year) {
  if (year >= 0 && year < 50) return 2000 + year;
  if (year >= 50 && year < 100) return 1900 + year;
  return year;
}

int DaysInMonth(int month, int year) {
  static constexpr int kLength[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  year = ExpandYear(year);
  if (month == 2 && year % 4 == 0 && year != 1900) return 29;
  return kLength[month - 1];
}

bool IsValidDmy(int day, int month, int year) {
  year = ExpandYear(year);
  return year >= kFirstYear && year <= kLastYear && month >= 1 && month <= 12 && day >= 1 &&
         day <= DaysInMonth(month, year);
}

int DmyToDayNumber(int day, int month, int year) {
  year = ExpandYear(year);
  if (!IsValidDmy(day, month, year)) return kNoDay;
  if (year == kFirstYear && month == 1) return day - 1;
  if (year == kFirstYear && month == 2) return day + 30;
  int a = month <= 2 ? 1 : 0;
  return (a * 1836 + 153 * month - 457) / 5 + day + ((year - a - kFirstYear) * 1461) / 4 + 58;
}

Dmy DayNumberToDmy(int d) {
  if (d < 1 || d > kLastDayNumber) return {};
  // The formula counts from 1 March 1900; January and February 1900 lie
  // before its start and are counted directly, as the kernel does.
  if (d < 31) return {d + 1, 1, kFirstYear};
  if (d < 59) return {d - 30, 2, kFirstYear};
  int b = 4 * d - 233;
  int year = b / 1461;
  int c = static_cast<uint16_t>(((b % 1461) / 4) * 5 + 2);
  int m = c / 153;
  int day = ((c % 153) + 5) / 5;
  int month = m > 9 ? m - 9 : m + 3;
  if (m > 9) ++year;
  return {day, month, kFirstYear + year};
}

int TodayDayNumber() {
  std::tm now = LocalNow();
  return DmyToDayNumber(now.tm_mday, now.tm_mon + 1, now.tm_year + 1900);
}

int MinutesNow() {
  std::tm now = LocalNow();
  return now.tm_hour * 60 + now.tm_min;
}

int DayOfWeek(int day_number) { return (day_number + 1) % 7; }

int ParseTimeText(std::string_view text) {
  // Five digits are enough to know that the text is no time; reading more
  // into an int could wrap round into a valid one.
  constexpr size_t kMaxDigits = 4;
  char digits[kMaxDigits + 2];
  size_t count = 0;
  for (size_t i = 0; i < text.size() && count <= kMaxDigits; ++i) {
    char ch = text[i];
    if (ch < '0' || ch > '9') continue;
    // "8:5" means 8:05: a last single digit after a separator is the tens'
    // place's partner.
    bool last = i + 1 == text.size();
    if (last && i > 0 && count > 0 &&
        (text[i - 1] == ':' || text[i - 1] == '.' || text[i - 1] == ' '))
      digits[count++] = '0';
    if (count <= kMaxDigits) digits[count++] = ch;
  }
  if (count == 0 || count > kMaxDigits) return -1;
  int hours = 0, minutes = 0;
  size_t hour_digits = count > 2 ? count - 2 : count;
  for (size_t i = 0; i < hour_digits; ++i) hours = hours * 10 + (digits[i] - '0');
  for (size_t i = hour_digits; i < count; ++i) minutes = minutes * 10 + (digits[i] - '0');
  if (hours >= 0 && hours <= 23 && minutes >= 0 && minutes <= 59) return hours * 60 + minutes;
  if (hours == 24 && minutes == 0) return 1440;
  return -1;
}

void ConvertCodePage(std::string& text, int from_mode, int to_mode) {
  if (from_mode < 0 || from_mode > 5 || to_mode < 0 || to_mode > 5) return;
  std::array<uint8_t, 256> map;
  for (int i = 0; i < 256; ++i) map[i] = static_cast<uint8_t>(i);
  auto const& from = qo::kLetterRows[from_mode];
  auto const& to = qo::kLetterRows[to_mode];
  // A byte that stands twice in the source row takes its last position.
  for (int i = 0; i < qo::kLetterCount; ++i) map[from[i]] = to[i];
  for (char& ch : text) {
    auto byte = static_cast<uint8_t>(ch);
    if (byte >= 0x80) ch = static_cast<char>(map[byte]);
  }
}

std::string EscapeUrl(std::string_view utf8) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(utf8.size() * 3);
  for (char ch : utf8) {
    auto byte = static_cast<uint8_t>(ch);
    bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                      (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                      byte == '~';
    if (unreserved) {
      out += ch;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

}  // namespace vemo
