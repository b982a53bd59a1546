#pragma once
// Date and time texts: weekday names, reading dates and times typed by
// people, and printing dates. Texts are Windows-1250.
#include <cstddef>

#include "dates/day_number.h"

namespace qo {

// Weekday name (0 = Sunday) in the language of the letter: 'E' English,
// 'G' German, 'S' Slovak, any other Czech. "" for an index outside 0..6.
const char* GetWeekdayName(char language, int weekday);

// A date as people type it: empty for today, "+" tomorrow, "-" yesterday,
// a weekday name or its beginning for the nearest such day from today on,
// or digits (ParseNumericDate). 0 when the text is too long to be a date.
DayNumber ParseDate(const char* text, char language);
// "13.12.2009", "13/12/09", "13-12", "13122009", "13": missing parts are
// today's. 0 for an invalid date.
DayNumber ParseNumericDate(const char* text);
// "1230", "12:30", "8:5" (8:05), "8" (8:00), "24:00" (1440); -1 otherwise.
MinuteOfDay ParseTime(const char* text);

// Prints `format` with the day, the month, the four-digit year (ints) and
// the weekday name (a text), in this order, into buffer of `size` bytes,
// cut to fit. An empty text for a day that is no date. Returns the length.
int FormatDate(int day_number, char* buffer, size_t size, const char* format, char language);

}  // namespace qo
