// Running-days remark exports: the text of a day set, its options and the
// markers that frame its symbols.
#include <cstdint>
#include <string>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "calendars/day_type_calendars.h"
#include "core/counted_array.h"
#include "dayremarks/day_remark_text.h"
#include "format/stored_bits.h"

using namespace qo;

namespace {

// What the exports hand out holds at most this many bytes with the
// terminator; a longer remark ends at the last whole word that fits.
constexpr size_t kRemarkBytes = 6000;

void CutAtWord(std::string& text) {
  if (text.size() < kRemarkBytes) return;
  size_t cut = text.rfind(' ', kRemarkBytes - 1);
  text.resize(cut == std::string::npos ? kRemarkBytes - 1 : cut);
  while (!text.empty() && (text.back() == ',' || text.back() == ' ')) text.pop_back();
}

const char* Hand(std::string& text, std::vector<char>& buffer) {
  CutAtWord(text);
  return api::ConvertOut(text, buffer);
}

}  // namespace

extern "C" {

QO_API const char* QoGetDateRemTxt(int first_day, const unsigned char* days, char language,
                                   int day_offset) {
  return api::Export<const char*>(nullptr, [&]() -> const char* {
    static std::vector<char> buffer;
    static std::string text;
    int32_t n = days ? GetArrayCount(days) : 0;
    MakeDayRemarkText(first_day, days, n, language, day_offset, DayRemarkContext{}, text);
    return Hand(text, buffer);
  });
}

QO_API const char* QoGetDateRemTxtExt(int timetable, int first_day, const unsigned char* days,
                                      char language, int day_offset) {
  return api::GuardedExport<const char*>(nullptr, [&]() -> const char* {
    static std::vector<char> buffer;
    static std::string text;
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return nullptr;
    int32_t n = days ? GetArrayCount(days) : 0;
    if (first_day < static_cast<int64_t>(t->FirstDay) ||
        int64_t{first_day} + n - 1 > static_cast<int64_t>(t->LastDay)) {
      SetKernelError(ErrParameters);
      return nullptr;
    }
    DayRemarkContext context;
    context.air = t->Kind == kKindAir;
    if (GetDayRemarkOptions().specialDays != 1) {
      DaysOffTable table = EnsureDaysOffTable(*t);
      int64_t at = int64_t{first_day} - t->FirstDay + day_offset;
      if (table.count > 0 && at >= 0 && at < table.count) {
        context.daysOff = table.days + at;
        context.daysOffCount = static_cast<int32_t>(table.count - at);
      }
    }
    MakeDayRemarkText(first_day, days, n, language, day_offset, context, text);
    return Hand(text, buffer);
  });
}

QO_API void QoDateRemMarks(int flag) {
  api::Export<int>(0, [&] {
    if (flag)
      SetDayRemarkMarkers("{", "}", "{", "}");
    else
      SetDayRemarkMarkers(nullptr, nullptr, nullptr, nullptr);
    return 0;
  });
}

QO_API void QoFCMarks(const char* open1, const char* close1, const char* open2,
                      const char* close2) {
  api::Export<int>(0, [&] {
    SetDayRemarkMarkers(open1, close1, open2, close2);
    return 0;
  });
}

QO_API void QoGetDateRemOptions(int* from_base_day, int* limit, int* max_days) {
  const DayRemarkOptions& o = GetDayRemarkOptions();
  if (from_base_day) *from_base_day = o.fromBaseDay;
  if (limit) *limit = o.limit;
  if (max_days) *max_days = o.dayLimit;
}

QO_API int QoSetDateRemOptions(int from_base_day, int limit, int max_days) {
  DayRemarkOptions& o = GetDayRemarkOptions();
  o.fromBaseDay = from_base_day != 0;
  o.limit = limit != 0;
  if (max_days >= 1 && max_days <= 999) o.dayLimit = max_days;
  ForgetDayRemarkTexts();
  return max_days;
}

QO_API int QoSetBaseDate(int day) {
  GetDayRemarkOptions().baseDay = day > 0 ? day : 0;
  ForgetDayRemarkTexts();
  return day;
}

QO_API int QoSetSpecDayOptions(int option) {
  DayRemarkOptions& o = GetDayRemarkOptions();
  if (option >= 0 && option <= 2) o.specialDays = option;
  ForgetDayRemarkTexts();
  return o.specialDays;
}

}  // extern "C"
