#include "writer/model_text.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "text/cp1250.h"
#include "text/text_fold.h"
#include "writer/timetable_writer.h"

namespace qo::writer {

namespace {

[[noreturn]] void Fail(std::string const& what, std::string const& why) {
  throw ModelError(what + ": " + why);
}

// The next code point of s at i, advancing i; -1 for malformed UTF-8.
long NextCodePoint(std::string_view s, size_t& i) {
  auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
  uint8_t lead = byte(i);
  int length = lead < 0x80           ? 1
               : (lead >> 5) == 0x6  ? 2
               : (lead >> 4) == 0xE  ? 3
               : (lead >> 3) == 0x1E ? 4
                                     : 0;
  if (length == 0 || i + length > s.size()) return -1;
  long cp = length == 1 ? lead : lead & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  static long const kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  i += length;
  return cp;
}

}  // namespace

std::string ToCp1250(std::string_view utf8, std::string const& what) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    long cp = NextCodePoint(utf8, i);
    if (cp < 0) Fail(what, "malformed UTF-8 in \"" + std::string(utf8) + "\"");
    int b = UnicodeToCp1250(static_cast<char32_t>(cp));
    if (b < 0) {
      char code[24];
      std::snprintf(code, sizeof code, "U+%04lX", cp);
      Fail(what, std::string("character ") + code + " in \"" + std::string(utf8) +
                     "\" has no Windows-1250 byte");
    }
    if (b == 0) Fail(what, "a NUL inside a text");
    out.push_back(static_cast<char>(b));
  }
  return out;
}

std::vector<std::string> PerLanguage(LangText const& text, size_t languages,
                                     std::string const& what) {
  if (text.size() > 1 && text.size() != languages) {
    Fail(what, std::to_string(text.size()) + " texts for " + std::to_string(languages) +
                   " data languages");
  }
  std::vector<std::string> out(languages);
  for (size_t l = 0; l < languages && !text.empty(); ++l) {
    out[l] = ToCp1250(text.size() == 1 ? text[0] : text[l], what);
  }
  return out;
}

void SearchLetters(std::string const& cp1250Name, uint8_t* first, uint8_t* second) {
  std::string key = cp1250Name;
  MakeSearchKey(key.data());
  size_t length = std::strlen(key.c_str());
  *first = length > 0 ? static_cast<uint8_t>(key[0]) : 0;
  *second = length > 1 ? static_cast<uint8_t>(key[1]) : 0;
}

}  // namespace qo::writer
