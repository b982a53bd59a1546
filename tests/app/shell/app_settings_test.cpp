#include "shell/app_settings.h"

#include <gtest/gtest.h>

#include "shell/kernel_test_support.h"

namespace vemo {
namespace {

TEST(AppSettings, RemarksOptionsOnlyFromAStoredSection) {
  KernelApi& kernel = test::RealKernel();
  test::TempDir dir;
  Profile profile(dir / "profile.conf");
  int base = 0, limit = 0, max_days = 0;
  kernel.QoGetDateRemOptions(&base, &limit, &max_days);

  AppSettings settings;
  settings.symbol_font = false;
  settings.marks_mode = 1;
  settings.LoadRemarksOptions(profile, kernel);
  EXPECT_EQ(settings.marks_mode, 1);
  int now_base = -1, now_limit = -1, now_max = -1;
  kernel.QoGetDateRemOptions(&now_base, &now_limit, &now_max);
  EXPECT_EQ(now_limit, limit);

  // "Atoms" 2 needs the symbol font; without it the mode is 1.
  profile.WriteProfileIntIds(4037, 4043, 2);
  profile.WriteProfileIntIds(4037, 4040, max_days + 1);
  settings.LoadRemarksOptions(profile, kernel);
  EXPECT_EQ(settings.marks_mode, 1);
  kernel.QoGetDateRemOptions(&now_base, &now_limit, &now_max);
  EXPECT_EQ(now_max, max_days + 1);
  settings.symbol_font = true;
  settings.LoadRemarksOptions(profile, kernel);
  EXPECT_EQ(settings.marks_mode, 2);
  kernel.QoSetDateRemOptions(base, limit, max_days);

  // Exit writes the "Global" flags but leaves "Remarks" to a change.
  Profile fresh(dir / "fresh.conf");
  AppSettings defaults;
  defaults.tooltips = false;
  defaults.Save(fresh);
  EXPECT_FALSE(fresh.ProfileKeyExists("Remarks"));
  AppSettings loaded;
  loaded.Load(fresh);
  EXPECT_FALSE(loaded.tooltips);
  EXPECT_EQ(loaded.date_colour, 0x0000FFu);
}

}  // namespace
}  // namespace vemo
