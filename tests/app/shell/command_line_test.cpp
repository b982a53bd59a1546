#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vemo {
namespace {

class RecordingSwitches : public KernelSwitches {
 public:
  std::vector<std::string> calls;
  void SetDiaFromDigit(char digit) override { calls.push_back(std::string("dia ") + digit); }
  void SkipExtension(int type) override { calls.push_back("skip " + std::to_string(type)); }
  void SetExtactInclusion(int value) override {
    calls.push_back("extact " + std::to_string(value));
  }
};

// Both passes, as start-up runs them.
CommandLineOptions ParseBoth(std::vector<std::string> const& args, RecordingSwitches* kernel) {
  CommandLineOptions options;
  ParseArgs(args, 0, &options, nullptr);
  ParseArgs(args, 1, &options, kernel);
  return options;
}

TEST(CommandLine, FirstWindowKind) {
  struct Case {
    const char* arg;
    int kind;
  };
  Case const cases[] = {{"-w:a", 1}, {"/W:A", 1}, {"/W:t", 2},   {"/w:Zx", 3},
                        {"/W:C", 0}, {"/W:", 0},  {"/W:\\x", 0}, {"/W:/", 0}};
  for (Case const& c : cases) {
    RecordingSwitches kernel;
    EXPECT_EQ(ParseBoth({c.arg}, &kernel).first_window_kind, c.kind) << c.arg;
  }
}

TEST(CommandLine, FilesAndProgramSwitches) {
  RecordingSwitches kernel;
  CommandLineOptions options =
      ParseBoth({"rail.qo", "ALL", "/all", "-c", "/PX", "/I", "/1", "/M:b", "/", "-"}, &kernel);
  EXPECT_EQ(options.timetable_files, (std::vector<std::string>{"rail.qo", "ALL"}));
  EXPECT_TRUE(options.load_all_found);
  EXPECT_TRUE(options.skip_integrity_check);
  EXPECT_TRUE(options.load_at_once);
  EXPECT_FALSE(options.menu_icons);
  EXPECT_TRUE(options.direct_connections_default);
  EXPECT_FALSE(options.map_buffered);
  EXPECT_FALSE(options.help_requested);
  EXPECT_TRUE(kernel.calls.empty());

  // An absolute path is a file, not a switch.
  CommandLineOptions paths;
  ParseArgs({"/", "/etc/hostname", "/nonexistent/c.qo"}, 0, &paths, nullptr);
  EXPECT_EQ(paths.timetable_files, std::vector<std::string>{"/etc/hostname"});

  CommandLineOptions help;
  ParseArgs({"/?"}, 0, &help, nullptr);
  EXPECT_TRUE(help.help_requested);
  // "/MAP" is no switch at all.
  RecordingSwitches none;
  EXPECT_TRUE(ParseBoth({"/MAP", "/Q"}, &none).map_buffered);
}

TEST(CommandLine, KernelSwitchesActInPassOneOnly) {
  CommandLineOptions options;
  RecordingSwitches kernel;
  std::vector<std::string> args = {"/D:2", "/d:9", "/X:3", "/X:abc", "/o"};
  ParseArgs(args, 0, &options, &kernel);
  EXPECT_TRUE(kernel.calls.empty());
  ParseArgs(args, 1, &options, &kernel);
  EXPECT_EQ(kernel.calls,
            (std::vector<std::string>{"dia 2", "dia 9", "skip 3", "skip 0", "extact -1"}));
}

TEST(CommandLine, TextsAndMarkedItems) {
  RecordingSwitches kernel;
  CommandLineOptions options = ParseBoth({"/U:HTTP://Example.COM/Nabidka", "/z:Praha hl.n.",
                                          "/2:1F,Brno", "/2:0,Zero", "/2:7", "/2:zz,Nothing"},
                                         &kernel);
  EXPECT_EQ(options.update_offer_address, "http://example.com/nabidka");
  EXPECT_EQ(options.required_from_to, "PRAHA HL.N.");
  // Both passes read the pair; it is kept once.
  EXPECT_EQ(options.marked_items, (std::vector<MarkedItem>{{0x1F, "BRNO"}}));
}

}  // namespace
}  // namespace vemo
