#include "shell/browser_pages.h"

#include <cctype>

#include "shell/paths.h"
#include "shell/string_table.h"

namespace vemo {
namespace {

// A local path as a file URL: every byte but letters, digits, "/" and
// "-._~" escaped, so that blanks, "#" or "%" in a folder name stay part of
// the path.
std::string FileUrl(std::string const& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 15];
    }
  }
  return url;
}

}  // namespace

BrowserPage InformationPage(std::string const& program_dir) {
  BrowserPage page;
  std::string path = FindFileNoCase(program_dir, "Informace.htm");
  if (path.empty() || IsDirectory(path)) {
    page.message =
        FormatText("Soubor %s s informacemi nebyl nalezen.", {program_dir + "Informace.htm"});
    return page;
  }
  page.url = FileUrl(path);
  page.title = "Informace Ek";
  return page;
}

BrowserPage UpdateOfferPage(std::string const& address, OfferFacts const& facts) {
  BrowserPage page;
  page.url = UpdateOfferQuery(address, facts);
  page.title = "*Zjištění aktualizace...";
  page.error_text = FormatText(
      "Při pokusu o zobrazení nabídky aktualizací z aplikace na adrese %s došlo k chybě.\n\n"
      "Prověřte dostupnost internetu.",
      {address});
  return page;
}

}  // namespace vemo
