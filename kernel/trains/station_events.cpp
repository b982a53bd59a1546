#include "trains/station_events.h"

#include <algorithm>
#include <vector>

#include "trains/station_index.h"

namespace qo {
namespace {

// One event as a key whose order is the list's: minute (signed), train,
// then the rest of the word (whose low 24 bits are the train).
uint64_t EventKey(uint8_t const* at) {
  auto minute = static_cast<uint64_t>(LoadLE<int16_t>(at) + 32768);
  uint32_t word = LoadLE<uint32_t>(at + 2);
  return minute << 32 | uint64_t{word & kEventTrainMask} << 8 | word >> 24;
}

void SortEvents(uint8_t* events, int32_t count) {
  // Each list is sorted once per loaded timetable; the scratch keeps its
  // capacity for the next list.
  static thread_local std::vector<uint64_t> keys;
  keys.clear();
  for (int32_t e = 0; e < count; ++e)
    keys.push_back(EventKey(events + static_cast<size_t>(e) * kStationEventBytes));
  std::sort(keys.begin(), keys.end());
  for (int32_t e = 0; e < count; ++e) {
    uint64_t key = keys[static_cast<size_t>(e)];
    uint8_t* at = events + static_cast<size_t>(e) * kStationEventBytes;
    StoreLE<int16_t>(at, static_cast<int16_t>(static_cast<int64_t>(key >> 32) - 32768));
    StoreLE<uint32_t>(at + 2, static_cast<uint32_t>((key >> 8) & kEventTrainMask) |
                                  static_cast<uint32_t>(key & 0xFF) << 24);
  }
}

}  // namespace

StationEventList SelectStationEvents(TimetableRecord& t, uint16_t station) {
  EnsureStationIndex(t);
  if (t.StationEventOffsets.empty() || t.StationEvents.empty()) return {};
  int32_t begin = static_cast<int32_t>(t.StationEventOffsets[station] / kStationEventBytes);
  int32_t end = static_cast<int32_t>(t.StationEventOffsets[station + 1] / kStationEventBytes);
  StationEventList list{t.StationEvents.At(begin), end - begin};
  // Marks exist only for lists built into heap memory at load; lists stored
  // in the file are sorted already and never written.
  if (station < t.EventsSorted.size() && !t.EventsSorted[station] && t.BuiltStationEvents.get()) {
    t.EventsSorted[station] = 1;
    SortEvents(t.BuiltStationEvents.get() + static_cast<size_t>(begin) * kStationEventBytes,
               list.count);
  }
  return list;
}

}  // namespace qo
