#include "shell/profile.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "shell/kernel_test_support.h"

namespace vemo {
namespace {

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = getenv("XDG_CONFIG_HOME");
    if (old) saved_ = old;
    had_ = old != nullptr;
    setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
  }
  void TearDown() override {
    if (had_)
      setenv("XDG_CONFIG_HOME", saved_.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }
  test::TempDir dir_;
  std::string saved_;
  bool had_ = false;
};

TEST_F(ProfileTest, RoundTripThroughTheFile) {
  std::string path = Profile::DefaultPath();
  EXPECT_EQ(path, dir_.path() + "/Vorka/Qo.conf");
  {
    Profile profile(path);
    // Defaults before anything is stored, and nothing written by reading.
    EXPECT_EQ(profile.GetProfileIntIds(4057, 4046, 7), 7);
    EXPECT_EQ(profile.GetProfileStringIds(4014, 4013, "none"), "none");
    EXPECT_TRUE(profile.Flush());
    EXPECT_FALSE(std::filesystem::exists(path));

    EXPECT_TRUE(profile.WriteProfileIntIds(4057, 4046, 0));  // Global / Tooltips
    EXPECT_TRUE(profile.WriteProfileStringIds(4014, 4013, "2|1|-1|-1|0|0|10|20|810|620"));
    EXPECT_TRUE(profile.WriteProfileIntSecText("Presets\\1\\2\\3", 4003, 5));
    EXPECT_TRUE(profile.WriteProfileStringKeyText(4059, "1", "ff00ff"));
    EXPECT_TRUE(
        profile.WriteProfileStringSecText("Trains\\Window\\", 4013, "Příliš žluťoučký %d $HOME"));
    EXPECT_TRUE(profile.Flush());
  }
  ASSERT_TRUE(std::filesystem::exists(path));
  Profile again(path);
  EXPECT_EQ(again.GetProfileIntIds(4057, 4046, 1), 0);
  EXPECT_EQ(again.GetProfileStringIds(4014, 4013, ""), "2|1|-1|-1|0|0|10|20|810|620");
  EXPECT_EQ(again.GetInt("Presets\\1\\2\\3", "Priority", 0), 5);
  EXPECT_EQ(again.GetProfileStringKeyText(4059, "1", ""), "ff00ff");
  EXPECT_EQ(again.GetProfileStringSecText("Trains\\Window", 4013, ""), "Příliš žluťoučký %d $HOME");
  EXPECT_TRUE(again.ProfileKeyExists("Connection\\Window"));
  EXPECT_TRUE(again.ProfileKeyExists("Connection"));
  EXPECT_FALSE(again.ProfileKeyExists("Remarks"));
}

TEST_F(ProfileTest, KeysAndSubkeys) {
  Profile profile(Profile::DefaultPath());
  for (const char* name : {"2", "10", "9"})
    profile.WriteInt(std::string("Presets\\") + name, "x", 1);
  profile.WriteInt("Presets", "Count", 3);
  EXPECT_EQ(profile.GetGreatestSubkeyName("Presets"), "9");
  EXPECT_EQ(profile.GetGreatestSubkeyName("Missing"), "");
  EXPECT_EQ(profile.GetGreatestSubkeyName("Presets\\9"), "");

  // A key with subkeys stays, subkeys and values and all.
  EXPECT_FALSE(profile.DeleteProfileKey("Presets"));
  EXPECT_EQ(profile.GetInt("Presets\\10", "x", 0), 1);
  EXPECT_EQ(profile.GetInt("Presets", "Count", 0), 3);
  EXPECT_TRUE(profile.DeleteProfileKey("Presets\\10"));
  EXPECT_FALSE(profile.ProfileKeyExists("Presets\\10"));
  EXPECT_FALSE(profile.DeleteProfileKey("Presets\\10"));
  EXPECT_EQ(profile.GetGreatestSubkeyName("Presets"), "9");
}

TEST(WindowPlacement, TenNumbersOrNothing) {
  WindowPlacement placement{2, 1, -1, -1, -8, -8, 10, 20, 810, 620};
  std::string text = FormatPlacement(placement);
  EXPECT_EQ(text, "2|1|-1|-1|-8|-8|10|20|810|620");
  EXPECT_EQ(ParsePlacement(text), placement);
  for (const char* bad : {"", "1|2|3|4|5|6|7|8|9", "1|2|3|4|5|6|7|8|9|10|11", "1|2|3|4|5|6|7|8|9|x",
                          "1|2|3|4|5|6|7|8|9|10 ", "1||3|4|5|6|7|8|9|10"})
    EXPECT_EQ(ParsePlacement(bad), std::nullopt) << '"' << bad << '"';
}

}  // namespace
}  // namespace vemo
