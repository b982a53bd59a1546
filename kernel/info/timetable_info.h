#pragma once
// What a loaded timetable is: names, dates, languages, sizes, the files
// attached to it. The export layer turns these into the interface's
// records and texts.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dates/day_number.h"
#include "load/timetable_record.h"

namespace qo {

struct TimetableInfo {
  std::string Path;
  int Id = 0, Kind = 0, Area = 0, Variant = 0;
  DateTriple CreationDate{}, DataFrom{}, DataTo{}, FirstDay{}, LastDay{};
  std::string Letters;
  std::vector<std::string> Names;         // per language, at most 499 characters each
  std::vector<std::string> Descriptions;  // per language
  std::vector<std::string> Decorations;   // per language
  std::vector<bool> HasDecoration;        // per language: false = none
  std::string Code;                       // at most 8 bytes
  int StationCount = 0, TrainCount = 0;
  bool HasDistances = false, HasStationRemarks = false, HasTrainStationRemarks = false,
       HasDefaultChangeTimes = false;
};

inline constexpr size_t kMaxInfoNameLength = 499;
inline constexpr size_t kMaxDecorationLength = 79;

void GetTimetableInfo(TimetableRecord const& t, TimetableInfo& out);

// The decoration of data language `language`: its own, else language 0's;
// false when neither exists (a second title shown before the name). `language` must lie in
// 0..LanguageCount-1.
bool GetDecoration(TimetableRecord const& t, int language, std::string& out);

// The position of a language letter among the timetable's data languages;
// 0 (the first language serves) when it is not among them.
int GetLangIndex(TimetableRecord const& t, char letter);

// The type of attached extension file i (below LoadedExtensions.size()): 3
// GIS, 2 fares, 4 station keys, by its path; 0 for any other.
int GetExtensionType(TimetableRecord const& t, size_t i);

// The path of the timetable's resource library: the directory of its file
// (up to and including the last '/' or '\') and the stored resource name.
std::string ResourcePath(TimetableRecord const& t);

// Over the loaded timetables of that kind and area (all of them for kind
// 0): the earliest first day and the latest last day of validity. False, with
// both 0, when none qualifies.
bool GetValidityRange(int kind, int area, DayNumber* first, DayNumber* last);

}  // namespace qo
