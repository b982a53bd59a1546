// The planner: cuts a bit set of days into segments that read well. It
// tries the cheap shapes first (one clean weekday pattern, a few dates, one
// or two runs), then splits at long gaps and long runs, and lastly lets the
// decomposer find the longest stretch that a weekday pattern with a few
// exceptions describes. Every path plans a strictly smaller range or emits
// segments, and the tolerance only falls, so the planner always ends.
#include <algorithm>
#include <array>
#include <cstddef>

#include "dates/day_number.h"
#include "dayremarks/day_remark_text.h"

namespace qo {
namespace {

// The shapes the planner looks for, in days.
constexpr int32_t kInitialTolerance = 80;  // gaps this long cut the range
constexpr int32_t kCleanPatternSpan = 9;   // a clean pattern needs more days
constexpr int32_t kMaxListedDays = 6;      // few enough days for a list
constexpr int32_t kLongRunDays = 30;       // a run planned by itself
constexpr int32_t kEdgeRunDays = 14;       // a leading or trailing run
constexpr int32_t kMinDecomposeDays = 8;   // the decomposer's shortest range
constexpr int32_t kWeekParitySpan = 45;    // week parity needs a longer span
constexpr int32_t kDayParitySpan = 30;     // and day parity this one
constexpr int32_t kPatternMaxMissing = 8;  // missing days a pattern class may have
constexpr int32_t kMaxStretches = 14;      // extra and missing stretches allowed
constexpr int32_t kMaxStretchesLong = 20;  // the same over a long span
constexpr int32_t kLongSpan = 350;
constexpr int32_t kEdgeDays = 7;              // ends this close to the period's ends
constexpr int32_t kEdgeDaysParity = 21;       // the same with week parity
constexpr int32_t kRepeatAfterStart = 13;     // the weekly repetition test needs
constexpr int32_t kRepeatBeforeEnd = 21;      // this much room around t
constexpr int32_t kEarlyChangeStretches = 3;  // more stretches than this,
constexpr int32_t kEarlyChangeSpan = 35;      // over a longer span,
constexpr int32_t kEarlyChangeDays = 21;      // and first weeks this long
constexpr size_t kMaxSingleExceptions = 2;    // more missing days make one range
constexpr int32_t kMergeGapDays = 60;         // segments this close may merge

struct ClassStats {
  std::array<int32_t, 9> set{};
  std::array<int32_t, 9> unset{};
  uint8_t mode = 0;  // 0 weekdays, 1 days off (Saturday holidays are days off), 2 Saturdays apart

  int32_t Mixed() const {
    int32_t m = 0;
    for (size_t c = 0; c < 9; ++c) m += std::min(set[c], unset[c]);
    return m;
  }
  bool Clean() const { return Mixed() == 0; }
  uint16_t SetClasses() const {
    uint16_t flags = 0;
    for (int c = 0; c < 9; ++c)
      if (set[static_cast<size_t>(c)]) flags |= static_cast<uint16_t>(1u << c);
    return flags;
  }
};

int IsoWeekParity(int32_t day) {
  int weekday = WeekdayOf(day);  // 0 Sunday
  if (weekday == 0) weekday = 7;
  int32_t thursday = day - weekday + 4;
  int d, m, y;
  DayToDmy(thursday, &d, &m, &y);
  if (y == 0) return 1;
  int32_t week = (thursday - DmyToDay(y, 1, 1)) / 7 + 1;
  return week % 2 ? 1 : 2;
}

int DayOfYearParity(int32_t day) {
  int d, m, y;
  DayToDmy(day, &d, &m, &y);
  if (y == 0) return 3;
  int32_t number = day - DmyToDay(y, 1, 1) + 1;
  return number % 2 ? 3 : 4;
}

class Planner {
 public:
  Planner(const uint8_t* days, int32_t n, int32_t firstDay, const DayRemarkContext& context,
          DayRemarkPlan& plan)
      : n_(n), plan_(plan) {
    set_.resize(static_cast<size_t>(n));
    weekday_.resize(static_cast<size_t>(n));
    off_.resize(static_cast<size_t>(n));
    weekParity_.resize(static_cast<size_t>(n));
    dayParity_.resize(static_cast<size_t>(n));
    daysOff_ = context.daysOff != nullptr;
    for (int32_t p = 0; p < n; ++p) {
      size_t k = static_cast<size_t>(p);
      int32_t day = firstDay + p;
      set_[k] = days[p] != 0;
      int w = WeekdayOf(day);
      weekday_[k] = static_cast<uint8_t>(w == 0 ? 6 : w - 1);
      // Sundays are days off whether or not the table marks them.
      off_[k] =
          daysOff_ && (weekday_[k] == 6 || (p < context.daysOffCount && context.daysOff[p] != 0));
      weekParity_[k] = static_cast<uint8_t>(IsoWeekParity(day));
      dayParity_[k] = static_cast<uint8_t>(DayOfYearParity(day));
    }
  }

