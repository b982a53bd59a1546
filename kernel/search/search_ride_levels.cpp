#include "search/search_ride_levels.h"

#include <algorithm>
#include <array>
#include <memory>

#include "links/station_links.h"
#include "load/timetable_record.h"
#include "search/search_marks.h"
#include "search/search_scratch.h"
#include "search/search_state.h"
#include "trains/train_stops.h"

namespace qo {
namespace {

using RideLines = EngineScratch::RideLines;

// Lays out per station the entries that `forEach` hands out, by two calls:
// the first counts, the second places each.
template <typename F>
void LayOut(size_t stations, std::vector<int32_t>& offsets, F&& forEach) {
  offsets.assign(stations + 1, 0);
  forEach([&](int32_t station, auto&&) { ++offsets[static_cast<size_t>(station) + 1]; });
  for (size_t s = 0; s < stations; ++s) offsets[s + 1] += offsets[s];
  std::vector<int32_t> at(offsets.begin(), offsets.end() - 1);
  forEach([&](int32_t station, auto&& place) { place(at[static_cast<size_t>(station)]++); });
}

// The trains of a city run a few hundred lines over and over, many of
// them part of a longer one (a short turn, a depot run): a train's
// sequence of stations (the stops of one station in a row, its arrival
// and departure words, as one) is kept only where it does not lie within
// one kept already, as it leads nowhere that one does not; the same
// sequence again lies within the first.
void BuildLines(TimetableRecord& t, RideLines& lines) {
  const size_t n = t.StationCount;
  std::vector<int32_t> offsets{0};
  std::vector<int32_t> stations;
  for (uint32_t train = 0; train < t.TrainCount; ++train) {
    const StopRange stops(t, train);
    const size_t start = stations.size();
    bool valid = true;
    for (int32_t j = 0; j < stops.size(); ++j) {
      const int32_t station = stops.Station(j);
      valid = valid && static_cast<size_t>(station) < n;
      if (stations.size() == start || stations.back() != station) stations.push_back(station);
    }
    if (valid && stations.size() - start >= 2)
      offsets.push_back(static_cast<int32_t>(stations.size()));
    else
      stations.resize(start);
  }
  // The longest first, each against the places of those kept before it.
  std::vector<int32_t> order(offsets.size() - 1);
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i);
  auto length = [&](int32_t line) {
    return offsets[static_cast<size_t>(line) + 1] - offsets[static_cast<size_t>(line)];
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](int32_t a, int32_t b) { return length(a) > length(b); });
  // Per station the places of the kept lines there, and where each line ends.
  std::vector<std::vector<std::pair<int32_t, int32_t>>> keptPlaces(n);
  lines.LineOffsets.assign(1, 0);
  lines.LineStations.clear();
  for (int32_t line : order) {
    auto const begin = stations.begin() + offsets[static_cast<size_t>(line)];
    auto const end = stations.begin() + offsets[static_cast<size_t>(line) + 1];
    bool within = false;
    for (auto const& [place, lineEnd] : keptPlaces[static_cast<size_t>(*begin)]) {
      within = lineEnd - place >= end - begin &&
               std::equal(begin, end, lines.LineStations.begin() + place);
      if (within) break;
    }
    if (within) continue;
    const auto first = static_cast<int32_t>(lines.LineStations.size());
    const auto last = first + static_cast<int32_t>(end - begin);
    for (auto at = begin; at != end; ++at)
      keptPlaces[static_cast<size_t>(*at)].push_back(
          {first + static_cast<int32_t>(at - begin), last});
    lines.LineStations.insert(lines.LineStations.end(), begin, end);
    lines.LineOffsets.push_back(last);
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
    for (auto const& walk : walks)  // (reached, walker)
      call(walk.first,
           [&](int32_t place) { lines.WalkTargets[static_cast<size_t>(place)] = walk.second; });
  });
}

EngineScratch& ScratchWithLines(TimetableRecord& t) {
  EngineScratch& scratch = EngineScratchOf(t);
  if (scratch.Lines.CallOffsets.size() != static_cast<size_t>(t.StationCount) + 1)
    BuildLines(t, scratch.Lines);
  return scratch;
}

// Forward the places of a line before `done` are known, backward those
// from it on: none yet.
void NoPlaceKnown(RideLines const& lines, bool backward, std::vector<int32_t>& done) {
  if (backward)
    done.assign(lines.LineOffsets.begin() + 1, lines.LineOffsets.end());
  else
    done.assign(lines.LineOffsets.begin(), lines.LineOffsets.end() - 1);
}

