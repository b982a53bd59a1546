#include "boards/station_sets.h"

#include "boards/reachable_stations.h"
#include "core/byte_order.h"
#include "frame/error_codes.h"
#include "trains/station_events.h"
#include "trains/train_type.h"
#include "virtlists/virt_lists.h"

namespace qo {

namespace {

// The stations of item `item` of `record`, those within the timetable.
void AppendItemStations(const TimetableRecord& t, const VirtListRecord& record, int32_t item,
                        std::vector<uint16_t>& out) {
  const uint8_t* members = nullptr;
  const uint8_t* bytes = nullptr;
  int32_t count = ItemStations(record, item, &members, &bytes);
  if (count > 0 && record.ItemStationRanges.empty()) count = 1;  // the item is a station
  for (int32_t i = 0; i < count; ++i) {
    uint16_t s = LoadLE<uint16_t>(members + 2 * static_cast<size_t>(i));
    if (s < t.StationCount) out.push_back(s);
  }
}

}  // namespace

int ItemMemberStations(const TimetableRecord& t, int item, int list, std::vector<uint16_t>& out) {
  out.clear();
  if (list >= 0 && static_cast<uint32_t>(list) >= t.VirtLists.size()) return ErrVirtListIndex;
  if (item < 0 || item >= CandidateCount(t, list < 0 ? -1 : list)) return ErrStationIndex;
  if (list < 0) {
    out.push_back(static_cast<uint16_t>(item));
    return ErrNone;
  }
  AppendItemStations(t, t.VirtLists[static_cast<size_t>(list)], item, out);
  return ErrNone;
}

int MarkReachableStationsVL(TimetableRecord& t, int item, int list, int target, bool from,
                            uint32_t mask1, uint32_t mask2, std::vector<uint8_t>& scratch,
                            std::vector<uint8_t>& marks) {
  if (target >= 0 && static_cast<uint32_t>(target) >= t.VirtLists.size()) return ErrVirtListIndex;
  std::vector<uint16_t> members;
  if (int error = ItemMemberStations(t, item, list, members)) return error;
  // Each member on its own array, so that one member never unmarks another
  // that an earlier member reaches.
  std::vector<uint8_t> reached(t.StationCount, 0);
  for (uint16_t s : members) {
    scratch.assign(t.StationCount, 0);
    MarkReachableStations(t, s, from, mask1, mask2, scratch);
    for (uint32_t i = 0; i < t.StationCount; ++i) reached[i] |= scratch[i];
  }
  if (target < 0) {
    marks.swap(reached);
    return ErrNone;
  }
  const VirtListRecord& record = t.VirtLists[static_cast<size_t>(target)];
  const int32_t items = CandidateCount(t, target);
  marks.assign(static_cast<size_t>(items > 0 ? items : 0), 0);
  for (int32_t i = 0; i < items; ++i) {
    members.clear();
    AppendItemStations(t, record, i, members);
    for (uint16_t s : members)
      if (reached[s]) {
        marks[static_cast<size_t>(i)] = 1;
        break;
      }
  }
  return ErrNone;
}

int CollectStationLinesVL(TimetableRecord& t, int item, int list, bool departures, bool arrivals,
                          const BoardFilter& filter, std::vector<StationLine>& out) {
  out.clear();
  std::vector<uint16_t> members;
  if (int error = ItemMemberStations(t, item, list, members)) return error;
  for (uint16_t s : members) CollectStationLines(t, s, departures, arrivals, filter, out);
  return ErrNone;
}

void CollectArrDepTypes(TimetableRecord& t, const uint16_t* stations, int count, uint32_t* out) {
  for (int i = 0; i < count; ++i) {
    uint32_t word = 0;
    const uint16_t station = stations[i];
    if (station < t.StationCount) {
      const StationEventList events = SelectStationEvents(t, station);
      for (int32_t e = 0; e < events.count; ++e)
        word |= GetTrainTypeWord(t, events.At(e).Train(), station);
    }
    out[i] = word;
  }
}

}  // namespace qo
