// Random day sets must always get a text, and the English text, read back
// by a small reader of the generated words, must give exactly the days.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "dates/day_number.h"
#include "dayremarks/day_remark_text.h"

namespace qo::test {
namespace {

// Reads the English words back into a day set over n days from `first`.
// Dates carry no year, so the reader needs periods of at most a year.
class Reader {
 public:
  Reader(const std::string& text, int first, int n) : s_(text), first_(first), n_(n) {}

  bool Read(std::vector<uint8_t>& days) {
    days.assign(static_cast<size_t>(n_), 0);
    if (s_ == "runs never") return true;
    while (pos_ < s_.size()) {
      if (Eat("runs daily")) {
        SetForm(1);
        Unit& u = NewUnit();
        u.classes = 0x7F;
        continue;
      }
      if (Eat("runs not ")) {
        SetForm(2);
        continue;
      }
      if (Eat("runs ")) {
        SetForm(1);
        continue;
      }
      if (Eat(", ")) {
        open_ = false;
        continue;
      }
      if (Eat(" and ")) {
        if (!units_.empty()) units_.back().andNext = true;
        open_ = false;
        continue;
      }
      if (Eat(" ")) continue;
      if (Eat("from ")) {
        Unit& u = NewUnit();
        u.from = Date();
        continue;
      }
      if (Eat("till ")) {
        Unit& u = open_ ? units_.back() : NewUnit();
        u.till = Date();
        if (u.till < 0) return false;
        continue;
      }
      if (std::isdigit(static_cast<unsigned char>(s_[pos_]))) {
        Unit& u = NewUnit();
        u.from = u.till = Date();
        open_ = false;
        continue;
      }
      static const char* parities[] = {"in odd weeks", "in even weeks", "on odd days",
                                       "on even days"};
      bool parity = false;
      for (int p = 0; p < 4; ++p) {
        if (Eat(parities[p])) {
          (open_ ? units_.back() : NewUnit()).parity = p + 1;
          parity = true;
        }
      }
      if (parity) continue;
      if (Eat("on ")) {
        Unit& u = open_ ? units_.back() : NewUnit();
        if (!Weekdays(u.classes)) return false;
        for (size_t k = units_.size() - 1; k > 0 && units_[k - 1].andNext; --k)
          if (!units_[k - 1].classes) units_[k - 1].classes = u.classes;
        continue;
      }
      stuck_ = pos_;
      return false;  // a word the reader does not know
    }
    // Dates without a month word take the next month word of the text.
    for (size_t k = dates_.size(); k-- > 0;)
      if (dates_[k].month == 0) {
        if (k + 1 == dates_.size()) return false;
        dates_[k].month = dates_[k + 1].month;
      }
    // Exceptions never hold a running day, so they come off the union.
    std::vector<std::vector<uint8_t>> sets, removed;
    std::vector<uint8_t> listed(static_cast<size_t>(n_), 0);  // days named by a plain date
    for (Unit& u : units_) {
      int from = u.from < 0 ? 0 : Position(dates_[static_cast<size_t>(u.from)]);
      int till = u.till < 0 ? n_ - 1 : Position(dates_[static_cast<size_t>(u.till)]);
      if (from < 0 || till < 0) {
        stuck_ = 900000 + static_cast<size_t>(from) * 1000 + static_cast<size_t>(till + 1);
        return false;
      }
      std::vector<uint8_t> set(static_cast<size_t>(n_), 0);
      for (int p = from; p <= till; ++p) {
        int day = first_ + p, w = WeekdayOf(day);
        int cls = w == 0 ? 6 : w - 1;
        if (u.classes && !(u.classes >> cls & 1)) continue;
        if (u.parity && Parity(day, u.parity) != u.parity) continue;
        set[static_cast<size_t>(p)] = 1;
        if (!u.classes && !u.parity && !u.exception && u.from >= 0 && u.till >= 0)
          twice_ = twice_ || listed[static_cast<size_t>(p)]++ > 0;
      }
      (u.exception ? removed : sets).push_back(std::move(set));
    }
    for (const auto& set : sets)
      for (int p = 0; p < n_; ++p) days[static_cast<size_t>(p)] |= set[static_cast<size_t>(p)];
    for (const auto& set : removed)
      for (int p = 0; p < n_; ++p)
        if (set[static_cast<size_t>(p)]) days[static_cast<size_t>(p)] = 0;
    if (top_ == 2)
      for (uint8_t& d : days) d = !d;
    return true;
  }

 private:
  struct Unit {
    int from = -1, till = -1;  // indexes of dates_; -1 the period's end
    uint16_t classes = 0;
    int parity = 0;
    bool andNext = false;
    bool exception = false;
  };
  struct DateRef {
    int day = 0, month = 0;
  };