  void Run(int32_t tolerance) {
    Plan(0, n_ - 1, tolerance);
    Merge();
  }

 private:
  bool S(int32_t p) const { return set_[static_cast<size_t>(p)] != 0; }

  int ClassOf(int32_t p, uint8_t mode) const {
    size_t k = static_cast<size_t>(p);
    if (mode == 0) return weekday_[k];
    if (mode == 2 && weekday_[k] == 5) return 5;
    if (off_[k]) return kDayClassOff;
    return weekday_[k] == 5 ? 5 : kDayClassWork;
  }

  ClassStats Count(int32_t i, int32_t t, int parity, uint8_t mode) const {
    ClassStats s;
    s.mode = mode;
    for (int32_t p = i; p <= t; ++p) {
      if (parity && weekParity_[static_cast<size_t>(p)] != parity) continue;
      size_t c = static_cast<size_t>(ClassOf(p, mode));
      (S(p) ? s.set[c] : s.unset[c])++;
    }
    return s;
  }

  // Weekday classes, or with days-off handling the working days, days off
  // and Saturdays when they describe the range better.
  ClassStats Stats(int32_t i, int32_t t, int parity) const {
    ClassStats weekdays = Count(i, t, parity, 0);
    if (!daysOff_) return weekdays;
    ClassStats apart = Count(i, t, parity, 2);
    ClassStats off = apart.set[5] > 2 * apart.unset[5] ? apart : Count(i, t, parity, 1);
    return off.Mixed() < weekdays.Mixed() ? off : weekdays;
  }

  void AddRange(int32_t from, int32_t till) {
    DayRemarkSegment s;
    s.from = from;
    s.till = till;
    plan_.push_back(std::move(s));
  }

  // Each run of set days in i..j as a plain range.
  void AddRuns(int32_t i, int32_t j) {
    for (int32_t p = i; p <= j; ++p) {
      if (!S(p)) continue;
      int32_t q = p;
      while (q < j && S(q + 1)) ++q;
      AddRange(p, q);
      p = q;
    }
  }

  // The same as one list, so that dates of one month share the month word.
  void AddRunList(int32_t i, int32_t j) {
    size_t first = plan_.size();
    AddRuns(i, j);
    if (plan_.size() == first) return;
    DayRemarkSegment& head = plan_[first];
    for (size_t k = first + 1; k < plan_.size(); ++k)
      head.extra.push_back({plan_[k].from, plan_[k].till});
    plan_.resize(first + 1);
  }

  void Plan(int32_t i, int32_t j, int32_t tolerance) {
    while (i <= j && !S(i)) ++i;
    while (j >= i && !S(j)) --j;
    if (i > j) return;
    if (WeekdayStrategy(i, j) || RunStrategy(i, j)) return;
    for (;;) {
      if (GapSplit(i, j, tolerance) || LongRun(i, j, tolerance) || EdgeRuns(i, j, tolerance) ||
          Decompose(i, j, tolerance))
        return;
      if (tolerance <= 1) {  // unreachable: a one-day gap always splits
        AddRuns(i, j);
        return;
      }
      tolerance -= std::max<int32_t>(1, tolerance / 2);
    }
  }

  bool WeekdayStrategy(int32_t i, int32_t j) {
    ClassStats st = Stats(i, j, 0);
    int32_t setDays = 0, unsetDays = 0;
    for (size_t c = 0; c < 9; ++c) setDays += st.set[c], unsetDays += st.unset[c];
    if (st.Clean() && j - i + 1 > kCleanPatternSpan) {
      DayRemarkSegment s;
      s.classes = st.SetClasses();
      auto unsetOfClass = [&](int32_t p) {
        return !S(p) && (s.classes >> ClassOf(p, st.mode) & 1);
      };
      s.from = i;
      if (i < 7) {
        bool clear = true;
        for (int32_t p = 0; p < i; ++p) clear = clear && !unsetOfClass(p);
        if (clear) s.from = 0;
      }
      s.till = j;
      if (j >= n_ - 7) {
        bool clear = true;
        for (int32_t p = j + 1; p < n_; ++p) clear = clear && !unsetOfClass(p);
        if (clear) s.till = n_ - 1;
      }
      plan_.push_back(std::move(s));
      return true;
    }
    if (st.Clean() || (setDays <= kMaxListedDays && unsetDays >= setDays - 1)) {
      AddRunList(i, j);
      return true;
    }
    return false;
  }

