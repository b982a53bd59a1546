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
#include "format/stored_bits.h"

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
bool PassesBoardFilter(TimetableRecord& t, BoardFilter const& filter, uint32_t train,
                       uint16_t station, int dayOffset);

// The checks of a board request: ErrFromToMissing (both negative),
// ErrStationIndex (one not below the station count), ErrParameters
// (departures asked without a station to leave from).
int CheckBoardRequest(TimetableRecord const& t, int a, int b, bool departures);

// The board of A (towards B) or of B (from A). `equalNames` lets a
// station equal-named with the other station stand for it. A request with
// A equal to B gives no entries. `out` is replaced.
int CollectBoard(TimetableRecord& t, int a, int b, bool departures, BoardFilter const& filter,
                 bool equalNames, std::vector<BoardEntry>& out);

// The trains at one board station that pass the request's filter, found
// once per multi-pair board and shared by every pair with that station: the
// stop index at the board station, and per name class of the far side the
// trains that visit it beyond that stop (after it for departures, before
// it for arrivals), so that a pair walks only the trains that can reach its
// other station.
struct BoardStationTrains {
  struct Train {
    uint32_t train;
    int32_t at;  // the stop at the board station
    uint16_t minute;
    uint16_t dayOffset;
  };
  std::vector<Train> trains;     // in the station's event order
  std::vector<int32_t> offsets;  // per far-side class rank, into `visits`
  std::vector<int32_t> visits;   // indexes into `trains`, in order
};

// Work arrays the multi-pair boards reuse from call to call.
struct BoardWork {
  std::vector<uint8_t> taken;  // per train: already listed by an earlier pair
  std::vector<BoardEntry> pair;
  // Per station: its board-station trains (index into `stations`, -1 when
  // not yet found), and per name class its rank among the far side's
  // classes (-1 when no far-side station has that name).
  std::vector<int32_t> stationTrains;
  std::vector<int32_t> farRank;
  int32_t farClasses = 0;
  std::vector<BoardStationTrains> stations;
  size_t stationsUsed = 0;
  std::vector<int32_t> lastTrain, visitRanks, visitTrains;
};

// Starts a multi-pair board: no train taken, no station's trains known, no
// far-side station yet.
void ResetBoardWork(TimetableRecord& t, BoardWork& work);
// Names a station the pairs will ask for on the far side (To for
// departures, From for arrivals); every far-side station must be named
// before the first pair.
void AddFarStation(TimetableRecord& t, BoardWork& work, int station);

// One (From, To) pair of a multi-pair board: appends to `out` the entries
// whose trains no earlier pair listed, then marks this pair's trains. The
// entries are those of CollectBoard with the equal-name switch on unless
// the two stations are distinct and equal-named. `work` must have been
// reset for this board (and this filter and direction).
int CollectBoardForPair(TimetableRecord& t, int from, int to, bool departures,
                        BoardFilter const& filter, BoardWork& work, std::vector<BoardEntry>& out);

// Per station the index of the first station of its name (the names as
// shown, ignoring case), so that an equal-name test is one comparison.
std::vector<int32_t> const& NameClasses(TimetableRecord& t);

// Sorts by minute (bits 0-10), then train.
void SortBoard(std::vector<BoardEntry>& entries);

// The board over sets of stations; ErrStationIndex for any bad station.
int CollectBoardExt(TimetableRecord& t, int const* from, int fromCount, int const* to, int toCount,
                    bool departures, BoardFilter const& filter, BoardWork& work,
                    std::vector<BoardEntry>& out);

// The board between two places, each a station (list negative, or an item
// negative for none) or an item of a virtual list. ErrVirtListIndex for a
// bad list, ErrFromToMissing for an item out of its list's range.
int CollectBoardVL(TimetableRecord& t, int fromItem, int fromList, int toItem, int toList,
                   bool departures, BoardFilter const& filter, BoardWork& work,
                   std::vector<BoardEntry>& out);

// How many members of a group are taken: 15 for lists of kinds 1 and 2.
int GetGroupStationLimit(VirtListRecord const& list);
// Members of kind-1 lists marked 0x1000 stand for no place of their own.
bool IsStationSkippedInGroup(TimetableRecord const& t, VirtListRecord const& list,
                             uint16_t station);

}  // namespace qo
