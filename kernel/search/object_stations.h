#pragma once
// The stations a place stands for across the loaded set: a station with
// the stations that are the same place in other timetables, or the member
// stations of a virtual-list item together with those of the items that
// stand for it in the other timetables. The search expands its From, To
// and via places this way; the program shows the list and lets the user
// switch stations off.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qo {

// List values of a place other than virtual lists.
inline constexpr int kPlaceStation = -1;
inline constexpr int kPlacePassThrough = -3;  // a point between stations, by key

struct PlaceStation {
  int32_t timetable = 0;
  int32_t station = 0;  // for a pass-through point minus its key
  int32_t minutes = 0;  // access minutes (a station's offset within its item)
};

// How a place is expanded for a search.
struct ExpansionOptions {
  int32_t walkingLimit = -1;  // add stations within this many walking minutes; -1 none
  bool sameGroup = false;     // add city stations of the same key group
  bool lowFloor = false;      // barrier-free stations (and walks) only
  bool memberLimit = false;   // at most the first members of a large item
};

// One place of a request as the caller gives it.
struct PlaceEntry {
  int32_t timetable = 0;
  int32_t list = kPlaceStation;
  int32_t item = 0;
  int32_t minutes = 0;
};

// Expands the entries into their stations in the timetables that take part
// (inclusion word not 0), each station once with its smallest minutes, in
// the order found. The entries are checked by the caller.
void ExpandPlaceStations(PlaceEntry const* entries, size_t count, ExpansionOptions const& options,
                         std::vector<PlaceStation>& out);

// Sets every timetable's inclusion word from the selection (null: every
// timetable takes part with all train types; entry 0: it takes no part) and
// expands the place into its stations in the timetables that take part,
// sorted by timetable and otherwise in the order found, each once with its
// smallest minutes. Returns 0, or the error code of a bad place (3, 4, 14,
// 22).
int ObjectStations(int timetable, int list, int item, int const* selection,
                   std::vector<PlaceStation>& out);

}  // namespace qo
