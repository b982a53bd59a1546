// Board exports: arrivals and departures of a station, of sets of stations
// and of places of the virtual lists.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "boards/board_core.h"
#include "load/timetable_record.h"

using namespace qo;

static_assert(sizeof(ARRDEP_REC) == sizeof(BoardEntry));
static_assert(offsetof(ARRDEP_REC, train) == offsetof(BoardEntry, train));
static_assert(offsetof(ARRDEP_REC, day_offset) == offsetof(BoardEntry, dayOffset));

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
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    BoardFilter filter = MakeBoardFilter(*t, mask1, mask2);
    if (int error = CollectBoardExt(*t, from, fromCount, to, toCount, departures != 0, filter,
                                    SharedWork(), board)) {
      SetKernelError(error);
      return 0;
    }
    return HandOut(board, out);
  });
}

QO_API int QoArrDepVL(int timetable, int fromItem, int fromList, int toItem, int toList,
                      int departures, unsigned int mask1, unsigned int mask2, ARRDEP_REC** out) {
  static std::vector<BoardEntry> board;
  return api::GuardedExport<int>(0, [&] {
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    BoardFilter filter = MakeBoardFilter(*t, mask1, mask2);
    if (int error = CollectBoardVL(*t, fromItem, fromList, toItem, toList, departures != 0,
                                   filter, SharedWork(), board)) {
      SetKernelError(error);
      return 0;
    }
    return HandOut(board, out);
  });
}

}  // extern "C"
