#pragma once
// Virtual lists: named lists of places (towns, stops, city areas) whose
// items stand for one or more stations, the texts and keys of their items,
// the mapping of items within one timetable and across timetables, and the
// regions of stations.
//
// List -1 stands for the plain station list in every call that takes a
// list; its items are the stations. Lists and items passed here are checked
// by the caller unless a function says otherwise.
#include <cstdint>
#include <string>
#include <string_view>

#include "load/timetable_record.h"

namespace qo {

// The standard list kinds: type modulo 1000.
inline constexpr int kListKindTowns = 1;
inline constexpr int kListKindStops = 2;
inline constexpr int kListKindStations = 3;  // the list that extends the stations

inline int ListKind(VirtListRecord const& list) { return list.Type % 1000; }

// The list at `list`, or null for -1 and for anything out of range.
VirtListRecord const* ListAt(TimetableRecord const& t, int list);

// The number of candidates of a list: its items, or the stations for -1.
int32_t CandidateCount(TimetableRecord const& t, int list);

// The last list of kind 2, else of kind 1, else of kind 3, else 0; -1 when
// the timetable has no lists.
int DefaultVirtList(TimetableRecord const& t);

// The first list of kind 3, -1 when none.
int StationsExtVirtList(TimetableRecord const& t);

// type > 0: the first list of that type. Otherwise, with a non-empty name,
// the first list whose name in `language` equals it ignoring case. -1 when
// none. `language` must be a data language of the timetable.
int SearchVirtList(TimetableRecord const& t, int language, int type, std::string_view name);

// The list's name in `language` (language 0's when that is empty), at most
// 99 characters.
void VirtListName(TimetableRecord const& t, VirtListRecord const& list, int language,
                  std::string& out);

// The item's kind: its own, or the list's default kind without a kind array.
int ItemKind(VirtListRecord const& list, int32_t item);

// The item's first station, -1 when it has none.
int32_t FirstStationOfItem(VirtListRecord const& list, int32_t item);

// The text of an item as shown: built by its kind (item_kinds.h), with the
// region part of its first station chosen by the name mode. For list -1 the
// station's name with its region part by the mode. `language` must be a data
// language; the item must exist.
void GetListItemText(TimetableRecord const& t, int list, int language, int32_t item, int mode,
                     std::string& out);

// The item's stored key; 0 when the list has no keys.
int32_t StoredItemKey(VirtListRecord const& list, int32_t item);

// The item's key as mapping and global search use it: its stored key when
// the list has keys; else, in a list of kind 3 of a timetable with station
// keys, the key of its first station; else 0. For list -1 the station key.
int32_t ItemKeyEx(TimetableRecord const& t, int list, int32_t item);

// The item's stations as they lie in the timetable's data: a pointer to
// the first (into the image) and, for multi-station lists with station
// bytes, a pointer to the parallel bytes. Returns their number, 0 for an
// item out of range.
int32_t ItemStations(VirtListRecord const& list, int32_t item, uint8_t const** stations,
                     uint8_t const** bytes);

// True when the item's first station is not domestic (type bits 0x02 or
// 0x08). For list -1 the station itself.
bool IsInternationalItem(TimetableRecord const& t, int list, int32_t item);

// The item of `target` (a list of the same timetable) that stands for the
// same place as item `item` of `list`; the station when target is -1. -1
// when none. list and item must be valid, target -1 or a list.
int32_t MapVirtListItem(TimetableRecord const& t, int list, int32_t item, int target);

// The same across timetables: the item or station of timetable `target`
// (a set index) for item `item` of `list` in timetable `source`. *targetList
// -2 asks for the list to be chosen and receives it. Returns -1 when
// nothing maps, or sets *error (4) for a source whose first station is out
// of range. Indexes of timetables and lists must have been checked.
int32_t MapVirtListItem2(int source, int list, int32_t item, int target, int* targetList,
                         int* error);

// The item of the first kind-3 list that holds the station, with that list
// in *list; without one, the station mapped into list 0 (and *list 0).
int32_t MapStation(TimetableRecord const& t, uint16_t station, int* list);

// The station's region index, -1 for none.
int RegionOfStation(TimetableRecord const& t, int station);

}  // namespace qo
