// Remarks of trains at stations, general remarks with their control parts
// and the rules that limit them to a journey, owners, lines, day remarks
// and description fields.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Qo.h"
#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

// "code:text" of each remark of the train at the station.
std::string StationRemarks(int train, int station) {
  std::string out;
  int count = QoTrStRemCount(0, train, station);
  for (int n = 0;; ++n) {
    char const *code = nullptr, *text = nullptr;
    if (!QoTrStRemExt(0, 0, train, station, n, &code, &text)) break;
    out += (n ? " " : "") + std::string(code) + ":" + text;
  }
  return std::to_string(count) + " " + out;
}

using StationRemarkTest = LoadingTest;

TEST_F(StationRemarkTest, RowsForOneTrainEveryTrainAndRanges) {
  w::TimetableModel m = SmallModel(1, 1, 0, 3);
  m.trains.assign(17, {.stops = {Dep(0, 480), Pass(1, 500, 501), Arr(2, 520)}});
  m.station_remarks = {
      {.train = 10, .last_train = 15, .station = 1, .code = "ABCD", .text = {"Range"}},
      {.train = -1, .station = 1, .code = "X", .text = {"All"}},
      {.train = 3, .station = 1, .code = "Y"},  // no text: not counted
      {.train = 3, .station = 2, .code = "Z", .text = {"Elsewhere"}},
  };
  ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  struct Case {
    int train, station;
    std::string remarks;
  };
  const Case cases[] = {
      {9, 1, "1 X:All"},
      {10, 1, "2 ABCD:Range X:All"},
      {12, 1, "2 ABCD:Range X:All"},  // the row that ends the range is not a remark of its own
      {15, 1, "2 ABCD:Range X:All"},
      {16, 1, "1 X:All"},
      {3, 1, "1 X:All"},
      {3, 2, "1 Z:Elsewhere"},
      {3, 0, "0 "},
  };
  for (Case const& c : cases)
    EXPECT_EQ(StationRemarks(c.train, c.station), c.remarks) << c.train << " at " << c.station;

  char const *code = nullptr, *text = nullptr;
  EXPECT_EQ(QoTrStRem(0, 0, 12, 1, &code, &text), 1);
  EXPECT_STREQ(code, "ABCD");
  EXPECT_EQ(QoTrStRemCount(0, 1, 3), 0);
  EXPECT_EQ(QoError(), 4);
  EXPECT_EQ(QoTrStRemExt(0, 1, 1, 1, 0, &code, &text), 0);
  EXPECT_EQ(QoError(), 5);
}

TEST_F(StationRemarkTest, ARangeRowWithoutItsEndIsRefusedAtLoad) {
  w::TimetableModel m = SmallModel(1, 1, 0, 2);
  m.station_remarks = {{.station = 1, .code = "A", .text = {"x"}},
                       {.train = 0, .station = 1, .code = "B", .text = {"y"}}};
  w::WrittenFile file = w::WriteTimetable(m);
  // The second row opens a range of trains 0.. whose end row is missing.
  size_t rows = file.ArrayOffset("TrainStationRemarks/rows") + 8;
  std::string path = dir_.Save("a.qo", w::PatchU32(file, rows + 12, 0x40000000));
  EXPECT_EQ(Load({path}), 0);
  EXPECT_EQ(QoError(), 2);
}

// Stations A, B, C, D keyed 100..400 in area 0 and E keyed 250000 in area 2;
// calendar class 0 runs on the tenth day of validity only.
class GeneralRemarks : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    w::TimetableModel m = SmallModel(1, 1, 0, 5);
    m.languages = "CE";
    m.stations[4].key = 250000;
    day10_ = m.first_day + 10;
    m.calendars = {{.days = {static_cast<uint16_t>(day10_)}}};
    m.owners = {{"{ON}CD Cargo{OD}Dopravce{OT}Praha"}, {"Plain owner"}};
    m.lines = {{"Linka 5", "Line 5"}};
    m.trains = {
        {.stops = {Dep(0, 480), Pass(1, 510, 511), Pass(2, 540, 541), Arr(3, 570)},
         .remarks = {{"Obyčejná", "Plain"},
                     {"${L}Linka 5"},
                     {"Úsek B-D¤¤¤F200¤T400"},
                     {"Ve dny třídy 0¤¤¤V0"},
                     {"Dopravce¤¤¤O0¤LA-B"},
                     {"Dopravce znovu¤¤¤O0¤LC-D"},
                     {"Jiný dopravce¤¤¤O1"},
                     {"Vůz (odj. 9:01) pokračuje"}},
         .line = 0,
         .owner = 1},
        {.stops = {Dep(0, 480), Pass(1, 510, 511), Arr(4, 600)},
         .remarks = {{"Přes pohraniční přechodový bod [E]"}},
         .owner = 1},
        {.stops = {Dep(0, 480), Arr(1, 510)}},
    };
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  }

  // The remark as it holds for the journey, "-" when it does not.
  static std::string Holds(int train, int i, int from, int to, int date = 0, int flags = 0) {
    int flag = -1;
    char const *code = nullptr, *control = nullptr;
    char const* text =
        QoTrRem1ProcessExt(0, 0, train, from, to, date, i, flags, &flag, &code, &control);
    return text ? text : "-";
  }

  int day10_ = 0;
};