  bool RunStrategy(int32_t i, int32_t j) {
    int32_t runs = 0, gapDays = 0, setDays = 0;
    for (int32_t p = i; p <= j; ++p) {
      if (S(p)) {
        ++setDays;
        if (p == i || !S(p - 1)) ++runs;
      } else {
        ++gapDays;
      }
    }
    if (runs == 1 || (runs == 2 && gapDays >= setDays)) {
      AddRuns(i, j);
      return true;
    }
    return false;
  }

  bool GapSplit(int32_t i, int32_t j, int32_t tolerance) {
    std::vector<std::pair<int32_t, int32_t>> parts;
    int32_t partStart = i;
    for (int32_t p = i; p <= j; ++p) {
      if (S(p)) continue;
      int32_t q = p;
      while (q < j && !S(q + 1)) ++q;
      if (q - p + 1 >= tolerance) {
        parts.emplace_back(partStart, p - 1);
        partStart = q + 1;
      }
      p = q;
    }
    if (parts.empty()) return false;
    parts.emplace_back(partStart, j);
    for (auto [a, b] : parts) Plan(a, b, tolerance);
    return true;
  }

  bool LongRun(int32_t i, int32_t j, int32_t tolerance) {
    for (int32_t p = i; p <= j; ++p) {
      if (!S(p)) continue;
      int32_t q = p;
      while (q < j && S(q + 1)) ++q;
      if (q - p + 1 >= kLongRunDays) {
        if (p > i) Plan(i, p - 1, tolerance);
        AddRange(p, q);
        if (q < j) Plan(q + 1, j, tolerance);
        return true;
      }
      p = q;
    }
    return false;
  }

  bool EdgeRuns(int32_t i, int32_t j, int32_t tolerance) {
    int32_t q = i;
    while (q < j && S(q + 1)) ++q;
    if (q - i + 1 >= kEdgeRunDays) {
      AddRange(i, q);
      Plan(q + 1, j, tolerance);
      return true;
    }
    int32_t p = j;
    while (p > i && S(p - 1)) --p;
    if (j - p + 1 >= kEdgeRunDays) {
      Plan(i, p - 1, tolerance);
      AddRange(p, j);
      return true;
    }
    return false;
  }

  bool SameWeek(int32_t a, int32_t b) const {
    for (int32_t k = 0; k < 7; ++k)
      if (S(a + k) != S(b + k)) return false;
    return true;
  }

  bool Decompose(int32_t i, int32_t last, int32_t tolerance) {
    if (last - i + 1 < kMinDecomposeDays) return false;
    for (int32_t t = last; t >= i + kMinDecomposeDays - 1; --t) {
      if (t != last && !S(t)) continue;
      if (TrySegment(i, t, last, tolerance)) return true;
    }
    return false;
  }

  // The weekday pattern one end t is examined with.
  struct Pattern {
    uint16_t classes = 0;
    uint8_t mode = 0;
    int parity = 0;  // week parity, 0 none
  };
  bool InPattern(const Pattern& pt, int32_t p) const {
    return (pt.classes >> ClassOf(p, pt.mode) & 1) != 0;
  }
  // A pattern day of the week parity; the days of the other parity are
  // treated as set while the pattern is examined.
  bool PatternDay(const Pattern& pt, int32_t p) const {
    return InPattern(pt, p) && (!pt.parity || weekParity_[static_cast<size_t>(p)] == pt.parity);
  }
  bool MissingDay(const Pattern& pt, int32_t p) const { return PatternDay(pt, p) && !S(p); }

  // Step 1: odd or even ISO weeks when every set day lies in them.
  int WeekParityOf(int32_t i, int32_t t) const {
    if (t - i <= kWeekParitySpan) return 0;
    bool odd = true, even = true;
    for (int32_t p = i; p <= t; ++p) {
      if (!S(p)) continue;
      (weekParity_[static_cast<size_t>(p)] == 1 ? even : odd) = false;
    }
    return odd ? 1 : even ? 2 : 0;
  }

