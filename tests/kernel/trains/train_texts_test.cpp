// Train and type texts, the number tables as handed out, and the texts a
// train shows at a station: numbers of the station's region, numbers
// announced along the route, the type in force, and group variants.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Qo.h"
#include "core/byte_order.h"
#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

// Number, name and type of a train at a station, as one text.
std::string AtStation(int train, int station, int from = -1, int to = -1) {
  char const *number = nullptr, *name = nullptr, *type = nullptr;
  int bit = -1, physical = -1;
  if (!QoTrainStationInfoExt(0, 0, train, station, from, to, &number, &name, &type, &bit,
                             &physical))
    return "failed " + std::to_string(QoError());
  return std::string(type) + "|" + number + "|" + name + "|" + std::to_string(bit);
}

// Stations A, B, C, D in two regions; types Os and R in Czech and English.
w::TimetableModel TextsModel() {
  w::TimetableModel m = SmallModel(1, 1, 0, 4);
  m.languages = "CE";
  m.regions = {"*STC-Středočeský kraj", "PHA-Praha"};
  for (auto& s : m.stations) s.region = 1;
  m.stations[2].region = 0;
  m.train_types = {{.abbreviation = {"Os", "Ob"}, .description = {"Osobní vlak", "Passenger"}},
                   {.abbreviation = {"R"}, .description = {"Rychlík", ""}}};
  std::vector<w::Stop> route = {Dep(0, 480), Pass(1, 540, 545), Pass(2, 600, 610), Arr(3, 660)};
  m.trains = {
      // 0: runs as 1234, then as 1235 from B and as 1237 from C.
      {.stops = route,
       .number = "1234",
       .second_number = "Pendolino/1235/1237",
       .type = 1,
       .remarks = {{"Z B (odj. 9:05) jako 1235"}, {"Z C (odj.10:10) jako 1237"}}},
      // 1: numbered S5 in the region of station C.
      {.stops = route, .number = "5501", .second_number = "Regio"},
      // 2 and its group variant 3, which shows the texts of 2 at stations.
      {.stops = route, .number = "700", .second_number = "Alfa"},
      {.stops = route, .number = "700", .second_number = "Beta", .attributes = 0x10000000},
      // 4: a stopping train that goes on as a fast train from B.
      {.stops = route,
       .number = "IC 5",
       .attributes = 0x400000,
       .remarks = {{"Z B (odj. 9:05) vlak R dále"}}},
  };
  m.region_numbers = {{.first_train = 1, .last_train = 1, .region_code = "STC", .number = "S5"}};
  return m;
}

using TrainTexts = LoadingTest;

TEST_F(TrainTexts, StoredTextsInEveryLanguageAndTheNumberTables) {
  ASSERT_EQ(Load({dir_.Write("a.qo", TextsModel())}), 1);
  EXPECT_EQ(QoTrCount(0), 5);
  char const *number = nullptr, *name = nullptr, *type = nullptr;
  int bit = -1;
  QoTrainInfo(0, 1, 0, &number, &name, &type, &bit);
  EXPECT_STREQ(number, "1234");
  EXPECT_STREQ(name, "Pendolino/1235/1237");
  EXPECT_STREQ(type, "R");
  EXPECT_EQ(bit, 1);
  int physical = -1;
  QoTrainInfoExt(0, 1, 4, &number, &name, &type, &bit, &physical);
  EXPECT_STREQ(number, "IC 5");
  EXPECT_STREQ(name, "");
  EXPECT_STREQ(type, "Ob");
  EXPECT_EQ(bit, 0);
  EXPECT_EQ(physical, 0);  // without physical types: the type bit

  // Type texts fall back to language 0 where a language's text is empty.
  char const *abbreviation = nullptr, *description = nullptr;
  QoTrTypeInfo(0, 1, 1, &abbreviation, &description);
  EXPECT_STREQ(abbreviation, "R");
  EXPECT_STREQ(description, "Rychl\xEDk");
  QoTrTypeInfo(0, 1, 7, &abbreviation, &description);
  EXPECT_STREQ(abbreviation, "");
  EXPECT_EQ(QoTrTypeCount(0), 2);
  EXPECT_EQ(QoTrTypePhysCount(0), 2);  // the train types stand in
  QoTrTypePhysInfo(0, 1, 0, &abbreviation, &description);
  EXPECT_STREQ(description, "Passenger");

  // The tables point into the file data, which keeps no alignment.
  PACKEDNUMBERS_REC const *mainTable = nullptr, *secondTable = nullptr;
  ASSERT_EQ(QoTrainNums(0, &mainTable, &secondTable), 5);
  auto element = [](int const* array, int i) { return LoadLE<int32_t>(array + i); };
  EXPECT_EQ(element(mainTable->values, 0), 1234);
  int text = ~element(mainTable->values, 4);
  ASSERT_GE(text, 0);
  EXPECT_EQ(std::string(mainTable->text_chars + element(mainTable->text_offsets, text),
                        mainTable->text_chars + element(mainTable->text_offsets, text + 1)),
            "IC 5");
  EXPECT_EQ(std::string(mainTable->number_format, 2), "%d");
  EXPECT_EQ(std::string(mainTable->text_format, 2), "%s");
  EXPECT_NE(secondTable->values, nullptr);
  EXPECT_EQ(QoHaveNum2(0), 1);

  struct Case {
    int timetable, language, train, error;
  };
  for (Case c : {Case{1, 0, 0, 3}, Case{0, 2, 0, 5}, Case{0, -1, 0, 5}, Case{0, 0, 5, 6}}) {
    number = nullptr;
    QoTrainInfo(c.timetable, c.language, c.train, &number, nullptr, nullptr, nullptr);
    EXPECT_EQ(number, nullptr);
    EXPECT_EQ(QoError(), c.error) << c.timetable << " " << c.language << " " << c.train;
  }
}

