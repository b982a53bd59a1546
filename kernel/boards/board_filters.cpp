#include "boards/board_filters.h"

#include <algorithm>
#include <cstdlib>

#include "calendars/train_groups.h"
#include "core/byte_order.h"
#include "dates/day_number.h"
#include "frame/error_codes.h"
#include "load/loaded_set.h"
#include "trains/train_stops.h"
#include "virtlists/virt_lists.h"

namespace qo {
namespace {

bool DateWithinValidity(const TimetableRecord& t, int day, int month, int year) {
  DayNumber date = DmyToDay(year, month, day);
  return date != kNoDate && date >= t.FirstDay && date <= t.LastDay;
}

int WrappedMinute(int minute) { return (minute + 14400) % 1440; }

}  // namespace

int KeepBoardDate(TimetableRecord& t, bool departures, int day, int month, int year,
                  const BoardEntry* in, int count, std::vector<BoardEntry>& out) {
  std::vector<BoardEntry> kept;
  int error = ErrNone;
  for (int i = 0; i < count; ++i) {
    bool runs = false;
    int32_t variant = -1;
    int e = TrainRunsExclusively(t, static_cast<uint32_t>(in[i].train), RunDay{day, month, year},
                                 in[i].station, departures, &runs, &variant);
    if (e) error = e;
    if (runs) kept.push_back(in[i]);
  }
  if (error == ErrDateOutOfRange && DateWithinValidity(t, day, month, year)) error = ErrNone;
  out.swap(kept);
  return error;
}

void ReduceBoardToPlace(TimetableRecord& t, bool departures, const uint8_t* members,
                        int32_t memberCount, const BoardEntry* in, int count,
                        std::vector<uint8_t>& work, std::vector<BoardEntry>& out) {
  std::vector<BoardEntry> kept;
  if (memberCount < 2) {
    kept.assign(in, in + count);
    out.swap(kept);
    return;
  }
  work.assign(t.StationCount, 0);
  for (int32_t i = 0; i < memberCount; ++i) {
    uint16_t s = LoadLE<uint16_t>(members + 2 * static_cast<size_t>(i));
    if (s < t.StationCount) work[s] = 1;
  }
  for (int i = 0; i < count; ++i) {
    const BoardEntry& e = in[i];
    if (e.train < 0 || static_cast<uint32_t>(e.train) >= t.TrainCount) continue;
    const StopList stops = DecodeTrainStops(t, static_cast<uint32_t>(e.train));
    const int minute = WrappedMinute(e.minute & kStopMinuteMask);
    auto isBoardStop = [&](int32_t k) {
      return stops.Station(k) == e.station && WrappedMinute(stops.Minute(k)) == minute;
    };
    bool outside = false;
    if (departures) {
      for (int32_t k = stops.count - 1; k > 0 && !isBoardStop(k); --k)
        if (!work[stops.Station(k)]) {
          outside = true;
          break;
        }
    } else {
      for (int32_t k = 0; k < stops.count - 1 && !isBoardStop(k); ++k)
        if (!work[stops.Station(k)]) {
          outside = true;
          break;
        }
    }
    if (outside) kept.push_back(e);
  }
  out.swap(kept);
}

int CollectLineTrips(TimetableRecord& t, int timetable, uint32_t start, int day, int month,
                     int year, std::vector<LineTrip>& out) {
  out.clear();
  int error = ErrNone;
  const bool numbered = !t.MainNumbers.Values.empty();
  const int32_t number = numbered ? t.MainNumbers.Values[static_cast<int32_t>(start)] : 0;
  for (uint32_t train = start; train < t.TrainCount; ++train) {
    if (train != start &&
        (!numbered || t.MainNumbers.Values[static_cast<int32_t>(train)] != number))
      break;
    if (year != 0) {
      bool runs = false;
      int32_t variant = -1;
      if (int e = TrainRunsExclusively(t, train, RunDay{day, month, year}, -1, true, &runs,
                                       &variant))
        error = e;
      if (!runs) continue;
    }
    const StopList stops = DecodeTrainStops(t, train);
    if (stops.count == 0) continue;
    out.push_back({timetable, stops.Station(0), stops.Station(stops.count - 1),
                   static_cast<int32_t>(train), stops.Minute(0)});
  }
  if (error == ErrDateOutOfRange && DateWithinValidity(t, day, month, year)) error = ErrNone;
  std::stable_sort(out.begin(), out.end(), [](const LineTrip& x, const LineTrip& y) {
    if (x.minute != y.minute) return x.minute < y.minute;
    return x.train < y.train;
  });
  return error;
}

}  // namespace qo
