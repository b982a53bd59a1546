#include "lines/line_directions.h"

#include <algorithm>

#include "boards/board_core.h"
#include "calendars/train_calendar.h"
#include "format/stored_bits.h"
#include "trains/train_stops.h"

namespace qo {
namespace {

// Equal-named end stations and ordered containment read the name classes.
struct Names {
  std::vector<int32_t> const& classes;
  bool Same(uint16_t a, uint16_t b) const { return classes[a] == classes[b]; }
};

uint16_t FirstStation(LineDirection const& d) { return WordStation(d.stops.front()); }
uint16_t LastStation(LineDirection const& d) { return WordStation(d.stops.back()); }

bool ByStops(LineDirection const& a, LineDirection const& b) {
  if (a.stops.size() != b.stops.size()) return a.stops.size() > b.stops.size();
  if (FirstStation(a) != FirstStation(b)) return FirstStation(a) < FirstStation(b);
  return LastStation(a) < LastStation(b);
}

bool ByWeight(LineDirection const& a, LineDirection const& b) {
  if (a.weight != b.weight) return a.weight > b.weight;
  return ByStops(a, b);
}

bool SameStations(std::vector<uint32_t> const& a, std::vector<uint32_t> const& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (WordStation(a[i]) != WordStation(b[i])) return false;
  return true;
}

// g's stations stand in k in order, each matched to the next equal-named one.
bool Covers(Names const& names, LineDirection const& k, LineDirection const& g) {
  size_t at = 0;
  for (uint32_t word : g.stops) {
    while (at < k.stops.size() && !names.Same(WordStation(k.stops[at]), WordStation(word))) ++at;
    if (at == k.stops.size()) return false;
    ++at;
  }
  return true;
}

bool TripRuns(TimetableRecord& t, DirectionRequest const& request, DayRange const& range,
              uint32_t trip) {
  if (request.year != 0)
    return TripRunsInRange(t, range.from, range.to, trip, range.requestDate, range.weekMode2, false,
                           false, nullptr);
  bool runs = false;
  TrainRunsOnDayType(t, trip, request.day, request.month, -1, true, 0, &runs);
  return runs;
}

}  // namespace

bool TripInsideMask(TimetableRecord const& t, uint32_t train, uint32_t mask) {
  return t.TrainTypeWords.empty() || (t.TrainTypeWords[static_cast<int32_t>(train)] & ~mask) == 0;
}

uint32_t LineRunBegin(TimetableRecord const& t, uint32_t train) {
  const int32_t number = LineNumberOf(t, train);
  while (train > 0 && LineNumberOf(t, train - 1) == number) --train;
  return train;
}

uint32_t LineRunEnd(TimetableRecord const& t, uint32_t train) {
  const int32_t number = LineNumberOf(t, train);
  uint32_t end = train + 1;
  while (end < t.TrainCount && LineNumberOf(t, end) == number) ++end;
  return end;
}

void CollectLineTrains(TimetableRecord const& t, uint32_t mask, std::vector<int32_t>& out) {
  out.clear();
  bool any = false;
  int32_t lastNumber = 0;
  for (uint32_t train = 0; train < t.TrainCount; ++train) {
    const int32_t number = LineNumberOf(t, train);
    if (any && number == lastNumber) continue;
    if (!TripInsideMask(t, train, mask)) continue;
    out.push_back(static_cast<int32_t>(train));
    any = true;
    lastNumber = number;
  }
}

bool LaterWordIsOwnStop(TimetableRecord const& t, uint16_t time) {
  return (time & kStopNoBoarding) && !(time & kStopNoAlighting) && t.ContinuationTrainA.empty();
}

void CollapseRepeatedStops(TimetableRecord const& t, uint8_t const* words, int32_t count,
                           std::vector<uint32_t>& out) {
  out.clear();
  for (int32_t i = count - 1; i >= 0; --i) {
    const uint32_t word = LoadLE<uint32_t>(words + i * kStopWordBytes);
    if (!out.empty() && WordStation(out.back()) == WordStation(word) &&
        !LaterWordIsOwnStop(t, WordTime(out.back())))
      continue;
    out.push_back(word);
  }
  std::reverse(out.begin(), out.end());
}

int CollectLineDirections(TimetableRecord& t, LineSettings const& settings,
                          DirectionRequest const& request, std::vector<LineDirection>& out) {
  out.clear();
  DayRange range;
  if (int error =
          MakeDayRange(t, settings, request.day, request.month, request.year, request.week, &range))
    return error;
  if (t.MainNumbers.Values.empty()) return 0;
  const uint32_t end = LineRunEnd(t, request.train);
  std::vector<uint32_t> stops;
  bool rare = settings.rare != 0;
  bool rareSeen = false;
  for (int walk = 0; walk < 2; ++walk) {
    for (uint32_t trip = LineRunBegin(t, request.train); trip < end; ++trip) {
      if (!TripInsideMask(t, trip, request.mask) || !TripRuns(t, request, range, trip)) continue;
      const uint32_t type =
          t.TrainTypeWords.empty() ? 0 : t.TrainTypeWords[static_cast<int32_t>(trip)];
      if (rare && (type & kRareTripBit)) {
        rareSeen = true;
        continue;
      }
      StopList list = DecodeTrainStops(t, trip);
      CollapseRepeatedStops(t, list.words, list.count, stops);
      if (stops.empty()) continue;
      auto same = std::find_if(out.begin(), out.end(), [&](LineDirection const& d) {
        return SameStations(d.stops, stops);
      });
      if (same != out.end()) {
        ++same->weight;
        continue;
      }
      out.push_back({0, (type & kDirectionFlagBit) ? 1 : 0, stops, static_cast<int32_t>(trip), {}});
    }
    // A line whose every trip is rare still has its directions.
    if (!out.empty() || !rare) break;
    rare = false;
  }
  if (out.empty()) return 0;

  Names names{NameClasses(t)};
  std::stable_sort(out.begin(), out.end(), ByStops);
  for (size_t g = out.size() - 1; g >= 1; --g) {
    for (size_t k = 0; k < g; ++k) {
      if (out[k].stops.size() < out[g].stops.size()) continue;
      if (settings.inclusion && out[k].stops.size() != out[g].stops.size() &&
          !(names.Same(FirstStation(out[k]), FirstStation(out[g])) &&
            names.Same(LastStation(out[k]), LastStation(out[g]))))
        continue;
      if (!Covers(names, out[k], out[g])) continue;
      out[k].weight += out[g].weight + 1;
      out.erase(out.begin() + static_cast<std::ptrdiff_t>(g));
      break;
    }
  }
  for (size_t i = 0; i + 1 < out.size(); ++i) {
    LineDirection& a = out[i];
    LineDirection& b = out[i + 1];
    if (names.Same(FirstStation(a), LastStation(b)) && names.Same(LastStation(a), FirstStation(b)))
      a.weight = b.weight = std::max(a.weight, b.weight);
  }
  std::stable_sort(out.begin(), out.end(), ByWeight);
  if (settings.rare && !rareSeen) {
    const int32_t least = std::min(out.front().weight / 4, 9);
    std::erase_if(out, [&](LineDirection const& d) { return d.weight < least; });
  }
  const bool reverse = settings.reverseOrder != 0;
  std::stable_sort(out.begin(), out.end(), [&](LineDirection const& a, LineDirection const& b) {
    if (a.flag != b.flag) return reverse ? a.flag > b.flag : a.flag < b.flag;
    return ByWeight(a, b);
  });
  return 0;
}

void MarkDirectionEnds(TimetableRecord& t, std::vector<LineDirection>& directions) {
  Names names{NameClasses(t)};
  for (LineDirection& d : directions) {
    d.endMarks.assign(d.stops.size(), 0);
    d.endMarks.front() = d.endMarks.back() = 1;
  }
  // The first intermediate station of `a` that `b` lacks among its own.
  auto markFirstOwn = [&](LineDirection& a, LineDirection const& b) {
    for (size_t i = 1; i + 1 < a.stops.size(); ++i) {
      bool shared = false;
      for (size_t j = 1; j + 1 < b.stops.size() && !shared; ++j)
        shared = names.Same(WordStation(a.stops[i]), WordStation(b.stops[j]));
      if (!shared) {
        a.endMarks[i] = 1;
        return;
      }
    }
  };
  for (size_t i = 0; i < directions.size(); ++i)
    for (size_t j = i + 1; j < directions.size(); ++j) {
      LineDirection& a = directions[i];
      LineDirection& b = directions[j];
      if (!names.Same(FirstStation(a), FirstStation(b)) ||
          !names.Same(LastStation(a), LastStation(b)))
        continue;
      markFirstOwn(a, b);
      markFirstOwn(b, a);
    }
}

}  // namespace qo
