#include "shell/about_links.h"

#include <cstdlib>

#include "shell/string_table.h"
#include "shell/text_fields.h"

namespace vemo {

const char* const kAboutLinkData =
    "https://vemo.example.org/|https://jizdnirad.example.org/|"
    "odeslání zprávy poštou sítě internet|firemní stránky na síti internet|"
    "mailto:vemo@example.org?subject=Vemo%%20%1,%%20knihovna%%20%2"
    "&cc=jizdnirad@example.org";

AboutLinks MakeAboutLinks(std::string const& link_data, std::string const& program_version,
                          std::string const& kernel_version) {
  AboutLinks links;
  links.maker_url = GetField(link_data, 0);
  links.railway_url = GetField(link_data, 1);
  links.mail_tooltip = GetField(link_data, 2);
  links.web_tooltip = GetField(link_data, 3);
  links.mail_url = FormatInserts(GetField(link_data, 4), {program_version, kernel_version});
  return links;
}

bool AboutShowsLogo(int bits_per_pixel) {
  return bits_per_pixel >= std::atoi(std::string(LoadResString(133)).c_str());
}

}  // namespace vemo
