#pragma once
// The about box: the product title, the versions of the program and of the
// kernel library, a picture chosen by the colour depth, and links to the
// maker's and the railway's web pages and a mail to the maker.
#include <wx/dialog.h>

#include <string>

class wxStaticText;

namespace vemo {

class LinkButton;

class AboutDialog : public wxDialog {
 public:
  // `display_depth`: bits per pixel of the screen, -1 to ask the display.
  AboutDialog(wxWindow* parent, std::string const& kernel_version, int display_depth = -1);
  std::string ProgramLine() const;
  std::string KernelLine() const;
  LinkButton* maker_link() const { return maker_link_; }
  LinkButton* railway_link() const { return railway_link_; }
  LinkButton* mail_link() const { return mail_link_; }
  // The logo, or else the enlarged program icon.
  bool shows_logo() const { return shows_logo_; }

 private:
  wxStaticText* program_ = nullptr;
  wxStaticText* kernel_ = nullptr;
  LinkButton* maker_link_ = nullptr;
  LinkButton* railway_link_ = nullptr;
  LinkButton* mail_link_ = nullptr;
  bool shows_logo_ = true;
};

}  // namespace vemo
