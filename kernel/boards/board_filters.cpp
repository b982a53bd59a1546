#include "boards/board_filters.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "calendars/train_groups.h"
#include "core/byte_order.h"
#include "dates/day_number.h"
#include "frame/error_codes.h"
#include "load/loaded_set.h"
#include "trains/train_stops.h"
#include "virtlists/virt_lists.h"

namespace qo {
namespace {

bool DateWithinValidity(TimetableRecord const& t, int day, int month, int year) {
  DayNumber date = DmyToDay(year, month, day);
  return date != kNoDate && date >= t.FirstDay && date <= t.LastDay;
}

int WrappedMinute(int minute) { return (minute + 14400) % 1440; }

// Keeps, in order, the entries `keep` accepts. `in` may point into out's
// own entries: the kept ones then move down in place (writes trail reads).
template <class Keep>
void KeepEntries(BoardEntry const* in, int count, std::vector<BoardEntry>& out, Keep&& keep) {
  BoardEntry const* begin = out.data();
  const std::less<BoardEntry const*> before;  // a total order over any pointers
  if (before(in, begin) || !before(in, begin + out.size())) {
    out.clear();
    for (int i = 0; i < count; ++i)
      if (keep(in[i])) out.push_back(in[i]);
    return;
  }
  count = std::min(count, static_cast<int>(begin + out.size() - in));
  size_t kept = 0;
  for (int i = 0; i < count; ++i)
    if (keep(in[i])) out[kept++] = in[i];
  out.resize(kept);
}

}  // namespace

int KeepBoardDate(TimetableRecord& t, bool departures, int day, int month, int year,
                  BoardEntry const* in, int count, std::vector<BoardEntry>& out) {
  int error = ErrNone;
  KeepEntries(in, count, out, [&](BoardEntry const& e) {
    bool runs = false;
    int32_t variant = -1;
    if (int failed =
            TrainRunsExclusively(t, static_cast<uint32_t>(e.train), RunDay{day, month, year},
                                 e.station, departures, &runs, &variant))
      error = failed;
    return runs;
  });
  if (error == ErrDateOutOfRange && DateWithinValidity(t, day, month, year)) error = ErrNone;
  return error;
}

void ReduceBoardToPlace(TimetableRecord& t, bool departures, uint8_t const* members,
                        int32_t memberCount, BoardEntry const* in, int count,
                        std::vector<uint8_t>& work, std::vector<BoardEntry>& out) {
  if (memberCount < 2) {
    KeepEntries(in, count, out, [](BoardEntry const&) { return true; });
    return;
  }
  work.assign(t.StationCount, 0);
  for (int32_t i = 0; i < memberCount; ++i) {
    uint16_t s = LoadLE<uint16_t>(members + 2 * static_cast<size_t>(i));
    if (s < t.StationCount) work[s] = 1;
  }
  KeepEntries(in, count, out, [&](BoardEntry const& e) {
    if (e.train < 0 || static_cast<uint32_t>(e.train) >= t.TrainCount) return false;
    const StopList stops = DecodeTrainStops(t, static_cast<uint32_t>(e.train));
    const int minute = WrappedMinute(e.minute & kStopMinuteMask);
    auto isBoardStop = [&](int32_t k) {
      return stops.Station(k) == e.station && WrappedMinute(stops.Minute(k)) == minute;
    };
    if (departures) {
      for (int32_t k = stops.count - 1; k > 0 && !isBoardStop(k); --k)
        if (!work[stops.Station(k)]) return true;
    } else {
      for (int32_t k = 0; k < stops.count - 1 && !isBoardStop(k); ++k)
        if (!work[stops.Station(k)]) return true;
    }
    return false;
  });
}

int CollectLineTrips(TimetableRecord& t, int timetable, uint32_t start, int day, int month,
                     int year, std::vector<LineTrip>& out) {
  out.clear();
  int error = ErrNone;
  bool const numbered = !t.MainNumbers.Values.empty();
  const int32_t number = numbered ? t.MainNumbers.Values[static_cast<int32_t>(start)] : 0;
  for (uint32_t train = start; train < t.TrainCount; ++train) {
    if (train != start &&
        (!numbered || t.MainNumbers.Values[static_cast<int32_t>(train)] != number))
      break;
    if (year != 0) {
      bool runs = false;
      int32_t variant = -1;
      if (int e =
              TrainRunsExclusively(t, train, RunDay{day, month, year}, -1, true, &runs, &variant))
        error = e;
      if (!runs) continue;
    }
    const StopList stops = DecodeTrainStops(t, train);
    if (stops.count == 0) continue;
    out.push_back({timetable, stops.Station(0), stops.Station(stops.count - 1),
                   static_cast<int32_t>(train), stops.Minute(0)});
  }
  if (error == ErrDateOutOfRange && DateWithinValidity(t, day, month, year)) error = ErrNone;
  std::stable_sort(out.begin(), out.end(), [](LineTrip const& x, LineTrip const& y) {
    if (x.minute != y.minute) return x.minute < y.minute;
    return x.train < y.train;
  });
  return error;
}

}  // namespace qo
