// The POSIX layer under the loader: listing, masks, full paths and the
// letter-case fallback.
#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

TEST(FileSystem, FullPathsAreJoinedAndNormalised) {
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  std::string here = cwd;
  if (here != "/") here += "/";
  struct Case {
    std::string given;
    std::string full;
  };
  const Case cases[] = {
      {"/a/b/../c/./d.qo", "/a/c/d.qo"},
      {"/a//b\\c.qo", "/a/b/c.qo"},
      {"/../x", "/x"},
      {"/a/b/", "/a/b/"},
      {"x.qo", here + "x.qo"},
      {".\\sub\\..\\x.qo", here + "x.qo"},
      {"", ""},
  };
  for (Case const& c : cases) EXPECT_EQ(FullPath(c.given), c.full) << c.given;
}

TEST(FileSystem, MasksIgnoreCaseAndSkipHiddenNames) {
  EXPECT_TRUE(MatchesMask("a.qo", "*.qo"));
  EXPECT_TRUE(MatchesMask("A.QO", "*.qo"));
  EXPECT_FALSE(MatchesMask("a.qop", "*.qo"));
  EXPECT_FALSE(MatchesMask(".a.qo", "*.qo"));
}

TEST(FileSystem, ListingIsSortedAndResolutionIgnoresCase) {
  TempDir dir;
  dir.Save("b.qo", {1});
  dir.Save("A.qo", {1});
  dir.Save(".h", {1});
  dir.MakeDirectory("Sub");
  dir.Save("Sub/Map.GIS", {1});

  std::vector<std::string> names;
  for (DirectoryEntry const& entry : ListDirectory(dir.path())) {
    names.push_back(entry.name);
    EXPECT_EQ(entry.directory, entry.name == "Sub");
    EXPECT_EQ(entry.regular, entry.name != "Sub");
    EXPECT_EQ(entry.hidden, entry.name == ".h");
  }
  EXPECT_EQ(names, (std::vector<std::string>{".h", "A.qo", "Sub", "b.qo"}));
  EXPECT_TRUE(ListDirectory(dir / "missing").empty());

  EXPECT_EQ(ResolveExistingPath(dir / "sub\\map.gis"), dir / "Sub/Map.GIS");
  EXPECT_EQ(ResolveExistingPath(dir / "SUB/MAP.GIS"), dir / "Sub/Map.GIS");
  EXPECT_EQ(ResolveExistingPath(dir / "sub\\other.gis"), dir / "sub/other.gis");
  EXPECT_TRUE(SamePathIgnoringCase("/D/X.QO", "/d/x.qo"));
  EXPECT_FALSE(SamePathIgnoringCase("/d/x.qo", "/d/x.qo2"));
  EXPECT_FALSE(IsOnRemoteFileSystem(dir.path()));
}

}  // namespace
}  // namespace qo::test
