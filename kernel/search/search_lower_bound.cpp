#include "search/search_lower_bound.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "links/station_links.h"
#include "load/timetable_record.h"
#include "search/search_marks.h"
#include "search/search_scratch.h"
#include "search/search_state.h"
#include "trains/train_stops.h"

namespace qo {
namespace {

constexpr size_t kLabelsBeforeLowerBounds = 500;
size_t labelsBeforeLowerBounds = kLabelsBeforeLowerBounds;

using HopGraph = EngineScratch::HopGraph;

// A walk switched off keeps its minutes inverted.
int32_t WalkMinutes(int8_t stored) { return stored < 0 ? ~stored : stored; }

// Per station its neighbours with the fewest minutes, gathered in small
// lists (a station has a few neighbours, met again by every train of its
// lines) and laid out flat, once each way.
void BuildHops(TimetableRecord& t, EngineScratch& scratch) {
  const int32_t n = static_cast<int32_t>(t.StationCount);
  std::vector<std::vector<std::pair<int32_t, int32_t>>> out(static_cast<size_t>(n));
  auto add = [&](int32_t from, int32_t to, int32_t minutes) {
    if (from < 0 || from >= n || to < 0 || to >= n || from == to) return;
    for (auto& [target, fewest] : out[static_cast<size_t>(from)])
      if (target == to) {
        fewest = std::min(fewest, minutes);
        return;
      }
    out[static_cast<size_t>(from)].push_back({to, minutes});
  };
  for (uint32_t train = 0; train < t.TrainCount; ++train) {
    const StopList stops = DecodeTrainStops(t, train);
    for (int32_t j = 1; j < stops.count; ++j) {
      if (stops.Station(j) == stops.Station(j - 1)) continue;
      const int32_t minutes =
          GetStopDayStep(t, stops, j) * 1440 + stops.Minute(j) - stops.Minute(j - 1);
      add(stops.Station(j - 1), stops.Station(j), std::max(minutes, 0));
    }
  }
  // A walk counts both ways: a pass walks a link from its end backward.
  // Among barrier-free minutes a negative one means no such walk.
  for (int32_t s = 0; s < n; ++s)
    for (bool barrierFree : {false, true}) {
      const InternLinkRange links = InternLinks(t, static_cast<uint16_t>(s), barrierFree);
      for (int32_t i = 0; i < links.count; ++i) {
        if (barrierFree && links.Minutes(i) < 0) continue;
        const int32_t minutes = WalkMinutes(links.Minutes(i));
        add(s, links.Target(i), minutes);
        add(links.Target(i), s, minutes);
      }
    }
  auto layOut = [&](HopGraph& g, bool reversed) {
    g.Offsets.assign(static_cast<size_t>(n) + 1, 0);
    for (int32_t s = 0; s < n; ++s)
      for (auto const& [to, minutes] : out[static_cast<size_t>(s)])
        ++g.Offsets[static_cast<size_t>(reversed ? to : s) + 1];
    for (int32_t s = 0; s < n; ++s) g.Offsets[static_cast<size_t>(s) + 1] += g.Offsets[s];
    g.Targets.resize(static_cast<size_t>(g.Offsets.back()));
    g.Minutes.resize(g.Targets.size());
    std::vector<int32_t> at(g.Offsets.begin(), g.Offsets.end() - 1);
    for (int32_t s = 0; s < n; ++s)
      for (auto const& [to, minutes] : out[static_cast<size_t>(s)]) {
        const int32_t from = reversed ? to : s;
        const size_t place = static_cast<size_t>(at[static_cast<size_t>(from)]++);
        g.Targets[place] = reversed ? s : to;
        g.Minutes[place] = minutes;
      }
  };
  layOut(scratch.HopsOut, false);
  layOut(scratch.HopsIn, true);
}

// Per station the fewest minutes to any seed plus the seed's own minutes,
// by buckets of one minute (minutes are small whole numbers). Far beyond
// any journey a bound stays at the cap, still below the way.
void ShortestToSeeds(EngineScratch& scratch, bool backward,
                     std::vector<std::pair<int32_t, int32_t>> const& seeds,
                     std::vector<int32_t>& minutes) {
  // Forward the way runs to the seeds: from them along the edges reversed.
  HopGraph const& g = backward ? scratch.HopsOut : scratch.HopsIn;
  constexpr int32_t kCap = 1 << 16;
  std::vector<int32_t>& buckets = scratch.HopBuckets;
  std::vector<int32_t>& queued = scratch.HopQueued;
  buckets.clear();
  queued.clear();
  auto reach = [&](int32_t station, int32_t d) {
    d = std::min(d, kCap);
    int32_t& known = minutes[static_cast<size_t>(station)];
    if (d >= known) return;
    known = d;
    if (static_cast<size_t>(d) >= buckets.size()) buckets.resize(static_cast<size_t>(d) + 1, -1);
    queued.push_back(station);
    queued.push_back(buckets[static_cast<size_t>(d)]);
    buckets[static_cast<size_t>(d)] = static_cast<int32_t>(queued.size()) - 2;
  };
  for (auto const& [station, d] : seeds) reach(station, d);
  for (size_t d = 0; d < buckets.size(); ++d) {
    while (buckets[d] >= 0) {
      const int32_t at = buckets[d];
      const int32_t station = queued[static_cast<size_t>(at)];
      buckets[d] = queued[static_cast<size_t>(at) + 1];
      if (minutes[static_cast<size_t>(station)] != static_cast<int32_t>(d)) continue;
      for (int32_t i = g.Offsets[static_cast<size_t>(station)];
           i < g.Offsets[static_cast<size_t>(station) + 1]; ++i)
        reach(g.Targets[static_cast<size_t>(i)],
              static_cast<int32_t>(d) + g.Minutes[static_cast<size_t>(i)]);
    }
  }
}

// The timetable's scratch, its graph built.
EngineScratch& ScratchWithHops(TimetableRecord& t) {
  EngineScratch& scratch = EngineScratchOf(t);
  if (scratch.HopsOut.Offsets.size() != static_cast<size_t>(t.StationCount) + 1)
    BuildHops(t, scratch);
  return scratch;
}

}  // namespace

std::vector<int32_t> const& EndLowerBounds(TimetableRecord& t, std::vector<int32_t> const& ends,
                                           bool backward) {
  const size_t n = t.StationCount;
  EngineScratch& scratch = ScratchWithHops(t);
  std::vector<int32_t>& minutes = scratch.ToEnd;
  if (scratch.ToEndStations == ends && scratch.ToEndBackward == backward && minutes.size() == n)
    return minutes;
  scratch.ToEndStations = ends;
  scratch.ToEndBackward = backward;
  minutes.assign(n, kEndUnreachable);
  std::vector<std::pair<int32_t, int32_t>>& seeds = scratch.HopSeeds;
  seeds.clear();
  for (int32_t end : ends)
    if (end >= 0 && static_cast<size_t>(end) < n) seeds.push_back({end, 0});
  ShortestToSeeds(scratch, backward, seeds, minutes);
  return minutes;
}

void ViaLowerBounds(TimetableRecord& t, uint16_t bit, bool backward,
                    std::vector<int32_t> const& after, std::vector<int32_t>& minutes) {
  const size_t n = t.StationCount;
  EngineScratch& scratch = ScratchWithHops(t);
  minutes.assign(n, kEndUnreachable);
  std::vector<std::pair<int32_t, int32_t>>& seeds = scratch.HopSeeds;
  seeds.clear();
  // A via station from which the end cannot be reached leads nowhere.
  std::vector<uint8_t>& near = scratch.ViaStations;
  MarkViaStations(t, bit, near);
  for (size_t s = 0; s < n; ++s)
    if (near[s] && s < after.size() && after[s] < kEndUnreachable)
      seeds.push_back({static_cast<int32_t>(s), after[s]});
  ShortestToSeeds(scratch, backward, seeds, minutes);
}

size_t LabelsBeforeLowerBounds() { return labelsBeforeLowerBounds; }
void SetLabelsBeforeLowerBoundsForTesting(size_t labels) { labelsBeforeLowerBounds = labels; }
void ResetLabelsBeforeLowerBoundsForTesting() {
  labelsBeforeLowerBounds = kLabelsBeforeLowerBounds;
}

}  // namespace qo
