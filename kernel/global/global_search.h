#pragma once
// Global search: the items of one list type in all selected timetables at
// once, in name order, so that a place that several timetables hold under
// the same name and key comes once. A k-way merge over the timetables' own
// name searches, each of which keeps its pending match until it is taken.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "stations/station_search.h"

namespace qo {

// A place as global search hands it out: timetable, list, item.
struct GlobalPlace {
  uint8_t timetable = 0;
  uint8_t list = 0;
  int32_t item = 0;
};

// The order of structured lists: names split at their first ',' or '/'
// into a head and a rest compare by head (without a bracketed region part),
// then '/' after ',' or none, then by the region parts, then a name without
// rest first, then by the rests in this same order. "Brno" < "Brno, Bystrc"
// < "Brno/Bystrc".
int CompareStructured(std::string_view a, std::string_view b);

class GlobalSearch {
 public:
  // Starts a search for `text` over the first list of `type` in each
  // selected timetable (`selection`: one int per loaded timetable, non-zero
  // = selected; null = all), item texts in the data language of `letter`.
  // False when no selected timetable has such a list.
  bool Start(int const* selection, int32_t type, char letter, std::string_view text, bool fold,
             int textMode);
  // The next place in name order; false when every timetable is exhausted,
  // or when the loaded set changed since the start.
  bool Next(GlobalPlace& out);
  // Ends a running search.
  void End() { lanes_.clear(); }

 private:
  struct Lane {
    int list = -1;        // -1: the timetable takes no part
    int32_t cursor = -1;  // -1: exhausted
    int language = 0;
    bool matched = false;  // cursor stands on a match whose text and key are below
    std::string text;
    int32_t key = 0;
  };
  std::vector<Lane> lanes_;
  NameQuery query_;
  bool structured_ = false;
  std::string lastText_;
  int32_t lastKey_ = 0;
  uint32_t generation_ = 0;
};

// Every item of the first list of `type` in each selected timetable, in
// name order, each place once. With `kinds`, one byte per entry: bit
// 1 << TimetableKind for every timetable that holds the place. Returns the
// number of entries, -1 when no selected timetable has such a list or they
// are all empty.
int32_t BuildGlobalIndex(int const* selection, int32_t type, char letter,
                         std::vector<GlobalPlace>& entries, std::vector<uint8_t>* kinds);

}  // namespace qo