TEST_F(TrainTexts, PhysicalTypesNameTheTrains) {
  w::TimetableModel m = TextsModel();
  m.physical_types = {{.abbreviation = {"Os"}, .description = {"Motorový vůz"}},
                      {.abbreviation = {"EC"}, .description = {"EuroCity"}, .type_bit = 1}};
  for (auto& train : m.trains) train.physical_type = 0;
  m.trains[0].physical_type = 1;
  ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  char const* type = nullptr;
  int bit = -1, physical = -1;
  QoTrainInfoExt(0, 0, 0, nullptr, nullptr, &type, &bit, &physical);
  EXPECT_STREQ(type, "EC");
  EXPECT_EQ(bit, 1);
  EXPECT_EQ(physical, 1);
  EXPECT_EQ(QoTrTypePhysCount(0), 2);
  char const* description = nullptr;
  QoTrTypePhysInfo(0, 1, 0, nullptr, &description);
  EXPECT_STREQ(description, "Motorov\xFD v\xF9z");
}

TEST_F(TrainTexts, AtStations) {
  ASSERT_EQ(Load({dir_.Write("a.qo", TextsModel())}), 1);
  struct Case {
    int train, station, from, to;
    std::string texts;
  };
  const Case cases[] = {
      // The number in force leaves the name; the main number goes in at its first '/'.
      {0, -1, -1, -1, "R|1234|Pendolino/1235/1237|1"},
      {0, 0, -1, -1, "R|1234|Pendolino/1235/1237|1"},
      {0, 1, -1, -1, "R|1235|Pendolino/1234/1237|1"},
      {0, 3, -1, -1, "R|1237|Pendolino/1234/1235|1"},
      // A journey's name lists the numbers it runs under besides the one shown.
      {0, 0, 0, 3, "R|1234|Pendolino/1235/1237|1"},
      {0, 2, 1, 2, "R|1237|Pendolino/1235|1"},
      {0, 1, 1, 2, "R|1235|Pendolino|1"},
      // Numbers of a region.
      {1, 2, -1, -1, "Os|S5|Regio|0"},
      {1, 1, -1, -1, "Os|5501|Regio|0"},
      // A group variant without remarks of its own shows the train before it.
      {3, 0, -1, -1, "Os|700|Alfa|0"},
      {3, -1, -1, -1, "Os|700|Beta|0"},
      // The type in force at the station.
      {4, 0, -1, -1, "Os|IC 5||0"},
      {4, 1, -1, -1, "R|IC 5||1"},
      {4, 3, -1, -1, "R|IC 5||1"},
  };
  for (Case const& c : cases)
    EXPECT_EQ(AtStation(c.train, c.station, c.from, c.to), c.texts)
        << c.train << " at " << c.station << " from " << c.from << " to " << c.to;

  EXPECT_EQ(AtStation(0, 4), "failed 4");
  EXPECT_EQ(AtStation(0, 0, 9, -1), "failed 4");
  // The type is looked up only when the caller asks for it.
  int bit = -1;
  ASSERT_EQ(QoTrainStationInfo(0, 0, 4, 3, nullptr, nullptr, nullptr, &bit), 1);
  EXPECT_EQ(bit, 0);
}

// The number formats come from the file and go to printf for every train:
// only one conversion of the right kind, a few characters wide, is taken.
TEST_F(TrainTexts, NumberFormatsFromTheFileAreRefusedUnlessHarmless) {
  w::WrittenFile file = w::WriteTimetable(TextsModel());
  size_t format = file.SectionOffset("MainNumbers") + 12;
  auto withFormat = [&](std::string const& text) {
    std::vector<uint8_t> bytes = file.bytes;
    for (size_t i = 0; i < 10; ++i) bytes[format + i] = i < text.size() ? text[i] : 0;
    w::Reseal(bytes);
    return dir_.Save("f.qo", bytes);
  };
  for (char const* bad : {"%n", "%s", "%d%d", "%99999999d", "%.999d", "%x%n"}) {
    EXPECT_EQ(Load({withFormat(bad)}), 0) << bad;
    EXPECT_EQ(QoError(), 2) << bad;
  }
  ASSERT_EQ(Load({withFormat("No %05d")}), 1);
  char const* number = nullptr;
  QoTrainInfo(0, 0, 0, &number, nullptr, nullptr, nullptr);
  EXPECT_STREQ(number, "No 01234");
}

}  // namespace
}  // namespace qo::test
