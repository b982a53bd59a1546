#pragma once
// What the browser dialog's caption says: a first title ("*...") until the
// page has loaded, then the page's own; a fixed title for good; the error
// caption when the page cannot be shown. A late "loaded" of the page before
// does not undo an error.
#include <string>

namespace vemo {

class BrowserTitle {
 public:
  // `title` as the caller gives it; `caption` the dialog's own.
  BrowserTitle(std::string const& title, std::string const& caption);
  std::string const& caption() const { return caption_; }
  void Loaded(std::string const& page_title);
  void Failed();
  bool failed() const { return failed_; }

 private:
  std::string fixed_;
  std::string caption_;
  bool failed_ = false;
};

// The default size of the browser when no placement was saved, for a
// screen area of width x height.
void BrowserDefaultSize(int placement_value_id, int screen_width, int screen_height, int* width,
                        int* height);

}  // namespace vemo
