#pragma once
// Text modes: how texts cross the kernel's interface. The kernel keeps every
// text in Windows-1250; ConvertTextOut/In translate at the boundary.
#include <cstddef>

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
// mode, and a caller's text from it. Return the text.
char* ConvertTextOut(char* text);
char* ConvertTextOutMode(int mode, char* text);
char* ConvertTextIn(char* text);
char* ConvertTextInMode(int mode, char* text);

}  // namespace qo
