#pragma once
// The connection search engines: one pass over one time window that finds,
// round by round (round r = r changes), the journeys from the From
// stations to the To stations, traces them into connections and appends
// them, sorted, to the working list. Each station keeps per via level a
// profile of the best arrivals over the departures from the origin, so one
// pass answers the whole window.
#include <cstdint>

#include "search/connection_leg.h"
#include "search/engine_request.h"

namespace qo {

// What one pass did.
struct EngineOutcome {
  int32_t Found = 0;        // connections in the working list afterwards
  int32_t RoundsDone = 0;   // rounds finished (round 0 counts as one)
  bool Stopped = false;     // the stop flag ended the pass
  bool TimedOut = false;    // the time limit ended the pass before its last round
};

// Searches by departure. The connections found go to `list` (appended,
// then the whole list sorted by departure); nothing is cleaned up yet:
// connections whose origin departure lies beyond the window carry the
// removal mark on their first leg.
EngineOutcome SearchForward(EngineRequest const& request, ConnectionList& list);

// Sorts a list by departure: first departure, last arrival, legs, the
// end stations' keys, timetable, then train.
void SortConnectionsByDeparture(ConnectionList& list);

}  // namespace qo
