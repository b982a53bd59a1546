#pragma once
// Global lists: each list type as it exists in the union of the selected
// timetables, under one display name.
#include <cstdint>
#include <string>
#include <vector>

namespace qo {

// Types 1, 2 and 200003 hold names like "Brno, Bystrc" that sort by their
// parts (CompareStructured); the others sort by Czech collation.
bool IsStructuredListType(int32_t type);

struct GlobalLists {
  std::vector<int32_t> types;
  std::vector<std::string> names;  // kernel text, at most 499 characters
  int32_t defaultType = 0;         // 0 for an empty set
};

// The global lists of the selected timetables (`selection`: one int per
// loaded timetable, non-zero = selected; null = all), named in the data
// language of `letter`. Names of one type from different timetables are
// joined with "/"; a name that could be mistaken for another's carries its
// timetable's decoration in parentheses. Sorted by standard kind, the
// timetable kind of renumbered types, then name. The default type: 1 when
// every selected timetable has a list of type 1, else 2 when every one has
// type 2, else the first of kind 3, else the first.
void BuildGlobalLists(int const* selection, char letter, GlobalLists& out);

}  // namespace qo
