#pragma once
// Station names as the kernel shows them: the stored name, with a part of
// the station's region name in brackets where the name mode asks for it.
//
// A region name is a first part, '-' and a second part ("CZ-Kolín"), or a
// single part ("Kolín"). A single part stands for whichever part is asked;
// both parts of a two-part name are shown as the whole name.
#include <cstdint>
#include <string>
#include <string_view>

#include "load/timetable_record.h"

namespace qo {

// Name modes: which part of the region name a shown name carries.
enum NameMode : int {
  NameModeByType = 0,       // first part for type bit 0x08, second for 0x04
  NameModeWholeRegion = 1,  // the whole region name
  NameModeNoRegion = 2,     // none
  NameModeSecond = 3,       // the second part, with the first for type bit 0x08
  NameModeSecondOnly = 4,   // the second part alone when there are two parts, else mode 3
};

inline constexpr size_t kMaxStoredNameLength = 79;

// The process-wide name mode of the shown names (initially 0).
int& RegionDisplayMode();

// The name of station `station` as shown: the stored name (at most 79
// characters) and the region part, which is left out only when the plain
// flag is set, the mode is 0 and the timetable is not a bus timetable.
// Returns 0, or ErrStationIndex with an empty name for a station outside
// 0..StationCount-1.
int GetStationName(TimetableRecord const& t, int station, int mode, bool plain, std::string& out);

// Puts " [part]" into the name before its first ',' (else at its end), the
// part chosen by the mode from the station's region name. Nothing changes
// for an empty name, mode 2, a timetable without regions, a station without
// region, or an empty part.
void AddRegionPart(int mode, TimetableRecord const& t, uint16_t station, std::string& name);

// Cuts the name before its `which`-th ',' (1 or 2), dropping the commas and
// blanks that would end it. A name with fewer commas stays as it is.
void CutAtComma(std::string& name, int which);

// "A,B,C" becomes "B/A,C": the part after the first comma, '/', the part
// before it, and, with two or more commas, ',' and the part after the last
// comma. Parts are trimmed of blanks. A name without a comma stays.
void SwapCommaParts(std::string& name);

// The marker texts that frame service-code renderings: pair 0 around a code
// shown as itself, pair 1 around a code's symbol text.
struct CodeMarkers {
  std::string_view open0, close0, open1, close1;
};

// The text with each bracketed service code ("[WC]") replaced by its
// rendering: a code of the timetable with a symbol, when pair 1 is set,
// becomes its symbol in pair 1; any other code of the timetable becomes the
// code itself, in pair 0 when that is set; a bracketed text that is no code
// stays with its brackets.
void ExpandBracketRefs(TimetableRecord const& t, std::string_view text, CodeMarkers const& markers,
                       std::string& out);

}  // namespace qo
