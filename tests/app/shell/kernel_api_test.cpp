#include "shell/kernel_api.h"

#include <gtest/gtest.h>

#include "shell/command_line.h"
#include "shell/kernel_binding.h"
#include "shell/kernel_test_support.h"
#include "shell/string_table.h"

namespace vemo {
namespace {

TEST(KernelApi, RefusedKernelsGiveTheirMessages) {
  struct Case {
    const char* library;
    int message;
    const char* detail;
  };
  Case const cases[] = {
      {"/nonexistent/libQo.so", 10000, "libQo.so"},
      {QO_STUB_MISSING_PATH, 370, "QoQoInfo"},
      {QO_STUB_OLD_PATH, 370, "1.77"},
  };
  for (Case const& c : cases) {
    KernelApi api;
    KernelLoadResult result = LoadKernel(c.library, &api);
    EXPECT_EQ(result.message_id, c.message) << c.library;
    EXPECT_NE(result.detail.find(c.detail), std::string::npos) << result.detail;
    EXPECT_FALSE(api.bound());
  }

  test::RecordingUi ui;
  KernelApi api;
  CommandLineOptions options;
  EXPECT_FALSE(BindKernel(QO_STUB_MISSING_PATH, {}, &options, &api, &ui));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0], "370: " + std::string(LoadResString(370)));
}

TEST(KernelApi, RealKernelBindsAndTheCommandLineWinsOverTheStringTable) {
  test::RecordingUi ui;
  KernelApi api;
  CommandLineOptions options;
  ASSERT_TRUE(BindKernel(QO_LIBRARY_PATH, {"/D:2", "/X:0"}, &options, &api, &ui));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(api.text_mode, 2);
  EXPECT_STREQ(api.QoVer(), "1.85.01");

  // Texts come out of the kernel in its mode and are shown in UTF-8.
  std::string utf8 = "Příliš žluťoučký kůň";
  for (int mode = 0; mode <= 5; ++mode) {
    api.SetDia(mode);
    std::string bytes = api.ToKernel(utf8);
    if (mode < 4) {
      EXPECT_EQ(api.FromKernel(bytes.c_str()), utf8) << mode;
    }
  }
  api.SetDia(4);
  EXPECT_EQ(api.ToKernel(utf8), "Prilis zlutoucky kun");
  api.SetDia(2);
  EXPECT_EQ(api.ToKernel("č"), "\xE8");
  EXPECT_EQ(api.FromKernel("\xB9"), "š");
  // The kernel is shared by every test of the process: back to its own mode.
  api.SetDia(3);
  EXPECT_EQ(api.FromKernel(nullptr), "");
  EXPECT_EQ(api.ToKernel("€ ∑"), "\x80 ?");
}

TEST(KernelApi, VersionsCompareByNumbers) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  };
  Case const cases[] = {{"1.85.01", "1.84", 1}, {"1.84", "1.84", 0},   {"1.5", "1.78", -1},
                        {"1.100", "1.84", 1},   {"1.84", "1.84.0", 0}, {"2", "1.99", 1},
                        {"", "1.78", -1}};
  for (Case const& c : cases) {
    int result = CompareVersions(c.a, c.b);
    EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.a << " vs " << c.b;
  }
}

}  // namespace
}  // namespace vemo
