#pragma once
// Splitting and cutting of texts: "|"-separated fields, "label: value"
// texts and the like. Byte-wise, so UTF-8 passes through whole as long as
// the separators are ASCII.
#include <string>
#include <string_view>

namespace vemo {

// Field n (from 0) of the text split at the separator; empty fields count.
// Empty when n is negative or not below CountFields.
std::string GetField(std::string_view text, int n, char separator = '|');
// Separators + 1 (1 for an empty text).
int CountFields(std::string_view text, char separator = '|');
// The characters from *position up to the next separator or the end; moves
// *position past that separator.
std::string NextField(std::string_view text, size_t* position, char separator = '|');
std::string GetResStringField(int id, int n, char separator = '|');
int CountDigitRuns(std::string_view text);

// Before the last occurrence; the whole text when there is none.
std::string LeftOfLast(std::string_view text, char ch);
// Before the first occurrence; empty when there is none.
std::string LeftOfFirst(std::string_view text, char ch);
// After the first occurrence; empty when there is none.
std::string RightOfFirst(std::string_view text, char ch);

// A ':' at position 0 does not make a label.
bool HasColonLabel(std::string_view text);
std::string GetColonLabel(std::string_view text);
std::string GetColonValue(std::string_view text);

// The name after the last '\', '/' or ':', as messages name files.
std::string NamePart(std::string_view path);

}  // namespace vemo
