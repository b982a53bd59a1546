#include "search/search_run.h"

#include <chrono>

#include "calendars/day_type_state.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"

namespace qo {
namespace {

SearchEngineFunction g_testEngine = nullptr;

}  // namespace

SearchRun& CurrentSearchRun() {
  static SearchRun run;
  return run;
}

int64_t SearchClockNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

SearchDirection DirectionOf(SearchRequest const& request) {
  return request.ByDeparture ? SearchDirection::Forward : SearchDirection::Backward;
}

int RunSearchEngine(EngineCall const& call) {
  SearchRun& run = CurrentSearchRun();
  if (g_testEngine) return g_testEngine(run, call);
  return DirectionOf(run.Request) == SearchDirection::Forward ? SearchForward(call)
                                                              : SearchBackward(call);
}

void SetSearchEngineForTesting(SearchEngineFunction engine) { g_testEngine = engine; }

void RebaseConnectionDays(SearchRun& run) {
  if (LoadedCount() == 0) return;
  DayTypeState const& first = DayTypesOf(*TimetableAt(0));
  const int32_t shift = first.Filter.DayOffset - first.BaseDayOffset;
  if (shift != 0) {
    for (Connection& connection : run.Found) {
      for (ConnectionLeg& leg : connection) {
        leg.DepartureDay += shift;
        leg.ArrivalDay += shift;
      }
    }
  }
  for (TimetableRecord* t : LoadedSet()) {
    DayTypeState& days = DayTypesOf(*t);
    days.Filter.DayOffset = days.BaseDayOffset;
  }
}

}  // namespace qo
