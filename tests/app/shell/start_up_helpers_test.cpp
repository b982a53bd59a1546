#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <fstream>

#include "shell/external_splash.h"
#include "shell/font_check.h"
#include "shell/kernel_test_support.h"
#include "shell/splash_layout.h"
#include "shell/string_table.h"

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

TEST(SplashLayout, StatusLineAndBarFromTheDescription) {
  SplashDescription description = ParseSplashDescription(std::string(LoadResString(132)));
  EXPECT_EQ(description.file, "QoC.bmp");
  EXPECT_EQ(description.text, (SplashRect{22, 273, 480, 330}));
  EXPECT_EQ(description.red + description.green + description.blue, 3 * 255);
  // One line of text high; the bar in its last 200 pixels.
  SplashLine line = LayoutSplashLine(description, 13);
  EXPECT_EQ(line.text, (SplashRect{22, 273, 480, 286}));
  EXPECT_EQ(line.bar, (SplashRect{280, 273, 480, 286}));
  EXPECT_TRUE(line.bar_possible);
  EXPECT_FALSE(LayoutSplashLine(description, 3).bar_possible);
  struct Case {
    int position, fill;
  } const cases[] = {{-5, 0}, {0, 0}, {500, 100}, {1000, 200}, {2000, 200}};
  for (Case const& c : cases) EXPECT_EQ(SplashBarFill(line.bar, c.position), c.fill) << c.position;
  // Missing fields read as 0.
  EXPECT_EQ(ParseSplashDescription("x.bmp|5").text, (SplashRect{5, 0, 0, 0}));
}

}  // namespace
}  // namespace vemo
