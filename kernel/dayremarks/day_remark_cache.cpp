// The options, and the train remarks of the loaded timetables. Lists show a
// remark on every row and many trains share a calendar class, so a text is
// made once per (timetable, class, period start, offset, language) and kept
// until an option, the markers or the loaded set change.
#include <algorithm>
#include <unordered_map>

#include "calendars/train_calendar.h"
#include "dates/clock.h"
#include "dayremarks/day_remark_text.h"
#include "frame/message_tables.h"
#include "load/loaded_set.h"
#include "calendars/day_type_calendars.h"
#include "format/stored_bits.h"

namespace qo {
namespace {

struct Key {
  const TimetableRecord* timetable;
  int32_t calendarClass;
  int32_t start;
  int32_t end;
  int32_t dayOffset;
  int32_t language;
  bool daysOff;
  bool operator==(const Key&) const = default;
};

struct KeyHash {
  size_t operator()(const Key& k) const {
    size_t h = std::hash<const void*>()(k.timetable);
    for (int64_t v : {int64_t{k.calendarClass}, int64_t{k.start}, int64_t{k.end},
                      int64_t{k.dayOffset}, int64_t{k.language}, int64_t{k.daysOff}})
      h = h * 1000003u ^ std::hash<int64_t>()(v);
    return h;
  }
};

struct Cache {
  std::unordered_map<Key, std::string, KeyHash> texts;
  uint32_t generation = 0;
  std::vector<uint8_t> days;  // reused for every text made
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

}  // namespace

DayRemarkOptions& GetDayRemarkOptions() {
  static DayRemarkOptions options;
  return options;
}

void ForgetDayRemarkTexts() { TheCache().texts.clear(); }

void TrainDayRemarkText(TimetableRecord& t, uint32_t train, char letter, int32_t calendarClass,
                        int dayOffset, std::string& out) {
  out.clear();
  const DayRemarkOptions& o = GetDayRemarkOptions();
  int64_t start = o.baseDay > 0 ? o.baseDay : GetToday();
  int64_t end = t.LastDay;
  if (o.limit) end = std::min<int64_t>(end, start + o.dayLimit - 1);
  if (!o.fromBaseDay || start < t.FirstDay) start = t.FirstDay;
  if (end < start) return;

  const bool useDaysOff = o.specialDays == 2 ||
                          (o.specialDays == 0 &&
                           (t.TrainTypeWords.empty() ||
                            !(t.TrainTypeWords[static_cast<int32_t>(train)] & kNoDaysOffHandling)));

  Cache& cache = TheCache();
  const uint32_t generation = LoadedSetIndex().DataGeneration;
  if (cache.generation != generation) {
    cache.texts.clear();
    cache.generation = generation;
  }
  Key key{&t,
          calendarClass,
          static_cast<int32_t>(start),
          static_cast<int32_t>(end),
          dayOffset,
          static_cast<int32_t>(LanguageOfLetter(letter)),
          useDaysOff};
  if (auto it = cache.texts.find(key); it != cache.texts.end()) {
    SelectLanguage(letter);
    out = it->second;
    return;
  }

  const int32_t n = static_cast<int32_t>(end - start + 1);
  std::vector<uint8_t>& days = cache.days;
  days.assign(static_cast<size_t>(n), 0);
  bool every = true;
  for (int32_t p = 0; p < n; ++p) {
    bool runs = ClassRunsOnCalendarDay(t, calendarClass, start - t.FirstDay + p);
    days[static_cast<size_t>(p)] = runs;
    every = every && runs;
  }
  if (!every) {
    DayRemarkContext context;
    context.air = t.Kind == kKindAir;
    if (useDaysOff) {
      DaysOffTable table = EnsureDaysOffTable(t);
      int64_t at = start - t.FirstDay + dayOffset;
      if (table.count > 0 && at >= 0 && at < table.count) {
        context.daysOff = table.days + at;
        context.daysOffCount = static_cast<int32_t>(table.count - at);
      }
    }
    MakeDayRemarkText(static_cast<int32_t>(start), days.data(), n, letter, dayOffset, context, out);
  }
  cache.texts.emplace(key, out);
}

}  // namespace qo
