// Date and time exports: day numbers, today, and date and time texts.
#include <cstring>

#include "Qo.h"
#include "api/export_support.h"
#include "core/format_text.h"
#include "dates/clock.h"
#include "dates/date_text.h"
#include "dates/day_number.h"
#include "text/text_convert.h"

using namespace qo;

namespace {

// The caller's buffer has no stated size. What a date or time format prints
// for valid values is short; this bound keeps a runaway format ("%500d")
// from writing without end.
constexpr size_t kMaxFormatted = 256;

// A typed date is read from its first 29 characters.
constexpr size_t kDateInput = 29;

void CopyOut(char* buffer, const char* text) { std::memcpy(buffer, text, std::strlen(text) + 1); }

}  // namespace

extern "C" {

QO_API int QoDMYToDate(int day, int month, int year) {
  return api::Export<int>(0, [&] { return static_cast<int>(DmyToDay(year, month, day)); });
}

QO_API void QoDateToDMY(int day_number, int* day, int* month, int* year) {
  api::Export<int>(0, [&] {
    DayToDmy(day_number, day, month, year);
    return 0;
  });
}

QO_API int QoToday(void) {
  return api::Export<int>(0, [] { return static_cast<int>(GetToday()); });
}

QO_API int QoMakeDate(const char* text, char language, int mode) {
  return api::Export<int>(0, [&] {
    if (mode == TextModeUtf16) return 0;
    char copy[kDateInput + 1] = "";
    if (text) {
      std::strncpy(copy, text, kDateInput);
      copy[kDateInput] = '\0';
    }
    ConvertTextInMode(mode, copy);
    return static_cast<int>(ParseDate(copy, language));
  });
}

QO_API char* QoMakeDateStr(char* buffer, const char* format, int day_number, char language,
                           int mode) {
  return api::Export<char*>(nullptr, [&]() -> char* {
    if (mode == TextModeUtf16 || !buffer) return nullptr;
    char text[kMaxFormatted];
    FormatDate(day_number, text, sizeof text, format, language);
    CopyOut(buffer, text);
    return ConvertTextOutMode(mode, buffer);
  });
}

QO_API int QoMakeTime(const char* text) {
  return api::Export<int>(-1, [&] {
    MinuteOfDay minute = ParseTime(text);
    return minute >= 0 ? minute : NowMinuteOfDay();
  });
}

QO_API char* QoMakeTimeStr(char* buffer, const char* format, int minutes) {
  return api::Export<char*>(nullptr, [&]() -> char* {
    if (!buffer) return nullptr;
    char text[kMaxFormatted] = "";
    if (format && minutes >= 0 && minutes <= kMinutesPerDay)
      FormatText(text, sizeof text, format, minutes / 60, minutes % 60);
    CopyOut(buffer, text);
    return buffer;
  });
}

}  // extern "C"
