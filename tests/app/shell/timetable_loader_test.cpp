#include "shell/timetable_loader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "shell/kernel_test_support.h"
#include "shell/string_table.h"

namespace vemo {
namespace {

using test::Compile;
using test::SmallSource;

std::string Header(int id, const char* name, int variant,
                   const char* valid = "1.1.2026 31.12.2026") {
  return "id " + std::to_string(id) + "\nkind bus\narea 5\nvariant " + std::to_string(variant) +
         "\nvalid " + valid + "\nname \"" + name + "\"";
}

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::CloseAllTimetables();
    options_.today = DmyToDayNumber(1, 6, 2026);
  }
  void TearDown() override { test::CloseAllTimetables(); }

  bool Load(std::vector<std::string> files) {
    options_.timetable_files = std::move(files);
    TimetableLoader loader(&api_, &ui_, options_);
    return loader.LoadTimetables();
  }

  std::vector<std::string> LoadedNames() {
    std::vector<std::string> names;
    for (int i = 0; i < api_.QoQoCount(); ++i)
      names.push_back(api_.FromKernel(api_.QoQoInfo(i)->names[0]));
    std::sort(names.begin(), names.end());
    return names;
  }

  std::vector<std::string> Samples() {
    return {std::string(QO_SAMPLES_DIR) + "/rail.qo", std::string(QO_SAMPLES_DIR) + "/bus.qo",
            std::string(QO_SAMPLES_DIR) + "/city.qo"};
  }

  KernelApi& api_ = test::RealKernel();
  test::RecordingUi ui_;
  LoadOptions options_;
  test::TempDir dir_;
};

TEST_F(LoaderTest, SamplesLoadWithTheirStepsShown) {
  ASSERT_TRUE(Load(Samples()));
  EXPECT_EQ(api_.QoQoCount(), 3);
  EXPECT_TRUE(ui_.messages.empty());
  auto shown = [&](std::string const& text) {
    return std::find(ui_.splash.begin(), ui_.splash.end(), text) != ui_.splash.end();
  };
  EXPECT_TRUE(shown("Zavádím jízdní řád 'rail.qo' ..."));
  EXPECT_TRUE(shown("Kontrola integrity 'city.qo' ..."));
  EXPECT_TRUE(shown("Jízdní řád 'bus.qo' zaveden"));
  EXPECT_TRUE(shown("Propojuji jízdní řády ..."));
  EXPECT_EQ(ui_.splash.back(), "Jízdní řády jsou zavedeny.");
  EXPECT_GT(ui_.bar_shown, 0);
}

// The user says No to every question: the expired timetable and the
// contained ones stay out, whichever of a pair came first.
TEST_F(LoaderTest, ExpiredAndContainedTimetablesAreAskedAbout) {
  std::string old =
      Compile(dir_, "old", SmallSource(Header(2000, "Stará data", 1, "1.1.2020 31.12.2020")));
  std::string big = Compile(dir_, "big", SmallSource(Header(2001, "Velká", 3)));
  std::string small = Compile(dir_, "small", SmallSource(Header(2002, "Malá", 1)));
  std::string same = Compile(dir_, "same", SmallSource(Header(2003, "Stejná", 3)));
  std::string apart = Compile(dir_, "apart", SmallSource(Header(2004, "Jiná", 4)));

  std::vector<std::string> files = Samples();
  files.insert(files.end(), {old, big, same, apart, small});
  ASSERT_TRUE(Load(files));
  std::vector<std::string> expected = {
      "378? Jízdní řád 'Stará data' platí pouze do 31.12.2020.\nMá se přesto zavést ?  ",
      // Asked once for each of the two that hold it.
      "379? Jízdní řád 'Malá' je obsažen v jízdním řádu 'Velká'.\nMá se přesto zavést ?  ",
      "379? Jízdní řád 'Malá' je obsažen v jízdním řádu 'Stejná'.\nMá se přesto zavést ?  ",
  };
  EXPECT_EQ(ui_.messages, std::vector<std::string>(expected.begin(), expected.begin() + 2));
  EXPECT_EQ(api_.QoQoCount(), 6);
  std::vector<std::string> names = LoadedNames();
  EXPECT_EQ(std::count(names.begin(), names.end(), "Malá"), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), "Stará data"), 0);

  // The contained timetable first: it is closed once loading has ended,
  // and the timetables after it are intact.
  test::CloseAllTimetables();
  ui_ = {};
  ASSERT_TRUE(Load({small, apart, big}));
  EXPECT_EQ(ui_.messages, std::vector<std::string>{expected[1]});
  EXPECT_EQ(LoadedNames(), (std::vector<std::string>{"Jiná", "Velká"}));
  for (int i = 0; i < api_.QoQoCount(); ++i) EXPECT_EQ(api_.QoVerifyCrc(i, nullptr), 1);

  // Yes keeps both.
  test::CloseAllTimetables();
  ui_ = {};
  ui_.answers = {{378, true}, {379, true}};
  ASSERT_TRUE(Load({old, small, big}));
  EXPECT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(api_.QoQoCount(), 3);
}

