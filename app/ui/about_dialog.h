#pragma once
// The about box: the product title, the versions of the program and of the
// kernel library, and links to the maker's and the railway's web pages and
// a mail to the maker.
#include <wx/dialog.h>

#include <string>

class wxStaticText;

namespace vemo {

class LinkButton;

class AboutDialog : public wxDialog {
 public:
  AboutDialog(wxWindow* parent, std::string const& kernel_version);
  std::string ProgramLine() const;
  std::string KernelLine() const;
  LinkButton* maker_link() const { return maker_link_; }
  LinkButton* railway_link() const { return railway_link_; }
  LinkButton* mail_link() const { return mail_link_; }

 private:
  wxStaticText* program_ = nullptr;
  wxStaticText* kernel_ = nullptr;
  LinkButton* maker_link_ = nullptr;
  LinkButton* railway_link_ = nullptr;
  LinkButton* mail_link_ = nullptr;
};

}  // namespace vemo
