#pragma once
// UTF-8 texts of a model turned into the Windows-1250 of the files. A
// character that Windows-1250 lacks is an error of the model: a silently
// replaced character would make a test compare against a text the file does
// not hold.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "writer/timetable_model.h"

namespace qo::writer {

// Throws ModelError naming `what` for malformed UTF-8 or a character
// without a Windows-1250 byte.
std::string ToCp1250(std::string_view utf8, std::string const& what);

// One converted text per data language (see LangText).
std::vector<std::string> PerLanguage(LangText const& text, size_t languages,
                                     std::string const& what);

// Bytes 0 and 1 of a Windows-1250 name's search key (0 where it is short).
void SearchLetters(std::string const& cp1250Name, uint8_t* first, uint8_t* second);

}  // namespace qo::writer
