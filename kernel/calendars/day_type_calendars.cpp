#include "calendars/day_type_calendars.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "calendars/day_type_state.h"
#include "dates/clock.h"
#include "load/loaded_set.h"

namespace qo {
namespace {

// Monday 0 .. Sunday 6.
int MondayBasedWeekday(int64_t day) { return static_cast<int>(day % 7); }

int64_t ValidityDays(TimetableRecord const& t) {
  return t.LastDay >= t.FirstDay ? int64_t{t.LastDay} - t.FirstDay + 1 : 0;
}

// The calendar's set of day `index` (from the first day of validity), or
// null outside the calendar.
uint8_t const* CalendarDay(TimetableRecord const& t, int64_t index) {
  if (index < 0 || index >= static_cast<int64_t>(t.RunningDayCalendar.size())) return nullptr;
  RecordArray const& set = t.RunningDayCalendar[static_cast<size_t>(index)];
  return set.empty() ? nullptr : set.At(0);
}

// Counts, per class, on how many of a run of calendar days the class runs,
// and turns the counts into a typical set.
class ClassCounter {
 public:
  explicit ClassCounter(int32_t setBytes)
      : setBytes_(setBytes), runs_(static_cast<size_t>(setBytes) * 8, 0) {}

  void Reset() {
    std::fill(runs_.begin(), runs_.end(), 0);
    days_ = 0;
  }
  // A day outside the calendar is not counted.
  void Count(uint8_t const* set) {
    if (!set) return;
    ++days_;
    for (int32_t b = 0; b < setBytes_; ++b) {
      for (uint8_t bits = set[b]; bits; bits &= static_cast<uint8_t>(bits - 1))
        ++runs_[static_cast<size_t>(b) * 8 + static_cast<size_t>(__builtin_ctz(bits))];
    }
  }
  // A class is typical when it misses at most `tolerance` of the days
  // counted and runs on more of them than it misses.
  void Store(int32_t tolerance, uint8_t* out) const {
    std::memset(out, 0, static_cast<size_t>(setBytes_));
    for (size_t c = 0; c < runs_.size(); ++c) {
      const int32_t runs = runs_[c];
      const int32_t misses = days_ - runs;
      if (misses <= tolerance && runs > misses) out[c / 8] |= static_cast<uint8_t>(1u << (c % 8));
    }
  }

