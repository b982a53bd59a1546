#pragma once
// Opening a file or a web address with the user's default program. Nothing
// goes through a shell, so no character of the target is ever interpreted.
#include <optional>
#include <string>

namespace vemo {

// Empty on success; else the text of message 373 naming the target and the
// reason, for the caller to show.
std::optional<std::string> ShellOpen(std::string const& target);

}  // namespace vemo
