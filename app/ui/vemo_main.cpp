// The program Vemo.
#include <wx/app.h>

#include <cstdio>
#include <cstdlib>

#include "ui/vemo_app.h"
#include "ui/wx_text.h"

namespace {

// A failed wx assertion is a fault of the program: say where and stop,
// instead of asking the user in a dialog.
void FailOnAssert(wxString const& file, int line, wxString const& function,
                  wxString const& condition, wxString const& message) {
  std::fprintf(stderr, "%s:%d: wx assertion in %s: %s %s\n", vemo::FromWx(file).c_str(), line,
               vemo::FromWx(function).c_str(), vemo::FromWx(condition).c_str(),
               vemo::FromWx(message).c_str());
  std::abort();
}

class VemoMain : public vemo::VemoApp {
 public:
  VemoMain() { wxSetAssertHandler(FailOnAssert); }
};

}  // namespace

wxIMPLEMENT_APP(VemoMain);
