// Running-days remarks: day patterns against their Czech and English
// words, and a round trip of random day sets through a small reader of the
// English words.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "Qo.h"
#include "core/counted_array.h"
#include "dates/day_number.h"
#include "dayremarks/day_remark_text.h"
#include "text/cp1250.h"

namespace qo::test {
namespace {

int Day(int y, int m, int d) { return DmyToDay(y, m, d); }

// Days first..last (inclusive) for which `runs` holds.
template <class F>
std::vector<uint8_t> Days(int first, int last, F runs) {
  std::vector<uint8_t> days;
  for (int d = first; d <= last; ++d) days.push_back(runs(d) ? 1 : 0);
  return days;
}

int Weekday(int day) {  // 1 Monday .. 7 Sunday
  int w = WeekdayOf(day);
  return w == 0 ? 7 : w;
}

struct Pattern {
  const char* name;
  int first;
  std::vector<uint8_t> days;
  std::vector<uint8_t> daysOff;  // empty: no days-off handling
  bool air;
  const char* czech;
  const char* english;
};

std::string Text(const Pattern& p, char letter) {
  DayRemarkContext context;
  context.air = p.air;
  if (!p.daysOff.empty()) {
    context.daysOff = p.daysOff.data();
    context.daysOffCount = static_cast<int32_t>(p.daysOff.size());
  }
  std::string out;
  MakeDayRemarkText(p.first, p.days.data(), static_cast<int32_t>(p.days.size()), letter, 0, context,
                    out);
  return out;
}

TEST(DayRemarkText, PatternsInCzechAndEnglish) {
  const int jan = Day(2027, 1, 1), jun = Day(2027, 6, 30);
  auto workdays = [](int d) { return Weekday(d) <= 5; };
  // Public holidays of the half-year (Sundays are days off too).
  const std::vector<int> holidays = {Day(2027, 1, 1), Day(2027, 3, 29), Day(2027, 5, 1),
                                     Day(2027, 5, 8)};
  auto isHoliday = [&](int d) {
    for (int h : holidays)
      if (h == d) return true;
    return false;
  };
  auto dayOff = [&](int d) { return Weekday(d) == 7 || isHoliday(d); };
  std::vector<uint8_t> offTable = Days(jan, jun, dayOff);
  // Mondays to Fridays of the odd ISO weeks; 2026 has 53 weeks, so weeks
  // 53 and 1 are both odd.
  auto isoOdd = [](int d) {
    int thursday = d - Weekday(d) + 4, dd, mm, yy;
    DayToDmy(thursday, &dd, &mm, &yy);
    return ((thursday - Day(yy, 1, 1)) / 7 + 1) % 2 == 1;
  };
  const int nov = Day(2026, 11, 2), feb = Day(2027, 2, 28);

  const Pattern patterns[] = {
      {"Mo-Fr over a half-year",
       jan,
       Days(jan, jun, workdays),
       {},
       false,
       "jede v 1-5",
       "runs on Mo-Fr"},
      {"Mo-Fr from February on",
       jan,
       Days(jan, jun, [&](int d) { return workdays(d) && d >= Day(2027, 2, 1); }),
       {},
       false,
       "jede od 1.II. v 1-5",
       "runs from 1 II. on Mo-Fr"},
      {"working days with days off", jan,
       Days(jan, jun, [&](int d) { return workdays(d) && !isHoliday(d); }), offTable, false,
       "jede v X", "runs on X"},
      {"runs not on three dates of one month",
       jan,
       Days(jan, jun,
            [&](int d) {
              return d != Day(2027, 1, 5) && d != Day(2027, 1, 13) && d != Day(2027, 1, 20);
            }),
       {},
       false,
       "nejede 5., 13., 20.I.",
       "runs not 5, 13, 20 I."},
      {"never",
       jan,
       Days(jan, jun, [](int) { return false; }),
       {},
       false,
       "t.č. nejede",
       "runs never"},
      {"daily",
       jan,
       Days(jan, jun, [](int) { return true; }),
       {},
       false,
       "jede denně",
       "runs daily"},
      {"air: never",
       jan,
       Days(jan, jun, [](int) { return false; }),
       {},
       true,
       "t.č. nelétá",
       "flies never"},
      {"air: weekends",
       jan,
       Days(jan, jun, [](int d) { return Weekday(d) >= 6; }),
       {},
       true,
       "létá v 6,7",
       "flies on Sa,Su"},
      {"odd ISO weeks across the year end",
       nov,
       Days(nov, feb, [&](int d) { return workdays(d) && isoOdd(d); }),
       {},
       false,
       "jede v lichých týdnech v 1-5",
       "runs in odd weeks on Mo-Fr"},
  };
  for (const Pattern& p : patterns) {
    EXPECT_EQ(Text(p, 'C'), Utf8ToCp1250(p.czech)) << p.name;
    EXPECT_EQ(Text(p, 'E'), p.english) << p.name;
  }
}

// Day sets whose texts once named days twice, lost a shared month word, or
// missed a step of the plan; and the span a clean weekday pattern needs.
TEST(DayRemarkText, DayListsAndPlanSteps) {
  struct Case {
    const char* name;
    int year, month, day;
    const char* bits;  // one per day from the first, '1' = runs
    const char* english;
  };
  const Case cases[] = {
      {"a leading date is not listed again as an extra", 2024, 5, 6, "110110001011",
       "runs 6 V., from 7 V. on Tu,Th,Fr"},
      {"a date before a range shares its month word", 2027, 8, 1, "0000000000000001001110000000000",
       "runs 16, from 19 till 21 VIII."},
      {"a clean pattern over 9 days is a list", 2027, 3, 1, "11000001100000",
       "runs 1, 2, 8, 9 III."},
      {"a clean pattern over 10 days is a weekday text", 2027, 3, 1, "10100001010000",
       "runs on Mo,We"},
      {"a week repeated up to three weeks before the end", 2028, 4, 6,
       "0010000111000000000000010000100000000000000000000000100",
       "runs till 29 IV. on Sa, 13, 14 IV., runs not 22 IV., runs 4, 28 V."},
      {"two days of a pattern are dates, not weekday words", 2030, 3, 8, "0011000110010110",
       "runs 10, 11, 15, 16, 19, 21 III. and 22 III."},
      {"first weeks of other classes change early", 2024, 4, 10,
       "01000010100001010000101000000000000000000001000000000",
       "runs till 2 V. on Tu,Th and 23 V."},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> days;
    for (const char* b = c.bits; *b; ++b) days.push_back(*b == '1');
    std::string out;
    MakeDayRemarkText(Day(c.year, c.month, c.day), days.data(), static_cast<int32_t>(days.size()),
                      'E', 0, DayRemarkContext{}, out);
    EXPECT_EQ(out, c.english) << c.name;
  }
}

}  // namespace
}  // namespace qo::test
