#pragma once
// Runs the forward engine on a loaded set the way the window loop does,
// and reads its answers as journeys the reference router can be compared
// with.
#include <set>

#include "kernel/loading/loading_test_support.h"
#include "kernel/search/reference_router.h"
#include "search/search_engine.h"

namespace qo::test {

// Makes every loaded timetable search the day (its calendar index).
inline void SetSearchDay(uint16_t day) {
  for (TimetableRecord* t : LoadedSet()) {
    t->Search.Filter.DayTypeMode = false;
    t->Search.Filter.DayOffset = static_cast<int32_t>(day) - static_cast<int32_t>(t->FirstDay);
  }
}

inline EngineRequest RequestFor(RouterQuery const& q, int timetable = 0) {
  EngineRequest r;
  r.From = {{.Timetable = timetable, .Station = q.From}};
  r.To = {{.Timetable = timetable, .Station = q.To}};
  r.WindowTime = q.WindowTime;
  r.Interval = q.Interval;
  r.MaxChanges = q.MaxChanges;
  r.ChangesAllowed = q.ChangesAllowed;
  return r;
}

// The connections a pass found within the window (those without the
// removal mark), as journeys.
inline std::set<Journey> Journeys(ConnectionList const& list) {
  std::set<Journey> out;
  for (Connection const& c : list)
    if (!c.front().RemovalMark)
      out.insert({LegDeparture(c.front()), LegArrival(c.back()), static_cast<int32_t>(c.size())});
  return out;
}

inline std::string Describe(std::set<Journey> const& journeys) {
  std::string out;
  for (Journey const& j : journeys)
    out += " " + std::to_string(j.Departure) + "-" + std::to_string(j.Arrival) + "/" +
           std::to_string(j.Trips);
  return out.empty() ? " (none)" : out;
}

}  // namespace qo::test
