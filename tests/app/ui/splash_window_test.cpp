#include "ui/splash_window.h"

#include <gtest/gtest.h>
#include <wx/image.h>

#include <fstream>

#include "ui/ui_test_support.h"
#include "ui/wx_text.h"

namespace vemo {
namespace {

void WriteBmp(std::string const& path, int width, int height) {
  wxImage image(width, height);
  image.SetRGB(wxRect(0, 0, width, height), 10, 80, 160);
  ASSERT_TRUE(image.SaveFile(U8(path), wxBITMAP_TYPE_BMP));
}

TEST(SplashWindow, PictureFileThenOwnPictureThenPlain) {
  test::TempDir dir;
  std::string program_dir = dir.path() + "/";
  // The splash file, its name matched without regard to case.
  WriteBmp(dir / "qoc.BMP", 300, 200);
  {
    SplashWindow splash(program_dir, 24);
    ASSERT_TRUE(splash.picture_mode());
    EXPECT_EQ(splash.GetClientSize(), wxSize(300, 200));
    splash.Show();
    splash.SetStatus("Zavedení knihovny Qo.dll ...");
    EXPECT_FALSE(splash.bar_shown());
    splash.ShowBar(true);
    EXPECT_TRUE(splash.bar_shown());
    splash.SetBarPosition(2000);
    EXPECT_EQ(splash.bar_position(), 1000);
    splash.SetBarPosition(-5);
    EXPECT_EQ(splash.bar_position(), 0);
    EXPECT_EQ(splash.line().bar.left, splash.line().text.right - 200);
  }
  // A damaged file, one larger than the screen (1280 x 1024 here): the
  // program's own picture instead.
  std::string const damaged = std::string("BM") + std::string(60, '\x7f');
  for (bool large : {false, true}) {
    std::filesystem::remove(dir / "qoc.BMP");
    if (large)
      WriteBmp(dir / "QoC.bmp", 1400, 300);
    else
      std::ofstream(dir / "QoC.bmp", std::ios::binary) << damaged;
    SplashWindow splash(program_dir, 24);
    EXPECT_TRUE(splash.picture_mode());
    EXPECT_EQ(splash.GetClientSize(), wxSize(500, 350)) << large;
  }
  // Few colours: the plain window with its own bar.
  SplashWindow plain(program_dir, 8);
  EXPECT_FALSE(plain.picture_mode());
  plain.Show();
  plain.ShowBar(true);
  plain.SetBarPosition(400);
  EXPECT_TRUE(plain.bar_shown());
  EXPECT_EQ(plain.bar_position(), 400);
}

}  // namespace
}  // namespace vemo
