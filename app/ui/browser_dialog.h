#pragma once
// A page shown in the platform's web view (WebKitGTK): a caption that
// follows the page, a placement kept in the profile ("Browser" /
// "Window 1" or "Window 2"), and the caller's error text when the page
// cannot be shown.
#include <wx/dialog.h>

#include <functional>
#include <string>

#include "shell/browser_title.h"

class wxWebView;
class wxWebViewEvent;

namespace vemo {

class Profile;

class BrowserDialog : public wxDialog {
 public:
  BrowserDialog(wxWindow* parent, Profile* profile, int placement_value_id, std::string const& url,
                std::string const& title, std::string const& error_text);
  ~BrowserDialog() override;

  // How the error text is shown; a message box unless replaced.
  std::function<void(std::string const&)> show_error;
  BrowserTitle const& title() const { return title_; }

 private:
  void OnLoaded(wxWebViewEvent& event);
  void OnError(wxWebViewEvent& event);

  Profile* profile_;
  int placement_value_id_;
  std::string error_text_;
  BrowserTitle title_;
  wxWebView* view_ = nullptr;
};

}  // namespace vemo
