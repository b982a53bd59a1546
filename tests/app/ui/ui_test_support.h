#pragma once
// Shared by the window tests: a temporary directory, and the answer to a
// modal dialog that a test expects.
#include <wx/app.h>
#include <wx/init.h>

#include <functional>

#include "temp_dir.h"

class wxDialog;

namespace vemo::test {

// Answers the next modal dialog instead of failing the test: it gets the
// dialog before it is shown and returns the dialog's result.
inline std::function<int(wxDialog*)> expected_modal;

}  // namespace vemo::test
