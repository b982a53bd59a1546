#pragma once
// Windows-1250, the kernel's own code page, against Unicode. Built-in texts
// are written in UTF-8 in the sources and converted once with these; the
// UTF-16 text mode and the developer tools use them too.
#include <cstdint>
#include <string>
#include <string_view>

namespace qo {

char16_t Cp1250ToUnicode(uint8_t byte);
// The byte of a code point, or -1 when Windows-1250 has no such character.
int UnicodeToCp1250(char32_t unicode);
// Characters without a Windows-1250 byte, and malformed UTF-8, become the
// replacement character.
std::string Utf8ToCp1250(std::string_view utf8, char replacement = '?');
std::string Cp1250ToUtf8(std::string_view text);

}  // namespace qo
