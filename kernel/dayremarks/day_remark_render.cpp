// Rendering a plan into words, and the choice between the runs and the
// runs-not text.
#include <cstdio>
#include <string>

#include "dates/day_number.h"
#include "dayremarks/day_remark_text.h"
#include "frame/message_tables.h"
#include "text/text_util.h"

namespace qo {
namespace {

enum Entry : int {
  kRuns = 0,
  kRunsNot = 1,
  kFrom = 2,
  kTill = 3,
  kOn = 4,
  kAnd = 5,
  kOddWeeks = 6,
  kDaily = 8,
  kNever = 9,
  kMonth = 10,
  kWeekday = 22,
  kOddDays = 29,
  kDateFormat = 31,
  kAirRuns = 32,
};

struct MarkerCopies {
  std::string open[2], close[2];
};
MarkerCopies& Markers() {
  static MarkerCopies markers;
  return markers;
}

class Renderer {
 public:
  Renderer(int32_t n, int32_t firstDay, const DayRemarkContext& context, std::string& out)
      : n_(n), firstDay_(firstDay), air_(context.air), out_(out) {
    out_.clear();
  }

  void Render(const DayRemarkPlan& plan) {
    for (size_t k = 0; k < plan.size(); ++k) Segment(plan, k);
  }

  int32_t markerChars = 0;

 private:
  const char* Word(int entry) const { return KernelText(entry); }
  const char* FormWord(bool negative) const {
    return KernelText((air_ ? kAirRuns : kRuns) + (negative ? 1 : 0));
  }

  void Separator() {
    if (out_.empty() || out_.back() == ',' || out_.back() == ' ') return;
    out_ += ", ";
  }
  void Blank() {
    if (!out_.empty() && out_.back() != ' ') out_ += ' ';
  }
  void Mark(const std::string& text) {
    out_ += text;
    markerChars += static_cast<int32_t>(text.size());
  }
  // Symbols take the second pair when it is set; weekday words only when
  // the language is not English.
  void Marked(const char* word, bool symbol) {
    const MarkerCopies& m = Markers();
    bool second = !m.open[1].empty() && (symbol || CurrentLanguage() != KernelLangEnglish);
    int pair = second ? 1 : 0;
    Mark(m.open[pair]);
    out_ += word;
    Mark(m.close[pair]);
  }

  void Date(int32_t position) {
    int d, m, y;
    DayToDmy(firstDay_ + position, &d, &m, &y);
    if (m < 1 || m > 12) m = 1;
    if (m == lastMonth_ && monthEnd_ <= out_.size()) {
      size_t start = monthStart_;
      if (start > 0 && out_[start - 1] == ' ') --start;
      out_.erase(start, monthEnd_ - start);
    }
    char day[32];
    std::snprintf(day, sizeof day, Word(kDateFormat), d);
    out_ += day;
    lastMonth_ = m;
    monthStart_ = out_.size();
    out_ += Word(kMonth + m - 1);
    monthEnd_ = out_.size();
  }
  void ForgetMonth() { lastMonth_ = 0; }

  // A range of a list: one or two dates, else from..till.
  void Range(const DayRemarkRange& r) {
    if (r.till - r.from <= 1) {
      Date(r.from);
      if (r.till != r.from) {
        Separator();
        Date(r.till);
      }
      return;
    }
    // Dates just before may share the from date's month word; after the
    // till date the month starts anew.
    out_ += Word(kFrom);
    Date(r.from);
    Blank();
    out_ += Word(kTill);
    Date(r.till);
    ForgetMonth();
  }

  void Form(bool negative) {
    int want = negative ? 2 : 1;
    if (form_ == want) return;
    out_ += FormWord(negative);
    form_ = want;
  }

  static bool CoversEveryDay(uint16_t c) {
    return (c & kAllWeekdays) == kAllWeekdays ||
           (c & (1u << 5 | 1u << kDayClassWork | 1u << kDayClassOff)) ==
               (1u << 5 | 1u << kDayClassWork | 1u << kDayClassOff);
  }
  static bool Restricted(const DayRemarkSegment& s) {
    return s.classes != 0 && !CoversEveryDay(s.classes);
  }

  void Weekdays(uint16_t c) {
    Blank();
    out_ += Word(kOn);
    bool any = false;
    auto item = [&](const char* word, bool symbol) {
      if (any) out_ += ',';
      Marked(word, symbol);
      any = true;
    };
    if (c >> kDayClassWork & 1) item("X", true);
    if ((c & kAllWeekdays) != kAllWeekdays) {
      for (int d = 0; d < 7; ++d) {
        if (!(c >> d & 1)) continue;
        int e = d;
        while (e < 6 && (c >> (e + 1) & 1)) ++e;
        if (e - d >= 2) {
          if (any) out_ += ',';
          const MarkerCopies& m = Markers();
          bool second = !m.open[1].empty() && CurrentLanguage() != KernelLangEnglish;
          Mark(m.open[second]);
          out_ += Word(kWeekday + d);
          out_ += '-';
          out_ += Word(kWeekday + e);
          Mark(m.close[second]);
          any = true;
        } else {
          for (int k = d; k <= e; ++k) item(Word(kWeekday + k), false);
        }
        d = e;
      }
    }
    if (c >> kDayClassOff & 1) item("+", true);
  }

