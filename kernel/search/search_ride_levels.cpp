#include "search/search_ride_levels.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "links/station_links.h"
#include "load/timetable_record.h"
#include "search/search_scratch.h"
#include "search/search_state.h"
#include "trains/train_stops.h"

namespace qo {
namespace {

using RideLines = EngineScratch::RideLines;

// Lays out per station the entries `add` gives it, by two calls: the first
// counts, the second places.
template <typename F>
void LayOut(size_t stations, std::vector<int32_t>& offsets, F&& forEach) {
  offsets.assign(stations + 1, 0);
  forEach([&](int32_t station, auto&&) { ++offsets[static_cast<size_t>(station) + 1]; });
  for (size_t s = 0; s < stations; ++s) offsets[s + 1] += offsets[s];
  std::vector<int32_t> at(offsets.begin(), offsets.end() - 1);
  forEach([&](int32_t station, auto&& place) { place(at[static_cast<size_t>(station)]++); });
}

// The trains of a city run a few dozen lines over and over: each distinct
// sequence of stations is kept once, the stops of one station in a row
// (its arrival and departure words) as one.
void BuildLines(TimetableRecord& t, RideLines& lines) {
  const size_t n = t.StationCount;
  lines.LineOffsets.assign(1, 0);
  lines.LineStations.clear();
  std::unordered_map<uint64_t, std::vector<int32_t>> byHash;
  std::vector<int32_t> sequence;
  for (uint32_t train = 0; train < t.TrainCount; ++train) {
    const StopRange stops(t, train);
    sequence.clear();
    bool valid = true;
    for (int32_t j = 0; j < stops.size(); ++j) {
      const int32_t station = stops.Station(j);
      valid = valid && static_cast<size_t>(station) < n;
      if (sequence.empty() || sequence.back() != station) sequence.push_back(station);
    }
    if (!valid || sequence.size() < 2) continue;
    uint64_t hash = 1469598103934665603ull;
    for (int32_t station : sequence)
      hash = (hash ^ static_cast<uint64_t>(station)) * 1099511628211ull;
    std::vector<int32_t>& same = byHash[hash];
    bool known = false;
    for (int32_t line : same) {
      auto const begin = lines.LineStations.begin() + lines.LineOffsets[static_cast<size_t>(line)];
      auto const end =
          lines.LineStations.begin() + lines.LineOffsets[static_cast<size_t>(line) + 1];
      known = known || std::equal(begin, end, sequence.begin(), sequence.end());
    }
    if (known) continue;
    same.push_back(static_cast<int32_t>(lines.LineOffsets.size()) - 1);
    lines.LineStations.insert(lines.LineStations.end(), sequence.begin(), sequence.end());
    lines.LineOffsets.push_back(static_cast<int32_t>(lines.LineStations.size()));
  }
  const auto lineCount = static_cast<int32_t>(lines.LineOffsets.size()) - 1;
  lines.CallLines.resize(lines.LineStations.size());
  lines.CallPositions.resize(lines.LineStations.size());
  LayOut(n, lines.CallOffsets, [&](auto&& call) {
    for (int32_t line = 0; line < lineCount; ++line)
      for (int32_t k = lines.LineOffsets[static_cast<size_t>(line)];
           k < lines.LineOffsets[static_cast<size_t>(line) + 1]; ++k)
        call(lines.LineStations[static_cast<size_t>(k)], [&](int32_t place) {
          lines.CallLines[static_cast<size_t>(place)] = line;
          lines.CallPositions[static_cast<size_t>(place)] = k;
        });
  });
  // Per station the stations that walk to it, by every walk of the
  // timetable, barrier-free or not and switched off or not (a walk may be
  // switched on between two searches): a pass walks the links a station
  // lists, forward and backward alike.
  std::vector<std::pair<int32_t, int32_t>> walks;
  for (size_t s = 0; s < n; ++s)
    for (bool barrierFree : {false, true}) {
      const InternLinkRange links = InternLinks(t, static_cast<uint16_t>(s), barrierFree);
      for (int32_t i = 0; i < links.count; ++i) {
        const int32_t to = links.Target(i);
        if (static_cast<size_t>(to) < n && static_cast<size_t>(to) != s)
          walks.push_back({to, static_cast<int32_t>(s)});
      }
    }
  lines.WalkTargets.resize(walks.size());
  LayOut(n, lines.WalkOffsets, [&](auto&& call) {
    for (auto const& [reached, walker] : walks)
      call(reached, [&](int32_t place) { lines.WalkTargets[static_cast<size_t>(place)] = walker; });
  });
}

EngineScratch& ScratchWithLines(TimetableRecord& t) {
  std::shared_ptr<EngineScratch>& held = SearchStateOf(t).Engine;
  if (!held) held = std::make_shared<EngineScratch>();
  if (held->Lines.CallOffsets.size() != static_cast<size_t>(t.StationCount) + 1)
    BuildLines(t, held->Lines);
  return *held;
}

// Level by level from the ends: a station gets the next level when a line
// rides from it to a station of the last one (forward it lies before that
// station on the line, backward after it), or when it walks to such a
// station. A line is marked once from each of its places at most: the
// places already known are skipped.
void FindLevels(EngineScratch& scratch, std::vector<int32_t> const& ends, bool backward) {
  RideLines const& lines = scratch.Lines;
  std::vector<uint8_t>& levels = scratch.RideLevels;
  const size_t n = lines.CallOffsets.size() - 1;
  levels.assign(n, kNoRideLevel);
  // Forward the places before LineDone are known, backward those from it on.
  std::vector<int32_t>& done = scratch.LineDone;
  if (backward)
    done.assign(lines.LineOffsets.begin() + 1, lines.LineOffsets.end());
  else
    done.assign(lines.LineOffsets.begin(), lines.LineOffsets.end() - 1);
  std::vector<int32_t>& frontier = scratch.RideFrontier;
  std::vector<int32_t>& next = scratch.RideNext;
  frontier.clear();
  for (int32_t end : ends)
    if (end >= 0 && static_cast<size_t>(end) < n && levels[static_cast<size_t>(end)] != 0) {
      levels[static_cast<size_t>(end)] = 0;
      frontier.push_back(end);
    }
  auto reach = [&](int32_t station, uint8_t level) {
    uint8_t& known = levels[static_cast<size_t>(station)];
    if (known != kNoRideLevel) return;
    known = level;
    next.push_back(station);
  };
  for (int level = 1; level < kNoRideLevel && !frontier.empty(); ++level) {
    next.clear();
    const auto l = static_cast<uint8_t>(level);
    for (int32_t station : frontier)
      for (int32_t c = lines.CallOffsets[static_cast<size_t>(station)];
           c < lines.CallOffsets[static_cast<size_t>(station) + 1]; ++c) {
        const auto line = static_cast<size_t>(lines.CallLines[static_cast<size_t>(c)]);
        const int32_t at = lines.CallPositions[static_cast<size_t>(c)];
        int32_t& known = done[line];
        if (backward) {
          for (int32_t k = at + 1; k < known; ++k)
            reach(lines.LineStations[static_cast<size_t>(k)], l);
          known = std::min(known, at + 1);
        } else {
          for (int32_t k = known; k < at; ++k) reach(lines.LineStations[static_cast<size_t>(k)], l);
          known = std::max(known, at);
        }
      }
    // A station that walks to one found at this level needs as many rides.
    for (size_t i = 0; i < next.size(); ++i) {
      const int32_t station = next[i];
      for (int32_t w = lines.WalkOffsets[static_cast<size_t>(station)];
           w < lines.WalkOffsets[static_cast<size_t>(station) + 1]; ++w)
        reach(lines.WalkTargets[static_cast<size_t>(w)], l);
    }
    frontier.swap(next);
  }
}

}  // namespace

std::vector<uint8_t> const& EndRideLevels(TimetableRecord& t, std::vector<int32_t> const& ends,
                                          bool backward) {
  EngineScratch& scratch = ScratchWithLines(t);
  if (std::vector<uint8_t> const* kept = KeptEndRideLevels(t, ends, backward)) return *kept;
  scratch.RideLevelEnds = ends;
  scratch.RideLevelsBackward = backward;
  FindLevels(scratch, ends, backward);
  return scratch.RideLevels;
}

std::vector<uint8_t> const* KeptEndRideLevels(TimetableRecord& t, std::vector<int32_t> const& ends,
                                              bool backward) {
  std::shared_ptr<EngineScratch> const& held = SearchStateOf(t).Engine;
  if (!held || held->RideLevels.size() != t.StationCount || held->RideLevelsBackward != backward ||
      held->RideLevelEnds != ends)
    return nullptr;
  return &held->RideLevels;
}

}  // namespace qo
