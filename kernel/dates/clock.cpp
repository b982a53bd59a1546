#include "dates/clock.h"

#include <atomic>
#include <ctime>

namespace qo {
namespace {

// One word, so that a search thread reading the clock while a test sets it
// sees either the old or the new reading, never half of each. -1: system.
std::atomic<int64_t> g_fixed{-1};

struct LocalNow {
  DayNumber day;
  MinuteOfDay minute;
};

LocalNow ReadClock() {
  int64_t fixed = g_fixed.load(std::memory_order_relaxed);
  if (fixed >= 0)
    return {static_cast<DayNumber>(fixed >> 16), static_cast<MinuteOfDay>(fixed & 0xFFFF)};
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (!localtime_r(&now, &local)) return {kNoDate, 0};
  return {DmyToDay(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
          local.tm_hour * 60 + local.tm_min};
}

}  // namespace

DayNumber GetToday() { return ReadClock().day; }

MinuteOfDay NowMinuteOfDay() { return ReadClock().minute; }

void SetClockForTesting(DayNumber today, MinuteOfDay now) {
  g_fixed.store((static_cast<int64_t>(today) << 16) | (now & 0xFFFF), std::memory_order_relaxed);
}

void ResetClockForTesting() { g_fixed.store(-1, std::memory_order_relaxed); }

}  // namespace qo
