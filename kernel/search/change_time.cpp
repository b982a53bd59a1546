#include "search/change_time.h"

#include "load/timetable_record.h"
#include "search/search_state.h"

namespace qo {

int32_t GetChangeTime(TimetableRecord const& t, uint16_t station, int32_t minute) {
  if (SearchStateOf(t).Change.DefaultMinTimes) {
    if (!t.DefaultChangeTimes.empty() && station < t.DefaultChangeTimes.size()) {
      int16_t own = t.DefaultChangeTimes[station];
      if (own >= 0) return own;
    } else if (t.HourlyChangeTimes.size() >= 24) {
      // Times of a pass may lie days before or after the search day.
      return t.HourlyChangeTimes[((minute + 144000) / 60) % 24];
    }
  }
  return SearchStateOf(t).Change.MinChangeTime;
}

int32_t GetMaxChangeTime(TimetableRecord const& t) { return SearchStateOf(t).Change.MaxChangeTime; }

}  // namespace qo
