#include "calendars/train_groups.h"

#include "dates/day_number.h"
#include "trains/train_stops.h"

namespace qo {
namespace {

uint32_t TypeWord(TimetableRecord const& t, uint32_t train) {
  return t.TrainTypeWords[static_cast<int32_t>(train)];
}

// Routes compared while walking a group; kept between calls so that a
// click does not allocate.
struct RouteScratch {
  std::vector<uint16_t> train, other;
};
RouteScratch& Scratch() {
  static RouteScratch scratch;
  return scratch;
}

}  // namespace

bool TrainGroup(TimetableRecord const& t, uint32_t train, uint32_t* first, uint32_t* last) {
  if (t.TrainTypeWords.empty()) return false;
  uint32_t begin = train, end = train;
  while (begin > 0 && (TypeWord(t, begin) & kContinuesGroup)) --begin;
  while (end + 1 < t.TrainCount && (TypeWord(t, end + 1) & kContinuesGroup)) ++end;
  *first = begin;
  *last = end;
  return begin != end;
}

void RouteStations(TimetableRecord const& t, uint32_t train, std::vector<uint16_t>& out) {
  out.clear();
  const StopRange stops(t, train);
  for (int32_t i = 0; i < stops.size(); ++i) {
    const uint16_t station = stops.Station(i);
    if (out.empty() || out.back() != station) out.push_back(station);
  }
}

bool RouteContains(std::vector<uint16_t> const& outer, std::vector<uint16_t> const& inner) {
  if (outer.size() < inner.size()) return false;
  size_t matched = 0;
  for (size_t i = 0; i < outer.size() && matched < inner.size(); ++i)
    if (outer[i] == inner[matched]) ++matched;
  return matched == inner.size();
}

bool RoutesJoined(std::vector<uint16_t> const& a, std::vector<uint16_t> const& b) {
  if (a.empty() || b.empty()) return false;
  return a.back() == b.front() || a.front() == b.back();
}

int TrainRunsExclusively(TimetableRecord& t, uint32_t train, RunDay const& when, int32_t station,
                         bool departure, bool* runs, int32_t* variant) {
  *variant = -1;
  if (int error = TrainRunsOn(t, train, when, station, departure, runs)) return error;
  uint32_t first, last;
  if (!*runs || !TrainGroup(t, train, &first, &last)) return 0;

  RouteScratch& routes = Scratch();
  RouteStations(t, train, routes.train);
  if (station < 0 && !routes.train.empty()) station = routes.train.front();
  for (uint32_t i = first; i <= last; ++i) {
    if (i == train || (TypeWord(t, i) & kSecondaryVariant)) continue;
    bool other = false;
    // A variant that does not call at the station simply does not run there.
    if (TrainRunsOn(t, i, when, station, departure, &other) != 0 || !other) continue;
    RouteStations(t, i, routes.other);
    bool const containsTrain = RouteContains(routes.other, routes.train);
    bool const insideTrain = RouteContains(routes.train, routes.other);
    if (containsTrain && (i < train || !insideTrain)) {
      *runs = false;
      *variant = -1;
      return 0;
    }
    if (!insideTrain && !RoutesJoined(routes.train, routes.other))
      *variant = static_cast<int32_t>(i);
  }
  return 0;
}

int MapTrainToDate(TimetableRecord& t, uint32_t train, int32_t station, int32_t date,
                   bool departure, uint32_t* out) {
  *out = train;
  bool runs = false;
  if (int error = TrainRunsOnDate(t, train, date, station, departure, &runs)) return error;
  uint32_t first, last;
  if (!runs || !TrainGroup(t, train, &first, &last)) return 0;

  bool const secondary = (TypeWord(t, train) & kSecondaryVariant) != 0;
  RouteScratch& routes = Scratch();
  RouteStations(t, train, routes.train);  // the chosen variant's route
  for (uint32_t i = first; i <= last; ++i) {
    if (i == *out) continue;
    if ((TypeWord(t, i) & kSecondaryVariant) && !secondary) continue;
    bool other = false;
    if (TrainRunsOnDate(t, i, date, station, departure, &other) != 0 || !other) continue;
    RouteStations(t, i, routes.other);
    if (!RouteContains(routes.other, routes.train)) continue;
    *out = i;
    routes.train.swap(routes.other);
  }
  return 0;
}

void PairedTrains(TimetableRecord const& t, uint32_t train, std::vector<int32_t>& out) {
  out.clear();
  for (int32_t i = 0; i < t.TrainPairs.size(); ++i)
    if (t.TrainPairs.Field<int32_t>(i, 0) == static_cast<int32_t>(train))
      out.push_back(t.TrainPairs.Field<int32_t>(i, 4));
}

}  // namespace qo
