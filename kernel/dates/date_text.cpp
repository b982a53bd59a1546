#include "dates/date_text.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/format_text.h"
#include "dates/clock.h"
#include "text/cp1250.h"
#include "text/text_fold.h"
#include "text/text_util.h"

namespace qo {
namespace {

constexpr const char* kDateDelimiters = " .,/-\t";
// Longer texts are not dates; also bounds every token below.
constexpr int kMaxDateText = 50;

enum { kNamesEnglish, kNamesGerman, kNamesSlovak, kNamesCzech, kNameLanguages };

constexpr const char* kWeekdayNamesUtf8[kNameLanguages][7] = {
    {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
    {"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag"},
    {"Nedeľa", "Pondelok", "Utorok", "Streda", "Štvrtok", "Piatok", "Sobota"},
    {"Neděle", "Pondělí", "Úterý", "Středa", "Čtvrtek", "Pátek", "Sobota"},
};

struct WeekdayNames {
  std::string name[kNameLanguages][7];
  std::string upper[kNameLanguages][7];  // for matching typed names
};

const WeekdayNames& Names() {
  static const WeekdayNames names = [] {
    WeekdayNames n;
    for (int l = 0; l < kNameLanguages; ++l) {
      for (int w = 0; w < 7; ++w) {
        n.name[l][w] = Utf8ToCp1250(kWeekdayNamesUtf8[l][w]);
        n.upper[l][w] = n.name[l][w];
        MakeUpperCase(n.upper[l][w].data());
      }
    }
    return n;
  }();
  return names;
}

int NamesOf(char language) {
  switch (language) {
    case 'E':
      return kNamesEnglish;
    case 'G':
      return kNamesGerman;
    case 'S':
      return kNamesSlovak;
    default:
      return kNamesCzech;
  }
}

// The leading decimal number of at most `count` characters; 0 when there is
// no digit. Saturates instead of overflowing on absurdly long digit runs.
int LeadingNumber(const char* text, size_t count) {
  int value = 0;
  for (size_t i = 0; i < count && text[i] >= '0' && text[i] <= '9'; ++i)
    value = value > 100000 ? value : value * 10 + (text[i] - '0');
  return value;
}

DayNumber AddDays(DayNumber day, int delta) { return static_cast<DayNumber>(day + delta); }

}  // namespace

const char* GetWeekdayName(char language, int weekday) {
  if (weekday < 0 || weekday > 6) return "";
  return Names().name[NamesOf(language)][weekday].c_str();
}

DayNumber ParseDate(const char* text, char language) {
  DayNumber today = GetToday();
  if (!text || !*text) return today;
  if (text[0] >= '0' && text[0] <= '9') return ParseNumericDate(text);
  if (GetTrimmedLength(text) > kMaxDateText) return kNoDate;
  if (text[0] == '+') return AddDays(today, 1);
  if (text[0] == '-') return AddDays(today, -1);

  // The trimmed text fits in 50 characters, so its first token does too.
  char token[kMaxDateText + 1] = "";
  GetToken(text, token, sizeof token, 0, kDateDelimiters);
  MakeUpperCase(token);
  size_t length = std::strlen(token);
  const auto& upper = Names().upper[NamesOf(language)];
  for (int i = 0; i < 7; ++i) {
    DayNumber day = AddDays(today, i);
    if (upper[WeekdayOf(day)].compare(0, length, token) == 0) return day;
  }
  return today;
}

DayNumber ParseNumericDate(const char* text) {
  if (!text || GetTrimmedLength(text) > kMaxDateText) return kNoDate;
  int today_day, today_month, today_year;
  DayToDmy(GetToday(), &today_day, &today_month, &today_year);

  // Outer blanks aside the text holds at most 50 characters, and so does
  // every token.
  char tokens[3][kMaxDateText + 1] = {};
  bool has[3];
  for (int i = 0; i < 3; ++i)
    has[i] = GetToken(text, tokens[i], sizeof tokens[i], i, kDateDelimiters);
  size_t first_length = std::strlen(tokens[0]);

  int day = LeadingNumber(tokens[0], 2);
  if (day <= 0) return GetToday();

  int month = 0;
  if (has[1]) {
    month = LeadingNumber(tokens[1], kMaxDateText);
  } else if (first_length >= 3) {
    month = LeadingNumber(tokens[0] + 2, 2);  // digits run together: DDMM...
  }
  int year = 0;
  if (month <= 0) {
    month = today_month;
    year = today_year;
  } else {
    if (has[2]) {
      year = LeadingNumber(tokens[2], kMaxDateText);
    } else if (first_length >= 5) {
      year = LeadingNumber(tokens[0] + 4, kMaxDateText);
    }
    if (year == 0) year = today_year;
  }
  return DmyToDay(year, month, day);
}

MinuteOfDay ParseTime(const char* text) {
  if (!text) return -1;
  constexpr int kMaxDigits = 50;
  char digits[kMaxDigits];
  int count = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') continue;
    // "8:5" means 8:05: a single digit after a separator is the minutes'
    // second digit.
    if (p[1] == '\0' && count > 0 && p > text && (p[-1] == ':' || p[-1] == '.' || p[-1] == ' ') &&
        count < kMaxDigits)
      digits[count++] = '0';
    if (count < kMaxDigits) digits[count++] = *p;
  }
  if (count == 0) return -1;
  int hours = 0, minutes = 0;
  int hour_digits = count > 2 ? count - 2 : count;
  for (int i = 0; i < hour_digits; ++i) hours = hours > 100 ? hours : hours * 10 + digits[i] - '0';
  if (count > 2) minutes = (digits[count - 2] - '0') * 10 + (digits[count - 1] - '0');
  if (hours >= 0 && hours <= 23 && minutes <= 59) return hours * 60 + minutes;
  if (hours == 24 && minutes == 0) return kMinutesPerDay;
  return -1;
}

int FormatDate(int day_number, char* buffer, size_t size, const char* format, char language) {
  if (!buffer || size == 0) return 0;
  buffer[0] = '\0';
  int day, month, year;
  DayToDmy(day_number, &day, &month, &year);
  if (day == 0 || !format) return 0;
  const char* name = GetWeekdayName(language, WeekdayOf(day_number));
  return FormatText(buffer, size, format, day, month, year, name);
}

}  // namespace qo
