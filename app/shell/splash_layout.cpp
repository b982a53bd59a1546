#include "shell/splash_layout.h"

#include <algorithm>
#include <cstdlib>

#include "shell/text_fields.h"

namespace vemo {
namespace {

int Number(std::string const& text, int n) { return std::atoi(GetField(text, n).c_str()); }

}  // namespace

SplashDescription ParseSplashDescription(std::string const& text) {
  SplashDescription description;
  description.file = GetField(text, 0);
  description.text = {Number(text, 1), Number(text, 2), Number(text, 3), Number(text, 4)};
  description.red = Number(text, 5);
  description.green = Number(text, 6);
  description.blue = Number(text, 7);
  return description;
}

SplashLine LayoutSplashLine(SplashDescription const& description, int text_height) {
  SplashLine line;
  line.text = description.text;
  line.text.bottom = line.text.top + text_height;
  line.bar = line.text;
  line.bar.left = line.bar.right - 200;
  line.bar_possible = line.bar.bottom - line.bar.top >= 4;
  return line;
}

int SplashBarFill(SplashRect const& bar, int position) {
  position = std::clamp(position, 0, 1000);
  return (bar.right - bar.left) * position / 1000;
}

}  // namespace vemo
