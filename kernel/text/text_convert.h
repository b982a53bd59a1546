#pragma once
// Text modes: how texts cross the kernel's interface. The kernel keeps every
// text in Windows-1250; ConvertTextOut/In translate at the boundary.
#include <cstddef>
#include <cstdint>

namespace qo {

enum TextMode : int {
  TextModeKamenicky = 0,
  TextModeCp852 = 1,
  TextModeIso88592 = 2,
  TextModeWin1250 = 3,
  TextModeAscii = 4,
  TextModeWin1252Subset = 5,
  TextModeUtf16 = 6,
};

int GetTextMode();
// Accepts 0..5; any other value leaves the mode unchanged.
void SetTextMode(int mode);

// Convert a NUL-terminated kernel text in place into the current (or given)
// mode, and a caller's text from it. Return the text. Modes 0..2 translate
// the letters both ways; 4 and 5 drop diacritics on the way out only (what
// they dropped cannot be restored); 3 and unknown modes pass texts through.
//
// Mode 6 widens the text to UTF-16. Without a buffer size the text's own
// bytes are all the room there is, so a longer text is cut; callers that own
// a larger buffer pass its size.
char* ConvertTextOut(char* text);
char* ConvertTextOutMode(int mode, char* text);
char* ConvertTextOutMode(int mode, char* text, size_t buffer_size);
char* ConvertTextIn(char* text);
char* ConvertTextInMode(int mode, char* text);

// Every byte of 0x80 or above that stands in `from` (a letter row of
// kLetterCount bytes) becomes the byte at the same position of `to`; a byte
// listed twice takes its first position. Returns text.
char* TranslateLetters(char* text, const uint8_t* from, const uint8_t* to);

// Windows-1250 to UTF-16 (native byte order) over the text's own buffer of
// `buffer_size` bytes: at most (buffer_size - 2) / 2 characters are kept.
char* ConvertToUtf16(char* text, size_t buffer_size);
// UTF-16 back to Windows-1250 in place, at most 1,023 characters; characters
// that Windows-1250 lacks become '?'.
char* ConvertFromUtf16(char* text);

inline constexpr size_t kUtf16BufferSize = 1024;
inline constexpr size_t kUtf16MaxIn = 1023;

}  // namespace qo