TEST_F(LoaderTest, DamagedFilesAndSwitches) {
  std::string good = Compile(dir_, "good", SmallSource(Header(2010, "Dobrá", 1)));
  std::string damaged = Compile(dir_, "damaged", SmallSource(Header(2011, "Poškozená", 2)));
  {
    // The stored CRC-32 is the file's last four bytes.
    std::fstream file(damaged, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(-1, std::ios::end);
    file.put('\x5A');
  }
  ASSERT_TRUE(Load({good, damaged}));
  EXPECT_EQ(ui_.messages, std::vector<std::string>{
                              "376: Datový soubor 'damaged.qo' je poškozen a nebude se zavádět."});
  EXPECT_EQ(LoadedNames(), std::vector<std::string>{"Dobrá"});

  // "/C" checks nothing; "/P" loads without the progress bar.
  test::CloseAllTimetables();
  ui_ = {};
  options_.skip_integrity_check = true;
  options_.load_at_once = true;
  ASSERT_TRUE(Load({good, damaged}));
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(api_.QoQoCount(), 2);
  EXPECT_EQ(ui_.bar_shown, 0);
  EXPECT_EQ(std::count_if(ui_.splash.begin(), ui_.splash.end(),
                          [](std::string const& s) { return s.find("Kontrola") == 0; }),
            0);
}

TEST_F(LoaderTest, KernelErrorsAndNothingLoaded) {
  std::string good = Compile(dir_, "good", SmallSource(Header(2020, "Dobrá", 1)));
  ASSERT_TRUE(Load({dir_ / "missing.qo", good}));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].rfind("200: Při pokusu o zavedení", 0), 0u) << ui_.messages[0];
  EXPECT_NE(ui_.messages[0].find("Chyba 1: "), std::string::npos) << ui_.messages[0];
  EXPECT_EQ(api_.QoPeekError(), 0);
  EXPECT_EQ(api_.QoQoCount(), 1);

  test::CloseAllTimetables();
  ui_ = {};
  std::string old =
      Compile(dir_, "old", SmallSource(Header(2021, "Stará", 1, "1.1.2020 31.12.2020")));
  EXPECT_FALSE(Load({old}));
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[1], "10002: " + std::string(LoadResString(10002)));
}

// Without files on the command line the current directory is searched.
TEST_F(LoaderTest, Discovery) {
  std::string cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir_.path());

  EXPECT_FALSE(Load({}));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0], "10001: " + FormatResString(10001, {dir_.path()}));

  Compile(dir_, "one", SmallSource(Header(2030, "Jedna", 1)));
  ui_ = {};
  EXPECT_TRUE(Load({}));
  EXPECT_FALSE(ui_.asked_to_choose);
  EXPECT_EQ(LoadedNames(), std::vector<std::string>{"Jedna"});

  test::CloseAllTimetables();
  Compile(dir_, "two", SmallSource(Header(2031, "Dvě", 2)));
  ui_ = {};
  EXPECT_FALSE(Load({}));  // the choice is cancelled
  EXPECT_TRUE(ui_.asked_to_choose);
  ASSERT_EQ(ui_.offered.size(), 2u);
  EXPECT_EQ(api_.QoQoCount(), 0);

  ui_ = {};
  ui_.choice = std::vector<int>{};
  EXPECT_FALSE(Load({}));

  ui_ = {};
  ui_.choice = std::vector<int>{1};
  EXPECT_TRUE(Load({}));
  EXPECT_EQ(api_.QoQoCount(), 1);

  test::CloseAllTimetables();
  ui_ = {};
  options_.load_all_found = true;
  EXPECT_TRUE(Load({}));
  EXPECT_FALSE(ui_.asked_to_choose);
  EXPECT_EQ(LoadedNames(), (std::vector<std::string>{"Dvě", "Jedna"}));

  std::filesystem::current_path(cwd);
}

}  // namespace
}  // namespace vemo
