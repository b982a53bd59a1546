#pragma once
// How the program writes times, durations, dates, validity and distances.
// Values outside a format's range give an empty text, never a failure.
#include <span>
#include <string>

namespace vemo {

// "h:mm" for 0..1440 (1440 is "24:00"); empty outside.
std::string FormatTimeOfDay(int minutes);
// "45 min", "2 hod", "2 hod 5 min" in the language with index `language`;
// empty for a negative value and for 0 unless show_zero.
std::string FormatDuration(int minutes, bool show_zero, int language);
std::string FormatDayMonthParts(int day, int month);
std::string FormatDayMonth(int day_number);
// The date in the language's order with `text` after it, trimmed.
std::string FormatDmy(int day, int month, int year, std::string const& text, int language);
// day.month.year with a four-digit year and no leading zeros.
std::string FormatDayNumberText(int day_number);
// "platí od %s do %s", or "platí od %s" without a last day; empty without
// a first day.
std::string FormatValidity(int first_day, int last_day, int language);
// "3 km" for whole kilometres, else "3500 m"; empty for 0 or less.
std::string FormatDistance(int metres);
// Kilometres with that many decimals; empty for a negative value.
std::string FormatKilometres(int metres, int decimals);
// The fewest decimals (0..3) that print every distance exactly.
int GetKmDecimals(std::span<const int> metres);
bool HasDistances(std::span<const int> metres);

// Moves a search day by n days, or, for a day kind of 2 (a set of weekdays)
// with use_mask, turns the weekday mask (Monday bit 0) round by n.
void ShiftSearchDay(int* day_number, int day_kind, int* weekday_mask, bool use_mask, int n);

}  // namespace vemo
