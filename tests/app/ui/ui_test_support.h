#pragma once
// Shared by the window tests: a temporary directory.
#include <wx/app.h>
#include <wx/init.h>

#include "temp_dir.h"
