#include "load/station_index.h"

#include <algorithm>
#include <vector>

namespace qo {
namespace {

constexpr int32_t kStopWordBytes = 4;
constexpr int32_t kEventBytes = 6;
constexpr uint16_t kMinuteMask = 0x07FF;
constexpr uint16_t kMidnightBit = 0x2000;
constexpr uint16_t kKeptStopFlags = 0x0800 | 0x1000 | 0x4000 | 0x8000;
constexpr uint16_t kEndStationBit = 0x0800;
constexpr uint32_t kDepartsBit = 0x1000000;
constexpr uint32_t kArrivesBit = 0x2000000;
constexpr uint8_t kKindAir = 4;

struct StopWord {
  uint16_t time;
  uint16_t station;
};

int16_t Shift(TimetableRecord const& t, uint16_t station) {
  return t.StationTimeShifts.empty() ? 0 : t.StationTimeShifts[station];
}

// A train's stop words with pattern references expanded, as the train data
// access decodes them: minutes moved by the start minute (once back over
// midnight), bit 13 set where local time runs backwards.
void DecodeStops(TimetableRecord const& t, uint32_t train, std::vector<StopWord>& out) {
  out.clear();
  auto begin = [&](int64_t range) {
    return static_cast<int32_t>(t.TrainStopOffsets[static_cast<int32_t>(range)] / kStopWordBytes);
  };
  auto word = [&](int32_t w) {
    return StopWord{t.TrainStopData.Field<uint16_t>(w, 0), t.TrainStopData.Field<uint16_t>(w, 2)};
  };
  int32_t first = begin(train);
  int32_t length = begin(int64_t{train} + 1) - first;
  if (length != 1) {
    for (int32_t w = first; w < first + length; ++w) out.push_back(word(w));
    return;
  }
  StopWord reference = word(first);
  int64_t pattern =
      int64_t{t.TrainCount} + ((reference.time >> 12) & 0xF) * 65536 + reference.station;
  int32_t from = begin(pattern), to = begin(pattern + 1);
  int start = reference.time & kMinuteMask;
  for (int32_t w = from; w < to; ++w) {
    StopWord stop = word(w);
    int minute = start + (stop.time & kMinuteMask);
    if (minute > 1440) minute -= 1440;
    if (minute == 1440 && w + 1 < to && word(w + 1).station != stop.station) minute = 0;
    stop.time = static_cast<uint16_t>((stop.time & kKeptStopFlags) | (minute & kMinuteMask));
    if (!out.empty()) {
      StopWord const& previous = out.back();
      int here = minute - Shift(t, stop.station);
      int before = (previous.time & kMinuteMask) - Shift(t, previous.station);
      if (here < before) stop.time |= kMidnightBit;
    }
    out.push_back(stop);
  }
}

// Days between the previous stop word and this one.
int DayStep(TimetableRecord const& t, StopWord const& previous, StopWord const& stop) {
  if (!(stop.time & kMidnightBit)) return 0;
  int before = previous.time & kMinuteMask, here = stop.time & kMinuteMask;
  if (before + 720 < here) return -1;  // a backward jump across time zones
  if (t.Kind != kKindAir) return 1;
  int shiftGap = Shift(t, stop.station) - Shift(t, previous.station);
  return here - before + 1440 < shiftGap ? 2 : 1;
}

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
  std::vector<StopWord> stops;
  stops.reserve(t.MaxTrainStops);
  std::vector<int32_t> cursor(stations + 1, 0);
  for (uint32_t train = 0; train < trains; ++train) {
    DecodeStops(t, train, stops);
    for (StopWord const& stop : stops) ++cursor[stop.station];
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
    DecodeStops(t, train, stops);
    int day = 0;
    for (size_t i = 0; i < stops.size(); ++i) {
      StopWord const& stop = stops[i];
      if (i > 0) day += DayStep(t, stops[i - 1], stop);
      bool departs = i + 1 < stops.size() && stops[i + 1].station != stop.station;
      bool arrives = i > 0 && stops[i - 1].station != stop.station;
      uint32_t word = train | (departs ? kDepartsBit : 0) | (arrives ? kArrivesBit : 0) |
                      (static_cast<uint32_t>(day) & 0x3F) << 26;
      uint8_t* at = events + static_cast<size_t>(cursor[stop.station]++) * kEventBytes;
      StoreLE<uint16_t>(at, static_cast<uint16_t>(stop.time & kMinuteMask));
      StoreLE<uint32_t>(at + 2, word);
    }
    if (!stops.empty()) {
      MarkEndStation(t, stops.front().station);
      MarkEndStation(t, stops.back().station);
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
