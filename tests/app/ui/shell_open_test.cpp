#include "ui/shell_open.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/init.h>

#include <filesystem>
#include <fstream>

#include "ui/ui_test_support.h"

namespace vemo {
namespace {

// The default program is found through xdg-open; a stand-in placed first
// on PATH sees the target as one argument, untouched by any shell.
TEST(ShellOpen, HandsTheTargetOverWhole) {
  test::TempDir dir;
  std::string seen = dir / "seen.txt";
  {
    std::ofstream script(dir / "xdg-open");
    script << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > '" << seen << "'\n";
  }
  chmod((dir / "xdg-open").c_str(), 0755);
  std::string old_path = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", (dir.path() + ":" + old_path).c_str(), 1);
  std::string file = dir / "a b; $(touch gone)'.htm";
  std::ofstream(file) << "x";
  for (std::string const& target : {file, std::string("https://example.invalid/a?b=c&d=e f")}) {
    std::filesystem::remove(seen);
    EXPECT_EQ(ShellOpen(target), std::nullopt) << target;
    for (int i = 0; i < 200 && !std::filesystem::exists(seen); ++i) usleep(20000);
    std::ifstream in(seen);
    std::string count, argument;
    std::getline(in, count);
    std::getline(in, argument);
    EXPECT_EQ(count, "1") << target;
    EXPECT_EQ(argument, target);
  }
  setenv("PATH", old_path.c_str(), 1);
  EXPECT_FALSE(std::filesystem::exists("gone"));
}

}  // namespace
}  // namespace vemo
