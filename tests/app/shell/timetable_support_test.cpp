#include "shell/timetable_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/kernel_test_support.h"
#include "shell/profile.h"

namespace vemo {
namespace {

void Write(std::string const& path, std::string const& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path) << text;
}

TEST(TimetableSupport, TrainTypeStrings) {
  struct Case {
    const char* text;
    TrainTypeResource expected;
  };
  Case const cases[] = {
      {"3|ff00|125", {3, 0xFF00, 125}}, {"0|ff", {0, 0xFF, 0}},        {"7", {7, 0xFFFFFFFF, 0}},
      {"", {0, 0xFFFFFFFF, 0}},         {"x|1|2", {0, 0xFFFFFFFF, 0}},
  };
  for (Case const& c : cases) EXPECT_EQ(ParseTrainTypeResource(c.text), c.expected) << c.text;
}

TEST(TimetableSupport, BundleColoursAndPages) {
  test::TempDir dir;
  Write(dir / "Rail.RES/MANIFEST.TXT",
        "# types\nicon 1 Timetable.png\nicon 2 missing.png\nicon 3 ../escape.png\n"
        "string 1000 3|ff00|125\nstring 1001 0|ff|0\nnonsense line here\n");
  Write(dir / "Rail.RES/timetable.PNG", "png");
  Write(dir / "escape.png", "png");
  Write(dir / "c2/default0.htm", "<html><body>no title</body></html>");
  Write(dir / "c2/Default1.HTM", "<HTML><TITLE>  Ceník \n</TITLE></HTML>");
  Write(dir / "c2/S123.HTM", "");
  Write(dir / "c2/s1234.htm", "");
  Write(dir / "c2/C554782.htm", "");
  Write(dir / "c2/other.htm", "");

  Profile profile(dir / "profile.conf");
  profile.WriteString("Colors", "3", "255");
  InfoPages pages;
  TimetableSupport support;
  support.Init(0, dir / "bus.qo", dir / "rail.res", 3, 'C', 2, 0, &profile, &pages);

  ASSERT_EQ(support.bundle().icons.size(), 1u);
  EXPECT_EQ(support.bundle().icons.at(1), dir / "Rail.RES/timetable.PNG");
  ASSERT_EQ(support.train_types().size(), 3u);
  EXPECT_EQ(support.train_types()[0], (TrainTypeResource{3, 0xFF00, 125}));
  EXPECT_EQ(support.Colour(0), 255u);  // the user's colour for slot 3
  EXPECT_EQ(support.Colour(1), 0xFFu);
  EXPECT_EQ(support.Colour(2), 0xFFFFFFFFu);

  EXPECT_EQ(support.info_folder(), dir / "c2/");
  EXPECT_EQ(pages.titles, (std::vector<std::string>{"default0", "Ceník"}));
  EXPECT_EQ(support.GetStationPagePath(support.FindStationPage(123)), dir / "c2/S123.HTM");
  EXPECT_EQ(support.FindStationPage(12), -1);
  EXPECT_EQ(support.GetStationPagePath(support.FindStationPage(1234)), dir / "c2/s1234.htm");
  EXPECT_EQ(support.GetTownPagePath(support.FindTownPage(554782)), dir / "c2/C554782.htm");
  EXPECT_EQ(support.FindTownPage(0), -1);

  // A second timetable with the same folder adds no page twice.
  TimetableSupport again;
  again.Init(1, dir / "bus2.qo", dir / "", 0, 'C', 2, 0, &profile, &pages);
  EXPECT_EQ(pages.paths.size(), 2u);
  EXPECT_TRUE(again.bundle().icons.empty());

  // Kind and area, then the file's name.
  Write(dir / "C1_5/x.htm", "");
  Write(dir / "Cmetro/default0.htm", "<title>Metro</title>");
  TimetableSupport area, named, none;
  area.Init(2, dir / "r.qo", "", 0, 'C', 1, 5, nullptr, &pages);
  EXPECT_EQ(area.info_folder(), dir / "C1_5/");
  named.Init(3, dir / "metro.qo", "", 0, 'C', 3, 0, nullptr, &pages);
  EXPECT_EQ(named.info_folder(), dir / "Cmetro/");
  EXPECT_EQ(pages.titles.back(), "Metro");
  none.Init(4, dir / "air.qo", "", 0, 'C', 4, 0, nullptr, &pages);
  EXPECT_EQ(none.info_folder(), "");
  EXPECT_EQ(none.FindStationPage(123), -1);
}

}  // namespace
}  // namespace vemo
