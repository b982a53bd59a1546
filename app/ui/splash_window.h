#pragma once
// The start-up splash. On a screen with enough colours it is a picture:
// the program directory's splash file (string 132 names it), else the
// program's own splash picture, with the status line and the progress bar
// drawn at the place the description gives. Otherwise, or when neither
// picture fits the screen, it is a plain window with the product title, the
// version, the logo or the enlarged program icon, a status line and a bar.
#include <wx/bitmap.h>
#include <wx/frame.h>

#include <string>

#include "shell/splash_layout.h"

class wxGauge;
class wxStaticText;

namespace vemo {

class SplashWindow : public wxFrame {
 public:
  // `program_dir` (with its trailing "/") holds the splash file; empty: the
  // program's directory. `display_depth`: bits per pixel, -1 to ask.
  explicit SplashWindow(std::string program_dir = std::string(), int display_depth = -1);
  void SetStatus(std::string const& text, bool left_aligned = true);
  void ShowBar(bool shown);
  void SetBarPosition(int per_mille);

  bool picture_mode() const { return picture_.IsOk(); }
  bool bar_shown() const;
  int bar_position() const;
  SplashLine const& line() const { return line_; }

 private:
  void BuildPlain(bool colour_depth_ok);
  void OnPaint(wxPaintEvent& event);
  void Repaint();

  wxBitmap picture_;
  SplashDescription description_;
  SplashLine line_;
  std::string text_;
  bool left_aligned_ = true;
  bool bar_visible_ = false;
  int position_ = 0;
  wxStaticText* status_ = nullptr;
  wxGauge* bar_ = nullptr;
};

}  // namespace vemo
