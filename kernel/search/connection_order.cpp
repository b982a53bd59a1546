#include "search/connection_order.h"

#include <algorithm>
#include <numeric>
#include <tuple>
#include <vector>

#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "search/search_limits.h"

namespace qo {
namespace {

// A connection may name a timetable that is gone or was never loaded (a
// list handed back after a reload, a list built by hand): its station then
// sorts by its number and its train as no group variant.
int32_t StationKeyOf(int32_t tt, int32_t station) {
  TimetableRecord const* t = TimetableAt(tt);
  if (!t || station < 0 || station >= t->StationKeys.size()) return station;
  return t->StationKeys[station];
}

int GroupVariantRank(ConnectionLeg const& leg) {
  TimetableRecord const* t = TimetableAt(leg.Timetable);
  if (!t || leg.Train < 0 || leg.Train >= t->TrainTypeWords.size()) return 0;
  return (t->TrainTypeWords[leg.Train] & kGroupVariantTypeBit) != 0 ? 1 : 0;
}

// The keys are worked out once per connection, not once per comparison.
struct SortKey {
  int32_t Lead[2][2];  // [first, second] pair of (day, minute)
  size_t Legs;
  int32_t FromKey, ToKey, Timetable;
  int Variant;
  int32_t Train, Id;
  auto Tie() const {
    return std::tie(Lead[0][0], Lead[0][1], Lead[1][0], Lead[1][1], Legs, FromKey, ToKey, Timetable,
                    Variant, Train, Id);
  }
};

// Both orders end with the number of legs, the end stations' keys, the
// timetable and the first train; by arrival the last arrival leads.
void SortConnections(ConnectionList& list, bool byArrival) {
  std::vector<SortKey> keys;
  keys.reserve(list.size());
  for (Connection const& c : list) {
    SortKey k{};
    if (!c.empty()) {
      ConnectionLeg const& f = c.front();
      ConnectionLeg const& l = c.back();
      const int first = byArrival ? 1 : 0;
      k.Lead[first][0] = f.DepartureDay;
      k.Lead[first][1] = f.DepartureMinute;
      k.Lead[1 - first][0] = l.ArrivalDay;
      k.Lead[1 - first][1] = l.ArrivalMinute;
      k.Legs = c.size();
      k.FromKey = StationKeyOf(f.Timetable, f.FromStation);
      k.ToKey = StationKeyOf(l.Timetable, l.ToStation);
      k.Timetable = f.Timetable;
      k.Variant = GroupVariantRank(f);
      k.Train = f.Train;
      k.Id = f.ConnectionId;
    }
    keys.push_back(k);
  }
  std::vector<size_t> order(list.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return keys[a].Tie() < keys[b].Tie(); });
  ConnectionList sorted;
  sorted.reserve(list.size());
  for (size_t i : order) sorted.push_back(std::move(list[i]));
  list = std::move(sorted);
}

}  // namespace

void SortConnectionsByDeparture(ConnectionList& list) { SortConnections(list, false); }

void SortConnectionsByArrival(ConnectionList& list) { SortConnections(list, true); }

}  // namespace qo
