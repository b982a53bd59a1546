#pragma once
// Trains' stops as the file stores them: stop words with their days, shared
// patterns, per-station event lists and distances.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "writer/timetable_model.h"
#include "writer/timetable_writer.h"

namespace qo::writer {

inline constexpr uint16_t kMidnightBit = 0x2000;
inline constexpr uint16_t kMinuteMask = 0x07FF;

struct StopWord {
  uint16_t time = 0;
  uint16_t station = 0;
  int day = 0;  // days after the train's first day
};

struct EncodedTrain {
  std::vector<StopWord> words;
  std::vector<int32_t> distances;  // one per word, or empty
};

// What the kernel's decoding of stop words needs to know of the stations.
struct StopContext {
  uint8_t kind = 1;
  size_t stationCount = 0;
  std::vector<int16_t> shifts;  // the stored i16 time shifts, or empty
};

// Turns a model train into its stop words; throws ModelError when the
// train cannot be stored as given.
EncodedTrain EncodeTrain(Train const& train, size_t index, StopContext const& context);

// Stop words of all trains with the offsets array of item 34 (byte
// offsets; patterns after the trains).
struct StoredStops {
  std::vector<uint32_t> offsets;
  std::vector<uint8_t> words;  // 4 bytes each
  size_t wordCount = 0;
  uint32_t maxTrainStops = 0;
};

// With overADay, patterns whose minutes run past the second midnight are
// shared too, for a decoding that reduces the minutes modulo 1440.
StoredStops StoreStops(std::vector<EncodedTrain> const& trains, StopContext const& context,
                       bool sharePatterns, bool overADay = false);

// The 6-byte station events of all trains, grouped by station and sorted,
// with their byte offsets (stationCount + 1 entries).
struct StationEvents {
  std::vector<uint32_t> offsets;
  std::vector<uint8_t> events;
  size_t count = 0;
};

StationEvents BuildStationEvents(std::vector<EncodedTrain> const& trains, size_t stationCount);

}  // namespace qo::writer