  // Step 3: the classes that run on nearly all their days.
  static uint16_t PatternClasses(const ClassStats& st) {
    uint16_t classes = 0;
    for (int c = 0; c < 9; ++c) {
      size_t k = static_cast<size_t>(c);
      if (st.set[k] && 2 * st.unset[k] < st.set[k] && st.unset[k] <= kPatternMaxMissing)
        classes |= static_cast<uint16_t>(1u << c);
    }
    return classes;
  }

  // Step 4: runs of set days outside the pattern plus runs of missing
  // pattern days.
  int32_t CountStretches(const Pattern& pt, int32_t i, int32_t t) const {
    int32_t extras = 0, missing = 0;
    bool inExtra = false, inMissing = false;
    for (int32_t p = i; p <= t; ++p) {
      bool pat = PatternDay(pt, p);
      if (S(p) && !pat) {
        if (!inExtra) ++extras;
        inExtra = true;
      } else {
        inExtra = false;
      }
      if (pat) {
        if (!S(p) && !inMissing) ++missing;
        inMissing = !S(p);
      }
    }
    return extras + missing;
  }

  // Step 5, first half: with days missing, the pattern must end on a
  // running day.
  bool EndsOnRunningPatternDay(const Pattern& pt, int32_t i, int32_t t) const {
    int32_t q = t;
    while (q >= i && !PatternDay(pt, q)) --q;
    return q >= i && S(q);
  }

  // Step 6: a week around t that repeats three times after it marks a
  // pattern that goes on; a later end describes it better.
  bool RepeatsWeekly(int32_t t, int32_t last) const {
    if (t <= kRepeatAfterStart || t >= last - kRepeatBeforeEnd) return false;
    for (int32_t before : {6, 13}) {
      const int32_t week = t - before;
      if (SameWeek(week, t + 1) && SameWeek(week, t + 8) && SameWeek(week, t + 15)) return true;
    }
    return false;
  }

  // Step 7: a plan whose first weeks follow other, clean classes changes
  // early; those weeks are planned by themselves, as far as their classes
  // stay clean, and the rest after them.
  bool EarlyChange(const Pattern& pt, int32_t i, int32_t last, int32_t tolerance) {
    const int32_t headEnd = i + kEarlyChangeDays - 1;
    if (headEnd >= last) return false;
    const ClassStats head = Stats(i, headEnd, 0);
    if (!head.Clean() || (head.SetClasses() == pt.classes && head.mode == pt.mode)) return false;
    ClassStats grown = head;
    int32_t end = headEnd;
    // Never the whole range: that one is not clean, or it would not be here.
    while (end + 1 < last) {
      const size_t c = static_cast<size_t>(ClassOf(end + 1, head.mode));
      (S(end + 1) ? grown.set[c] : grown.unset[c])++;
      if (!grown.Clean()) break;
      ++end;
    }
    Plan(i, end, tolerance);
    Plan(end + 1, last, tolerance);
    return true;
  }

  // Step 8: the segment's ends, moved to the period's ends when nothing of
  // the pattern is missing before or after them.
  void SegmentEnds(const Pattern& pt, int32_t i, int32_t t, int32_t* from, int32_t* till) const {
    const int32_t edge = pt.parity ? kEdgeDaysParity : kEdgeDays;
    *from = i;
    if (i < edge) {
      bool clear = true;
      for (int32_t p = 0; p <= i; ++p) clear = clear && !MissingDay(pt, p);
      if (clear) {
        *from = 0;
      } else {
        while (*from < t && !PatternDay(pt, *from)) ++*from;
      }
    }
    *till = t;
    if (t >= n_ - edge) {
      bool clear = true;
      for (int32_t p = t + 1; p < n_; ++p) clear = clear && !MissingDay(pt, p);
      if (clear) {
        *till = n_ - 1;
      } else {
        while (*till > *from && !PatternDay(pt, *till)) --*till;
      }
    }
  }

  // Step 9, first half: each run of set days outside the pattern in
  // from..t, as a range written with the segment.
  void AddExtras(const Pattern& pt, int32_t from, int32_t t, DayRemarkSegment& s) const {
    for (int32_t p = from; p <= t; ++p) {
      if (!S(p) || PatternDay(pt, p)) continue;
      int32_t q = p;
      while (q < t && S(q + 1) && !PatternDay(pt, q + 1)) ++q;
      s.extra.push_back({p, q});
      p = q;
    }
  }

