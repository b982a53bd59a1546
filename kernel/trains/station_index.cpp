#include "trains/station_index.h"

#include <algorithm>
#include <vector>

#include "trains/train_stops.h"

namespace qo {
namespace {

constexpr int32_t kEventBytes = 6;
constexpr uint16_t kEndStationBit = 0x0800;
constexpr uint32_t kDepartsBit = 0x1000000;
constexpr uint32_t kArrivesBit = 0x2000000;

// Every step-th item reports progress, step the largest power of two below
// a tenth of the items (at least 1).
uint32_t ProgressStep(uint32_t items) {
  uint32_t tenth = items / 10, step = 1;
  while (step * 2 < tenth) step *= 2;
  return step;
}

void Report(bool progress, LoadCallback callback, uint64_t done, uint64_t total) {
  if (progress)
    RaiseLoadEvent(callback, LoadEvProgress, static_cast<intptr_t>(done * 1000 / total));
}

void MarkEndStation(TimetableRecord& t, uint16_t station) {
  for (OwnedArray* words : {&t.SetWide.LoadedStationTypes, &t.SetWide.StationTypeWords}) {
    if (station < words->count())
      ArraySet<uint16_t>(words->get(), station,
                         ArrayAt<uint16_t>(words->get(), station) | kEndStationBit);
  }
}

// One event as a 64-bit key whose order is the list's order: minute
// (signed), then train, then the rest of the word (whose low 24 bits are the
// train).
uint64_t EventKey(uint8_t const* at) {
  auto minute = static_cast<uint64_t>(LoadLE<int16_t>(at) + 32768);
  uint32_t word = LoadLE<uint32_t>(at + 2);
  return minute << 32 | uint64_t{word & 0xFFFFFF} << 8 | word >> 24;
}

void SortRange(uint8_t* events, int32_t begin, int32_t end, std::vector<uint64_t>& scratch) {
  scratch.clear();
  for (int32_t e = begin; e < end; ++e)
    scratch.push_back(EventKey(events + static_cast<size_t>(e) * kEventBytes));
  std::sort(scratch.begin(), scratch.end());
  for (int32_t e = begin; e < end; ++e) {
    uint64_t key = scratch[static_cast<size_t>(e - begin)];
    uint8_t* at = events + static_cast<size_t>(e) * kEventBytes;
    StoreLE<int16_t>(at, static_cast<int16_t>(static_cast<int64_t>(key >> 32) - 32768));
    StoreLE<uint32_t>(at + 2, static_cast<uint32_t>((key >> 8) & 0xFFFFFF) |
                                  static_cast<uint32_t>(key & 0xFF) << 24);
  }
}

}  // namespace

bool NeedsStationIndex(TimetableRecord const& t) {
  return !t.StationEventOffsets.empty() && t.StationEvents.empty() && !t.EventsBuilt;
}

bool BuildStationIndex(TimetableRecord& t, bool sort, bool progress, LoadCallback callback) {
  const uint32_t stations = t.StationCount;
  const uint32_t trains = t.TrainCount;
  t.EventsBuilt = 1;
  if (static_cast<uint32_t>(t.StationEventOffsets.size()) != stations + 1) return false;
  auto rangeBegin = [&](uint32_t s) {
    return static_cast<int32_t>(t.StationEventOffsets[static_cast<int32_t>(s)] / kEventBytes);
  };

  // The stops must fill each station's range exactly: a range left short
  // would hand out events that no train has, a long one would overrun.
  std::vector<int32_t> cursor(stations + 1, 0);
  for (uint32_t train = 0; train < trains; ++train) {
    StopRange const stops(t, train);
    for (int32_t i = 0; i < stops.size(); ++i) ++cursor[stops.Station(i)];
  }
  for (uint32_t s = 0; s < stations; ++s)
    if (cursor[s] != rangeBegin(s + 1) - rangeBegin(s)) return false;

  const int32_t total = rangeBegin(stations);
  OwnedArray built;
  AllocArray(built.address(), total, kEventBytes);
  uint8_t* events = built.get();
  for (uint32_t s = 0; s < stations; ++s) cursor[s] = rangeBegin(s);

  const uint64_t buildTotal = sort ? uint64_t{trains} * 2 : trains;
  const uint32_t trainStep = ProgressStep(trains);
  for (uint32_t train = 0; train < trains; ++train) {
    if ((train & (trainStep - 1)) == 0) Report(progress, callback, train, buildTotal);
    StopList const stops = DecodeTrainStops(t, train);
    int day = 0;
    for (int32_t i = 0; i < stops.count; ++i) {
      uint16_t const station = stops.Station(i);
      day += GetStopDayStep(t, stops, i);
      bool departs = i + 1 < stops.count && stops.Station(i + 1) != station;
      bool arrives = i > 0 && stops.Station(i - 1) != station;
      uint32_t word = train | (departs ? kDepartsBit : 0) | (arrives ? kArrivesBit : 0) |
                      (static_cast<uint32_t>(day) & 0x3F) << 26;
      uint8_t* at = events + static_cast<size_t>(cursor[station]++) * kEventBytes;
      StoreLE<uint16_t>(at, static_cast<uint16_t>(stops.Minute(i)));
      StoreLE<uint32_t>(at + 2, word);
    }
    if (stops.count > 0) {
      MarkEndStation(t, stops.Station(0));
      MarkEndStation(t, stops.Station(stops.count - 1));
    }
  }
  // Building is the first half of the work when sorting follows.
  Report(progress, callback, sort ? 500 : 1000, 1000);

  if (sort) {
    std::vector<uint64_t> scratch;
    const uint32_t stationStep = ProgressStep(stations);
    for (uint32_t s = 0; s < stations; ++s) {
      if ((s & (stationStep - 1)) == 0)
        Report(progress, callback, uint64_t{stations} + s, uint64_t{stations} * 2);
      SortRange(events, rangeBegin(s), rangeBegin(s + 1), scratch);
    }
    Report(progress, callback, 1000, 1000);
    t.EventsSorted.clear();
  } else {
    t.EventsSorted.assign(stations, 0);
  }
  t.BuiltStationEvents = std::move(built);
  t.StationEvents = RecordArray(t.BuiltStationEvents.get(), total, kEventBytes);
  return true;
}

void EnsureStationIndex(TimetableRecord& t) {
  if (NeedsStationIndex(t)) BuildStationIndex(t, true, false, nullptr);
}

}  // namespace qo
