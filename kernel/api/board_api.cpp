// Board exports: arrivals and departures of a station, of sets of stations
// and of places of the virtual lists.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "boards/board2.h"
#include "boards/board_core.h"
#include "boards/board_filters.h"
#include "boards/local_train.h"
#include "boards/reachable_stations.h"
#include "boards/station_lines.h"
#include "boards/station_sets.h"
#include "virtlists/virt_lists.h"
#include "load/timetable_record.h"

using namespace qo;

static_assert(sizeof(ARRDEP_REC) == sizeof(BoardEntry));
static_assert(offsetof(ARRDEP_REC, train) == offsetof(BoardEntry, train));
static_assert(offsetof(ARRDEP_REC, day_offset) == offsetof(BoardEntry, dayOffset));

static_assert(sizeof(ARRDEP_EXT_REC) == sizeof(MergedBoardEntry));
static_assert(sizeof(DEPLINE_REC) == sizeof(LineTrip));
static_assert(offsetof(DEPLINE_REC, minute) == offsetof(LineTrip, minute));

static_assert(sizeof(STLINE_REC) == sizeof(StationLine));
static_assert(sizeof(ARRDEP2_REC) == 52 && sizeof(ARRDEP2_REC) == sizeof(Board2Entry));
static_assert(sizeof(ROUTE2_REC) == sizeof(RouteRecord));

namespace {

// Hands a board to the caller: its static array and the count.
int HandOut(std::vector<BoardEntry>& board, ARRDEP_REC** out) {
  if (out) *out = reinterpret_cast<ARRDEP_REC*>(board.data());
  return static_cast<int>(board.size());
}

BoardWork& SharedWork() {
  static BoardWork work;
  return work;
}

// The boards of station sets and of list places: the masks become the
// filter, the core fills the export's own board, an error is the last error.
template <class Collect>
int FilteredBoard(int timetable, unsigned int mask1, unsigned int mask2,
                  std::vector<BoardEntry>& board, ARRDEP_REC** out, Collect collect) {
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    const BoardFilter filter = MakeBoardFilter(*t, mask1, mask2);
    if (int error = collect(*t, filter)) {
      SetKernelError(error);
      return 0;
    }
    return HandOut(board, out);
  });
}

// One byte per station of the timetable: reached from `station` (from) or
// reaching it (to). Each export passes its own result buffer.
unsigned char* ReachableStations(int timetable, int station, bool from, unsigned int mask1,
                                 unsigned int mask2, std::vector<uint8_t>& marks) {
  return api::GuardedExport<unsigned char*>(nullptr, [&]() -> unsigned char* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckStation(*t, station)) return nullptr;
    marks.assign(t->StationCount, 0);
    MarkReachableStations(*t, static_cast<uint16_t>(station), from, mask1, mask2, marks);
    return marks.data();
  });
}

}  // namespace

extern "C" {

QO_API int QoArrDep(int timetable, int a, int b, int departures, unsigned int mask1,
                    unsigned int mask2, ARRDEP_REC** out) {
  static std::vector<BoardEntry> board;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    if (int error = CheckBoardRequest(*t, a, b, departures != 0)) {
      SetKernelError(error);
      return 0;
    }
    if (a == b) return 0;  // nothing to list; the caller's pointer stays as it was
    BoardFilter filter = MakeBoardFilter(*t, mask1, mask2);
    if (int error = CollectBoard(*t, a, b, departures != 0, filter, false, board)) {
      SetKernelError(error);
      return 0;
    }
    return HandOut(board, out);
  });
}

QO_API int QoArrDepExt(int timetable, const int* from, int fromCount, const int* to, int toCount,
                       int departures, unsigned int mask1, unsigned int mask2, ARRDEP_REC** out) {
  static std::vector<BoardEntry> board;
  return FilteredBoard(timetable, mask1, mask2, board, out,
                       [&](TimetableRecord& t, BoardFilter const& filter) {
                         return CollectBoardExt(t, from, fromCount, to, toCount, departures != 0,
                                                filter, SharedWork(), board);
                       });
}

