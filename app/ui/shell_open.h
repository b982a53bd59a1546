#pragma once
// Opening a file or a web address with the user's default program, through
// the desktop's opener (xdg-open). Nothing goes through a shell, so no
// character of the target is ever interpreted.
#include <optional>
#include <string>

namespace vemo {

// Empty on success; else the text of the message (373 for files, 374 for
// links) naming the target and the reason, for the caller to show.
std::optional<std::string> ShellOpen(std::string const& target, int message_id = 373);

}  // namespace vemo
