#pragma once
// Arrivals and departures boards: the trains that leave (or reach) a
// station, optionally only those that go on to (or come from) a second
// station, built from the station's event list.
//
// Cores fill caller-owned containers and return 0 or a kernel error code;
// they never set the last error.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "load/timetable_record.h"
#include "trains/type_word_bits.h"

namespace qo {

// One board entry as it crosses the interface (12 bytes).
struct BoardEntry {
  uint16_t station;  // the board's own station
  uint16_t other;    // the other station as the train calls there, 0xFFFF for none
  int32_t train;
  uint16_t minute;     // minute of the event at the board's station
  uint16_t dayOffset;  // signed day offset of that event
};
static_assert(sizeof(BoardEntry) == 12);
static_assert(offsetof(BoardEntry, other) == 2 && offsetof(BoardEntry, train) == 4 &&
              offsetof(BoardEntry, minute) == 8 && offsetof(BoardEntry, dayOffset) == 10);

inline constexpr uint16_t kNoBoardStation = 0xFFFF;
// Bit of mask 1 that keeps trains that run on no further day.
inline constexpr uint32_t kKeepNotRunning = kRunsNoFurther;
// Type-word bit of trains offered only within one region group.
inline constexpr uint32_t kRegionGroupOnly = kNoLocalTraffic;

// The type masks of a request and the day the running test starts from,
// worked out once per request.
struct BoardFilter {
  uint32_t mask1 = 0xFFFFFFFF;
  uint32_t mask2 = 0xFFFFFFFF;
  int32_t today = 0;  // calendar day index of today, 0 before validity
  bool keepAll = true;
};
BoardFilter MakeBoardFilter(TimetableRecord& t, uint32_t mask1, uint32_t mask2);

// True when the train passes the filter's type masks and, unless the
// filter keeps all, runs on some day from today (less the event's day
// offset) to the end of validity.
bool PassesBoardFilter(TimetableRecord& t, const BoardFilter& filter, uint32_t train,
                       uint16_t station, int dayOffset);

// The checks of a board request: ErrFromToMissing (both negative),
// ErrStationIndex (one not below the station count), ErrParameters
// (departures asked without a station to leave from).
int CheckBoardRequest(const TimetableRecord& t, int a, int b, bool departures);

// The board of A (towards B) or of B (from A). `equalNames` lets a
// station equal-named with the other station stand for it. A request with
// A equal to B gives no entries. `out` is replaced.
int CollectBoard(TimetableRecord& t, int a, int b, bool departures, const BoardFilter& filter,
                 bool equalNames, std::vector<BoardEntry>& out);

// Work arrays the multi-pair boards reuse from call to call.
struct BoardWork {
  std::vector<uint8_t> taken;  // per train: already listed by an earlier pair
  std::vector<BoardEntry> pair;
};

// One (From, To) pair of a multi-pair board: appends to `out` the entries
// whose trains no earlier pair listed, then marks this pair's trains.
// `work.taken` must hold TrainCount bytes.
int CollectBoardForPair(TimetableRecord& t, int from, int to, bool departures,
                        const BoardFilter& filter, BoardWork& work, std::vector<BoardEntry>& out);

// Sorts by minute (bits 0-10), then train.
void SortBoard(std::vector<BoardEntry>& entries);

// The board over sets of stations; ErrStationIndex for any bad station.
int CollectBoardExt(TimetableRecord& t, const int* from, int fromCount, const int* to,
                    int toCount, bool departures, const BoardFilter& filter, BoardWork& work,
                    std::vector<BoardEntry>& out);

// The board between two places, each a station (list negative, or an item
// negative for none) or an item of a virtual list. ErrVirtListIndex for a
// bad list, ErrFromToMissing for an item out of its list's range.
int CollectBoardVL(TimetableRecord& t, int fromItem, int fromList, int toItem, int toList,
                   bool departures, const BoardFilter& filter, BoardWork& work,
                   std::vector<BoardEntry>& out);

// How many members of a group are taken: 15 for lists of kinds 1 and 2.
int GetGroupStationLimit(const VirtListRecord& list);
// Members of kind-1 lists marked 0x1000 stand for no place of their own.
bool IsStationSkippedInGroup(const TimetableRecord& t, const VirtListRecord& list,
                             uint16_t station);

}  // namespace qo
