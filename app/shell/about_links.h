#pragma once
// The links of the about box: the maker's and the railway's web pages and a
// mail to the maker whose subject names the program's and the kernel's
// versions.
#include <string>

namespace vemo {

struct AboutLinks {
  std::string maker_url, railway_url;
  std::string web_tooltip, mail_tooltip;
  std::string mail_url;
};

// The about box's link data, five fields split at "|": the maker's URL, the
// railway's URL, the mail link's tooltip, the web links' tooltip, and the
// mail URL template, in which "%1" stands for the program's version and
// "%2" for the kernel's ("%%" is a "%").
extern const char* const kAboutLinkData;

AboutLinks MakeAboutLinks(std::string const& link_data, std::string const& program_version,
                          std::string const& kernel_version);

// The about box shows the logo on a screen of at least the colour depth of
// string 133, and the enlarged program icon on a poorer one.
bool AboutShowsLogo(int bits_per_pixel);

}  // namespace vemo