  bool Eat(const char* word) {
    size_t len = std::strlen(word);
    if (s_.compare(pos_, len, word) != 0) return false;
    pos_ += len;
    return true;
  }
  void SetForm(int form) {
    if (!top_) top_ = form;
    form_ = form;
    open_ = false;
  }
  Unit& NewUnit() {
    Unit u;
    u.exception = form_ != top_;
    units_.push_back(u);
    open_ = true;
    return units_.back();
  }
  int Date() {
    int day = 0;
    while (pos_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_])))
      day = day * 10 + (s_[pos_++] - '0');
    DateRef ref{day, 0};
    static const char* months[] = {"XII.", "XI.", "X.",  "IX.",  "VIII.", "VII.",
                                   "VI.",  "V.",  "IV.", "III.", "II.",   "I."};
    for (int m = 0; m < 12; ++m) {
      std::string word = std::string(" ") + months[m];
      if (s_.compare(pos_, word.size(), word) == 0) {
        ref.month = 12 - m;
        pos_ += word.size();
        break;
      }
    }
    dates_.push_back(ref);
    return static_cast<int>(dates_.size()) - 1;
  }
  bool Weekdays(uint16_t& classes) {
    static const char* names[] = {"Mo", "Tu", "We", "Th", "Fr", "Sa", "Su"};
    auto name = [&]() {
      for (int d = 0; d < 7; ++d)
        if (Eat(names[d])) return d;
      return -1;
    };
    do {
      int a = name();
      if (a < 0) return false;
      int b = a;
      if (Eat("-")) b = name();
      if (b < a) return false;
      for (int d = a; d <= b; ++d) classes |= static_cast<uint16_t>(1u << d);
    } while (s_.compare(pos_, 2, ", ") != 0 && Eat(","));
    return true;
  }
  int Position(const DateRef& ref) const {
    for (int p = 0; p < n_; ++p) {
      int d, m, y;
      DayToDmy(first_ + p, &d, &m, &y);
      if (d == ref.day && m == ref.month) return p;
    }
    return -1;
  }
  static int Parity(int day, int kind) {
    int d, m, y;
    if (kind <= 2) {
      int w = WeekdayOf(day);
      int thursday = day - (w == 0 ? 7 : w) + 4;
      DayToDmy(thursday, &d, &m, &y);
      return ((thursday - DmyToDay(y, 1, 1)) / 7 + 1) % 2 ? 1 : 2;
    }
    DayToDmy(day, &d, &m, &y);
    return (day - DmyToDay(y, 1, 1) + 1) % 2 ? 3 : 4;
  }

  const std::string& s_;

 public:
  size_t stuck_ = 0;
  bool twice_ = false;  // a date named twice in the same form
 private:
  int first_, n_;
  size_t pos_ = 0;
  int form_ = 0, top_ = 0;
  bool open_ = false;
  std::vector<Unit> units_;
  std::vector<DateRef> dates_;
};

// Day sets with structure (weekly patterns, runs, parity) and noise, as
// calendars have them, plus fully random ones.
std::vector<uint8_t> RandomDays(std::mt19937& rng, int first, int n) {
  std::uniform_int_distribution<int> pick(0, 99);
  std::vector<uint8_t> days(static_cast<size_t>(n));
  const int kind = pick(rng) % 5;
  const int mask = pick(rng) % 127 + 1;
  const int noise = pick(rng) % 10;
  const int cut1 = pick(rng) * n / 100, cut2 = pick(rng) * n / 100;
  for (int p = 0; p < n; ++p) {
    int day = first + p, w = WeekdayOf(day), cls = w == 0 ? 6 : w - 1;
    bool on;
    switch (kind) {
      case 0:
        on = pick(rng) < 50;
        break;
      case 1:
        on = mask >> cls & 1;
        break;
      case 2:
        on = (mask >> cls & 1) && p >= std::min(cut1, cut2) && p <= std::max(cut1, cut2);
        break;
      case 3:
        on = (mask >> cls & 1) && ((day / 7) % 2 == 0);
        break;
      default:
        on = p % 2 == 0;
        break;
    }
    if (pick(rng) < noise) on = !on;
    days[static_cast<size_t>(p)] = on;
  }
  return days;
}

TEST(DayRemarkRoundTrip, RandomDaySetsReadBackExactly) {
  std::mt19937 rng(20261210);
  std::uniform_int_distribution<int> length(1, 365), start(0, 3000);
  const int base = DmyToDay(2024, 1, 1);
  std::string text;
  for (int round = 0; round < 2500; ++round) {
    const int first = base + start(rng), n = length(rng);
    std::vector<uint8_t> days = RandomDays(rng, first, n);
    MakeDayRemarkText(first, days.data(), n, 'E', 0, DayRemarkContext{}, text);
    std::vector<uint8_t> read;
    Reader reader(text, first, n);
    ASSERT_TRUE(reader.Read(read)) << "at " << reader.stuck_ << " "
                                   << "round " << round << " n " << n << ": [" << text << "]";
    std::string diff;
    for (int p = 0; p < n; ++p)
      if (read[static_cast<size_t>(p)] != days[static_cast<size_t>(p)])
        diff += std::to_string(p) + " ";
    ASSERT_TRUE(diff.empty()) << "round " << round << " first " << first << " n " << n << ": "
                              << text << " differs at " << diff;
    ASSERT_FALSE(reader.twice_) << "round " << round << ": " << text;
  }
}

TEST(DayRemarkRoundTrip, EveryDaySetOfMoreThanAYearGetsAText) {
  std::mt19937 rng(7);
  const int base = DmyToDay(2025, 1, 1);
  std::string text;
  for (int round = 0; round < 300; ++round) {
    const int n = 366 + round % 35;
    std::vector<uint8_t> days = RandomDays(rng, base, n);
    MakeDayRemarkText(base, days.data(), n, 'C', 0, DayRemarkContext{}, text);
    EXPECT_FALSE(text.empty());
  }
}

}  // namespace
}  // namespace qo::test
