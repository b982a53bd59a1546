#pragma once
// Running days in words: a bit set of days becomes a short plan of
// segments (date ranges with a weekday pattern, week or day parity and
// exceptions), rendered in one of the five kernel languages. Each text is
// made twice, once for the running days and once for the others, and the
// shorter kept.
//
// Cores fill caller-owned strings; texts are Windows-1250 like the message
// tables they are made from.
#include <cstdint>
#include <string>
#include <vector>

namespace qo {

struct DayRemarkRange {
  int32_t from = 0;
  int32_t till = 0;
};

struct DayRemarkSegment {
  int32_t from = 0;  // positions in the day bytes
  int32_t till = 0;
  uint16_t classes = 0;  // bit c: day class c (0..6 weekdays, 7 working days, 8 days off)
  uint8_t parity = 0;    // 0 none, 1 odd weeks, 2 even weeks, 3 odd days, 4 even days
  bool negative = false;
  std::vector<DayRemarkRange> extra;
  std::vector<DayRemarkRange> exceptions;
};

using DayRemarkPlan = std::vector<DayRemarkSegment>;

inline constexpr uint16_t kAllWeekdays = 0x7F;
inline constexpr int kDayClassWork = 7;
inline constexpr int kDayClassOff = 8;

// What a text is made against besides the days themselves.
struct DayRemarkContext {
  bool air = false;
  // Per position of the day bytes (already moved by the day offset): 1 on a
  // day off. Null: no days-off handling. Positions at or past `daysOffCount`
  // count as ordinary days.
  const uint8_t* daysOff = nullptr;
  int32_t daysOffCount = 0;
};

// The planner over positions 0..n-1 of `days` (non-zero = in the set);
// `firstDay` is the day number of position 0.
void PlanDays(const uint8_t* days, int32_t n, int32_t firstDay, const DayRemarkContext& context,
              DayRemarkPlan& plan);

// Renders a plan in the current kernel language; `visible` gets the length
// without marker characters.
void RenderDayPlan(const DayRemarkPlan& plan, int32_t n, int32_t firstDay,
                   const DayRemarkContext& context, std::string& out, int32_t* visible);

// The whole remark: the words of entries 8 / 9 for every / no day, else the
// shorter of the runs and runs-not texts. `letter` selects the language.
void MakeDayRemarkText(int32_t firstDay, const uint8_t* days, int32_t n, char letter, int dayOffset,
                       const DayRemarkContext& context, std::string& out);

// Options kept by the kernel between calls.
struct DayRemarkOptions {
  int fromBaseDay = 0;
  int limit = 0;
  int dayLimit = 0;
  int32_t baseDay = 0;  // 0: today
  int specialDays = 0;  // 0 by train type word, 1 never, 2 always
};
DayRemarkOptions& GetDayRemarkOptions();
// Drops every cached train remark; the setters and the markers call it.
void ForgetDayRemarkTexts();

// Sets the marker pairs (null or "" = none) and forgets cached texts.
void SetDayRemarkMarkers(const char* open0, const char* close0, const char* open1,
                         const char* close1);

struct TimetableRecord;
// The remark of a train's calendar class over the described period (from
// the base day or the first day of validity, up to the day limit); empty
// when the class runs on every day of it. Cached.
void TrainDayRemarkText(TimetableRecord& t, uint32_t train, char letter, int32_t calendarClass,
                        int dayOffset, std::string& out);

}  // namespace qo
