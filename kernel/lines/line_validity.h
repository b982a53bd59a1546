#pragma once
// Lines of city and bus timetables: consecutive trips with one number. Which
// trips of a line run in a requested day or week, by the running-day
// calendar and, where the timetable has them, by its line validity records
// (a record per line and period, weekday set and kind; a trip lists the
// records that hold for it).
//
// Cores return 0 or a kernel error code and never set the last error.
#include <cstdint>
#include <vector>

#include "load/timetable_record.h"

namespace qo {

inline constexpr uint32_t kSubstituteServiceFlag = 0x80000000u;
inline constexpr uint8_t kValidityKindBit = 0x80;
inline constexpr int kValidityRecordBytes = 17;

// The settings that steer directions and stop timetables. The kernel keeps
// one process-wide copy for its exports; cores take theirs as an argument.
struct LineSettings {
  int weekMode = 2;      // 0 and 2: Monday to Sunday of the date; 1: the date and six days after
  int inclusion = 0;     // a shorter direction is absorbed only between equal-named ends
  int rare = 1;          // hold back trips of type bit 0x400000 and prune rare directions
  int reverseOrder = 0;  // directions of type bit 0x200000 first
};

// What the validity records that let trips run had in common: at most 7
// distinct first days, and the earliest non-zero last day.
struct ValidityTrace {
  std::vector<int32_t> firstDays;
  int32_t lastDay = 0;
  void Clear() {
    firstDays.clear();
    lastDay = 0;
  }
  void Add(int32_t first, int32_t last);
};

// One validity record as stored.
struct ValidityRecord {
  int32_t key = 0;
  int32_t flags = 0;
  int32_t firstDay = 0;
  int32_t lastDay = 0;  // 0: open-ended
  uint8_t weekdays = 0;
};
ValidityRecord ReadValidityRecord(TimetableRecord const& t, int32_t index);

inline bool HasLineValidity(TimetableRecord const& t) {
  return !t.LineValidity.empty() && !t.LineValidityOffsets.empty();
}

// Bit of a day number's weekday in a weekday byte: Monday 0 .. Sunday 6.
inline int WeekdayBitOf(int32_t day) { return ((day + 1) % 7 + 6) % 7; }
// The Monday of the week a day falls in.
inline int32_t MondayOf(int32_t day) { return day - WeekdayBitOf(day); }

// The record indexes a train lists (both empty when it lists none).
struct ValidityList {
  int32_t begin = 0, end = 0;
};
ValidityList TrainValidityList(TimetableRecord const& t, uint32_t train);

// Whether record `index` holds on `day` for weekday bit `weekdayBit`; with
// `kindTest` its kind bit must equal `kind`. A later record of the same line
// that has begun by the day and still holds for that weekday and kind
// supersedes it. A record that holds is added to the trace (may be null).
bool ValidityRecordHolds(TimetableRecord const& t, int32_t index, int32_t day, int weekdayBit,
                         bool kindTest, bool kind, ValidityTrace* trace);

// True when one of the train's records holds; false for a train without
// records and a timetable without them.
bool TripValidByRecords(TimetableRecord const& t, uint32_t train, int32_t day, int weekdayBit,
                        bool kindTest, bool kind, ValidityTrace* trace);

// The days a request covers and how the running test reads them.
struct DayRange {
  int32_t from = 0, to = 0;  // both 0: no date was given
  int32_t requestDate = 0;
  bool weekMode2 = false;  // a week of a timetable with validity records in week mode 2
};

// The range of a request on `date`: that day, or the week around it as the
// settings' week mode starts it.
DayRange DayRangeOf(TimetableRecord const& t, LineSettings const& settings, int32_t date,
                    bool week);

// The range of a request (date given: year not 0). ErrDate for a date that
// does not convert.
int MakeDayRange(TimetableRecord const& t, LineSettings const& settings, int day, int month,
                 int year, bool week, DayRange* out);

// Whether the trip runs on some day from `from` to `to` (both day numbers;
// both 0: always). In week mode 2 the records are read for the request date
// and the weekday of each day, and the calendar must still run the trip on
// some day from the request date on; otherwise the calendar decides and the
// records are read only for the trace.
bool TripRunsInRange(TimetableRecord const& t, int32_t from, int32_t to, uint32_t train,
                     int32_t requestDate, bool weekMode2, bool kindTest, bool kind,
                     ValidityTrace* trace);

// Whether two trips list compatible records: every record of the shorter
// list stands in the other (no records at all: not compatible).
bool CompatibleValidity(TimetableRecord const& t, uint32_t a, uint32_t b);

// Whether the trip is a substitute service on the day: one of its records
// that holds that day has the substitute flag; when none holds, its first
// record decides. False without records.
bool TripIsSubstitute(TimetableRecord const& t, uint32_t train, int32_t day);

}  // namespace qo
