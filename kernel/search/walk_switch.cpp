#include "search/walk_switch.h"

#include "load/timetable_record.h"
#include "stations/station_access.h"

namespace qo {
namespace {

bool Switch(TimetableRecord& t, int32_t from, int32_t to, bool enable) {
  std::vector<int8_t>& minutes = t.WalkMinutes;
  bool switched = false;
  for (int32_t i = t.TransferOffsets[from]; i < t.TransferOffsets[from + 1]; ++i) {
    if (t.TransferStations[i] != to) continue;
    int8_t& value = minutes[static_cast<size_t>(i)];
    if ((value < 0) == enable) {
      value = static_cast<int8_t>(~value);
      switched = true;
    }
  }
  return switched;
}

}  // namespace

bool EnableWalk(TimetableRecord& t, int32_t keyA, int32_t keyB, bool enable) {
  if (t.TransferOffsets.empty() || t.StationKeys.empty()) return false;
  const int32_t a = SearchStationKey(t, keyA);
  const int32_t b = SearchStationKey(t, keyB);
  if (a < 0 || b < 0 || a == b) return false;
  std::vector<int8_t>& minutes = t.WalkMinutes;
  if (minutes.empty()) {
    minutes.resize(static_cast<size_t>(t.TransferValues.size()));
    for (int32_t i = 0; i < t.TransferValues.size(); ++i)
      minutes[static_cast<size_t>(i)] = t.TransferValues[i];
  }
  const bool there = Switch(t, a, b, enable);
  const bool back = Switch(t, b, a, enable);
  return back || there;
}

}  // namespace qo
