#include "ui/shell_open.h"

#include <wx/utils.h>

#include <cerrno>
#include <cstring>

#include "shell/string_table.h"

namespace vemo {

std::optional<std::string> ShellOpen(std::string const& target) {
  wxString wx_target = wxString::FromUTF8(target);
  bool is_url = target.find("://") != std::string::npos || target.rfind("mailto:", 0) == 0;
  errno = 0;
  bool opened = is_url ? wxLaunchDefaultBrowser(wx_target) : wxLaunchDefaultApplication(wx_target);
  if (opened) return std::nullopt;
  std::string reason = errno != 0 ? std::strerror(errno) : std::string();
  return FormatResString(373, {target, reason});
}

}  // namespace vemo
