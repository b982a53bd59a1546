#pragma once
// What a timetable derives from the rest of the loaded set. Every re-index
// rebuilds all of it, so nothing here outlives the set it was built from;
// references to other timetables are set indexes, never record addresses.
//
// The station type words hold derived bits (train end stations 0x0800, links
// 0x0001 | 0x0020, same-named stations 0x0004). They are never written into
// the file image: the record's StationTypes views a working copy that the
// re-index rebuilds from the stored words, so that closing a partner clears
// its bits and the image keeps its checksum.
#include <cstdint>
#include <vector>

#include "format/image_array.h"

namespace qo {

// Links of this timetable's stations to stations of other loaded timetables,
// laid out per station: station s owns entries Offsets[s]..Offsets[s+1]-1.
// Offsets are 32-bit: a large set easily has more than 32,767 links.
struct CrossLinkTable {
  std::vector<int32_t> Offsets;     // StationCount + 1 entries, or empty: no links
  std::vector<int32_t> Timetables;  // set index of the other timetable
  std::vector<uint16_t> Stations;   // the station there
  std::vector<int8_t> Values;       // the link's value (walking minutes)

  int32_t Count() const { return static_cast<int32_t>(Stations.size()); }
  bool empty() const { return Stations.empty(); }
};

struct SetWideData {
  // The station type words as the file stores them (a view into the image),
  // the same with the marks that loading derives (train end stations), and
  // the working words that the queries read through StationTypes.
  ImageArray<uint16_t> StoredStationTypes;
  OwnedArray LoadedStationTypes;
  OwnedArray StationTypeWords;

  // Per station its set-wide number (stations of timetable 0 first).
  std::vector<int32_t> SetStationNumbers;
  // Set index of the first timetable of this one's merge group, -1 when it
  // merges with no other.
  int32_t MergeGroup = -1;

  CrossLinkTable CrossLinks;

  // Per walking link (parallel to TransferStations) and per cross link: the
  // number of the city-transport timetable whose town the link belongs to
  // (1 = the first such timetable in set order), 0 = none. Empty when this
  // timetable has no town list.
  std::vector<uint16_t> TransferTownMarks;
  std::vector<uint16_t> LinkTownMarks;

  // Bus timetables that follow rail timetables: per station 1 when the
  // station belongs to a town of an earlier rail timetable.
  bool HasTownSharedStations = false;
  std::vector<uint8_t> TownSharedStations;
};

}  // namespace qo
