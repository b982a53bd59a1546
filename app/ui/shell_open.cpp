#include "ui/shell_open.h"

#include <unistd.h>
#include <wx/log.h>
#include <wx/utils.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "shell/string_table.h"

namespace vemo {
namespace {

// The desktop's opener on PATH; empty when there is none.
std::string FindOpener() {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    std::string candidate = (dir.empty() ? std::string(".") : dir) + "/xdg-open";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

}  // namespace

std::optional<std::string> ShellOpen(std::string const& target, int message_id) {
  // Files and addresses alike go to the desktop's opener, as one argument:
  // no shell sees the target, so none of its characters is interpreted.
  std::string opener = FindOpener();
  int error = ENOENT;
  if (!opener.empty()) {
    wxLogNull quiet;
    const char* argv[] = {opener.c_str(), target.c_str(), nullptr};
    errno = 0;
    if (wxExecute(const_cast<char**>(argv), wxEXEC_ASYNC) > 0) return std::nullopt;
    error = errno != 0 ? errno : ENOEXEC;
  }
  return FormatResString(message_id, {target, std::string(std::strerror(error))});
}

}  // namespace vemo
