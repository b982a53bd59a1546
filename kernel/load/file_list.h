#pragma once
// The list of timetable files available: found by a wildcard pattern (and,
// when a directory holds none, in its subdirectories), described from their
// headers without reading the files whole.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qo {

struct TimetableFileInfo {
  std::string path;     // full path
  std::string display;  // name in the asked language, maybe with decoration (kernel text)
  uint32_t id = 0;
  uint8_t kind = 0;
  uint8_t area = 0;
  // CreationDate, DataFrom, DataTo, FirstDay, LastDay as day numbers.
  std::array<uint32_t, 5> dates{};
  bool hasDescription = false;
  std::string description;  // at most 99 characters
  uint32_t descriptionValue = 0;
};

// Reads what the list shows of one file. The display name is the name in
// the language of `language` (the last data language with that letter, else
// the first); with a nonzero decoration flag a decoration in that language
// (else the first) goes in front: "decoration - name". The description block
// is read when the file has one (format 2 on) and the flag is not negative.
// False for a file that cannot be opened or is no timetable file.
bool ReadTimetableFileHeader(std::string const& path, char language, int decoration,
                             TimetableFileInfo* info);

// The files matching the pattern (null: "*.qo" in the data directory),
// sorted in the order LoadOptions().SortByName chooses. When a directory
// holds none and depth is above 0, its subdirectories are listed with
// depth - 1; once files were found no further level is entered.
std::vector<TimetableFileInfo> ListTimetableFiles(char const* pattern, char language, int depth,
                                                  int decoration);

}  // namespace qo
