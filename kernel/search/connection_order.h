#pragma once
// The order of found connections, and the absolute times it compares.
#include <cstdint>

#include "search/search_run.h"

namespace qo {

// Minutes from midnight of the search day.
inline int32_t LegDeparture(ConnectionLeg const& leg) {
  return leg.DepartureDay * 1440 + leg.DepartureMinute;
}
inline int32_t LegArrival(ConnectionLeg const& leg) {
  return leg.ArrivalDay * 1440 + leg.ArrivalMinute;
}

// By departure: first departure, last arrival, legs, the end stations'
// keys, timetable, then the first train (group variants last), its index
// and the connection ID.
void SortConnectionsByDeparture(ConnectionList& list);

// By arrival: last arrival, first departure, then as by departure.
void SortConnectionsByArrival(ConnectionList& list);

}  // namespace qo
