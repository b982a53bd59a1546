#include "shell/text_formats.h"

#include <cstdio>

#include "shell/program_dates.h"
#include "shell/string_table.h"

namespace vemo {
namespace {

std::string Trim(std::string text) {
  size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return {};
  size_t end = text.find_last_not_of(' ');
  return text.substr(start, end - start + 1);
}

}  // namespace

std::string FormatTimeOfDay(int minutes) {
  if (minutes < 0 || minutes > 1440) return {};
  return FormatResString(501, {minutes / 60, minutes % 60});
}

std::string FormatDuration(int minutes, bool show_zero, int language) {
  if (minutes < 0 || (minutes == 0 && !show_zero)) return {};
  int h = minutes / 60, m = minutes % 60;
  int block = 100 * language;
  if (h == 0) return FormatResString(511 + block, {m});
  if (m == 0) return FormatResString(512 + block, {h});
  return FormatResString(513 + block, {h, m});
}

std::string FormatDayMonthParts(int day, int month) {
  return FormatInserts(LoadResString(503), {day, month});
}

std::string FormatDayMonth(int day_number) {
  Dmy date = DayNumberToDmy(day_number);
  return FormatDayMonthParts(date.day, date.month);
}

std::string FormatDmy(int day, int month, int year, std::string const& text, int language) {
  return Trim(FormatInserts(LoadResString(509 + 100 * language), {day, month, year, text}));
}

std::string FormatDayNumberText(int day_number) {
  Dmy date = DayNumberToDmy(day_number);
  return FormatDmy(date.day, date.month, date.year, {}, 0);
}

std::string FormatValidity(int first_day, int last_day, int language) {
  if (first_day <= 0) return {};
  int block = 100 * language;
  if (last_day > 0)
    return FormatResString(528 + block,
                           {FormatDayNumberText(first_day), FormatDayNumberText(last_day)});
  return FormatResString(527 + block, {FormatDayNumberText(first_day)});
}

std::string FormatDistance(int metres) {
  if (metres <= 0) return {};
  if (metres % 1000 == 0) return FormatResString(185, {metres / 1000});
  return FormatResString(186, {metres});
}

std::string FormatKilometres(int metres, int decimals) {
  if (metres < 0) return {};
  if (decimals <= 0) return std::to_string(metres / 1000);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals > 9 ? 9 : decimals, metres / 1000.0);
  return buffer;
}

int GetKmDecimals(std::span<const int> metres) {
  auto all_multiples = [&](int step) {
    for (int value : metres)
      if (value % step != 0) return false;
    return true;
  };
  if (all_multiples(1000)) return 0;
  if (all_multiples(100)) return 1;
  if (all_multiples(10)) return 2;
  return 3;
}

bool HasDistances(std::span<const int> metres) {
  for (int value : metres)
    if (value > 0) return true;
  return false;
}

void ShiftSearchDay(int* day_number, int day_kind, int* weekday_mask, bool use_mask, int n) {
  if (!use_mask) {
    *day_number += n;
    return;
  }
  if (day_kind != 2) return;
  int shifted = 0;
  for (int bit = 0; bit < 7; ++bit)
    if (*weekday_mask & (1 << bit)) shifted |= 1 << (((bit + n) % 7 + 7) % 7);
  *weekday_mask = (*weekday_mask & ~0x7F) | shifted;
}

}  // namespace vemo
