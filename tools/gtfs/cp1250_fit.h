#pragma once
// Feed texts are UTF-8 and may hold any character; timetable files hold
// Windows-1250. Characters that Windows-1250 lacks are transliterated
// (Ő and ß stay, but Ø becomes O, Æ becomes AE, the hyphen U+2010 becomes
// '-'), and whatever has no sensible Latin form becomes '?'. Each such character is
// counted so that the import can report it: nothing is dropped silently.
#include <cstddef>
#include <string>
#include <string_view>

namespace qo::gtfs {

// The text with every character representable in Windows-1250, still in
// UTF-8 (the writer's model takes UTF-8). Adds the number of characters
// changed to *changed. False for malformed UTF-8 (out is then unspecified).
bool FitToCp1250(std::string_view utf8, std::string& out, size_t* changed);

}  // namespace qo::gtfs
