#pragma once
// The entry of every connection search: checks a request, turns its places
// into the working sets, prepares the search day in every timetable and
// runs the time-window loop that calls the engines (search_run.h).
#include <cstdint>
#include <vector>

#include "search/search_run.h"

namespace qo {

// A list of places as a caller passes it: parallel arrays of items, virtual
// lists (-1 station, -3 pass-through key) and timetables (in a via list bit
// 31 starts a via point), and the access minutes (may be null).
struct PlaceArrays {
  int const* items = nullptr;
  int const* lists = nullptr;
  int const* timetables = nullptr;
  int const* minutes = nullptr;
  int count = 0;
};

struct ConnectionQuery {
  PlaceArrays From, To, Via, ChangePoints;
  int Time = 0;
  int Day = 0, Month = 0, Year = 0;  // year 0: day is the day type, month its weekday mask
  bool ChangesAllowed = true;
  bool ByDeparture = true;
  int const* TypeMasks = nullptr;  // one per loaded timetable, null: all types everywhere
};

// Runs a new search. Returns 0 with the connections in the current handle
// and CurrentSearchRun().Found, or the error code; *count gets the number
// of connections (0 on failure).
int SearchConnections(ConnectionQuery const& query, int* count);

// Sets every timetable's inclusion word from per-timetable type masks.
void ApplyTimetableSelection(int const* masks);

// Every timetable searches `day`: its day offset, and no part in the
// search when its calendar is too far from it.
void SetSearchDay(DayNumber day);

// Moves the window of the run by its length, later or earlier, and every
// timetable's day offset with it.
void ShiftWindowLater(SearchRun& run);
void ShiftWindowEarlier(SearchRun& run);

// Overlap of the From, via and To sets: with via points each neighbouring
// pair must be disjoint; without, a From and a To of different sizes lose
// the shared stations from the larger one first. False on overlap.
bool CheckPlacesOverlap(SearchRequest& request);

// The result buffer: per connection a 20-byte head and a 36-byte record per
// leg. Returns its first byte (a counted array of bytes), null for none.
// The legs' days count from `day`, or from each timetable's first day for
// a search by day type.
uint8_t* BuildConnectionResult(ConnectionList const& connections, bool byDayType, DayNumber day);

// Resolves a place key into entries of the rail timetables that take part
// by the selection; with the fallback a pass-through entry of the first
// timetable whose first pair table knows the key. Appends to the three
// lists; the first entry carries bit 31 when newVia is set.
bool ResolvePlaceKey(int32_t key, int const* selection, bool fallback, bool newVia,
                     std::vector<int>& items, std::vector<int>& lists,
                     std::vector<int>& timetables);

// QoConnectionIT without its out-parameters: keys first From, last To,
// those between via points.
int SearchConnectionsByKeys(int const* keys, int count, int time, int day, int month, int year,
                            bool changesAllowed, bool byDeparture, int const* selection,
                            int* found);

}  // namespace qo
