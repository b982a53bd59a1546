#include "gtfs/cp1250_fit.h"

#include <cstdint>

#include "text/cp1250.h"

namespace qo::gtfs {

namespace {

// Latin letters U+00C0..U+017F by their base letters (the entries of
// letters Windows-1250 has are never looked up).
// clang-format off
constexpr char const* kLatin[] = {
    // U+00C0
    "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",
    // U+00D0
    "D", "N", "O", "O", "O", "O", "O", "x", "O", "U", "U", "U", "U", "Y", "Th", "ss",
    // U+00E0
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    // U+00F0
    "d", "n", "o", "o", "o", "o", "o", "/", "o", "u", "u", "u", "u", "y", "th", "y",
    // U+0100
    "A", "a", "A", "a", "A", "a", "C", "c", "C", "c", "C", "c", "C", "c", "D", "d",
    // U+0110
    "D", "d", "E", "e", "E", "e", "E", "e", "E", "e", "E", "e", "G", "g", "G", "g",
    // U+0120
    "G", "g", "G", "g", "H", "h", "H", "h", "I", "i", "I", "i", "I", "i", "I", "i",
    // U+0130
    "I", "i", "IJ", "ij", "J", "j", "K", "k", "k", "L", "l", "L", "l", "L", "l", "L",
    // U+0140
    "l", "L", "l", "N", "n", "N", "n", "N", "n", "n", "N", "n", "O", "o", "O", "o",
    // U+0150
    "O", "o", "OE", "oe", "R", "r", "R", "r", "R", "r", "S", "s", "S", "s", "S", "s",
    // U+0160
    "S", "s", "T", "t", "T", "t", "T", "t", "U", "u", "U", "u", "U", "u", "U", "u",
    // U+0170
    "U", "u", "U", "u", "W", "w", "Y", "y", "Y", "Z", "z", "Z", "z", "Z", "z", "s",
};
// clang-format on

// The ASCII stand-in of a character Windows-1250 lacks.
std::string_view Transliterate(char32_t c) {
  if (c >= 0xC0 && c <= 0x17F) return kLatin[c - 0xC0];
  switch (c) {
    case 0x0218:
      return "S";
    case 0x0219:
      return "s";
    case 0x021A:
      return "T";
    case 0x021B:
      return "t";
    case 0x2010:
    case 0x2011:
    case 0x2012:
    case 0x2015:
    case 0x2212:
      return "-";
    case 0x201F:
    case 0x2033:
      return "\"";
    case 0x201B:
    case 0x2032:
      return "'";
    case 0x2002:
    case 0x2003:
    case 0x2009:
    case 0x202F:
      return " ";
  }
  if (c >= 0x0300 && c <= 0x036F) return "";  // a combining mark: its letter stays
  return "?";
}

void PutUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

bool FitToCp1250(std::string_view utf8, std::string& out, size_t* changed) {
  out.clear();
  size_t i = 0;
  while (i < utf8.size()) {
    uint8_t b = static_cast<uint8_t>(utf8[i]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
      ++i;
      continue;
    }
    int length = b >= 0xF0 && b < 0xF5 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 0;
    if (b >= 0xF5 || length == 0 || i + length > utf8.size()) return false;
    char32_t c = b & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      uint8_t next = static_cast<uint8_t>(utf8[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms and surrogates are malformed.
    if ((length == 3 && c < 0x800) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)) ||
        (c >= 0xD800 && c <= 0xDFFF)) {
      return false;
    }
    i += length;
    if (UnicodeToCp1250(c) >= 0) {
      PutUtf8(out, c);
    } else {
      out.append(Transliterate(c));
      ++*changed;
    }
  }
  return true;
}

}  // namespace qo::gtfs
