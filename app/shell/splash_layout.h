#pragma once
// The splash's picture mode: the description of string 132 (picture file,
// status-line rectangle, text colour), the line laid out once the font is
// known, and the bar drawn in the last 200 pixels of that line.
#include <string>

namespace vemo {

struct SplashRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(SplashRect const&) const = default;
};

struct SplashDescription {
  std::string file;  // relative to the program directory
  SplashRect text;
  int red = 0, green = 0, blue = 0;
};
// "file|left|top|right|bottom|red|green|blue", numbers decimal.
SplashDescription ParseSplashDescription(std::string const& text);

struct SplashLine {
  SplashRect text, bar;
  // A line lower than 4 pixels has no room for a bar.
  bool bar_possible = false;
};
// The status line one text line high from the description's top; the bar
// takes its last 200 pixels.
SplashLine LayoutSplashLine(SplashDescription const& description, int text_height);

// The filled width of the bar for a position, clamped into 0..1000.
int SplashBarFill(SplashRect const& bar, int position);

}  // namespace vemo
