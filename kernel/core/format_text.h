#pragma once
#include <cstddef>

namespace qo {

// printf into a buffer of `size` bytes: at most size - 1 characters, always
// NUL-terminated, also when the text was cut. Returns the characters written.
int FormatText(char* buffer, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

}  // namespace qo
