#include "writer/train_stops.h"

#include <algorithm>
#include <map>
#include <string>

#include "core/byte_order.h"

namespace qo::writer {

namespace {

[[noreturn]] void Fail(size_t train, std::string const& why) {
  throw ModelError("train " + std::to_string(train) + ": " + why);
}

int16_t ShiftOf(StopContext const& context, uint16_t station) {
  return context.shifts.empty() ? 0 : context.shifts[station];
}

// The day step the kernel reads between two stored words: the writer
// refuses times whose real day step would read differently.
int ReadDayStep(StopContext const& context, StopWord const& previous, StopWord const& word) {
  if (!(word.time & kMidnightBit)) return 0;
  int prev = previous.time & kMinuteMask;
  int minute = word.time & kMinuteMask;
  if (prev + 720 < minute) return -1;
  if (context.kind != 4) return 1;
  int shiftGap = ShiftOf(context, word.station) - ShiftOf(context, previous.station);
  return minute - prev + 1440 < shiftGap ? 2 : 1;
}

}  // namespace

EncodedTrain EncodeTrain(Train const& train, size_t index, StopContext const& context) {
  EncodedTrain out;
  if (train.stops.size() < 2) Fail(index, "a train needs at least two stops");
  struct Timed {
    int32_t minute;
    uint16_t station;
    uint16_t flags;
    size_t stop;
  };
  std::vector<Timed> times;
  size_t withDistance = 0;
  for (size_t s = 0; s < train.stops.size(); ++s) {
    Stop const& stop = train.stops[s];
    std::string where = "stop " + std::to_string(s) + ": ";
    if (stop.station >= context.stationCount) {
      Fail(index, where + "station " + std::to_string(stop.station) + " does not exist");
    }
    if (stop.flags & ~kStopFlagMask) Fail(index, where + "flags outside the stop-flag bits");
    bool first = s == 0, last = s + 1 == train.stops.size();
    if (first && stop.departure == kNoTime) Fail(index, where + "the first stop needs a departure");
    if (last && stop.arrival == kNoTime) Fail(index, where + "the last stop needs an arrival");
    if (stop.arrival == kNoTime && stop.departure == kNoTime) Fail(index, where + "no time");
    if ((stop.arrival != kNoTime && stop.arrival < 0) ||
        (stop.departure != kNoTime && stop.departure < 0)) {
      Fail(index, where + "negative time");
    }
    if (stop.arrival != kNoTime && stop.departure != kNoTime && stop.departure < stop.arrival) {
      Fail(index, where + "times go backwards (departure before arrival)");
    }
    if (stop.distance) ++withDistance;
    if (stop.arrival != kNoTime && !first) {
      times.push_back({stop.arrival, stop.station, stop.flags, s});
    }
    if (stop.departure != kNoTime && !last &&
        (stop.arrival == kNoTime || first || stop.departure != stop.arrival)) {
      times.push_back({stop.departure, stop.station, stop.flags, s});
    }
  }
  if (withDistance != 0 && withDistance != train.stops.size()) {
    Fail(index, "distances given for some stops only");
  }
  if (times.front().minute >= 1440) Fail(index, "the first departure must lie in its first day");

  for (size_t i = 0; i < times.size(); ++i) {
    Timed const& t = times[i];
    std::string where = "stop " + std::to_string(t.stop) + ": ";
    if (i > 0 && t.minute < times[i - 1].minute) Fail(index, where + "times go backwards");
    StopWord word;
    word.station = t.station;
    word.day = t.minute / 1440;
    int minute = t.minute % 1440;
    bool lastWord = i + 1 == times.size();
    // An arrival at exactly midnight at the end of the run is minute 1440 of
    // the day before: that is how the kernel shows it.
    if (lastWord && minute == 0 && i > 0 && times[i - 1].minute < t.minute) {
      minute = 1440;
      --word.day;
    }
    word.time = static_cast<uint16_t>(minute | t.flags);
    if (i > 0) {
      StopWord const& previous = out.words.back();
      if (word.day > previous.day) word.time |= kMidnightBit;
      if (ReadDayStep(context, previous, word) != word.day - previous.day) {
        Fail(index, where + "too long after the previous stop: the file cannot express the days");
      }
    }
    if (word.day > 31) Fail(index, where + "more than 31 days after the first departure");
    out.words.push_back(word);
    if (withDistance) out.distances.push_back(*train.stops[t.stop].distance);
  }
  return out;
}

namespace {

struct PatternKey {
  std::vector<uint32_t> words;  // relative minute and flags << 16 | station
  bool operator<(PatternKey const& other) const { return words < other.words; }
};

// What the kernel decodes from a reference to a pattern.
std::vector<StopWord> DecodePattern(std::vector<StopWord> const& pattern, int start,
                                    StopContext const& context, bool overADay) {
  std::vector<StopWord> decoded(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    int minute = start + (pattern[i].time & kMinuteMask);
    if (overADay && minute > 1440) minute = (minute - 1) % 1440 + 1;
    if (minute > 1440) minute -= 1440;
    if (minute > 1440) return {};  // a run the reference cannot express
    if (minute == 1440 && i + 1 < pattern.size() && pattern[i + 1].station != pattern[i].station) {
      minute = 0;
    }
    StopWord& word = decoded[i];
    word.station = pattern[i].station;
    word.time = static_cast<uint16_t>((pattern[i].time & 0xD800) | minute);
    if (i > 0) {
      int here = minute - ShiftOf(context, word.station);
      int before = (decoded[i - 1].time & kMinuteMask) - ShiftOf(context, decoded[i - 1].station);
      if (here < before) word.time |= kMidnightBit;
    }
  }
  return decoded;
}

void PutWord(std::vector<uint8_t>& out, uint16_t time, uint16_t station) {
  uint8_t raw[4];
  StoreLE(raw, time);
  StoreLE(raw + 2, station);
  out.insert(out.end(), raw, raw + 4);
}

}  // namespace

StoredStops StoreStops(std::vector<EncodedTrain> const& trains, StopContext const& context,
                       bool sharePatterns, bool overADay) {
  // pattern[t] >= 0: train t is stored as a reference to that pattern.
  std::vector<int> patternOf(trains.size(), -1);
  std::vector<std::vector<StopWord>> patterns;
  if (sharePatterns) {
    std::map<PatternKey, std::vector<size_t>> groups;
    for (size_t t = 0; t < trains.size(); ++t) {
      auto const& words = trains[t].words;
      int start = words.front().time & kMinuteMask;
      int32_t first = words.front().day * 1440 + start;
      PatternKey key;
      bool fits = true;
      for (StopWord const& w : words) {
        int32_t relative = w.day * 1440 + (w.time & kMinuteMask) - first;
        if (relative > kMinuteMask) fits = false;
        key.words.push_back(static_cast<uint32_t>(relative | (w.time & 0xD800)) << 16 | w.station);
      }
      if (fits) groups[key].push_back(t);
    }
    for (auto& [key, members] : groups) {
      if (members.size() < 2) continue;
      std::vector<StopWord> pattern;
      for (uint32_t k : key.words) {
        pattern.push_back({static_cast<uint16_t>(k >> 16), static_cast<uint16_t>(k & 0xFFFF), 0});
      }
      int index = -1;
      for (size_t t : members) {
        auto const& words = trains[t].words;
        auto decoded = DecodePattern(pattern, words.front().time & kMinuteMask, context, overADay);
        bool same = decoded.size() == words.size();
        for (size_t i = 0; i < words.size() && same; ++i) {
          same = decoded[i].time == words[i].time && decoded[i].station == words[i].station;
        }
        if (!same) continue;
        if (index < 0) {
          if (patterns.size() >= (1u << 20)) break;
          index = static_cast<int>(patterns.size());
          patterns.push_back(pattern);
        }
        patternOf[t] = index;
      }
    }
  }

  StoredStops out;
  for (size_t t = 0; t < trains.size(); ++t) {
    out.offsets.push_back(static_cast<uint32_t>(out.words.size()));
    out.maxTrainStops = std::max(out.maxTrainStops, static_cast<uint32_t>(trains[t].words.size()));
    if (patternOf[t] >= 0) {
      uint32_t p = static_cast<uint32_t>(patternOf[t]);
      uint16_t start = trains[t].words.front().time & kMinuteMask;
      PutWord(out.words, static_cast<uint16_t>(start | ((p >> 16) & 0xF) << 12),
              static_cast<uint16_t>(p & 0xFFFF));
      continue;
    }
    for (StopWord const& w : trains[t].words) PutWord(out.words, w.time, w.station);
  }
  for (auto const& pattern : patterns) {
    out.offsets.push_back(static_cast<uint32_t>(out.words.size()));
    for (StopWord const& w : pattern) PutWord(out.words, w.time, w.station);
  }
  out.offsets.push_back(static_cast<uint32_t>(out.words.size()));
  out.wordCount = out.words.size() / 4;
  return out;
}

StationEvents BuildStationEvents(std::vector<EncodedTrain> const& trains, size_t stationCount) {
  struct Event {
    uint16_t minute;
    uint32_t word;
  };
  std::vector<std::vector<Event>> perStation(stationCount);
  for (size_t t = 0; t < trains.size(); ++t) {
    auto const& words = trains[t].words;
    for (size_t i = 0; i < words.size(); ++i) {
      bool departs = i + 1 < words.size() && words[i + 1].station != words[i].station;
      bool arrives = i > 0 && words[i - 1].station != words[i].station;
      uint32_t word = static_cast<uint32_t>(t) | (departs ? 0x1000000u : 0) |
                      (arrives ? 0x2000000u : 0) |
                      (static_cast<uint32_t>(words[i].day) & 0x3F) << 26;
      perStation[words[i].station].push_back(
          {static_cast<uint16_t>(words[i].time & kMinuteMask), word});
    }
  }
  StationEvents out;
  for (auto& events : perStation) {
    std::sort(events.begin(), events.end(), [](Event const& a, Event const& b) {
      int16_t ma = static_cast<int16_t>(a.minute), mb = static_cast<int16_t>(b.minute);
      if (ma != mb) return ma < mb;
      if ((a.word & 0xFFFFFF) != (b.word & 0xFFFFFF))
        return (a.word & 0xFFFFFF) < (b.word & 0xFFFFFF);
      return a.word < b.word;
    });
    out.offsets.push_back(static_cast<uint32_t>(out.events.size()));
    for (Event const& e : events) {
      uint8_t raw[6];
      StoreLE(raw, e.minute);
      StoreLE(raw + 2, e.word);
      out.events.insert(out.events.end(), raw, raw + 6);
      ++out.count;
    }
  }
  out.offsets.push_back(static_cast<uint32_t>(out.events.size()));
  return out;
}

}  // namespace qo::writer
