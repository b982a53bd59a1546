// The window tests: a real wx application on the display xvfb-run gives,
// and a failed wx assertion fails the test instead of opening a dialog.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/app.h>
#include <wx/debug.h>

#include "ui/wx_text.h"

namespace {

void FailOnAssert(wxString const& file, int line, wxString const& function,
                  wxString const& condition, wxString const& message) {
  ADD_FAILURE_AT(vemo::FromWx(file).c_str(), line)
      << "wx assertion in " << vemo::FromWx(function) << ": " << vemo::FromWx(condition) << " "
      << vemo::FromWx(message);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!getenv("DISPLAY")) {
    fprintf(stderr, "The window tests need a display: run them under xvfb-run -a.\n");
    return 1;
  }
  wxSetAssertHandler(FailOnAssert);
  return RUN_ALL_TESTS();
}
