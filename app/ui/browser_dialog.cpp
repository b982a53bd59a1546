#include "ui/browser_dialog.h"

#include <dlfcn.h>

#include <wx/display.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/webview.h>

#include "shell/profile.h"
#include "shell/string_table.h"
#include "ui/wx_text.h"

namespace vemo {
namespace {

constexpr int kBrowserSection = 4116;

// The program's own pages are written in windows-1250, and many say no
// charset: WebKit is told to read such pages so. Bound by name from the
// WebKitGTK that wx's web view already loaded.
void DefaultToWindows1250(wxWebView* view) {
  using GetSettings = void* (*)(void*);
  using SetCharset = void (*)(void*, const char*);
  auto get_settings =
      reinterpret_cast<GetSettings>(dlsym(RTLD_DEFAULT, "webkit_web_view_get_settings"));
  auto set_charset =
      reinterpret_cast<SetCharset>(dlsym(RTLD_DEFAULT, "webkit_settings_set_default_charset"));
  void* native = view->GetNativeBackend();
  if (!get_settings || !set_charset || !native) return;
  if (void* settings = get_settings(native)) set_charset(settings, "windows-1250");
}

}  // namespace

BrowserDialog::BrowserDialog(wxWindow* parent, Profile* profile, int placement_value_id,
                             std::string const& url, std::string const& title,
                             std::string const& error_text)
    : wxDialog(parent, wxID_ANY, U8("Browser"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER | wxMAXIMIZE_BOX),
      profile_(profile),
      placement_value_id_(placement_value_id),
      error_text_(error_text),
      title_(title, "Browser") {
  show_error = [this](std::string const& text) {
    wxMessageDialog(this, U8(text), U8(LoadResString(57344)), wxOK | wxICON_ERROR).ShowModal();
  };
  SetTitle(U8(title_.caption()));
  view_ = wxWebView::New(this, wxID_ANY);
  DefaultToWindows1250(view_);
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(view_, 1, wxEXPAND);
  column->Add(CreateStdDialogButtonSizer(wxOK), 0, wxEXPAND | wxALL, 8);
  SetSizer(column);
  SetMinSize(wxSize(300, 300));

  std::optional<WindowPlacement> placement;
  if (profile_)
    placement =
        ParsePlacement(profile_->GetProfileStringIds(kBrowserSection, placement_value_id_, ""));
  wxRect area = wxDisplay(0u).GetClientArea();
  if (placement && placement->right - placement->left > 100 &&
      placement->bottom - placement->top > 100) {
    SetSize(placement->left, placement->top, placement->right - placement->left,
            placement->bottom - placement->top);
    if (placement->flags & 2) Maximize();
  } else {
    int width = 0, height = 0;
    BrowserDefaultSize(placement_value_id_, area.width, area.height, &width, &height);
    SetSize(width, height);
    CentreOnScreen();
  }
  view_->Bind(wxEVT_WEBVIEW_LOADED, &BrowserDialog::OnLoaded, this);
  view_->Bind(wxEVT_WEBVIEW_ERROR, &BrowserDialog::OnError, this);
  view_->Bind(wxEVT_WEBVIEW_TITLE_CHANGED, [this](wxWebViewEvent& event) {
    // WebKit tells the title after "loaded"; the caption follows it.
    if (!title_.failed()) {
      title_.Loaded(FromWx(event.GetString()));
      SetTitle(U8(title_.caption()));
    }
  });
  view_->LoadURL(U8(url));
}

BrowserDialog::~BrowserDialog() {
  if (!profile_) return;
  wxRect rect = GetRect();
  WindowPlacement placement;
  placement.flags = IsMaximized() ? 2 : 0;
  placement.left = rect.GetLeft();
  placement.top = rect.GetTop();
  placement.right = rect.GetRight() + 1;
  placement.bottom = rect.GetBottom() + 1;
  profile_->WriteProfileStringIds(kBrowserSection, placement_value_id_, FormatPlacement(placement));
}

void BrowserDialog::OnLoaded(wxWebViewEvent&) {
  if (title_.failed()) return;
  std::string page = FromWx(view_->GetCurrentTitle());
  if (!page.empty()) {
    title_.Loaded(page);
    SetTitle(U8(title_.caption()));
  }
}

void BrowserDialog::OnError(wxWebViewEvent&) {
  if (!error_text_.empty() && show_error) show_error(error_text_);
  title_.Failed();
  SetTitle(U8(title_.caption()));
}

}  // namespace vemo
