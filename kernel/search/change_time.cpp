#include "search/change_time.h"

#include "load/timetable_record.h"

namespace qo {

namespace {
constexpr int kMaxChangeSetting = 0;
constexpr int kMinChangeSetting = 1;
}  // namespace

int32_t GetChangeTime(TimetableRecord const& t, uint16_t station, int32_t minute) {
  if (t.DefaultChangeTimesFlag) {
    if (!t.DefaultChangeTimes.empty() && station < t.DefaultChangeTimes.size()) {
      int16_t own = t.DefaultChangeTimes[station];
      if (own >= 0) return own;
    } else if (t.HourlyChangeTimes.size() >= 24) {
      // Times of a pass may lie days before or after the search day.
      return t.HourlyChangeTimes[((minute + 144000) / 60) % 24];
    }
  }
  return static_cast<int32_t>(t.SearchDefaults[kMinChangeSetting].Current);
}

int32_t GetMaxChangeTime(TimetableRecord const& t) {
  return static_cast<int32_t>(t.SearchDefaults[kMaxChangeSetting].Current);
}

}  // namespace qo