// Level by level from the ends: a station gets the next level when a line
// rides from it to a station of the last one, or when it walks to such a
// station. Before a via point (`after`: the levels once it is passed, and
// ScratchViaStations where it may be) a station also gets a level when a
// ride from it passes a via station on its way to a station of the last
// level after the via point, and a via station itself has at most its
// level after. A line is marked once from each of its places at most.
void FindLevels(EngineScratch& scratch, bool backward, std::vector<int32_t> const& ends,
                std::vector<uint8_t> const* after, std::vector<uint8_t>& levels) {
  RideLines const& lines = scratch.Lines;
  const size_t n = lines.CallOffsets.size() - 1;
  levels.assign(n, kNoRideLevel);
  NoPlaceKnown(lines, backward, scratch.LineDone);
  std::vector<int32_t>& frontier = scratch.RideFrontier;
  std::vector<int32_t>& next = scratch.RideNext;
  next.clear();
  uint8_t level = 0;
  auto reach = [&](int32_t station) {
    uint8_t& known = levels[static_cast<size_t>(station)];
    if (known != kNoRideLevel) return;
    known = level;
    next.push_back(station);
  };
  // Gives the level to the places of a line from which a ride reaches the
  // place `at` (forward those before it, backward those after it), but for
  // those known already, and keeps them known.
  int32_t const* const placed = lines.LineStations.data();
  auto markLine = [&](int32_t at, int32_t& known) {
    if (backward) {
      for (int32_t k = at + 1; k < known; ++k) reach(placed[k]);
      known = std::min(known, at + 1);
    } else {
      for (int32_t k = known; k < at; ++k) reach(placed[k]);
      known = std::max(known, at);
    }
  };
  // Before a via point: the stations by their level after it, and per
  // place of a line the nearest via place a ride from it passes before
  // (backward after) reaching it.
  std::vector<int32_t>& byLevel = scratch.AfterByLevel;
  std::array<int32_t, kNoRideLevel + 2> levelStart{};
  std::vector<int32_t>& viaPlace = scratch.ViaPlace;
  std::vector<uint8_t> const& near = scratch.ViaStations;
  int lastAfter = -1;
  if (after) {
    for (size_t s = 0; s < n; ++s) ++levelStart[(*after)[s] + 1];
    for (int l = 0; l <= kNoRideLevel; ++l) {
      if (l < kNoRideLevel && levelStart[l + 1] > 0) lastAfter = l;
      levelStart[l + 1] += levelStart[l];
    }
    byLevel.resize(n);
    std::array<int32_t, kNoRideLevel + 1> at{};
    std::copy(levelStart.begin(), levelStart.end() - 1, at.begin());
    for (size_t s = 0; s < n; ++s)
      byLevel[static_cast<size_t>(at[(*after)[s]]++)] = static_cast<int32_t>(s);
    viaPlace.resize(lines.LineStations.size());
    for (size_t line = 0; line + 1 < lines.LineOffsets.size(); ++line) {
      const int32_t first = lines.LineOffsets[line];
      const int32_t last = lines.LineOffsets[line + 1] - 1;
      int32_t nearest = backward ? last + 1 : first - 1;
      for (int32_t i = 0; i <= last - first; ++i) {
        const int32_t k = backward ? last - i : first + i;
        if (near[static_cast<size_t>(lines.LineStations[static_cast<size_t>(k)])]) nearest = k;
        viaPlace[static_cast<size_t>(k)] = nearest;
      }
    }
    NoPlaceKnown(lines, backward, scratch.ViaLineDone);
  } else {
    for (int32_t end : ends)
      if (end >= 0 && static_cast<size_t>(end) < n) reach(end);
  }
  for (;;) {
    if (after)
      for (int32_t k = levelStart[level]; k < levelStart[level + 1]; ++k)
        if (near[static_cast<size_t>(byLevel[static_cast<size_t>(k)])])
          reach(byLevel[static_cast<size_t>(k)]);
    // A station that walks to one found at this level needs as many rides
    // (a walk never ends a journey at an end station).
    if (after || level > 0)
      for (size_t i = 0; i < next.size(); ++i) {
        const int32_t station = next[i];
        for (int32_t w = lines.WalkOffsets[static_cast<size_t>(station)];
             w < lines.WalkOffsets[static_cast<size_t>(station) + 1]; ++w)
          reach(lines.WalkTargets[static_cast<size_t>(w)]);
      }
    if ((next.empty() && level > lastAfter) || level + 1 == kNoRideLevel) break;
    frontier.swap(next);
    next.clear();
    const uint8_t found = level++;
    for (int32_t station : frontier)
      for (int32_t c = lines.CallOffsets[static_cast<size_t>(station)];
           c < lines.CallOffsets[static_cast<size_t>(station) + 1]; ++c)
        markLine(lines.CallPositions[static_cast<size_t>(c)],
                 scratch.LineDone[static_cast<size_t>(lines.CallLines[static_cast<size_t>(c)])]);
    if (!after || found > lastAfter) continue;
    // A ride that passes the via point on its way to a station found at
    // that level after it: from the places before (backward after) both.
    for (int32_t k = levelStart[found]; k < levelStart[found + 1]; ++k) {
      const int32_t station = byLevel[static_cast<size_t>(k)];
      for (int32_t c = lines.CallOffsets[static_cast<size_t>(station)];
           c < lines.CallOffsets[static_cast<size_t>(station) + 1]; ++c) {
        const int32_t at = lines.CallPositions[static_cast<size_t>(c)];
        const int32_t via = viaPlace[static_cast<size_t>(at)];
        const int32_t boardUpTo = backward ? std::max(via, at + 1) : std::min(via, at - 1);
        markLine(backward ? boardUpTo - 1 : boardUpTo + 1,
                 scratch.ViaLineDone[static_cast<size_t>(lines.CallLines[static_cast<size_t>(c)])]);
      }
    }
  }
}

}  // namespace

std::vector<uint8_t> const& EndRideLevels(TimetableRecord& t, std::vector<int32_t> const& ends,
                                          bool backward) {
  EngineScratch& scratch = ScratchWithLines(t);
  if (std::vector<uint8_t> const* kept = KeptEndRideLevels(t, ends, backward)) return *kept;
  scratch.RideLevelEnds = ends;
  scratch.RideLevelsBackward = backward;
  FindLevels(scratch, backward, ends, nullptr, scratch.RideLevels);
  return scratch.RideLevels;
}

void ViaRideLevels(TimetableRecord& t, uint16_t bit, bool backward,
                   std::vector<uint8_t> const& after, std::vector<uint8_t>& levels) {
  EngineScratch& scratch = ScratchWithLines(t);
  if (after.size() != t.StationCount) {
    levels.assign(t.StationCount, 0);
    return;
  }
  MarkViaStations(t, bit, scratch.ViaStations);
  FindLevels(scratch, backward, {}, &after, levels);
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