TEST_F(GeneralRemarks, TextsFlagsAndCodes) {
  EXPECT_EQ(QoTrRem1Count(0, 0), 8);
  EXPECT_STREQ(QoTrRem1(0, 1, 0, 0), "Plain");
  EXPECT_STREQ(QoTrRem1(0, 0, 0, 1), "${L}Linka 5");
  EXPECT_STREQ(QoTrRem1(0, 0, 0, 2), "\xDAsek B-D");  // cut before the control part
  int flag = -1;
  char const* code = nullptr;
  EXPECT_STREQ(QoTrRem1Process(0, 0, 0, 1, &flag, &code), "Linka 5");
  EXPECT_EQ(flag, 1);
  EXPECT_STREQ(code, "L");
  EXPECT_STREQ(QoTrRem1Process(0, 0, 0, 0, &flag, &code),
               "Oby\xE8"
               "ejn\xE1");
  EXPECT_EQ(flag, 0);
  EXPECT_STREQ(code, "");
  EXPECT_EQ(QoHasLineRem(0), 1);

  char const* control = nullptr;
  ASSERT_NE(QoTrRem1ProcessExt(0, 0, 0, -1, -1, 0, 2, 0, &flag, &code, &control), nullptr);
  EXPECT_STREQ(control,
               "\xA4"
               "F200\xA4T400");

  EXPECT_EQ(QoTrRem1(0, 0, 0, 8), nullptr);
  EXPECT_EQ(QoError(), 20);
  EXPECT_EQ(QoTrRem1(0, 0, 3, 0), nullptr);
  EXPECT_EQ(QoError(), 6);
}

using GeneralRemarkCodes = LoadingTest;

// The three general-remark texts write bracketed codes out in the marker
// pairs the client set, as the day remarks do.
TEST_F(GeneralRemarkCodes, FollowTheMarkerPairs) {
  w::TimetableModel m = SmallModel(1, 1, 0, 2);
  m.service_codes.codes = {{.name = "WC", .short_text = "w", .description = {"Toaleta"}},
                           {.name = "BF", .description = {"Bez barier"}}};
  m.trains = {{.stops = {Dep(0, 480), Arr(1, 510)},
               .remarks = {{"Vlak [WC] a [BF], [XX]"}, {"${L}Jen [WC]"}}}};
  ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  struct Case {
    char const *open0, *close0, *open1, *close1;
    char const *plain, *processed;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, nullptr, "Vlak WC a BF, [XX]", "Jen WC"},
      {"<", ">", nullptr, nullptr, "Vlak <WC> a <BF>, [XX]", "Jen <WC>"},
      {"<", ">", "{", "}", "Vlak {w} a <BF>, [XX]", "Jen {w}"},
      {"", "", "{", "}", "Vlak {w} a BF, [XX]", "Jen {w}"},
  };
  for (Case const& c : cases) {
    QoFCMarks(c.open0, c.close0, c.open1, c.close1);
    int flag = -1;
    char const *code = nullptr, *control = nullptr;
    EXPECT_STREQ(QoTrRem1(0, 0, 0, 0), c.plain);
    EXPECT_STREQ(QoTrRem1Process(0, 0, 0, 1, &flag, &code), c.processed);
    EXPECT_STREQ(code, "L");
    EXPECT_STREQ(QoTrRem1ProcessExt(0, 0, 0, -1, -1, 0, 0, 0, &flag, &code, &control), c.plain);
  }
  QoFCMarks(nullptr, nullptr, nullptr, nullptr);
}

TEST_F(GeneralRemarks, SectionsDaysAndRailRulesAgainstJourneys) {
  int const A = 0, B = 1, C = 2, D = 3, E = 4, none = -1;
  int const day5 = day10_ - 5;
  struct Case {
    int train, remark, from, to, date;
    bool holds;
  };
  const Case cases[] = {
      // The section B-D shares a stretch with A-C and C-D, not with D- or A-B.
      {0, 2, A, C, 0, true},
      {0, 2, C, D, 0, true},
      {0, 2, none, C, 0, true},
      {0, 2, D, none, 0, false},
      {0, 2, A, B, 0, false},
      {0, 2, none, none, 0, true},
      // Class 0 runs on day 10 only.
      {0, 3, none, none, day10_, true},
      {0, 3, none, none, day5, false},
      {0, 3, A, D, 0, true},
      // "(odj. 9:01)" at C: for those aboard before C, until their journey ends.
      {0, 7, A, D, 0, true},
      {0, 7, none, D, 0, true},
      {0, 7, C, D, 0, false},
      {0, 7, B, C, 0, false},
      {0, 7, none, none, 0, true},
      // A border point: journeys through more than one area.
      {1, 0, A, E, 0, true},
      {1, 0, B, E, 0, true},
      {1, 0, A, B, 0, false},
  };
  for (Case const& c : cases)
    EXPECT_EQ(Holds(c.train, c.remark, c.from, c.to, c.date) != "-", c.holds)
        << "train " << c.train << " remark " << c.remark << " from " << c.from << " to " << c.to
        << " on " << c.date;

  // Owner remarks hold only when asked for, and then only they do.
  EXPECT_EQ(Holds(0, 4, none, none), "-");
  EXPECT_EQ(Holds(0, 4, none, none, 0, 1), "Dopravce");
  EXPECT_EQ(Holds(0, 0, none, none, 0, 1), "-");
  EXPECT_EQ(Holds(0, 2, 7, none), "-");
  EXPECT_EQ(QoError(), 4);
}

