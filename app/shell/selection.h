#pragma once
// What a view has selected when a command asks for it (a board or a stop
// timetable of the selection), and where the selected train stops.
#include <span>

#include "Qo.h"

namespace vemo {

// Six ints, as views answer the question; `found` is nonzero when
// something is selected. For a train stop, `station` and `partner` are the
// station and its partner value (16 bits each) and `train` the train.
struct SelectedObject {
  int found = 0;
  int timetable = 0;
  int station = -1;
  int partner = -1;
  int reserved = 0;
  int train = -1;
  bool operator==(SelectedObject const&) const = default;
};

// The minute the train leaves the station: the stop at the station nearest
// to the end of the route (a line that passes a stop twice is shown at its
// later pass). 0 when the route does not pass the station or the stop has
// no departure (the last stop).
int DepartureMinuteAt(std::span<const ROUTE2_REC> route, int station);

}  // namespace vemo
