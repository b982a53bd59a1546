#include "shell/information_target.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/kernel_lookups.h"
#include "shell/kernel_test_support.h"
#include "shell/program_dates.h"
#include "shell/timetable_loader.h"

namespace vemo {
namespace {

// A rail line A - B - C with a border point X before A (type 0x02, outside
// the network), a town over A and B, and trains of the types the railway's
// formation page knows and of one it does not.
constexpr const char* kSource = R"(id 4242
kind rail
area 0
valid 1.1.2026 31.12.2026
name "Trať"
languages C E
station X 900 "Hranice státu" type=0x03
station A 100 "Praha & Libeň"
station B 200 "Kolín"
station C 300 "Pardubice"
list TOWNS type=1 "Obce" "Towns"
  item key=554782 "Praha" A
  item key=533165 "Kolín" B
traintype R
traintype Os
traintype EC
train R 871
  A 8:00
  B 8:40
  C 9:20
train Os 3101
  A 9:00
  B 9:50
train EC 73 "Vindobona"
  X 6:00
  A 7:00
  B 7:35
)";

class InformationTargetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::CloseAllTimetables();
    std::string path = test::Compile(dir_, "trat", kSource);
    std::filesystem::create_directory(dir_ / "C1");
    std::ofstream(dir_ / "C1/S100.htm") << "Praha";
    std::ofstream(dir_ / "C1/C554782.htm") << "obec";
    LoadOptions options;
    options.timetable_files = {path};
    options.language_letter = 'C';
    options.today = DmyToDayNumber(1, 6, 2026);
    TimetableLoader loader(&api_, &ui_, options);
    ASSERT_TRUE(loader.LoadTimetables());
    TimetableSupport support;
    support.Init(0, path, "", api_.QoTrTypeCount(0), 'C', 1, 0, nullptr, &pages_);
    supports_.push_back(support);
  }
  void TearDown() override { test::CloseAllTimetables(); }

  int Station(int key) { return test::StationOfKey(api_, key); }
  int Train(std::string const& number) { return test::TrainOfNumber(api_, number); }

  KernelApi& api_ = test::RealKernel();
  test::RecordingUi ui_;
  test::TempDir dir_;
  InfoPages pages_;
  std::vector<TimetableSupport> supports_;
};

TEST_F(InformationTargetTest, TrainTitles) {
  EXPECT_EQ(FormatTrainTitle(api_, 0, 0, -1, -1), "");
  EXPECT_EQ(FormatTrainTitle(api_, 0, 0, Train("871"), Station(100)), "R 871");
  EXPECT_EQ(FormatTrainTitle(api_, 0, 0, Train("73"), -1), "EC 73 Vindobona");
}

TEST_F(InformationTargetTest, FormationPageOnlyForLongDistanceTrainsThatLeave) {
  struct Case {
    const char* train;
    int station;  // key; 0 for none
    bool offered;
  } const cases[] = {
      {"871", 100, true},    // R leaving its first stop
      {"871", 200, true},    // and a later one
      {"871", 300, false},   // its last stop: it leaves nowhere
      {"871", 0, true},      // no station: its first departure
      {"3101", 100, false},  // Os is no train of the railway's page
      {"73", 900, false},    // EC at a point outside the network
      {"73", 0, true},       // the point is passed over, A is not
      {"73", 100, true},
  };
  for (Case const& c : cases)
    EXPECT_EQ(HasTrainFormationPage(api_, 0, Train(c.train), c.station ? Station(c.station) : -1),
              c.offered)
        << c.train << " at " << c.station;
  EXPECT_EQ(api_.QoPeekError(), 0);
}

TEST_F(InformationTargetTest, ContextMenuItemsAndTheirTarget) {
  int a = Station(100), b = Station(200), r = Train("871");
  InfoPageItems items = PrepareInfoPages(api_, supports_, 0, r, a, 46000, 'C', true);
  EXPECT_TRUE(items.train_formation);
  EXPECT_EQ(items.train_title, "R 871");
  EXPECT_TRUE(items.station_page);
  EXPECT_EQ(items.station_name, "Praha & Libeň");
  EXPECT_TRUE(items.town_page);
  EXPECT_EQ(items.town_name, "Praha");
  EXPECT_EQ(items.target, (InformationTarget{0, r, a, 46000, 0, 0}));

  // No address known: no formation page, and the target keeps no train.
  items = PrepareInfoPages(api_, supports_, 0, r, a, 46000, 'C', false);
  EXPECT_FALSE(items.train_formation);
  EXPECT_EQ(items.target, (InformationTarget{0, -1, -1, 0, 0, 0}));

  // A station without pages, a slow train: nothing at all.
  items = PrepareInfoPages(api_, supports_, 0, Train("3101"), b, 0, 'C', true);
  EXPECT_FALSE(items.train_formation || items.station_page || items.town_page);
  EXPECT_EQ(items.target, (InformationTarget{0, -1, -1, 0, -1, -1}));
}

TEST_F(InformationTargetTest, FormationPageAddressAndTitle) {
  std::string address = TrainFormationAddress("razeni.example.org");
  EXPECT_EQ(address, "http://razeni.example.org/raz.aspx");
  EXPECT_EQ(TrainFormationAddress(""), "");
  InformationTarget target{0, Train("871"), Station(100), DmyToDayNumber(5, 3, 2026), -1, -1};
  BrowserPage page = TrainFormationPage(api_, address, target, 'C');
  EXPECT_EQ(page.url, address +
                          "?cmd=cmdSearch&src=2&s=Praha%20%26%20Libe%C5%88&t=871"
                          "&date=5.3.2026");
  EXPECT_EQ(page.title, "Řazení vlaku R 871 na odjezdu ze stanice Praha & Libeň dne 5.3.2026");
  EXPECT_EQ(page.placement_value_id, 4118);
  EXPECT_EQ(page.error_text, "Při pokusu o zobrazení řazení vlaku z aplikace na adrese " + address +
                                 " došlo k chybě.\n\nPrověřte dostupnost internetu.");

  // Without a date the page asks for none.
  target.date = 0;
  page = TrainFormationPage(api_, address, target, 'C');
  EXPECT_EQ(page.url.find("&date="), std::string::npos);
  EXPECT_EQ(page.title.find(" dne "), std::string::npos);
  // Without a train, a station or an address there is no page.
  for (InformationTarget none : {InformationTarget{0, -1, target.station}, InformationTarget{0, 0}})
    EXPECT_TRUE(TrainFormationPage(api_, address, none, 'C').url.empty());
  EXPECT_TRUE(TrainFormationPage(api_, "", target, 'C').url.empty());
}

TEST(InfoPageMenus, ExtraSeparators) {
  // separator, A, separator, separator, B, separator leaves A, separator, B.
  EXPECT_EQ(ExtraSeparators({true, false, true, true, false, true}), (std::vector<int>{5, 3, 0}));
  EXPECT_EQ(ExtraSeparators({false, true, true}), (std::vector<int>{2, 1}));
  EXPECT_TRUE(ExtraSeparators({false, true, false}).empty());
}

}  // namespace
}  // namespace vemo
