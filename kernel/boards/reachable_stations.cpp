#include "boards/reachable_stations.h"

#include "trains/station_events.h"
#include "trains/train_stops.h"
#include "trains/train_type.h"

namespace qo {

void MarkReachableStations(TimetableRecord& t, uint16_t station, bool from, uint32_t mask1,
                           uint32_t mask2, std::vector<uint8_t>& marks) {
  const StationEventList events = SelectStationEvents(t, station);
  for (int32_t e = 0; e < events.count; ++e) {
    const StationEvent event = events.At(e);
    if (from ? !event.Departs() : !event.Arrives()) continue;
    const uint32_t train = event.Train();
    if (!t.TrainTypeWords.empty()) {
      uint32_t word = GetTrainTypeWord(t, train, station);
      if ((word & ~mask1) != 0 || (word & mask2) == 0) continue;
    }
    const StopList stops = DecodeTrainStops(t, train);
    if (from) {
      int32_t i = 0;
      while (i < stops.count && stops.Station(i) != station) ++i;
      for (++i; i < stops.count; ++i) marks[stops.Station(i)] = 1;
    } else {
      int32_t i = stops.count - 1;
      while (i >= 0 && stops.Station(i) != station) --i;
      for (--i; i >= 0; --i) marks[stops.Station(i)] = 1;
    }
  }
  // A train that calls twice passes the station itself on the way.
  marks[station] = 0;
}

}  // namespace qo
