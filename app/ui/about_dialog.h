#pragma once
// The about box: the product title and the versions of the program and of
// the kernel library.
#include <wx/dialog.h>

#include <string>

class wxStaticText;

namespace vemo {

class AboutDialog : public wxDialog {
 public:
  AboutDialog(wxWindow* parent, std::string const& kernel_version);
  std::string ProgramLine() const;
  std::string KernelLine() const;

 private:
  wxStaticText* program_ = nullptr;
  wxStaticText* kernel_ = nullptr;
};

}  // namespace vemo
