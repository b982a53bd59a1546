#include "search/search_reach.h"

#include <algorithm>
#include <cstddef>

#include "calendars/day_type_state.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "search/change_time.h"
#include "search/floor_math.h"
#include "search/search_limits.h"
#include "search/search_params.h"
#include "search/search_scratch.h"
#include "search/search_state.h"
#include "trains/running_day.h"
#include "trains/station_events.h"
#include "trains/train_stops.h"

namespace qo {
namespace {

bool TakesPart(TimetableRecord const& t) { return DayTypesOf(t).Filter.TypeMask != kIncludeNone; }

// The most minutes any train of the timetable takes between two of its
// stops, and the most a time-zone step takes it back; known once per
// loaded timetable (kept in its engine scratch).
struct RideSpan {
  int32_t Longest = 0;
  int32_t Back = 0;
};

RideSpan RideSpanOf(TimetableRecord& t) {
  EngineScratch* scratch = SearchStateOf(t).Engine.get();
  if (scratch && scratch->LongestRide >= 0) return {scratch->LongestRide, scratch->LongestStepBack};
  int64_t longest = 0;
  int64_t back = 0;
  for (uint32_t train = 0; train < t.TrainCount; ++train) {
    const StopList stops = DecodeTrainStops(t, train);
    // Minutes from the first stop; the rise from the lowest stop so far,
    // the fall from the highest.
    int64_t at = 0, lowest = 0, highest = 0;
    for (int32_t j = 1; j < stops.count; ++j) {
      at += int64_t{GetStopDayStep(t, stops, j)} * 1440 + stops.Minute(j) - stops.Minute(j - 1);
      longest = std::max(longest, at - lowest);
      back = std::max(back, highest - at);
      lowest = std::min(lowest, at);
      highest = std::max(highest, at);
    }
  }
  const RideSpan span{static_cast<int32_t>(std::min<int64_t>(longest, kLatestTime)),
                      static_cast<int32_t>(std::min<int64_t>(back, kLatestTime))};
  if (scratch) {
    scratch->LongestRide = span.Longest;
    scratch->LongestStepBack = span.Back;
  }
  return span;
}

// Calls f(minute of the search day) for the station's events within the
// reach whose train runs on that day (under any day type; any event of
// the train will do: the word that ends a ride there is the train's too),
// until f returns false.
template <typename F>
void ForEachRunningEvent(PassReach const& reach, TimetableRecord& t, int32_t station, F&& f) {
  const StationEventList events = SelectStationEvents(t, static_cast<uint16_t>(station));
  SearchFilter const& filter = DayTypesOf(t).Filter;
  for (int64_t day = FloorDiv(reach.Early, 1440); day <= FloorDiv(reach.Late, 1440); ++day) {
    for (int32_t i = 0; i < events.count; ++i) {
      const StationEvent ev = events.At(i);
      const int64_t time = day * 1440 + ev.minute;
      if (time >= reach.Early && time <= reach.Late &&
          RunsOnDayAnyType(filter, t, static_cast<int32_t>(day), ev) && !f(time))
        return;
    }
  }
}

}  // namespace

PassReach ReachOfPass(SearchRun const& run, bool backward, int maxChanges) {
  int64_t ride = 0;
  int64_t stepBack = 0;
  int64_t wait = 0;
  for (TimetableRecord* t : LoadedSet()) {
    if (!TakesPart(*t)) continue;
    const RideSpan span = RideSpanOf(*t);
    ride = std::max<int64_t>(ride, span.Longest);
    stepBack = std::max<int64_t>(stepBack, span.Back);
    wait = std::max<int64_t>(wait, GetMaxChangeTime(*t));
  }
  const int64_t walk = std::max(CurrentSearchSettings().Parms.ArcLength, 0);
  // Round 0 boards within the window and its slack; every later round
  // waits, rides and walks at most once (a walk never follows a walk).
  const int64_t length = run.WindowLength;
  const int64_t boarding = std::min<int64_t>(length + std::min<int64_t>(length / 2, 120), 1439);
  const int64_t reach = boarding + ride + walk + int64_t{maxChanges} * (wait + ride + walk);
  // On the pass's scale: from the window on, and not before it but by the
  // steps back of the rides.
  const int64_t start = backward ? kMirror - run.WindowMinute : run.WindowMinute;
  const int64_t last = std::min<int64_t>(start + reach, kLatestTime);
  const int64_t first = start - stepBack * (maxChanges + 1);
  // The same span as minutes of the search day.
  return PassReach{backward ? kMirror - last : first, backward ? kMirror - first : last,
                   static_cast<int32_t>(stepBack)};
}

bool EndWithinReach(SearchRun const& run, bool backward, PassReach const& reach) {
  StationSet const& ends = backward ? run.Request.From : run.Request.To;
  for (SearchStation const& end : ends) {
    if (!end.timetable || !TakesPart(*end.timetable) || end.station < 0) continue;
    TimetableRecord& t = *end.timetable;
    if (static_cast<uint32_t>(end.station) >= t.StationCount) return true;
    bool found = false;
    ForEachRunningEvent(reach, t, end.station, [&](int64_t) {
      found = true;
      return false;
    });
    if (found) return true;
  }
  return false;
}

void EndTimesWithinReach(PassReach const& reach, bool backward, TimetableRecord& t, int32_t station,
                         std::vector<int32_t>& times) {
  if (station < 0 || static_cast<uint32_t>(station) >= t.StationCount) return;
  const auto first = static_cast<std::ptrdiff_t>(times.size());
  ForEachRunningEvent(reach, t, station, [&](int64_t time) {
    times.push_back(static_cast<int32_t>(backward ? kMirror - time : time));
    return true;
  });
  std::sort(times.begin() + first, times.end());
  times.erase(std::unique(times.begin() + first, times.end()), times.end());
}

}  // namespace qo