TEST_F(GeneralRemarks, OwnersLinesAndFields) {
  int const* owners = nullptr;
  char const* const* texts = nullptr;
  ASSERT_EQ(QoTrOwnerExt(0, 0, -1, -1, 0, &owners, &texts), 2);
  EXPECT_EQ(owners[0], 0);
  EXPECT_STREQ(texts[0], "A-B, C-D");
  EXPECT_EQ(owners[1], 1);
  EXPECT_EQ(texts[1], nullptr);
  // Without owner remarks the train's own owner; without that, none.
  ASSERT_EQ(QoTrOwnerExt(0, 1, -1, -1, 0, &owners, &texts), 1);
  EXPECT_EQ(owners[0], 1);
  EXPECT_EQ(texts[0], nullptr);
  EXPECT_EQ(QoTrOwnerExt(0, 2, -1, -1, 0, &owners, &texts), 0);
  EXPECT_EQ(owners, nullptr);

  EXPECT_EQ(QoGetOwnersCount(0), 2);
  EXPECT_EQ(QoTrOwner(0, 0), 1);
  EXPECT_EQ(QoTrOwner(0, 2), -1);
  EXPECT_STREQ(QoOwnerDesc(0, 0, 0), "{ON}CD Cargo{OD}Dopravce{OT}Praha");
  EXPECT_STREQ(QoOwnerDescProcess(0, 0, 0), "CD Cargo; Dopravce; Praha");
  EXPECT_STREQ(QoOwnerDescProcess(0, 1, 1), "Plain owner");
  EXPECT_EQ(QoGetLinesCount(0), 1);
  EXPECT_EQ(QoTrLine(0, 0), 0);
  EXPECT_EQ(QoTrLine(0, 1), -1);
  EXPECT_STREQ(QoLineDesc(0, 1, 0), "Line 5");
  EXPECT_STREQ(QoLineDesc(0, 1, 3), "");

  EXPECT_STREQ(QoGetField("OD", "{ON}CD{OD}Dopravce{OT}Praha"), "Dopravce");
  EXPECT_STREQ(QoGetField("OT", "{ON}CD{OD}Dopravce{OT}Praha"), "Praha");
  EXPECT_STREQ(QoGetField("ABCDEFGHIJ", "{ABCDEFGHIJ}ten"), "ten");
  EXPECT_EQ(QoGetField("ABCDEFGHIJK", "{ABCDEFGHIJK}eleven"), nullptr);
  EXPECT_EQ(QoGetField("OX", "{ON}CD"), nullptr);
  EXPECT_EQ(QoGetField(nullptr, "{ON}CD"), nullptr);
  EXPECT_EQ(QoGetField("ON", nullptr), nullptr);
  EXPECT_EQ(QoHasFields("{ON}CD"), 1);
  EXPECT_EQ(QoHasFields("{ON CD"), 0);
  EXPECT_EQ(QoHasFields(nullptr), 0);
}

using DayRemarks = LoadingTest;

TEST_F(DayRemarks, StoredPerCalendarClass) {
  w::TimetableModel m = SmallModel(1);
  m.languages = "CE";
  m.calendars = {{.days = {m.first_day, static_cast<uint16_t>(m.first_day + 1)},
                  .remarks = {{"jede v pracovní dny", "runs on working days"}, {"X"}}}};
  m.trains.push_back(m.trains[0]);
  m.trains[0].calendar = 0;
  ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  EXPECT_EQ(QoHaveRem2Txt(0), 1);
  EXPECT_EQ(QoTrRem2Count(0, 0), 2);
  EXPECT_EQ(QoTrRem2Count(0, 1), 0);  // runs every day
  EXPECT_STREQ(QoTrRem2(0, 1, 0, 0, 0, 0), "runs on working days");
  EXPECT_STREQ(QoTrRem2(0, 'E', 0, 0, 1, 0), "runs on working days (+1)");
  EXPECT_STREQ(QoTrRem2(0, 'C', 0, 1, -2, 0), "X (-2)");
  EXPECT_EQ(QoTrRem2(0, 2, 0, 0, 0, 0), nullptr);
  EXPECT_EQ(QoError(), 5);

  // Without stored texts.
  ASSERT_EQ(QoCloseQo(0, 1), 1);
  m.calendars[0].remarks.clear();
  ASSERT_EQ(Load({dir_.Write("b.qo", m)}), 1);
  EXPECT_EQ(QoHaveRem2Txt(0), 0);
  EXPECT_EQ(QoTrRem2Count(0, 1), 0);
}

}  // namespace
}  // namespace qo::test
