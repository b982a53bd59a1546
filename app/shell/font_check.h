#pragma once
// Whether a font family is installed, asked of fontconfig, and the file
// that holds it.
#include <optional>
#include <string>

namespace vemo {

// The file of the family's first face; nullopt when the family is not
// installed.
std::optional<std::string> FindFontFamilyFile(std::string const& family);

}  // namespace vemo
