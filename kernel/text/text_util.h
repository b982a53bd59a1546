#pragma once
// Small text helpers shared by the kernel: trimming, tokens, and appending
// to the remark texts it builds. Texts are NUL-terminated Windows-1250;
// every function that writes into a buffer takes the buffer's size and cuts
// what does not fit (always leaving a terminator).
#include <cstddef>
#include <string_view>

namespace qo {

// Length without the leading and trailing characters 1..32 (bytes of 0x80
// and above are text). 0 for null.
int GetTrimmedLength(const char* text);
// Removes those characters in place. Returns text.
char* TrimText(char* text);
// Removes the first n characters in place (all of them when n is longer).
char* DeleteLeft(int n, char* text);

// Number of runs of characters not in `delimiters`: 0 for an empty text,
// 1 when there are no delimiters.
int CountTokens(const char* text, const char* delimiters);
// Copies run n (from 0) into buffer; with no delimiters run 0 is the whole
// text. Returns false, leaving the buffer unchanged, when there is no run n.
bool GetToken(const char* text, char* buffer, size_t size, int n, const char* delimiters);

// Appends text and adds its length to the running count that the day-remark
// text builder keeps.
char* AppendText(char* buffer, size_t size, const char* text);
int GetAppendedCount();
void SetAppendedCount(int count);

// The marker pairs that frame parts of remark texts: pair 0 (bold) and
// pair 1 (symbols). Null or "" means no marker. The kernel keeps copies.
void SetMarkerPairs(const char* open0, const char* close0, const char* open1, const char* close1);
// The markers of one pair (0 or 1) as set, "" when none.
std::string_view OpenMarker(int pair);
std::string_view CloseMarker(int pair);
// Append the open or close marker: pair 1's when it is set and `second` asks
// for it, else pair 0's when it is set, else nothing. Callers ask for pair 1
// when the current language is not English or they force it
// (frame/message_tables.h: SecondMarkerPairWanted). Markers do not add to the
// appended count.
char* AppendOpenMark(char* buffer, size_t size, bool second);
char* AppendCloseMark(char* buffer, size_t size, bool second);

}  // namespace qo
