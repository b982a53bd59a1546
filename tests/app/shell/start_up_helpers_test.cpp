#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <fstream>

#include "shell/external_splash.h"
#include "shell/font_check.h"
#include "shell/kernel_test_support.h"

namespace vemo {
namespace {

TEST(FontCheck, FamiliesPresentAndAbsent) {
  EXPECT_EQ(FindFontFamilyFile("No Such Family Anywhere 7"), std::nullopt);
  // Whatever fontconfig lists first is present, with its file.
  auto dejavu = FindFontFamilyFile("DejaVu Sans");
  if (dejavu) {
    EXPECT_FALSE(dejavu->empty());
  }
}

// Start-up waits for the splash program to end, but a program that never
// ends delays it by the deadline at most.
TEST(ExternalSplash, WaitsUpToTheDeadline) {
  test::TempDir dir;
  auto script = [&](std::string const& name, std::string const& body) {
    std::string path = dir / name;
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    chmod(path.c_str(), 0755);
    return path;
  };
  ExternalSplash missing;
  EXPECT_FALSE(missing.Start(dir / "Splash"));
  EXPECT_TRUE(missing.WaitForEnd(0));

  ExternalSplash quick;
  ASSERT_TRUE(quick.Start(script("quick", "sleep 0.1")));
  EXPECT_TRUE(quick.WaitForEnd(5000));

  ExternalSplash stuck;
  std::string forever = script("forever", "exec sleep 60");
  ASSERT_TRUE(stuck.Start(forever));
  EXPECT_FALSE(stuck.WaitForEnd(200));
  EXPECT_TRUE(stuck.started());
  // Not left behind by the test.
  kill(stuck.pid(), SIGKILL);
  EXPECT_TRUE(stuck.WaitForEnd(5000));
  EXPECT_FALSE(stuck.started());
}

}  // namespace
}  // namespace vemo
