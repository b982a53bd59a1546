#include "text/text_convert.h"

#include <array>
#include <cstring>

#include "text/cp1250.h"
#include "text/letter_rows.h"

namespace qo {
namespace {

int g_textMode = TextModeWin1250;

constexpr int kWin1250Row = TextModeWin1250;

constexpr std::array<ByteMap, 6> MakeOutMaps() {
  std::array<ByteMap, 6> maps{};
  for (int mode = 0; mode < 6; ++mode)
    maps[mode] = MakeLetterMap(kLetterRows[kWin1250Row], kLetterRows[mode]);
  return maps;
}

// Only the code pages with a place for every letter can be read back; the
// ASCII and 1252 rows are lossy, so input in those modes is taken as given.
constexpr std::array<ByteMap, 3> MakeInMaps() {
  std::array<ByteMap, 3> maps{};
  for (int mode = 0; mode < 3; ++mode)
    maps[mode] = MakeLetterMap(kLetterRows[mode], kLetterRows[kWin1250Row]);
  return maps;
}

constexpr std::array<ByteMap, 6> kOutMaps = MakeOutMaps();
constexpr std::array<ByteMap, 3> kInMaps = MakeInMaps();

bool TranslatedOut(int mode) {
  return mode >= TextModeKamenicky && mode <= TextModeWin1252Subset && mode != TextModeWin1250;
}

}  // namespace

int GetTextMode() { return g_textMode; }

void SetTextMode(int mode) {
  if (mode >= TextModeKamenicky && mode <= TextModeWin1252Subset) g_textMode = mode;
}

char* ConvertTextOut(char* text) { return ConvertTextOutMode(g_textMode, text); }

char* ConvertTextOutMode(int mode, char* text) {
  if (!text) return text;
  if (mode == TextModeUtf16) return ConvertToUtf16(text, std::strlen(text) + 1);
  return ConvertTextOutMode(mode, text, 0);
}

char* ConvertTextOutMode(int mode, char* text, size_t buffer_size) {
  if (!text) return text;
  if (mode == TextModeUtf16) return ConvertToUtf16(text, buffer_size);
  if (TranslatedOut(mode)) ApplyByteMap(kOutMaps[mode], text);
  return text;
}

char* ConvertTextIn(char* text) { return ConvertTextInMode(g_textMode, text); }

char* ConvertTextInMode(int mode, char* text) {
  if (!text) return text;
  if (mode == TextModeUtf16) return ConvertFromUtf16(text);
  if (mode >= TextModeKamenicky && mode <= TextModeIso88592) ApplyByteMap(kInMaps[mode], text);
  return text;
}

char* TranslateLetters(char* text, const uint8_t* from, const uint8_t* to) {
  if (!text || !from || !to) return text;
  LetterRow from_row, to_row;
  std::memcpy(from_row.data(), from, kLetterCount);
  std::memcpy(to_row.data(), to, kLetterCount);
  ApplyByteMap(MakeLetterMap(from_row, to_row), text);
  return text;
}

char* ConvertToUtf16(char* text, size_t buffer_size) {
  if (!text || buffer_size < 2) return text;
  size_t length = std::strlen(text);
  size_t room = (buffer_size - 2) / 2;
  if (length > room) length = room;
  // Back to front, so that each wide character lands after the bytes that
  // are still to be read.
  const char16_t terminator = 0;
  std::memcpy(text + 2 * length, &terminator, sizeof terminator);
  for (size_t i = length; i-- > 0;) {
    char16_t wide = Cp1250ToUnicode(static_cast<uint8_t>(text[i]));
    std::memcpy(text + 2 * i, &wide, sizeof wide);
  }
  return text;
}

char* ConvertFromUtf16(char* text) {
  if (!text) return text;
  size_t out = 0;
  for (size_t i = 0; i < kUtf16MaxIn; ++i) {
    char16_t wide;
    std::memcpy(&wide, text + 2 * i, sizeof wide);
    if (wide == 0) break;
    char32_t code = wide;
    if (wide >= 0xD800 && wide <= 0xDBFF && i + 1 < kUtf16MaxIn) {
      char16_t low;
      std::memcpy(&low, text + 2 * (i + 1), sizeof low);
      // A pair is one character: it gives one '?' (no such letter in 1250).
      if (low >= 0xDC00 && low <= 0xDFFF) ++i;
    }
    int byte = UnicodeToCp1250(code);
    text[out++] = byte < 0 ? '?' : static_cast<char>(byte);
  }
  text[out] = '\0';
  return text;
}

}  // namespace qo
