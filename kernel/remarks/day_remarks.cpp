#include "remarks/day_remarks.h"

#include <cstdio>

#include "trains/running_day.h"
#include "trains/train_info.h"

namespace qo {
namespace {

int32_t ClassOf(TimetableRecord const& t, uint32_t train) {
  return t.CalendarClass.empty() ? -1 : t.CalendarClass[static_cast<int32_t>(train)];
}

bool HasLists(TimetableRecord const& t) { return !t.DayRemarkOffsets.empty(); }

int32_t ListLength(TimetableRecord const& t, int32_t calendarClass) {
  if (!HasLists(t) || calendarClass < 0 || calendarClass + 1 >= t.DayRemarkOffsets.size()) return 0;
  return t.DayRemarkOffsets[calendarClass + 1] - t.DayRemarkOffsets[calendarClass];
}

bool RunsEveryDay(TimetableRecord const& t, int32_t calendarClass) {
  for (RecordArray const& set : t.RunningDayCalendar)
    if (!ClassRunsIn(set.At(0), set.bytes(), calendarClass)) return false;
  return true;
}

// Without lists a stored pool holds one text per class.
std::string_view ClassText(TimetableRecord const& t, int language, int32_t calendarClass) {
  StringPool const* pool = PoolOfLanguage(t.DayRemarkPools, language);
  return pool ? PoolString(*pool, calendarClass) : std::string_view();
}

void AppendDayOffset(int dayOffset, std::string& text) {
  if (dayOffset == 0 || text.empty()) return;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, " (%+d)", dayOffset);
  text += suffix;
}

}  // namespace

bool HasStoredDayRemarks(TimetableRecord const& t) {
  return !t.DayRemarkPools.empty() && GetPoolCount(t.DayRemarkPools[0]) > 0;
}

int32_t DayRemarkCount(TimetableRecord& t, uint32_t train) {
  int32_t calendarClass = ClassOf(t, train);
  if (calendarClass < 0) return 0;
  if (int32_t n = ListLength(t, calendarClass)) return n;
  if (!HasLists(t) && !ClassText(t, 0, calendarClass).empty()) return 1;
  if (RunsEveryDay(t, calendarClass)) return 0;
  std::string text;
  char letter = t.LanguageLetters.empty() ? 'C' : t.LanguageLetters[0];
  GenerateTrainDayRemark(t, train, letter, calendarClass, 0, text);
  return text.empty() ? 0 : 1;
}

void GetDayRemark(TimetableRecord& t, int language, char letter, uint32_t train, int32_t i,
                  int dayOffset, bool force, std::string& out) {
  out.clear();
  int32_t calendarClass = ClassOf(t, train);
  if (calendarClass < 0) return;
  if (!force) {
    if (int32_t n = ListLength(t, calendarClass)) {
      if (i < 0 || i >= n) return;
      int32_t text = t.DayRemarkTextIndexes[t.DayRemarkOffsets[calendarClass] + i];
      out.assign(TextOfLanguage(t.DayRemarkPools, language, text));
      AppendDayOffset(dayOffset, out);
      return;
    }
    if (!HasLists(t)) {
      out.assign(ClassText(t, language, calendarClass));
      if (!out.empty()) {
        AppendDayOffset(dayOffset, out);
        return;
      }
    }
  }
  GenerateTrainDayRemark(t, train, letter, calendarClass, dayOffset, out);
}

}  // namespace qo
