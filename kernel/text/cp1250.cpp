#include "text/cp1250.h"

#include <algorithm>
#include <array>

namespace qo {
namespace {

// Unicode of bytes 0x80..0xFF. The five bytes that Windows-1250 leaves
// undefined map to the C1 control of the same number, so that every byte
// survives a round trip.
constexpr std::array<char16_t, 128> kHighHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

struct ReverseEntry {
  char16_t unicode;
  uint8_t byte;
};

constexpr std::array<ReverseEntry, 128> MakeReverse() {
  std::array<ReverseEntry, 128> reverse{};
  for (size_t i = 0; i < 128; ++i) reverse[i] = {kHighHalf[i], static_cast<uint8_t>(0x80 + i)};
  std::sort(reverse.begin(), reverse.end(),
            [](const ReverseEntry& a, const ReverseEntry& b) { return a.unicode < b.unicode; });
  return reverse;
}

constexpr std::array<ReverseEntry, 128> kReverse = MakeReverse();

}  // namespace

char16_t Cp1250ToUnicode(uint8_t byte) {
  return byte < 0x80 ? static_cast<char16_t>(byte) : kHighHalf[byte - 0x80];
}

int UnicodeToCp1250(char32_t unicode) {
  if (unicode < 0x80) return static_cast<int>(unicode);
  auto it = std::lower_bound(
      kReverse.begin(), kReverse.end(), unicode,
      [](const ReverseEntry& e, char32_t u) { return static_cast<char32_t>(e.unicode) < u; });
  if (it != kReverse.end() && static_cast<char32_t>(it->unicode) == unicode) return it->byte;
  return -1;
}

std::string Utf8ToCp1250(std::string_view utf8, char replacement) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    auto lead = static_cast<uint8_t>(utf8[i]);
    char32_t code = 0;
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                  : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > utf8.size()) {
      out.push_back(replacement);
      ++i;
      continue;
    }
    code = length == 1 ? lead : lead & (0x7F >> length);
    bool valid = true;
    for (size_t k = 1; k < length; ++k) {
      auto next = static_cast<uint8_t>(utf8[i + k]);
      if ((next & 0xC0) != 0x80) valid = false;
      code = (code << 6) | (next & 0x3F);
    }
    if (!valid) {
      out.push_back(replacement);
      ++i;
      continue;
    }
    int byte = UnicodeToCp1250(code);
    out.push_back(byte < 0 ? replacement : static_cast<char>(byte));
    i += length;
  }
  return out;
}

std::string Cp1250ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char c : text) {
    char16_t u = Cp1250ToUnicode(static_cast<uint8_t>(c));
    if (u < 0x80) {
      out.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (u >> 6)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (u >> 12)));
      out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
  return out;
}

}  // namespace qo
