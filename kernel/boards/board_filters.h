#pragma once
// What the boards do after collecting: keep the entries of a date, drop
// trains that stay within one place, list the trips of a line, and merge
// the boards of all loaded timetables.
#include <cstdint>
#include <string>
#include <vector>

#include "boards/board_core.h"
#include "load/timetable_record.h"

namespace qo {

// Keeps, in order, the entries whose trains run (exclusively within their
// group) on the date at the entry's station. A date outside the calendar
// of a timetable that is valid then is no error. Returns 0 or the error of
// the running test; `out` gets the kept entries (it may be `in`).
int KeepBoardDate(TimetableRecord& t, bool departures, int day, int month, int year,
                  const BoardEntry* in, int count, std::vector<BoardEntry>& out);

// Keeps the entries whose trains call at a station outside the item's
// member stations beyond the board's stop (after it for departures, before
// it for arrivals). An item of fewer than two stations keeps everything.
// `work` is a scratch byte array.
void ReduceBoardToPlace(TimetableRecord& t, bool departures, const uint8_t* members,
                        int32_t memberCount, const BoardEntry* in, int count,
                        std::vector<uint8_t>& work, std::vector<BoardEntry>& out);

// A board entry of the merged board (16 bytes).
struct MergedBoardEntry {
  int32_t timetable;
  BoardEntry entry;
};
static_assert(sizeof(MergedBoardEntry) == 16);

// A trip of a line (16 bytes).
struct LineTrip {
  int32_t timetable;
  uint16_t first;
  uint16_t last;
  int32_t train;
  int32_t minute;
};
static_assert(sizeof(LineTrip) == 16);

// The consecutive trains from `start` that share its number, those that
// run on the date when year is non-zero, sorted by first minute and train.
// `start` must be below TrainCount.
int CollectLineTrips(TimetableRecord& t, int timetable, uint32_t start, int day, int month,
                     int year, std::vector<LineTrip>& out);

// The sort keys of merged entries: each train's number and name texts at
// the board's station, worked out once per entry rather than on every
// comparison.
struct MergedBoardWork {
  BoardWork board;
  std::vector<BoardEntry> part;
  std::vector<BoardEntry> kept;
  std::vector<uint8_t> group;
  std::vector<std::string> numbers, names;
  std::vector<int64_t> numberValues, nameValues;
  std::vector<int32_t> order;
  std::vector<MergedBoardEntry> sorted;
};

struct MergedBoardRequest {
  int fromTimetable = -1, fromItem = -1, fromList = -1;
  int toTimetable = -1, toItem = -1, toList = -1;
  bool departures = false;
  const unsigned* masks1 = nullptr;
  const unsigned* masks2 = nullptr;
  bool reduce = false;
  int day = 0, month = 0, year = 0;
};

// The board over all loaded timetables; entries of like timetables (same
// kind, area and first day) that show one train twice are dropped.
int CollectMergedBoard(const MergedBoardRequest& request, MergedBoardWork& work,
                       std::vector<MergedBoardEntry>& out);

}  // namespace qo