QO_API int QoArrDepVL(int timetable, int fromItem, int fromList, int toItem, int toList,
                      int departures, unsigned int mask1, unsigned int mask2, ARRDEP_REC** out) {
  static std::vector<BoardEntry> board;
  return FilteredBoard(timetable, mask1, mask2, board, out,
                       [&](TimetableRecord& t, BoardFilter const& filter) {
                         return CollectBoardVL(t, fromItem, fromList, toItem, toList,
                                               departures != 0, filter, SharedWork(), board);
                       });
}

QO_API int QoArrDepDate(int timetable, int departures, int day, int month, int year, int count,
                        ARRDEP_REC** entries) {
  static std::vector<BoardEntry> kept;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !entries) return 0;
    const BoardEntry* in = reinterpret_cast<const BoardEntry*>(*entries);
    int error = KeepBoardDate(*t, departures != 0, day, month, year, in, in ? count : 0, kept);
    if (error) SetKernelError(error);
    return HandOut(kept, entries);
  });
}

QO_API int QoArrDepReduce(int timetable, int departures, int list, int item, int count,
                          ARRDEP_REC** entries) {
  static std::vector<BoardEntry> kept;
  static std::vector<uint8_t> group;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !entries || !*entries) return 0;
    if (list >= 0 && static_cast<uint32_t>(list) >= t->VirtLists.size()) {
      SetKernelError(ErrVirtListIndex);
      return 0;
    }
    if (list < 0 || item < 0 || item >= CandidateCount(*t, list)) return count;
    const uint8_t* members = nullptr;
    const uint8_t* bytes = nullptr;
    int32_t n = ItemStations(t->VirtLists[static_cast<size_t>(list)], item, &members, &bytes);
    if (n < 2) return count;
    ReduceBoardToPlace(*t, departures != 0, members, n,
                       reinterpret_cast<const BoardEntry*>(*entries), count, group, kept);
    return HandOut(kept, entries);
  });
}

QO_API int QoDepLine(int timetable, int train, int day, int month, int year, DEPLINE_REC** out) {
  static std::vector<LineTrip> trips;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckTrain(*t, train)) return 0;
    if (int error =
            CollectLineTrips(*t, timetable, static_cast<uint32_t>(train), day, month, year, trips))
      SetKernelError(error);
    if (out) *out = reinterpret_cast<DEPLINE_REC*>(trips.data());
    return static_cast<int>(trips.size());
  });
}

QO_API int QoArrDepVLExt(int fromTimetable, int fromItem, int fromList, int toTimetable, int toItem,
                         int toList, int departures, const unsigned int* masks1,
                         const unsigned int* masks2, int reduce, int day, int month, int year,
                         ARRDEP_EXT_REC** out) {
  static std::vector<MergedBoardEntry> board;
  static MergedBoardWork work;
  TakeKernelError();  // the merged board starts from a clear error code
  return api::GuardedExport<int>(0, [&] {
    MergedBoardRequest request;
    request.fromTimetable = fromTimetable;
    request.fromItem = fromItem;
    request.fromList = fromList;
    request.toTimetable = toTimetable;
    request.toItem = toItem;
    request.toList = toList;
    request.departures = departures != 0;
    request.masks1 = masks1;
    request.masks2 = masks2;
    request.reduce = reduce != 0;
    request.day = day;
    request.month = month;
    request.year = year;
    if (int error = CollectMergedBoard(request, work, board)) {
      SetKernelError(error);
      return 0;
    }
    if (out) *out = reinterpret_cast<ARRDEP_EXT_REC*>(board.data());
    return static_cast<int>(board.size());
  });
}

QO_API int QoLocalTrain(int timetable, int train, int station, int day, int month, int year,
                        int departure) {
  return api::GuardedExport<int>(-1, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckTrain(*t, train)) return -1;
    if (station >= static_cast<int64_t>(t->StationCount)) {
      SetKernelError(ErrStationIndex);
      return train;
    }
    int error = 0;
    int32_t shown = FindLocalTrain(*t, static_cast<uint32_t>(train), station,
                                   RunDay{day, month, year}, departure != 0, &error);
    if (error) SetKernelError(error);
    return static_cast<int>(shown);
  });
}

QO_API unsigned char* QoStationsFrom(int timetable, int station, unsigned int mask1,
                                     unsigned int mask2) {
  static std::vector<uint8_t> marks;
  return ReachableStations(timetable, station, true, mask1, mask2, marks);
}