 private:
  int32_t setBytes_;
  std::vector<int32_t> runs_;
  int32_t days_ = 0;
};

bool HasStoredTypicalSets(TimetableRecord const& t) {
  return std::any_of(t.StoredDayTypeWindows.begin(), t.StoredDayTypeWindows.end(),
                     [](RecordArray const& set) { return !set.empty(); });
}

// The typical sets over the coming month: today (the first day of validity
// when that is later) to today + 30, no later than the last day of validity.
void BuildTypicalSets(TimetableRecord& t) {
  const int32_t setBytes = CalendarSetBytes(t);
  std::vector<uint8_t>& sets = DayTypesOf(t).TypicalSets;
  sets.assign(static_cast<size_t>(kTypicalSetCount) * setBytes, 0);
  t.StoredWindowsBuilt = 1;
  const int64_t today = GetToday();
  DayTypesOf(t).TypicalToday = static_cast<int32_t>(today);
  if (setBytes == 0) return;

  const int64_t first = std::max<int64_t>(today, t.FirstDay);
  const int64_t last = std::min<int64_t>(today + 30, t.LastDay);
  if (first > last) return;
  const int32_t tolerance = static_cast<int32_t>((last - first + 1) * 25 / 700);
  auto setAt = [&](int kind, int window) {
    return sets.data() + (static_cast<size_t>(kind) * kDayTypeWindowCount + window) * setBytes;
  };

  ClassCounter counter(setBytes);
  // A typical week: per weekday the classes that run on that weekday; the
  // windows of a week that starts on weekday w are those weekdays in turn.
  std::array<std::vector<uint8_t>, 7> weekdays;
  for (int w = 0; w < 7; ++w) {
    counter.Reset();
    for (int64_t day = first; day <= last; ++day)
      if (MondayBasedWeekday(day) == w) counter.Count(CalendarDay(t, day - t.FirstDay));
    weekdays[w].resize(static_cast<size_t>(setBytes));
    counter.Store(tolerance, weekdays[w].data());
  }
  for (int w = 0; w < 7; ++w) {
    for (int window = 0; window < kDayTypeWindowCount; ++window) {
      int const weekday = ((w + window - kDayTypeWindowCentre) % 7 + 7) % 7;
      std::memcpy(setAt(kTypicalMonday + w, window), weekdays[weekday].data(),
                  static_cast<size_t>(setBytes));
    }
  }

  // Working days and Sundays or holidays: window k tests each such day of
  // the month k - 12 days later.
  for (int window = 0; window < kDayTypeWindowCount; ++window) {
    int const offset = window - kDayTypeWindowCentre;
    for (int kind : {kTypicalWorkingDay, kTypicalSundayOrHoliday}) {
      counter.Reset();
      for (int64_t day = first; day <= last; ++day) {
        bool const holiday = IsSundayOrHoliday(t, static_cast<int32_t>(day));
        bool const working = IsWorkingDay(t, static_cast<int32_t>(day));
        if (kind == kTypicalWorkingDay ? working : holiday)
          counter.Count(CalendarDay(t, day + offset - t.FirstDay));
      }
      counter.Store(tolerance, setAt(kind, window));
    }
  }
}

}  // namespace

bool IsValidDayType(int dayType, int weekdayMask) {
  switch (dayType) {
    case DayTypeWorkingDay:
    case DayTypeSundayOrHoliday:
    case DayTypeFromToday:
    case DayTypeEveryDay:
      return true;
    case DayTypeWeekdays:
      return (weekdayMask & 0x7F) != 0;
    default:
      return false;
  }
}

DaysOffTable EnsureDaysOffTable(TimetableRecord& t) {
  if (!t.Holidays.empty()) {
    return {t.Holidays.handle(), t.Holidays.size()};
  }
  std::vector<uint8_t>& built = DayTypesOf(t).BuiltDaysOff;
  if (!t.HolidaysBuilt) {
    const int64_t days = ValidityDays(t);
    built.assign(static_cast<size_t>(days), 0);
    for (int64_t i = 0; i < days; ++i)
      if (WeekdayOf(static_cast<int>(t.FirstDay + i)) == 0) built[static_cast<size_t>(i)] = 1;
    t.HolidaysBuilt = 1;
  }
  return {built.data(), static_cast<int32_t>(built.size())};
}

bool IsWorkingDay(TimetableRecord& t, int32_t day) {
  int const weekday = WeekdayOf(day);
  return weekday >= 1 && weekday <= 5 && !EnsureDaysOffTable(t).Marked(int64_t{day} - t.FirstDay);
}

bool IsSundayOrHoliday(TimetableRecord& t, int32_t day) {
  return WeekdayOf(day) == 0 || EnsureDaysOffTable(t).Marked(int64_t{day} - t.FirstDay);
}

uint8_t const* TypicalSet(TimetableRecord& t, int kind, int window) {
  const size_t index = static_cast<size_t>(kind) * kDayTypeWindowCount + window;
  if (HasStoredTypicalSets(t)) {
    // The load checked that a stored set has the calendar's size.
    RecordArray const& set = t.StoredDayTypeWindows[index];
    return set.empty() ? nullptr : set.At(0);
  }
  if (!t.StoredWindowsBuilt || DayTypesOf(t).TypicalToday != GetToday()) BuildTypicalSets(t);
  return DayTypesOf(t).TypicalSets.data() + index * CalendarSetBytes(t);
}

void PrepareDayTypeCalendars(TimetableRecord& t, int dayType, int weekdayMask) {
  SearchFilter& filter = DayTypesOf(t).Filter;
  filter.DayTypeMode = true;
  // Always from the middle: a date search in between moved the offset.
  filter.DayOffset = kDayTypeWindowCentre;
  int const mask = dayType == DayTypeWeekdays ? weekdayMask & 0x7F : 0;
  const int32_t today = static_cast<int32_t>(GetToday());
  if (t.DayWindowMode == dayType && DayTypesOf(t).WindowMask == mask &&
      DayTypesOf(t).WindowToday == today)
    return;
  t.DayWindowMode = dayType;
  DayTypesOf(t).WindowMask = mask;
  DayTypesOf(t).WindowToday = today;

  const int32_t setBytes = CalendarSetBytes(t);
  for (int window = 0; window < kDayTypeWindowCount; ++window) {
    std::vector<uint8_t>& out = filter.DayTypeWindows[static_cast<size_t>(window)];
    out.assign(static_cast<size_t>(setBytes), 0);
    if (setBytes == 0) continue;
    switch (dayType) {
      case DayTypeWorkingDay:
      case DayTypeSundayOrHoliday: {
        int const kind =
            dayType == DayTypeWorkingDay ? kTypicalWorkingDay : kTypicalSundayOrHoliday;
        if (uint8_t const* set = TypicalSet(t, kind, window))
          std::memcpy(out.data(), set, static_cast<size_t>(setBytes));
        break;
      }
      case DayTypeWeekdays:
        // A class that runs on each of the weekdays asked for.
        std::fill(out.begin(), out.end(), 0xFF);
        for (int w = 0; w < 7; ++w) {
          if (!(mask & (1 << w))) continue;
          uint8_t const* set = TypicalSet(t, kTypicalMonday + w, window);
          for (int32_t b = 0; b < setBytes; ++b) out[static_cast<size_t>(b)] &= set ? set[b] : 0;
        }
        break;
      case DayTypeFromToday: {
        // The same for every window: a class that runs on some day left.
        if (window > 0) {
          out = filter.DayTypeWindows[0];
          break;
        }
        const int64_t from = std::max<int64_t>(GetToday(), t.FirstDay) - t.FirstDay;
        for (int64_t day = from; day <= int64_t{t.LastDay} - t.FirstDay; ++day) {
          uint8_t const* set = CalendarDay(t, day);
          if (!set) continue;
          for (int32_t b = 0; b < setBytes; ++b) out[static_cast<size_t>(b)] |= set[b];
        }
        break;
      }
      case DayTypeEveryDay:
        std::fill(out.begin(), out.end(), 0xFF);
        break;
      default:
        break;
    }
  }
}

void PrepareDayTypeCalendarsForAll(int dayType, int weekdayMask) {
  for (TimetableRecord* t : LoadedSet()) PrepareDayTypeCalendars(*t, dayType, weekdayMask);
}

}  // namespace qo
