#include "trains/train_distances.h"

#include "trains/train_stops.h"

namespace qo {

int32_t ArcLength(TimetableRecord const& t, uint16_t from, int32_t train, uint16_t to) {
  if (from == to) return 0;
  RecordArray const& overrides = t.DistanceOverrides;
  for (int32_t i = 0; i < overrides.size(); ++i) {
    if (overrides.Field<int32_t>(i, 0) == train && overrides.Field<uint16_t>(i, 4) == from &&
        overrides.Field<uint16_t>(i, 6) == to)
      return overrides.Field<int32_t>(i, 8);
  }
  if (t.ArcOffsets.empty() || from >= t.StationCount) return -1;
  for (int32_t arc = t.ArcOffsets[from]; arc < t.ArcOffsets[from + 1]; ++arc)
    if (t.ArcStations[arc] == to) return t.ArcLengths[arc];
  return -1;
}

bool LoadTrainDistances(TimetableRecord& t, uint32_t train, ImageArray<int32_t>* out) {
  *out = {};
  if (!t.HasDistances) return false;
  if (!t.DistanceOffsets.empty()) {
    auto begin = [&](uint32_t n) { return static_cast<int32_t>(t.DistanceOffsets[n] / 4); };
    uint32_t list = train;
    int32_t count = begin(train + 1) - begin(train);
    if (count == 1 && t.DistanceData[begin(train)] < 0) {
      // A list equal to an earlier train's is stored once (checked at load).
      list = static_cast<uint32_t>(-int64_t{t.DistanceData[begin(train)]} - 1);
      count = begin(list + 1) - begin(list);
    }
    if (count >= 1) {
      uint8_t const* first =
          reinterpret_cast<uint8_t const*>(t.DistanceData.handle()) + int64_t{begin(list)} * 4;
      *out = ImageArray<int32_t>(first, count);
      return true;
    }
  }

  StopRange stops(t, train);
  if (t.DistanceWorkBuffer.size() < static_cast<size_t>(stops.size())) return false;
  int64_t total = 0;
  for (int32_t i = 0; i < stops.size(); ++i) {
    if (i > 0) {
      int32_t length =
          ArcLength(t, stops.Station(i - 1), static_cast<int32_t>(train), stops.Station(i));
      if (length < 0) return false;
      total += length;
    }
    t.DistanceWorkBuffer[static_cast<size_t>(i)] =
        static_cast<int32_t>(total > INT32_MAX ? INT32_MAX : total);
  }
  *out = ImageArray<int32_t>(reinterpret_cast<uint8_t const*>(t.DistanceWorkBuffer.data()),
                             stops.size());
  return true;
}

}  // namespace qo
