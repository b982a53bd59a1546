#pragma once
// A station's train events: one 6-byte record per stop word of every train
// that calls there, {u16 minute; u32 train (bits 0-23), departs (bit 24),
// arrives (bit 25), day offset from the train's first day (bits 26-31,
// signed)}.
#include <cstdint>

#include "core/byte_order.h"
#include "load/timetable_record.h"

namespace qo {

inline constexpr int kStationEventBytes = 6;
inline constexpr uint32_t kEventTrainMask = 0xFFFFFF;
inline constexpr uint32_t kEventDeparts = 0x1000000;
inline constexpr uint32_t kEventArrives = 0x2000000;

struct StationEvent {
  uint16_t minute = 0;
  uint32_t word = 0;

  uint32_t Train() const { return word & kEventTrainMask; }
  bool Departs() const { return (word & kEventDeparts) != 0; }
  bool Arrives() const { return (word & kEventArrives) != 0; }
  // The six top bits read as a signed number.
  int DayOffset() const { return static_cast<int32_t>(word) >> 26; }
};

struct StationEventList {
  uint8_t const* data = nullptr;
  int32_t count = 0;

  StationEvent At(int32_t i) const {
    uint8_t const* at = data + static_cast<size_t>(i) * kStationEventBytes;
    return StationEvent{LoadLE<uint16_t>(at), LoadLE<uint32_t>(at + 2)};
  }
};

// Makes the station's event list current and returns it, sorted by minute,
// train and whole word. Lists that loading left unsorted are sorted here, the
// first time each is asked for; the event lists are built first when loading
// left that for later. `station` must be below StationCount. The list stays
// valid while the timetable is loaded.
StationEventList SelectStationEvents(TimetableRecord& t, uint16_t station);

}  // namespace qo