  void Segment(const DayRemarkPlan& plan, size_t k) {
    const DayRemarkSegment& s = plan[k];
    const bool last = k + 1 == plan.size();
    ForgetMonth();
    if (k > 0) Separator();
    const bool whole = s.from == 0 && s.till == n_ - 1;
    if (whole && s.classes && CoversEveryDay(s.classes) && !s.parity && !s.negative) {
      // The exceptions still follow: dropping them would claim days on
      // which the train does not run.
      out_ += KernelText(air_ ? kAirRuns + 2 : kDaily);
      form_ = s.negative ? 2 : 1;
      Lists(s);
      return;
    }
    if (form_ == (s.negative ? 2 : 1)) {
      if (last && k > 0 && !Restricted(s) && out_.size() >= 2 &&
          out_.compare(out_.size() - 2, 2, ", ") == 0) {
        out_.resize(out_.size() - 2);
        out_ += Word(kAnd);
      }
    } else {
      Form(s.negative);
    }
    if (!whole) {
      if (s.till - s.from <= 1) {
        Range({s.from, s.till});
      } else {
        if (s.from > 0) {
          out_ += Word(kFrom);
          Date(s.from);
        }
        if (s.till < n_ - 1) {
          Blank();
          out_ += Word(kTill);
          Date(s.till);
        }
        ForgetMonth();
      }
    }
    if (s.parity) {
      Blank();
      out_ += Word(s.parity <= 2 ? kOddWeeks + s.parity - 1 : kOddDays + s.parity - 3);
    }
    if (Restricted(s)) {
      const bool runOn = !last && plan[k + 1].classes == s.classes && s.extra.empty() &&
                         s.exceptions.empty() && plan[k + 1].negative == s.negative;
      if (runOn) {
        out_ += Word(kAnd);
      } else {
        Weekdays(s.classes);
      }
    }
    Lists(s);
  }

  void Lists(const DayRemarkSegment& s) {
    for (const DayRemarkRange& r : s.extra) {
      Separator();
      if (out_.empty()) Form(s.negative);
      Range(r);
    }
    ForgetMonth();
    for (size_t e = 0; e < s.exceptions.size(); ++e) {
      Separator();
      if (e == 0) Form(!s.negative);
      Range(s.exceptions[e]);
    }
  }

  int32_t n_;
  int32_t firstDay_;
  bool air_;
  std::string& out_;
  int form_ = 0;  // 0 none, 1 runs, 2 runs not
  int lastMonth_ = 0;
  size_t monthStart_ = 0, monthEnd_ = 0;
};

}  // namespace

void SetDayRemarkMarkers(const char* open0, const char* close0, const char* open1,
                         const char* close1) {
  MarkerCopies& m = Markers();
  m.open[0] = open0 ? open0 : "";
  m.close[0] = close0 ? close0 : "";
  m.open[1] = open1 ? open1 : "";
  m.close[1] = close1 ? close1 : "";
  SetMarkerPairs(open0, close0, open1, close1);
  ForgetDayRemarkTexts();
}

void RenderDayPlan(const DayRemarkPlan& plan, int32_t n, int32_t firstDay,
                   const DayRemarkContext& context, std::string& out, int32_t* visible) {
  Renderer r(n, firstDay, context, out);
  r.Render(plan);
  if (visible) *visible = static_cast<int32_t>(out.size()) - r.markerChars;
}

void MakeDayRemarkText(int32_t firstDay, const uint8_t* days, int32_t n, char letter, int dayOffset,
                       const DayRemarkContext& context, std::string& out) {
  SelectLanguage(letter);
  out.clear();
  int32_t running = 0;
  for (int32_t p = 0; p < n; ++p) running += days[p] != 0;
  if (running == 0) {
    out = KernelText(context.air ? kAirRuns + 3 : kNever);
    return;
  }
  if (running == n) {
    out = KernelText(context.air ? kAirRuns + 2 : kDaily);
    return;
  }
  firstDay += dayOffset;
  std::vector<uint8_t> resting(static_cast<size_t>(n));
  for (int32_t p = 0; p < n; ++p) resting[static_cast<size_t>(p)] = days[p] == 0;

  DayRemarkPlan negativePlan, positivePlan;
  std::string negativeText;
  int32_t negativeVisible = 0, positiveVisible = 0;
  PlanDays(resting.data(), n, firstDay, context, negativePlan);
  for (DayRemarkSegment& s : negativePlan) s.negative = true;
  RenderDayPlan(negativePlan, n, firstDay, context, negativeText, &negativeVisible);
  PlanDays(days, n, firstDay, context, positivePlan);
  RenderDayPlan(positivePlan, n, firstDay, context, out, &positiveVisible);

  const int32_t margin = positiveVisible >= 41 ? 20 : 25;
  // "Daily, but not ..." says no more than "not ...".
  const bool dailyBut = positivePlan.size() == 1 && positivePlan[0].from == 0 &&
                        positivePlan[0].till == n - 1 && positivePlan[0].extra.empty() &&
                        (positivePlan[0].classes & kAllWeekdays) == kAllWeekdays;
  // Not running on every day but a few is the positive list, worded
  // better by the other plan.
  bool negativeEvery = false;
  for (const DayRemarkSegment& s : negativePlan)
    negativeEvery = negativeEvery ||
                    (s.from == 0 && s.till == n - 1 && (s.classes & kAllWeekdays) == kAllWeekdays);
  if (negativeEvery) return;
  if (negativeVisible + margin < positiveVisible ||
      (negativeVisible < positiveVisible &&
       (negativePlan.size() < positivePlan.size() || dailyBut)))
    out.swap(negativeText);
}

}  // namespace qo
