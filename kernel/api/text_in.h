#pragma once
// A caller's text taken into the kernel's Windows-1250: at most `limit`
// characters of it, converted from the current text mode, in a buffer of
// the export's own (no allocation on the paths a keystroke runs).
#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "text/text_convert.h"

namespace qo::api {

template <size_t Limit>
class TextInBuffer {
 public:
  // NULL is the empty text.
  std::string_view Take(char const* text) {
    bytes_.fill(0);
    if (!text) return {};
    if (GetTextMode() == TextModeUtf16) {
      // Two bytes per character up to a zero character.
      for (size_t i = 0; i < Limit; ++i) {
        if (text[2 * i] == 0 && text[2 * i + 1] == 0) break;
        bytes_[2 * i] = text[2 * i];
        bytes_[2 * i + 1] = text[2 * i + 1];
      }
    } else {
      for (size_t i = 0; i < Limit && text[i]; ++i) bytes_[i] = text[i];
    }
    ConvertTextIn(bytes_.data());
    return std::string_view(bytes_.data(), std::strlen(bytes_.data()));
  }

 private:
  std::array<char, 2 * Limit + 2> bytes_{};
};

}  // namespace qo::api
