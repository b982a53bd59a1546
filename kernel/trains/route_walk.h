#pragma once
// Walking a train's route stop by stop. A stop with different arrival and
// departure times is two stop words at one station; the walks here take the
// words of one station together, reading the stored words (StopRange) so
// that no caller's decoded list is disturbed.
#include <cstdint>
#include <string_view>

#include "trains/train_stops.h"

namespace qo {

struct RouteStop {
  uint16_t Station = 0;
  int32_t FirstWord = 0;  // the arrival word (or the only one)
  int32_t LastWord = 0;   // the departure word (or the only one)
};

// Calls f(stop) for each stop of the range in order; f returns false to
// stop the walk.
template <class F>
void ForEachStop(StopRange const& words, F&& f) {
  for (int32_t i = 0; i < words.size();) {
    RouteStop stop{words.Station(i), i, i};
    while (stop.LastWord + 1 < words.size() && words.Station(stop.LastWord + 1) == stop.Station)
      ++stop.LastWord;
    if (!f(stop)) return;
    i = stop.LastWord + 1;
  }
}

// True when a remark announces something at the minute: it holds ':' and
// the time written " H:MM)" (or ".H:MM)", the blank written as a dot).
bool RemarkNamesTime(std::string_view remark, int minute);

// The last blank-separated word of a text.
std::string_view LastWord(std::string_view text);

}  // namespace qo
