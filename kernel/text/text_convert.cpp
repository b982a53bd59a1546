#include "text/text_convert.h"

namespace qo {
namespace {
int g_textMode = TextModeWin1250;
}  // namespace

int GetTextMode() { return g_textMode; }

void SetTextMode(int mode) {
  if (mode >= TextModeKamenicky && mode <= TextModeWin1252Subset) g_textMode = mode;
}

// Placeholder until the letter rows exist: only Windows-1250 passes through.
char* ConvertTextOut(char* text) { return ConvertTextOutMode(g_textMode, text); }
char* ConvertTextOutMode(int, char* text) { return text; }
char* ConvertTextIn(char* text) { return ConvertTextInMode(g_textMode, text); }
char* ConvertTextInMode(int, char* text) { return text; }

}  // namespace qo
