#include "lines/line_validity.h"

#include <algorithm>

#include "calendars/train_calendar.h"
#include "dates/day_number.h"
#include "frame/error_codes.h"

namespace qo {

void ValidityTrace::Add(int32_t first, int32_t last) {
  if (firstDays.size() < 7 &&
      std::find(firstDays.begin(), firstDays.end(), first) == firstDays.end())
    firstDays.push_back(first);
  if (last != 0 && (lastDay == 0 || last < lastDay)) lastDay = last;
}

ValidityRecord ReadValidityRecord(TimetableRecord const& t, int32_t index) {
  RecordArray const& r = t.LineValidity;
  return {r.Field<int32_t>(index, 0), r.Field<int32_t>(index, 4), r.Field<int32_t>(index, 8),
          r.Field<int32_t>(index, 12), r.Field<uint8_t>(index, 16)};
}

ValidityList TrainValidityList(TimetableRecord const& t, uint32_t train) {
  if (!HasLineValidity(t) || static_cast<int32_t>(train) + 1 >= t.LineValidityOffsets.size())
    return {};
  return {t.LineValidityOffsets[static_cast<int32_t>(train)],
          t.LineValidityOffsets[static_cast<int32_t>(train) + 1]};
}

namespace {

bool KindOf(ValidityRecord const& r) { return (r.weekdays & kValidityKindBit) != 0; }

bool HoldsOn(ValidityRecord const& r, int32_t day) {
  return day >= r.firstDay && (r.lastDay == 0 || day <= r.lastDay);
}

// True when the class runs on some calendar day from `from` (a day number)
// to the end of validity.
bool RunsFrom(TimetableRecord const& t, uint32_t train, int32_t from) {
  const int32_t cls = TrainCalendarClass(t, train);
  const int64_t first = std::max<int64_t>(0, int64_t{from} - t.FirstDay);
  for (int64_t d = first; d < static_cast<int64_t>(t.RunningDayCalendar.size()); ++d)
    if (ClassRunsOnCalendarDay(t, cls, d)) return true;
  return false;
}

}  // namespace

bool ValidityRecordHolds(TimetableRecord const& t, int32_t index, int32_t day, int weekdayBit,
                         bool kindTest, bool kind, ValidityTrace* trace) {
  const ValidityRecord r = ReadValidityRecord(t, index);
  if (!HoldsOn(r, day) || !(r.weekdays >> weekdayBit & 1)) return false;
  if (kindTest && KindOf(r) != kind) return false;
  for (int32_t i = index + 1; i < t.LineValidity.size(); ++i) {
    const ValidityRecord next = ReadValidityRecord(t, i);
    if (next.key != r.key || next.firstDay > day) break;
    if ((next.lastDay == 0 || next.lastDay >= day) && (next.weekdays >> weekdayBit & 1) &&
        KindOf(next) == KindOf(r))
      return false;
  }
  if (trace) trace->Add(r.firstDay, r.lastDay);
  return true;
}

bool TripValidByRecords(TimetableRecord const& t, uint32_t train, int32_t day, int weekdayBit,
                        bool kindTest, bool kind, ValidityTrace* trace) {
  const ValidityList list = TrainValidityList(t, train);
  for (int32_t i = list.begin; i < list.end; ++i)
    if (ValidityRecordHolds(t, t.LineValidityIndexes[i], day, weekdayBit, kindTest, kind, trace))
      return true;
  return false;
}

DayRange DayRangeOf(TimetableRecord const& t, LineSettings const& settings, int32_t date,
                    bool week) {
  DayRange r;
  r.requestDate = date;
  r.from = r.to = date;
  if (week) {
    r.from = settings.weekMode == 1 ? date : MondayOf(date);
    r.to = r.from + 6;
    r.weekMode2 = settings.weekMode == 2 && HasLineValidity(t);
  }
  return r;
}

int MakeDayRange(TimetableRecord const& t, LineSettings const& settings, int day, int month,
                 int year, bool week, DayRange* out) {
  *out = {};
  if (year == 0) return 0;
  const int32_t date = DmyToDay(year, month, day);
  if (date == kNoDate) return ErrDate;
  *out = DayRangeOf(t, settings, date, week);
  return 0;
}

bool TripRunsInRange(TimetableRecord const& t, int32_t from, int32_t to, uint32_t train,
                     int32_t requestDate, bool weekMode2, bool kindTest, bool kind,
                     ValidityTrace* trace) {
  if (from == 0 && to == 0) return true;
  const int32_t first = static_cast<int32_t>(t.FirstDay), last = static_cast<int32_t>(t.LastDay);
  if (to < from || to < first || from > last) return false;
  const int32_t cls = TrainCalendarClass(t, train);
  for (int32_t d = std::max(from, first); d <= std::min(to, last); ++d) {
    if (weekMode2) {
      if (TripValidByRecords(t, train, requestDate, WeekdayBitOf(d), kindTest, kind, trace) &&
          RunsFrom(t, train, requestDate))
        return true;
    } else if (ClassRunsOnCalendarDay(t, cls, d - first)) {
      TripValidByRecords(t, train, d, WeekdayBitOf(d), kindTest, kind, trace);
      return true;
    }
  }
  return false;
}

bool CompatibleValidity(TimetableRecord const& t, uint32_t a, uint32_t b) {
  ValidityList la = TrainValidityList(t, a), lb = TrainValidityList(t, b);
  if (la.end - la.begin > lb.end - lb.begin) std::swap(la, lb);
  if (la.end == la.begin) return false;
  for (int32_t i = la.begin; i < la.end; ++i) {
    bool found = false;
    for (int32_t j = lb.begin; j < lb.end && !found; ++j)
      found = t.LineValidityIndexes[i] == t.LineValidityIndexes[j];
    if (!found) return false;
  }
  return true;
}

bool TripIsSubstitute(TimetableRecord const& t, uint32_t train, int32_t day) {
  const ValidityList list = TrainValidityList(t, train);
  if (list.end == list.begin) return false;
  bool anyHolds = false;
  for (int32_t i = list.begin; i < list.end; ++i) {
    const int32_t index = t.LineValidityIndexes[i];
    if (!ValidityRecordHolds(t, index, day, WeekdayBitOf(day), false, false, nullptr)) continue;
    anyHolds = true;
    if (static_cast<uint32_t>(ReadValidityRecord(t, index).flags) & kSubstituteServiceFlag)
      return true;
  }
  if (anyHolds) return false;
  return (static_cast<uint32_t>(ReadValidityRecord(t, t.LineValidityIndexes[list.begin]).flags) &
          kSubstituteServiceFlag) != 0;
}

}  // namespace qo
