#pragma once
// Runs the engines on a loaded set the way the window loop does,
// and reads its answers as journeys the reference router can be compared
// with.
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "calendars/day_type_state.h"
#include "kernel/loading/loading_test_support.h"
#include "kernel/search/reference_router.h"
#include "search/connection_order.h"
#include "search/search_control.h"
#include "search/search_lower_bound.h"
#include "search/search_marks.h"
#include "search/search_params.h"
#include "search/search_run.h"

namespace qo::test {

// Makes every loaded timetable take part and search the day (its calendar
// index).
inline void SetSearchDay(uint16_t day) {
  for (TimetableRecord* t : LoadedSet()) {
    DayTypesOf(*t).Filter.TypeMask = 0xFFFFFFFF;
    DayTypesOf(*t).Filter.DayTypeMode = false;
    DayTypesOf(*t).Filter.DayOffset = static_cast<int32_t>(day) - static_cast<int32_t>(t->FirstDay);
  }
}

// A timetable `id` of one kind with `stations` stops keyed from
// `firstKey`, at each of which a journey may alight, and 2 minutes'
// change: the ground of the checks over several timetables.
inline w::TimetableModel LineTimetable(uint32_t id, uint8_t kind, int stations, int32_t firstKey) {
  w::TimetableModel m;
  m.id = id;
  m.kind = kind;
  m.names = {"Timetable " + std::to_string(id)};
  for (int s = 0; s < stations; ++s)
    m.stations.push_back({.name = {"Stop " + std::to_string(id) + "/" + std::to_string(s)},
                          .key = firstKey + s,
                          .type = 0x01});
  m.train_types = {{.abbreviation = {"Os"}, .description = {"Train"}}};
  m.search.min_change_time = 2;
  return m;
}

// A train of the given stops under a number.
inline w::Train Trip(std::vector<w::Stop> stops, std::string number) {
  return {.stops = std::move(stops), .number = std::move(number)};
}

// One pass as the front sets it up: the From, To and via stations of any
// loaded timetables, the change points, and the window from `Time`.
struct PassSetup {
  StationSet From{}, To{};
  std::vector<StationSet> Via{};
  StationSet ChangePoints{};
  int32_t Time = 0;
  int32_t WindowLength = 60;
  int32_t MaxChanges = 0;
  bool ChangesAllowed = true;  // the request's; the engine call carries its own
  // Marks the ends and via points before the pass and puts stops-in-via
  // back after it, as a request does; a pass without them runs on the
  // marks a fresh run starts with.
  bool Marks = false;
};

// Sets up the current search from `setup` and runs one pass over the
// window, computing its bounds: forward from the window time, or backward
// to it. The run holds what the pass found.
inline SearchRun& RunSearch(PassSetup const& setup, EngineCall call, SearchDirection direction) {
  SearchRun& run = CurrentSearchRun();
  run = SearchRun{};
  run.Request.From = setup.From;
  run.Request.To = setup.To;
  run.Request.ViaCount = static_cast<int32_t>(setup.Via.size());
  for (size_t k = 0; k < setup.Via.size(); ++k) run.Request.Via[k] = setup.Via[k];
  run.Request.ChangePoints = setup.ChangePoints;
  run.Request.ChangesAllowed = setup.ChangesAllowed;
  run.Request.ByDeparture = direction == SearchDirection::Forward;
  run.Request.Time = setup.Time;
  run.WindowTime = run.WindowMinute = setup.Time;
  run.WindowLength = setup.WindowLength;
  CurrentSearchSettings().Parms.MaxChanges = setup.MaxChanges;
  if (setup.Marks) PrepareSearchMarks(run, direction == SearchDirection::Backward);
  call.ComputeBounds = true;
  if (direction == SearchDirection::Forward)
    SearchForward(call);
  else
    SearchBackward(call);
  if (setup.Marks) FreeLabels(run);
  return run;
}

// One pass for one From and one To station of timetable 0, as the
// reference router is asked.
inline ConnectionList RunPass(RouterQuery const& q, EngineCall call, SearchDirection direction) {
  TimetableRecord* t = LoadedSet()[0];
  call.ChangesAllowed = q.ChangesAllowed;
  return RunSearch({.From = {{.timetable = t, .station = q.From}},
                    .To = {{.timetable = t, .station = q.To}},
                    .Time = q.WindowTime,
                    .WindowLength = q.Interval,
                    .MaxChanges = q.MaxChanges,
                    .ChangesAllowed = q.ChangesAllowed},
                   call, direction)
      .Found;
}

inline ConnectionList RunForward(RouterQuery const& q, EngineCall call = {}) {
  return RunPass(q, call, SearchDirection::Forward);
}

inline ConnectionList RunBackward(RouterQuery const& q, EngineCall call = {}) {
  return RunPass(q, call, SearchDirection::Backward);
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

// All journeys of a pass, also those marked for removal.
inline std::set<Journey> AllJourneys(ConnectionList const& list) {
  std::set<Journey> out;
  for (Connection const& c : list)
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

// Every engine test starts from the built-in settings and no stop.
class EngineTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    BeginSearch();
  }
  void TearDown() override {
    CurrentSearchRun() = SearchRun{};
    ResetConnParms(nullptr);
    SetSearchTimeLimit(0);
    ResetTickCountForTesting();
    ResetLabelsBeforeLowerBoundsForTesting();
    LoadingTest::TearDown();
  }
};

}  // namespace qo::test
