#pragma once
// A train's stops as the queries walk them. The file stores a train either
// as its own list of stop words or as one word that refers to a pattern
// shared by many trains (the pattern's minutes are relative to the train's
// start). DecodeTrainStops gives every train as a final list; StopRange
// reads the same words one at a time without touching the record's work
// buffer, for callers that must not disturb the list another caller holds.
#include <cstdint>

#include "core/byte_order.h"
#include "format/stored_bits.h"
#include "load/timetable_record.h"

namespace qo {

// Time word bits of a stop word.
inline constexpr uint16_t kStopMinuteMask = 0x07FF;
inline constexpr uint16_t kStopMidnightBit = 0x2000;
// The flags a decoded pattern word keeps: every stop flag.
inline constexpr uint16_t kStopKeptFlags = kStopFlags;
inline constexpr int kStopWordBytes = 4;

// A list of 4-byte stop words {u16 time; u16 station}, either in the image
// or in the record's stop work buffer. Read as an unaligned u32 a word has
// the time in the low and the station in the high 16 bits.
struct StopList {
  uint8_t const* words = nullptr;
  int32_t count = 0;

  uint16_t Time(int32_t i) const { return LoadLE<uint16_t>(words + i * kStopWordBytes); }
  uint16_t Station(int32_t i) const { return LoadLE<uint16_t>(words + i * kStopWordBytes + 2); }
  int Minute(int32_t i) const { return Time(i) & kStopMinuteMask; }
  uint32_t Word(int32_t i) const { return LoadLE<uint32_t>(words + i * kStopWordBytes); }
};

// The stored words of one train, pattern references resolved, read one at a
// time: Minute(i) is the decoded minute of day (0..1440), Flags(i) the kept
// stop flags. The midnight bit needs the word before; DecodeTrainStops adds
// it.
class StopRange {
 public:
  StopRange(TimetableRecord const& t, uint32_t train);

  int32_t size() const { return count_; }
  uint16_t Station(int32_t i) const { return LoadLE<uint16_t>(At(i) + 2); }
  int Minute(int32_t i) const;
  uint16_t Flags(int32_t i) const { return LoadLE<uint16_t>(At(i)) & kStopKeptFlags; }
  // True when the train is stored as a reference to a shared pattern.
  bool IsReference() const { return reference_; }

 private:
  uint8_t const* At(int32_t i) const { return data_ + static_cast<size_t>(i) * kStopWordBytes; }

  uint8_t const* data_ = nullptr;
  int32_t count_ = 0;
  int start_ = 0;
  bool reference_ = false;
};

// The stored time shift of a station (minutes), 0 without shifts.
inline int StationShift(TimetableRecord const& t, uint16_t station) {
  return t.StationTimeShifts.empty() ? 0 : t.StationTimeShifts[station];
}

// Decodes train `train` (below TrainCount) into the timetable's current
// stop list and returns it: a stored list as it is, a pattern reference
// expanded into the stop work buffer. The list stays valid until the next
// DecodeTrainStops on this timetable.
StopList DecodeTrainStops(TimetableRecord& t, uint32_t train);

// Days between the previous stop word and this one: 0, 1, 2 (an air
// timetable's jump across time zones of more than a day) or -1 (a backward
// jump across time zones).
int GetStopDayStep(TimetableRecord const& t, uint16_t previousTime, uint16_t previousStation,
                   uint16_t time, uint16_t station);

// Rides walk this at every stop: the common word without the midnight bit
// is answered here.
inline int GetStopDayStep(TimetableRecord const& t, StopList const& stops, int32_t i) {
  return i <= 0 || !(stops.Time(i) & kStopMidnightBit)
             ? 0
             : GetStopDayStep(t, stops.Time(i - 1), stops.Station(i - 1), stops.Time(i),
                              stops.Station(i));
}

}  // namespace qo
