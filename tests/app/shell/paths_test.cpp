#include "shell/paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>
#include <fstream>

#include "shell/kernel_test_support.h"
#include "shell/program_dates.h"

namespace vemo {
namespace {

TEST(Paths, NamesAndDirectories) {
  EXPECT_EQ(GetModuleDir(), SplitDriveDir(GetModuleFilePath()));
  EXPECT_EQ(GetModuleFilePath().substr(GetModuleDir().size()), "app_tests");
  EXPECT_EQ(SplitDriveDir("/a/b/c.qo"), "/a/b/");
  EXPECT_EQ(SplitDriveDir("c.qo"), "");
  EXPECT_EQ(GetFileTitlePart("/a/b.c/rail.qo"), "rail");
  EXPECT_EQ(GetFileTitlePart("/a/b.c/rail"), "rail");
  EXPECT_TRUE(IsDirectory("/"));
  EXPECT_FALSE(IsDirectory(GetModuleFilePath()));
  EXPECT_FALSE(IsRunningFromCd());
}

// Names written in upper case by the data's authors still find the file as
// it is spelled on disk.
TEST(Paths, LookupIgnoresCaseAndKeepsTheRealName) {
  test::TempDir dir;
  std::ofstream(dir / "Stanice_Praha.htm") << "x";
  std::filesystem::create_directory(dir / "C1_5");
  EXPECT_EQ(FindFileNoCase(dir.path(), "STANICE_PRAHA.HTM"), dir / "Stanice_Praha.htm");
  EXPECT_EQ(FindFileNoCase(dir.path(), "c1_5"), dir / "C1_5");
  EXPECT_EQ(FindFileNoCase(dir.path(), "missing.htm"), "");
  EXPECT_EQ(FindFileNoCase(dir / "none", "x"), "");
}

TEST(Paths, LatestFileDay) {
  test::TempDir dir;
  auto touch = [&](std::string const& name, int d, int m, int y) {
    std::ofstream(dir / name) << "x";
    std::tm local{};
    local.tm_mday = d, local.tm_mon = m - 1, local.tm_year = y - 1900, local.tm_hour = 12;
    local.tm_isdst = -1;
    utimbuf times{mktime(&local), mktime(&local)};
    utime((dir / name).c_str(), &times);
  };
  touch("a.qo", 1, 2, 2026);
  touch("b.qo", 5, 3, 2026);
  touch("c.txt", 1, 4, 2026);
  std::filesystem::create_directory(dir / "d.qo");
  int base = DmyToDayNumber(1, 1, 2026);
  EXPECT_EQ(LatestFileDay(base, dir / "*.qo"), DmyToDayNumber(5, 3, 2026));
  EXPECT_EQ(LatestFileDay(DmyToDayNumber(1, 5, 2026), dir / "*.qo"), DmyToDayNumber(1, 5, 2026));
  EXPECT_EQ(LatestFileDay(base, dir / "*.none"), base);
}

}  // namespace
}  // namespace vemo
