#pragma once
// How a virtual-list item's text is built from its kind. The writer derives
// the items' search letters with the same rule, so the two cannot drift.
//
// The magnitude of a kind chooses the text; its sign belongs to mapping and
// key search: an item of positive kind is a secondary entry (another name
// of a place that a non-positive item already stands for), skipped where one
// item per place is wanted.
//
//   0  the item's own name; without one, the name of its first station
//   1  the name of its first station
//   2  that name up to its first comma ("Kolín,,aut.st." gives "Kolín")
//   3  that name up to its second comma ("Kolín,Zálabí,sídl." gives "Kolín,Zálabí")
//   4  that name with its comma parts swapped ("Kolín,Zálabí" gives "Zálabí/Kolín")
//   5  the item's own name, naming a part of a town
//   8  kinds 3 and 4 together ("Kolín,Zálabí,sídl." gives "Zálabí/Kolín")
//   any other magnitude as 0
//
// Kinds 4, 5 and 8 name parts of towns; mapping keeps parts to parts.
#include <cstdint>
#include <string>
#include <string_view>

namespace qo {

inline int ItemKindMagnitude(int kind) { return kind < 0 ? -kind : kind; }

// 1 for the kinds that name a part of a town, else 0.
inline int ItemKindClass(int kind) {
  int m = ItemKindMagnitude(kind);
  return m == 4 || m == 5 || m == 8 ? 1 : 0;
}

// The item's text without its region part: `station` is the stored name of
// its first station, `own` the item's own name (empty when it has none).
void ItemBaseText(int kind, std::string_view station, std::string_view own, std::string& out);

}  // namespace qo
