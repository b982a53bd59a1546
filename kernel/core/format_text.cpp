#include "core/format_text.h"

#include <cstdarg>
#include <cstdio>

namespace qo {

int FormatText(char* buffer, size_t size, const char* format, ...) {
  if (size == 0) return 0;
  va_list args;
  va_start(args, format);
  int wanted = std::vsnprintf(buffer, size, format, args);
  va_end(args);
  if (wanted < 0) {
    buffer[0] = '\0';
    return 0;
  }
  return static_cast<size_t>(wanted) < size ? wanted : static_cast<int>(size - 1);
}

}  // namespace qo
