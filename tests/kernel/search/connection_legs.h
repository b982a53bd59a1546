#pragma once
// Legs of made-up connections for the checks that work on found lists
// (clean-up, order, fares) without running a search.
#include <cstdint>

#include "search/connection_leg.h"

namespace qo::test {

// A leg of `train` from station `from` to `to`; the times are minutes from
// midnight of the search day and may run into the following days.
inline ConnectionLeg Leg(int32_t train, int32_t from, int32_t to, int32_t departure,
                         int32_t arrival, int32_t distance = -1, int32_t timetable = 0) {
  ConnectionLeg leg;
  leg.Timetable = timetable;
  leg.Train = train;
  leg.FromStation = from;
  leg.ToStation = to;
  leg.DepartureDay = departure / 1440;
  leg.DepartureMinute = departure % 1440;
  leg.ArrivalDay = arrival / 1440;
  leg.ArrivalMinute = arrival % 1440;
  leg.Distance = distance;
  return leg;
}

}  // namespace qo::test
