#include "trains/train_route.h"

#include "format/stored_bits.h"
#include "trains/train_distances.h"
#include "trains/train_stops.h"

namespace qo {
namespace {

int32_t RegionOf(TimetableRecord const& t, uint16_t station) {
  return t.StationRegions.empty() ? -1 : t.StationRegions[station];
}

void MaskFlags(TimetableRecord const& t, uint32_t train, RouteRecord& r) {
  uint32_t word = t.TrainTypeWords.empty() ? 0 : t.TrainTypeWords[static_cast<int32_t>(train)];
  const uint16_t both = kStopNoBoardingMark | kStopNoAlighting;
  if (word & t.StopFlagMask) r.Flags &= static_cast<uint16_t>(~both);
  if ((r.Flags & both) == both) r.Flags &= static_cast<uint16_t>(~both);
  const uint16_t busPair = kStopNoBoarding | kStopNoAlighting;
  if (t.Kind == kKindBus && (r.Flags & busPair) == busPair)
    r.Flags &= static_cast<uint16_t>(~busPair);
}

bool SameMinuteOfDay(int16_t stored, int32_t minute) {
  return stored >= 0 && stored % 1440 == ((minute % 1440) + 1440) % 1440;
}

bool MeetsRide(RouteRecord const& r, int32_t minute, bool boarding, RideMatch match) {
  if (match == RideMatch::EitherTime)
    return SameMinuteOfDay(r.Departure, minute) || SameMinuteOfDay(r.Arrival, minute);
  // The stop's own time for the ride: a stop of one word is reached when
  // the train leaves it.
  return SameMinuteOfDay(boarding || r.Arrival < 0 ? r.Departure : r.Arrival, minute);
}

}  // namespace

RideStops FindRideStops(std::vector<RouteRecord> const& route, int32_t from,
                        int32_t departureMinute, int32_t to, int32_t arrivalMinute,
                        RideMatch match) {
  RideStops at;
  const int32_t n = static_cast<int32_t>(route.size());
  for (int32_t i = 0; i < n && at.Board < 0; ++i) {
    RouteRecord const& r = route[static_cast<size_t>(i)];
    if (r.Station == from && MeetsRide(r, departureMinute, true, match)) at.Board = i;
  }
  for (int32_t i = at.Board + 1; at.Board >= 0 && i < n && at.Alight < 0; ++i) {
    RouteRecord const& r = route[static_cast<size_t>(i)];
    if (r.Station == to && MeetsRide(r, arrivalMinute, false, match)) at.Alight = i;
  }
  return at;
}

void BuildTrainRoute(TimetableRecord& t, uint32_t train, std::vector<RouteRecord>& out) {
  out.clear();
  StopList stops = DecodeTrainStops(t, train);
  ImageArray<int32_t> distances;
  bool withDistances = LoadTrainDistances(t, train, &distances);
  bool const continuations = !t.ContinuationTrainA.empty();
  int running = 0;
  for (int32_t i = 0; i < stops.count; ++i) {
    uint16_t time = stops.Time(i);
    uint16_t station = stops.Station(i);
    // A second word at the same station is the departure of the same stop,
    // unless it marks where the train is joined by another (0x4000 without
    // 0x1000) and the timetable has no continuations to say so.
    bool joins = (time & kStopNoBoarding) && !(time & kStopNoAlighting) && !continuations;
    if (i > 0 && station == stops.Station(i - 1) && !joins) {
      RouteRecord& r = out.back();
      r.Arrival = r.Departure;
      r.ArrivalDay = r.DepartureDay;
    } else {
      RouteRecord r;
      r.Station = station;
      r.ArrivalDay = static_cast<int16_t>(running);
      out.push_back(r);
    }
    RouteRecord& r = out.back();
    running += GetStopDayStep(t, stops, i);
    r.Departure = static_cast<int16_t>(time & kStopMinuteMask);
    r.DepartureDay = static_cast<int16_t>(running);
    r.Flags |= time & kStopKeptFlags;
    r.Distance = withDistances ? distances[i] : -1;
  }
  for (RouteRecord& r : out) MaskFlags(t, train, r);
  if (out.empty()) return;
  // The last stop is reached, not left: a lone word there is its arrival,
  // on the day it was reached.
  RouteRecord& last = out.back();
  if (last.Arrival < 0) {
    last.Arrival = last.Departure;
    last.ArrivalDay = last.DepartureDay;
  }
  last.Departure = -1;
}

void GetTrainRegionDistances(TimetableRecord& t, uint32_t train, bool changesOnly,
                             std::vector<int32_t>& regions, std::vector<int32_t>& distances) {
  regions.clear();
  distances.clear();
  if (t.StationRegions.empty()) return;
  ImageArray<int32_t> cumulative;
  if (!LoadTrainDistances(t, train, &cumulative)) return;
  StopRange words(t, train);
  const int32_t n = words.size();
  for (int32_t i = 0; i < n; ++i) {
    int32_t region = RegionOf(t, words.Station(i));
    if (changesOnly && i > 0 && i + 1 < n && region == RegionOf(t, words.Station(i - 1)) &&
        region == RegionOf(t, words.Station(i + 1)))
      continue;
    regions.push_back(region);
    distances.push_back(cumulative[i]);
  }
}

int32_t TrainRegionDistance(TimetableRecord& t, uint32_t train, int mode, int const* selection,
                            int* startMinute) {
  StopRange words(t, train);
  *startMinute = words.size() > 0 ? words.Minute(0) : 0;
  ImageArray<int32_t> cumulative;
  if (!LoadTrainDistances(t, train, &cumulative)) return -1;
  const int32_t n = words.size();
  if (!selection) return n > 0 ? cumulative[n - 1] : 0;
  if (t.StationRegions.empty()) return -1;

  const int32_t regionCount = GetPoolCount(t.RegionNames);
  auto selected = [&](int32_t region) {
    return region >= 0 && region < regionCount && selection[region] != 0;
  };
  int64_t total = 0;
  for (int32_t i = 0; i + 1 < n; ++i) {
    int32_t from = RegionOf(t, words.Station(i)), to = RegionOf(t, words.Station(i + 1));
    bool leaving = selected(from), entering = selected(to);
    if (!leaving && !entering) continue;
    int32_t a = cumulative[i], b = cumulative[i + 1];
    if (a < 0 || b < a) continue;
    int32_t arc = b - a;
    if (leaving && entering) {
      total += arc;
    } else if (mode == BorderHalf) {
      int32_t kilometres = arc / 1000;
      total += kilometres / 2 * 1000;
      int32_t inside = leaving ? from : to, outside = leaving ? to : from;
      if (kilometres % 2 == 1 && inside > outside) total += 1000;
    } else if ((mode == BorderLeaving && leaving) || (mode == BorderEntering && entering)) {
      total += arc;
    }
  }
  return total > INT32_MAX ? INT32_MAX : static_cast<int32_t>(total);
}

}  // namespace qo
