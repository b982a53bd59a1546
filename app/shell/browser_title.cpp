#include "shell/browser_title.h"

namespace vemo {

BrowserTitle::BrowserTitle(std::string const& title, std::string const& caption)
    : caption_(caption) {
  if (!title.empty() && title[0] == '*') {
    caption_ = title.substr(1);
  } else if (!title.empty()) {
    caption_ = fixed_ = title;
  }
}

void BrowserTitle::Loaded(std::string const& page_title) {
  if (failed_ || !fixed_.empty()) return;
  caption_ = page_title;
}

void BrowserTitle::Failed() {
  failed_ = true;
  caption_ = "CHYBA: stránku nelze zobrazit.";
}

void BrowserDefaultSize(int placement_value_id, int screen_width, int screen_height, int* width,
                        int* height) {
  *width = placement_value_id == 4117 ? 1200 : 1400;
  *height = placement_value_id == 4117 ? screen_height - 100 : 400;
  if (screen_width < *width) *width = screen_width - 50;
  if (screen_height < *height) *height = screen_height - 50;
}

}  // namespace vemo
