#include "text/cp1250.h"

#include <algorithm>
#include <array>

namespace qo {
namespace {

struct ReverseEntry {
  char16_t unicode;
  uint8_t byte;
};

constexpr std::array<ReverseEntry, 128> MakeReverse() {
  std::array<ReverseEntry, 128> reverse{};
  for (size_t i = 0; i < 128; ++i)
    reverse[i] = {kCp1250HighHalf[i], static_cast<uint8_t>(0x80 + i)};
  std::sort(reverse.begin(), reverse.end(),
            [](const ReverseEntry& a, const ReverseEntry& b) { return a.unicode < b.unicode; });
  return reverse;
}

constexpr std::array<ReverseEntry, 128> kReverse = MakeReverse();

}  // namespace

char16_t Cp1250ToUnicode(uint8_t byte) {
  return byte < 0x80 ? static_cast<char16_t>(byte) : kCp1250HighHalf[byte - 0x80];
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
    size_t length = lead < 0x80           ? 1
                    : (lead >> 5) == 0x6  ? 2
                    : (lead >> 4) == 0xE  ? 3
                    : (lead >> 3) == 0x1E ? 4
                                          : 0;
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
