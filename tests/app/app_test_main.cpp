// The program's tests run headless, in a fixed time zone, and a failed wx
// assertion fails the test instead of opening a dialog.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/debug.h>
#include <wx/init.h>
#include <wx/string.h>

namespace {

void FailOnAssert(wxString const& file, int line, wxString const& function,
                  wxString const& condition, wxString const& message) {
  ADD_FAILURE_AT(file.utf8_string().c_str(), line)
      << "wx assertion in " << function.utf8_string() << ": " << condition.utf8_string() << " "
      << message.utf8_string();
}

}  // namespace

int main(int argc, char** argv) {
  setenv("TZ", "Europe/Prague", 1);
  setenv("LANG", "C.UTF-8", 1);
  unsetenv("DISPLAY");
  ::testing::InitGoogleTest(&argc, argv);
  wxInitializer wx;
  wxSetAssertHandler(FailOnAssert);
  return RUN_ALL_TESTS();
}
