#pragma once
// The program's texts by id, and the two ways they are filled in: printf-like
// conversions ("%d", "%02d", "%s", "%x", "%c") taken in order, and numbered
// inserts ("%1!d!", "%4") that may stand in any order. Both check every
// conversion against the argument given, so a text can never read an
// argument that is not there.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace vemo {

// The text of an id; empty when there is none. Static lifetime, UTF-8.
std::string_view LoadResString(int id);
// Its first character; 0 for an empty text.
char GetResStringChar(int id);

// The program's language letter: the first character of string 500, set
// once at start-up by SetUiLanguage. An output text in the language with
// index L is read from its id + 100 x L.
void SetUiLanguage();
char UiLanguageLetter();

// Numbers and texts to insert.
using TextArg = std::variant<int64_t, std::string>;

std::string FormatText(std::string_view format, std::initializer_list<TextArg> args);
std::string FormatResString(int id, std::initializer_list<TextArg> args);
// "%n!fmt!" takes argument n (from 1) through the printf conversion fmt; a
// bare "%n" inserts it as it is; "%%" is "%". A missing argument inserts
// nothing.
std::string FormatInserts(std::string_view format, std::initializer_list<TextArg> args);

// For tests: the ids in table order.
bool StringTableIsSorted();

}  // namespace vemo
