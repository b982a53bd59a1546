#pragma once
// Kernel texts handed out through the interface: converted into the current
// text mode in a buffer of the export's own, with room for UTF-16.
#include <cstring>
#include <string_view>
#include <vector>

#include "text/text_convert.h"

namespace qo::api {

// Copies the text into `buffer`, converts it and returns it.
inline char* ConvertOut(std::string_view text, std::vector<char>& buffer) {
  buffer.assign(2 * (text.size() + 1) + 2, '\0');
  if (!text.empty()) std::memcpy(buffer.data(), text.data(), text.size());
  ConvertTextOutMode(GetTextMode(), buffer.data(), buffer.size());
  return buffer.data();
}

}  // namespace qo::api
