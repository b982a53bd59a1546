#pragma once
#include <string>
#include <string_view>

namespace qo {

// The directory part of a path, cut after its last '/' or '\' so that it keeps
// the separator; "./" when the path has none.
std::string DirectoryOfPath(std::string_view path);

// Where QoInit and QoMakeListExt look when the caller names no directory: the
// directory of the library file itself, set when the library is attached.
const std::string& DefaultDataDirectory();

}  // namespace qo
