#pragma once
// Every text of the program is UTF-8; wx strings are made from it explicitly
// (implicit narrow conversions are compiled out).
#include <wx/string.h>

#include <string>
#include <string_view>

namespace vemo {

inline wxString U8(std::string_view text) { return wxString::FromUTF8(text.data(), text.size()); }
inline std::string FromWx(wxString const& text) { return text.utf8_string(); }

}  // namespace vemo