  // Step 9, second half: the missing pattern days, a long run of them as
  // one range between the running pattern days around it.
  void AddExceptions(const Pattern& pt, DayRemarkSegment& s) const {
    const int32_t from = s.from, till = s.till;
    int32_t lastSet = -1;  // last set pattern day so far
    std::vector<int32_t> gap;
    for (int32_t p = from; p <= till; ++p) {
      if (!PatternDay(pt, p)) continue;
      if (S(p)) {
        lastSet = p;
        continue;
      }
      // A run of unset pattern days, up to the next set pattern day.
      gap.assign(1, p);
      int32_t q = p + 1;
      for (; q <= till; ++q) {
        if (!PatternDay(pt, q)) continue;
        if (S(q)) break;
        gap.push_back(q);
      }
      // The range may hold no running day (another class's, or another
      // segment's): a reader would take that day as not running too.
      int32_t a = lastSet < from ? from : lastSet + 1;
      int32_t b = q > till ? till : q - 1;
      size_t g = 0;
      while (a <= b && S(a)) ++a;
      for (int32_t pieceFrom = a; pieceFrom <= b && g < gap.size();) {
        int32_t pieceTill = pieceFrom;
        while (pieceTill < b && !S(pieceTill + 1)) ++pieceTill;
        size_t firstGap = g;
        while (g < gap.size() && gap[g] <= pieceTill) ++g;
        if (g - firstGap > kMaxSingleExceptions) {
          s.exceptions.push_back({pieceFrom, pieceTill});
        } else {
          for (size_t k = firstGap; k < g; ++k) s.exceptions.push_back({gap[k], gap[k]});
        }
        pieceFrom = pieceTill + 1;
        while (pieceFrom <= b && S(pieceFrom)) ++pieceFrom;
      }
      p = q - 1;
    }
  }

  // One end t for the segment that starts at i: the steps in order; false
  // sends the decomposer on to the next t.
  bool TrySegment(int32_t i, int32_t t, int32_t last, int32_t tolerance) {
    const int32_t u = t - i;
    Pattern pt;
    pt.parity = WeekParityOf(i, t);
    if (!pt.parity && u > kDayParitySpan && DayParity(i, t, last, tolerance)) return true;

    const ClassStats st = Stats(i, t, pt.parity);
    pt.classes = PatternClasses(st);
    if (!pt.classes) return false;
    pt.mode = st.mode;

    const int32_t stretches = CountStretches(pt, i, t);
    const int32_t maxStretches = u > kLongSpan ? kMaxStretchesLong : kMaxStretches;
    if (stretches >= maxStretches && !pt.parity) return false;
    if (!EndsOnRunningPatternDay(pt, i, t)) return false;

    int32_t from = 0, till = 0;
    SegmentEnds(pt, i, t, &from, &till);
    if (t == last && till != n_ - 1) {
      for (int32_t p = std::max(i, t - 6); p <= t; ++p)
        if (S(p) != InPattern(pt, p)) return false;
    }
    if (stretches && RepeatsWeekly(t, last)) return false;
    if (stretches > kEarlyChangeStretches && u > kEarlyChangeSpan && !pt.parity &&
        EarlyChange(pt, i, last, tolerance))
      return true;

    // A leading run of days outside the pattern reads better as a date; it
    // is then no extra of the segment. Days before i belong to other
    // segments.
    int32_t leadFrom = from, leadTill = from - 1;
    const size_t planned = plan_.size();
    if (from >= i && S(from) && !PatternDay(pt, from)) {
      int32_t q = from;
      while (q < t && S(q + 1) && !PatternDay(pt, q + 1)) ++q;
      AddRange(from, q);
      leadTill = q;
      from = q + 1;
      while (from <= t && !S(from)) ++from;
      if (from > t) {
        Plan(t + 1, last, tolerance);
        return true;
      }
    }

    if (till - from == 1) {
      // Two days take no weekday words: "15, 16 on Fr,Sa" reads as two
      // dates and a pattern of its own. The running days are listed.
      plan_.resize(planned);
      AddRunList(i, t);
      Plan(t + 1, last, tolerance);
      return true;
    }

    DayRemarkSegment s;
    s.from = from;
    s.till = till;
    s.classes = from == till ? 0 : pt.classes;
    s.parity = static_cast<uint8_t>(pt.parity);
    // Extras from i: a start moved forward to the first pattern day may
    // have passed set days of other classes.
    AddExtras(pt, i, leadFrom - 1, s);
    AddExtras(pt, std::max(i, leadTill + 1), t, s);
    if (from == till && !S(from)) {
      // Nothing of the pattern is left: the extras are all there is.
      for (const DayRemarkRange& r : s.extra) AddRange(r.from, r.till);
      Plan(t + 1, last, tolerance);
      return true;
    }
    if (s.classes) AddExceptions(pt, s);
    plan_.push_back(std::move(s));
    Plan(t + 1, last, tolerance);
    return true;
  }

