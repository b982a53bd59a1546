// The window tests: a real wx application on the display xvfb-run gives,
// and a failed wx assertion fails the test instead of opening a dialog.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/app.h>
#include <wx/debug.h>
#include <wx/init.h>
#include <wx/modalhook.h>
#include <wx/dialog.h>

#include "ui/ui_test_support.h"
#include "ui/vemo_app.h"
#include "ui/wx_text.h"

namespace {

void FailOnAssert(wxString const& file, int line, wxString const& function,
                  wxString const& condition, wxString const& message) {
  ADD_FAILURE_AT(vemo::FromWx(file).c_str(), line)
      << "wx assertion in " << vemo::FromWx(function) << ": " << vemo::FromWx(condition) << " "
      << vemo::FromWx(message);
}

// A dialog would wait for a user who is not there: unless the test expects
// it, it fails the test and answers Cancel at once.
class NoModalDialogs : public wxModalDialogHook {
 protected:
  int Enter(wxDialog* dialog) override {
    if (vemo::test::expected_modal) {
      auto answer = std::move(vemo::test::expected_modal);
      vemo::test::expected_modal = nullptr;
      return answer(dialog);
    }
    ADD_FAILURE() << "a modal dialog opened: " << vemo::FromWx(dialog->GetTitle()) << " "
                  << vemo::FromWx(dialog->GetLabel());
    return wxID_CANCEL;
  }
  void Exit(wxDialog*) override {}
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!getenv("DISPLAY")) {
    fprintf(stderr, "The window tests need a display: run them under xvfb-run -a.\n");
    return 1;
  }
  // One application for the whole run, as in the program; the tests start
  // it on their timetables.
  wxApp::SetInstance(new vemo::VemoApp());
  int wx_argc = 1;
  char name[] = "app_ui_tests";
  char* wx_argv[] = {name, nullptr};
  if (!wxEntryStart(wx_argc, wx_argv)) return 1;
  wxSetAssertHandler(FailOnAssert);
  NoModalDialogs no_dialogs;
  no_dialogs.Register();
  int result = RUN_ALL_TESTS();
  wxEntryCleanup();
  return result;
}
