#pragma once
// A link in a dialog: its text underlined in the link colour, the hover
// colour and a hand under the mouse, an optional tooltip, and a click that
// opens its address (or, without one, its own text) with the user's
// program. Built on wx's generic hyperlink, which draws and tracks the
// mouse the same on every platform.
#include <wx/hyperlink.h>

#include <functional>
#include <string>

namespace vemo {

class LinkButton : public wxGenericHyperlinkCtrl {
 public:
  LinkButton(wxWindow* parent, std::string const& label, std::string const& url = {});

  // Empty: a click opens the label.
  void SetURL(std::string const& url);
  // Replaces the tooltip; an empty text removes it.
  void SetTooltip(std::string const& text);
  // The size of the text on one line; with centring the link stays centred
  // on where it was in that direction.
  void SizeToContent(bool centre_vertically, bool centre_horizontally);
  // What a click opens.
  std::string Target() const;
  // Opens the target; a failure goes to show_error.
  void Open();

  // How a failure to open is shown; a message box unless replaced.
  std::function<void(std::string const&)> show_error;

 private:
  std::string url_;
};

}  // namespace vemo