QO_API unsigned char* QoStationsTo(int timetable, int station, unsigned int mask1,
                                   unsigned int mask2) {
  static std::vector<uint8_t> marks;
  return ReachableStations(timetable, station, false, mask1, mask2, marks);
}

QO_API int QoStLines(int timetable, int station, int departures, int arrivals, unsigned int mask1,
                     unsigned int mask2, STLINE_REC** out) {
  static std::vector<StationLine> lines;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckStation(*t, station)) return 0;
    if (!departures && !arrivals) {
      SetKernelError(ErrParameters);
      return 0;
    }
    lines.clear();
    BoardFilter filter = MakeBoardFilter(*t, mask1, mask2);
    CollectStationLines(*t, static_cast<uint16_t>(station), departures != 0, arrivals != 0, filter,
                        lines);
    if (out) {
      std::sort(lines.begin(), lines.end(),
                [](const StationLine& a, const StationLine& b) { return a.train < b.train; });
      *out = reinterpret_cast<STLINE_REC*>(lines.data());
    }
    return static_cast<int>(lines.size());
  });
}

QO_API int QoStLinesVL(int timetable, int item, int list, int departures, int arrivals,
                       unsigned int mask1, unsigned int mask2, STLINE_REC** out) {
  static std::vector<StationLine> lines;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    if (!departures && !arrivals) {
      SetKernelError(ErrParameters);
      return 0;
    }
    BoardFilter filter = MakeBoardFilter(*t, mask1, mask2);
    if (int error =
            CollectStationLinesVL(*t, item, list, departures != 0, arrivals != 0, filter, lines)) {
      SetKernelError(error);
      return 0;
    }
    if (out) {
      std::sort(lines.begin(), lines.end(),
                [](const StationLine& a, const StationLine& b) { return a.train < b.train; });
      *out = reinterpret_cast<STLINE_REC*>(lines.data());
    }
    return static_cast<int>(lines.size());
  });
}

static unsigned char* StationsVL(int timetable, int item, int list, int target, bool from,
                                 unsigned int mask1, unsigned int mask2,
                                 std::vector<uint8_t>& marks) {
  static std::vector<uint8_t> scratch;
  return api::GuardedExport<unsigned char*>(nullptr, [&]() -> unsigned char* {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return nullptr;
    if (int error =
            MarkReachableStationsVL(*t, item, list, target, from, mask1, mask2, scratch, marks)) {
      SetKernelError(error);
      return nullptr;
    }
    return marks.data();
  });
}

QO_API unsigned char* QoStationsFromVL(int timetable, int item, int list, int target,
                                       unsigned int mask1, unsigned int mask2) {
  static std::vector<uint8_t> marks;
  return StationsVL(timetable, item, list, target, true, mask1, mask2, marks);
}

QO_API unsigned char* QoStationsToVL(int timetable, int item, int list, int target,
                                     unsigned int mask1, unsigned int mask2) {
  static std::vector<uint8_t> marks;
  return StationsVL(timetable, item, list, target, false, mask1, mask2, marks);
}

QO_API void QoArrDepTypes(int timetable, const unsigned short* stations, int count,
                          unsigned int* out) {
  api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !stations || !out || count <= 0) return 0;
    CollectArrDepTypes(*t, stations, count, out);
    return 0;
  });
}

QO_API int QoArrDep2(int timetable, int station, int towards, int usePassVia, int arrivals,
                     int departures, unsigned int mask1, unsigned int mask2, int mergeFlags,
                     ARRDEP2_REC** out) {
  static std::vector<Board2Entry> board;
  static Board2Work work;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t || !api::CheckStation(*t, station) || (towards >= 0 && !api::CheckStation(*t, towards)))
      return 0;
    Board2Request request{.station = static_cast<uint16_t>(station),
                          .towards = towards < 0 ? -1 : towards,
                          .usePassVia = usePassVia != 0,
                          .arrivals = arrivals != 0,
                          .departures = departures != 0,
                          .mergeFlags = mergeFlags};
    BoardFilter filter = MakeBoardFilter(*t, mask1, mask2);
    if (int error = CollectBoard2(*t, request, filter, work, board)) {
      SetKernelError(error);
      return 0;
    }
    if (out) *out = reinterpret_cast<ARRDEP2_REC*>(board.data());
    return static_cast<int>(board.size());
  });
}

}  // extern "C"
