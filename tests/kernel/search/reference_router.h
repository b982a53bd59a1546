#pragma once
// A small connection router for checking the kernel's search engine. It
// works on the writer's in-memory model (so the file reader is checked
// too) and shares no code with the kernel: it lists every trip of every
// train on the days around the search day and extends journeys round by
// round (round k = k changes), keeping at each station only the journeys
// that no journey with at most as many trips beats (leaves the origin no
// earlier and arrives no later).
//
// It models the engine's documented behaviour where that differs from a
// plain Pareto search:
// - every direct trip to the To station in the window is an answer, also
//   one that another direct trip overtakes;
// - a journey arriving at a station is not continued when another one
//   with no more trips left no earlier and arrived no earlier, although
//   with a longest change time the later arrival might have caught a
//   train the earlier one may not wait for;
// - nothing changes trains at the From or the To station, and a journey
//   never boards the train it arrived by again (on any day).
#include <cstdint>
#include <memory>
#include <set>
#include <tuple>

#include "writer/timetable_model.h"

namespace qo::test {

struct RouterQuery {
  uint16_t From = 0;
  uint16_t To = 0;
  uint16_t SearchDay = 0;  // day number
  int32_t WindowTime = 0;
  int32_t Interval = 360;
  int32_t MaxChanges = 5;
  bool ChangesAllowed = true;
};

struct Journey {
  int32_t Departure = 0;  // minutes from midnight of the search day
  int32_t Arrival = 0;
  int32_t Trips = 0;
  bool operator<(Journey const& o) const {
    return std::tie(Departure, Arrival, Trips) < std::tie(o.Departure, o.Arrival, o.Trips);
  }
  bool operator==(Journey const& o) const {
    return std::tie(Departure, Arrival, Trips) == std::tie(o.Departure, o.Arrival, o.Trips);
  }
};

struct ReferenceNetwork;

// The trips of a model on the days around one search day, listed once for
// many queries of that day.
class ReferenceRouter {
 public:
  ReferenceRouter(writer::TimetableModel const& model, uint16_t searchDay);
  ~ReferenceRouter();

  // The journeys the engine must hand out before any clean-up: departures
  // from the window time up to window time + interval.
  std::set<Journey> Journeys(RouterQuery const& q) const;

  // The earliest arrival at the To station of any journey that leaves the
  // From station between `first` and `last` with at most max changes + 1
  // trips, found without any pruning (every trip reachable within the
  // change times is followed). -1 when there is none. *departure gets the
  // latest departure that reaches it.
  int32_t EarliestArrival(RouterQuery const& q, int32_t first, int32_t last,
                          int32_t* departure) const;

 private:
  std::unique_ptr<ReferenceNetwork> network_;
  size_t stations_ = 0;
};

}  // namespace qo::test
