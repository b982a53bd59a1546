#include "shell/selection.h"

namespace vemo {

int DepartureMinuteAt(std::span<const ROUTE2_REC> route, int station) {
  for (auto stop = route.rbegin(); stop != route.rend(); ++stop)
    if (stop->station == station) return stop->departure >= 0 ? stop->departure : 0;
  return 0;
}

}  // namespace vemo
