// Lookups for a seat-reservation system, whose stations are known by the
// reservation keys of the station-key extension: whether a place has a
// station that takes reservations, and the reservation trains between two
// such stations or of a train number.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "boards/board_core.h"
#include "calendars/train_calendar.h"
#include "calendars/train_groups.h"
#include "format/stored_bits.h"
#include "search/object_stations.h"
#include "stations/station_access.h"
#include "trains/train_stops.h"

using namespace qo;

namespace {

constexpr uint16_t kReservationStation = 0x10;
constexpr uint32_t kReservationTrain = 0x2800000;
// A reservation key stands for at most this many stations.
constexpr size_t kMaxKeyStations = 10;

// The stations whose reservation key is `key`, at most the first ten.
void KeyStations(TimetableRecord const& t, int32_t key, std::vector<int32_t>& out) {
  out.clear();
  if (key == 0) return;
  SearchStationKeyEx(t, key, KeyColumnReservation, out);
  if (out.size() > kMaxKeyStations) out.resize(kMaxKeyStations);
}

bool Holds(std::vector<int32_t> const& stations, uint16_t station) {
  return std::find(stations.begin(), stations.end(), station) != stations.end();
}

bool IsReservationTrain(TimetableRecord const& t, uint32_t train) {
  return !t.TrainTypeWords.empty() &&
         (t.TrainTypeWords[static_cast<int32_t>(train)] & kReservationTrain) != 0;
}

struct Hits {
  std::vector<int> timetables, trains, stations;

  void Clear() {
    timetables.clear();
    trains.clear();
    stations.clear();
  }
};

// What one search goes through per timetable, reused from call to call.
struct ReservedSearch {
  std::vector<int32_t> from, to;
  std::vector<BoardEntry> board;
  BoardWork boardWork;
  std::vector<uint8_t> listed;  // per train: already a candidate
  RunDay day;
  bool dated = false;
  int error = 0;  // of the last running test that failed

  // The candidate joins the hits when there is no date to test, no station
  // it is boarded at, or it runs on the date there.
  void Keep(TimetableRecord& t, int timetable, uint32_t train, int32_t boarding, Hits& hits) {
    if (dated && boarding >= 0) {
      bool runs = false;
      int32_t variant = -1;
      if (int e = TrainRunsExclusively(t, train, day, boarding, true, &runs, &variant)) error = e;
      if (!runs) return;
    }
    hits.timetables.push_back(timetable);
    hits.trains.push_back(static_cast<int>(train));
    hits.stations.push_back(boarding);
  }

  // The reservation trains of the number; with stations to pass, only those
  // that call at a From station and after it at a To station.
  void ByNumber(TimetableRecord& t, int timetable, int32_t number, Hits& hits) {
    ImageArray<int32_t> const& numbers = t.MainNumbers.Values;
    for (int32_t train = 0; train < numbers.size(); ++train) {
      if (numbers[train] != number || !IsReservationTrain(t, static_cast<uint32_t>(train)))
        continue;
      int32_t boarding = -1;
      bool boarded = from.empty(), arrived = to.empty();
      StopRange words(t, static_cast<uint32_t>(train));
      for (int32_t i = 0; i < words.size() && !(boarded && arrived); ++i) {
        const uint16_t station = words.Station(i);
        if (!boarded) {
          if (Holds(from, station)) {
            boarding = station;
            boarded = true;
          }
        } else if (Holds(to, station)) {
          arrived = true;
        }
      }
      if (boarded && arrived) Keep(t, timetable, static_cast<uint32_t>(train), boarding, hits);
    }
  }

  // The reservation trains of the board from the From stations towards the
  // To stations (or of the To stations' arrivals).
  void ByBoard(TimetableRecord& t, int timetable, Hits& hits) {
    const BoardFilter filter = MakeBoardFilter(t, 0xFFFFFFFF, kReservationTrain);
    if (CollectBoardExt(t, from.data(), static_cast<int>(from.size()), to.data(),
                        static_cast<int>(to.size()), !from.empty(), filter, boardWork, board) != 0)
      return;
    listed.assign(t.TrainCount, 0);
    for (BoardEntry const& entry : board) {
      const auto train = static_cast<uint32_t>(entry.train);
      if (train >= t.TrainCount || listed[train] || !IsReservationTrain(t, train)) continue;
      listed[train] = 1;
      int32_t boarding = -1;
      if (from.size() == 1) {
        boarding = from[0];
      } else if (!from.empty()) {
        StopRange words(t, train);
        for (int32_t i = 0; i < words.size() && boarding < 0; ++i)
          if (Holds(from, words.Station(i))) boarding = words.Station(i);
      }
      Keep(t, timetable, train, boarding, hits);
    }
  }
};

}  // namespace

extern "C" {

QO_API int QoHasReserv(GLOBALSEARCH_REC place, int want_key) {
  static std::vector<PlaceStation> stations;
  return api::GuardedExport<int>(0, [&] {
    if (int error = ObjectStations(place.timetable, place.list, place.item, nullptr, stations)) {
      SetKernelError(error);
      return 0;
    }
    for (PlaceStation const& at : stations) {
      TimetableRecord* t = TimetableAt(at.timetable);
      if (!t || at.station < 0 || at.station >= t->StationTypes.size() ||
          !(t->StationTypes[at.station] & kReservationStation))
        continue;
      if (!want_key) return 1;
      // Without the extension a station has no reservation key; that is no
      // error of this lookup.
      int32_t key = 0;
      StationExtensionKey(*t, static_cast<uint16_t>(at.station), KeyColumnReservation, &key);
      if (key != 0) return static_cast<int>(key);
    }
    return 0;
  });
}

QO_API int QoSearchReservedTrain(int const* selection, int train_number, int from_key, int to_key,
                                 int day, int month, int year, int const** timetables,
                                 int const** trains, int const** stations) {
  static ReservedSearch search;
  static Hits hits;
  if (timetables) *timetables = nullptr;
  if (trains) *trains = nullptr;
  if (stations) *stations = nullptr;
  return api::GuardedExport<int>(0, [&] {
    hits.Clear();
    search.day = RunDay{day, month, year};
    search.dated = day >= 1;
    for (int i = 0; i < LoadedCount(); ++i) {
      TimetableRecord& t = *TimetableAt(i);
      if ((selection && !selection[i]) || t.Kind != kKindRail || t.MainNumbers.Values.empty())
        continue;
      SetKernelError(0);
      search.error = 0;
      KeyStations(t, from_key, search.from);
      KeyStations(t, to_key, search.to);
      if ((from_key != 0 && search.from.empty()) || (to_key != 0 && search.to.empty())) continue;
      if (train_number != 0) {
        search.ByNumber(t, i, train_number, hits);
      } else if (!search.from.empty() || !search.to.empty()) {
        search.ByBoard(t, i, hits);
      }
      if (search.error) SetKernelError(search.error);
    }
    if (hits.trains.empty()) return 0;
    if (timetables) *timetables = hits.timetables.data();
    if (trains) *trains = hits.trains.data();
    if (stations) *stations = hits.stations.data();
    return static_cast<int>(hits.trains.size());
  });
}

}  // extern "C"
