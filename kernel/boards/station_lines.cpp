#include "boards/station_lines.h"

#include "trains/station_events.h"

namespace qo {

void CollectStationLines(TimetableRecord& t, uint16_t station, bool departures, bool arrivals,
                         const BoardFilter& filter, std::vector<StationLine>& out) {
  const bool numbered = !t.MainNumbers.Values.empty();
  auto numberOf = [&](int32_t train) { return numbered ? t.MainNumbers.Values[train] : train; };
  const StationEventList events = SelectStationEvents(t, station);
  for (int32_t e = 0; e < events.count; ++e) {
    const StationEvent event = events.At(e);
    const bool departs = departures && event.Departs();
    const bool arrives = arrivals && event.Arrives();
    if (!departs && !arrives) continue;
    const uint32_t train = event.Train();
    if (!PassesBoardFilter(t, filter, train, station, event.DayOffset())) continue;
    const int32_t number = numberOf(static_cast<int32_t>(train));
    StationLine* line = nullptr;
    for (StationLine& l : out)
      if (numberOf(l.train) == number) {
        line = &l;
        break;
      }
    if (!line) {
      out.push_back({static_cast<int32_t>(train), 0, 0});
      line = &out.back();
    }
    if (departs) line->departs = 1;
    if (arrives) line->arrives = 1;
  }
}

}  // namespace qo