  bool DayParity(int32_t i, int32_t t, int32_t last, int32_t tolerance) {
    int parity = 0;
    int32_t firstSet = -1;
    for (int32_t p = i; p <= t; ++p) {
      if (!S(p)) continue;
      int dp = dayParity_[static_cast<size_t>(p)];
      if (!parity) parity = dp, firstSet = p;
      if (dp != parity) return false;
    }
    if (!parity) return false;
    for (int32_t p = firstSet; p <= t; ++p)
      if (dayParity_[static_cast<size_t>(p)] == parity && !S(p)) return false;
    DayRemarkSegment s;
    s.from = i == 0 ? 0 : i;
    s.till = t;
    if (t >= n_ - 2) {
      bool clear = true;
      for (int32_t p = t + 1; p < n_; ++p)
        clear = clear && !(dayParity_[static_cast<size_t>(p)] == parity && !S(p));
      if (clear) s.till = n_ - 1;
    }
    s.parity = static_cast<uint8_t>(parity);
    plan_.push_back(std::move(s));
    Plan(t + 1, last, tolerance);
    return true;
  }

  // Two segments with the same weekday pattern close together become one,
  // the days between them an exception, when either already has exceptions.
  void Merge() {
    std::sort(plan_.begin(), plan_.end(),
              [](const DayRemarkSegment& a, const DayRemarkSegment& b) { return a.from < b.from; });
    for (size_t k = 0; k + 1 < plan_.size();) {
      DayRemarkSegment& a = plan_[k];
      DayRemarkSegment& b = plan_[k + 1];
      bool restricted = a.classes != 0;
      bool close = b.from > a.till && b.from - a.till < kMergeGapDays;
      bool lists =
          !a.extra.empty() || !a.exceptions.empty() || !b.extra.empty() || !b.exceptions.empty();
      bool extraInGap = false;
      for (const DayRemarkRange& r : a.extra)
        extraInGap = extraInGap || (r.from > a.till && r.from < b.from) ||
                     (r.till > a.till && r.till < b.from);
      // The gap must hold no running day at all, or its exception would
      // contradict another segment.
      bool gapEmpty = true;
      for (int32_t p = a.till + 1; p < b.from && gapEmpty; ++p) gapEmpty = !S(p);
      if (!(restricted && a.classes == b.classes && a.parity == b.parity && close && lists &&
            !extraInGap && gapEmpty && a.negative == b.negative)) {
        ++k;
        continue;
      }
      DayRemarkRange gap{a.till + 1, b.from - 1};
      a.till = b.till;
      if (gap.from <= gap.till) a.exceptions.push_back(gap);
      a.extra.insert(a.extra.end(), b.extra.begin(), b.extra.end());
      a.exceptions.insert(a.exceptions.end(), b.exceptions.begin(), b.exceptions.end());
      std::sort(a.exceptions.begin(), a.exceptions.end(),
                [](const DayRemarkRange& x, const DayRemarkRange& y) { return x.from < y.from; });
      plan_.erase(plan_.begin() + static_cast<std::ptrdiff_t>(k + 1));
    }
  }

  int32_t n_;
  DayRemarkPlan& plan_;
  bool daysOff_ = false;
  std::vector<uint8_t> set_, weekday_, off_, weekParity_, dayParity_;
};

}  // namespace

void PlanDays(const uint8_t* days, int32_t n, int32_t firstDay, const DayRemarkContext& context,
              DayRemarkPlan& plan) {
  plan.clear();
  if (n <= 0) return;
  Planner(days, n, firstDay, context, plan).Run(kInitialTolerance);
}

}  // namespace qo
