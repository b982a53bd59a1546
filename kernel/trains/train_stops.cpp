#include "trains/train_stops.h"

#include "format/stored_bits.h"

namespace qo {
namespace {

int32_t RangeBegin(TimetableRecord const& t, int64_t range) {
  return static_cast<int32_t>(t.TrainStopOffsets[static_cast<int32_t>(range)] / kStopWordBytes);
}

}  // namespace

StopRange::StopRange(TimetableRecord const& t, uint32_t train) {
  int32_t first = RangeBegin(t, train);
  int32_t count = RangeBegin(t, int64_t{train} + 1) - first;
  if (count == 1) {
    // A reference: the start minute and the pattern's index, whose range
    // follows the trains' ranges (checked at load).
    uint16_t time = t.TrainStopData.Field<uint16_t>(first, 0);
    uint16_t low = t.TrainStopData.Field<uint16_t>(first, 2);
    int64_t pattern = int64_t{t.TrainCount} + ((time >> 12) & 0xF) * int64_t{65536} + low;
    start_ = time & kStopMinuteMask;
    reference_ = true;
    first = RangeBegin(t, pattern);
    count = RangeBegin(t, pattern + 1) - first;
  }
  data_ = count > 0 ? t.TrainStopData.At(first) : nullptr;
  count_ = count;
}

int StopRange::Minute(int32_t i) const {
  int minute = LoadLE<uint16_t>(At(i)) & kStopMinuteMask;
  if (!reference_) return minute;
  minute += start_;
  // A pattern may run for longer than a day: reduce into 1..1440 so that an
  // arrival at midnight stays 1440 (the end of the day), as in stored lists.
  if (minute > 1440) minute = (minute - 1) % 1440 + 1;
  if (minute == 1440 && i + 1 < count_ && Station(i + 1) != Station(i)) minute = 0;
  return minute;
}

StopList DecodeTrainStops(TimetableRecord& t, uint32_t train) {
  StopRange range(t, train);
  if (!range.IsReference()) {
    int32_t first = RangeBegin(t, train);
    return StopList{t.TrainStopData.At(first), range.size()};
  }
  // The work buffer holds MaxTrainStops words, and the load checks made
  // every pattern fit in it.
  auto* out = reinterpret_cast<uint8_t*>(t.StopWorkBuffer.data());
  int previousLocal = 0;
  for (int32_t i = 0; i < range.size(); ++i) {
    uint16_t station = range.Station(i);
    int minute = range.Minute(i);
    uint16_t time = static_cast<uint16_t>(range.Flags(i) | minute);
    int local = minute - StationShift(t, station);
    if (i > 0 && local < previousLocal) time |= kStopMidnightBit;
    previousLocal = local;
    StoreLE<uint16_t>(out + i * kStopWordBytes, time);
    StoreLE<uint16_t>(out + i * kStopWordBytes + 2, station);
  }
  return StopList{out, range.size()};
}

int GetStopDayStep(TimetableRecord const& t, uint16_t previousTime, uint16_t previousStation,
                   uint16_t time, uint16_t station) {
  if (!(time & kStopMidnightBit)) return 0;
  int before = previousTime & kStopMinuteMask;
  int here = time & kStopMinuteMask;
  if (before + 720 < here) return -1;
  if (t.Kind != kKindAir) return 1;
  int shiftGap = StationShift(t, station) - StationShift(t, previousStation);
  return here - before + 1440 < shiftGap ? 2 : 1;
}

}  // namespace qo
