// The train search by number text, the search by number, owner and date,
// and the marking of trains that run on no further day.
#include "trains/train_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Qo.h"
#include "core/byte_order.h"
#include "dates/clock.h"
#include "kernel/loading/loading_test_support.h"
#include "load/timetable_record.h"

namespace qo::test {
namespace {

w::Train Numbered(std::string number, std::string second = {}, int type = 0) {
  return {.stops = {Dep(0, 480), Arr(1, 540)},
          .number = std::move(number),
          .second_number = std::move(second),
          .type = type};
}

w::TimetableModel SearchModel(uint8_t kind) {
  w::TimetableModel m = SmallModel(1, kind);
  m.train_types.push_back({.abbreviation = {"R"}});
  m.trains = {Numbered("312"),
              Numbered("12"),
              Numbered("123", {}, 1),
              Numbered("1200"),
              Numbered("4500", "12 Expres"),
              Numbered("Žst 7")};
  return m;
}

// Every position the search stops at, searching on from each one found.
std::vector<int> Hits(char const* text, int fold = 1, int mask = -1, int const* list = nullptr,
                      int count = 0) {
  std::vector<int> hits;
  for (int at = QoSearchTrain(0, 0, text, fold, mask, list, count); at >= 0;
       at = QoSearchTrain(0, at + 1, text, fold, mask, list, count))
    hits.push_back(at);
  return hits;
}

using TrainSearch = LoadingTest;

TEST_F(TrainSearch, NumbersBeginningWithTheText) {
  ASSERT_EQ(Load({dir_.Write("a.qo", SearchModel(1))}), 1);
  EXPECT_EQ(Hits("12"), (std::vector<int>{1, 2, 3, 4}));  // 4 by its rail second number
  EXPECT_EQ(Hits(" 12 "), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(Hits("0012"), (std::vector<int>{1}));  // by the number it names
  EXPECT_EQ(Hits("31"), (std::vector<int>{0}));
  EXPECT_EQ(Hits("12", 1, 0x1), (std::vector<int>{1, 3, 4}));  // type R is masked out
  EXPECT_EQ(QoSearchTrain(0, -5, "312", 1, -1, nullptr, 0), 0);

  // Diacritics: ignored when the text has none, kept when it is typed with them.
  EXPECT_EQ(Hits("zst"), (std::vector<int>{5}));
  EXPECT_EQ(Hits("\x8Est"), (std::vector<int>{5}));
  EXPECT_EQ(Hits("Zst", 0), (std::vector<int>{}));
  QoSetDia(4);  // a mode without diacritics folds them away in any case
  EXPECT_EQ(Hits("\x8Est"), (std::vector<int>{5}));
  QoSetDia(3);

  // Within a list the position in the list is found.
  int const list[] = {3, 0, 1};
  EXPECT_EQ(Hits("12", 1, -1, list, 3), (std::vector<int>{0, 2}));
  int const bad[] = {1, 99};
  EXPECT_EQ(QoSearchTrain(0, 1, "12", 1, -1, bad, 2), -1);
  EXPECT_EQ(QoError(), 6);
  EXPECT_EQ(QoSearchTrain(1, 0, "12", 1, -1, nullptr, 0), -1);
  EXPECT_EQ(QoError(), 3);
}

TEST_F(TrainSearch, SecondNumbersCountInRailTimetablesOnly) {
  ASSERT_EQ(Load({dir_.Write("a.qo", SearchModel(2))}), 1);
  EXPECT_EQ(Hits("12"), (std::vector<int>{1, 2, 3}));
}

TEST_F(TrainSearch, ExactNumbers) {
  ASSERT_EQ(Load({dir_.Write("a.qo", SearchModel(1))}), 1);
  TrainSearchText text;
  qo::TrainSearch search;
  search.Start = 2;
  search.Exact = true;
  int error = 0;
  PrepareTrainSearchText("12 expres", true, text);
  EXPECT_EQ(FindTrain(At(0), text, search, &error), 4);
  PrepareTrainSearchText("12 expre", true, text);
  EXPECT_EQ(FindTrain(At(0), text, search, &error), -1);
  search.Exact = false;
  EXPECT_EQ(FindTrain(At(0), text, search, &error), 4);
}

// Train 0 runs on the second day of validity only, train 1 on day 300 only,
// train 2 every day.
class InvalidTrains : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    w::TimetableModel m = SmallModel(1);
    first_ = m.first_day;
    m.calendars = {{.days = {static_cast<uint16_t>(first_ + 1)}},
                   {.days = {static_cast<uint16_t>(first_ + 300)}}};
    m.trains = {Numbered("1"), Numbered("2"), Numbered("3")};
    m.trains[0].calendar = 0;
    m.trains[1].calendar = 1;
    last_ = m.last_day;
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  }
  void TearDown() override {
    ResetClockForTesting();
    LoadingTest::TearDown();
  }

  static std::vector<int> Marked() {
    std::vector<int> marked;
    for (int t = 0; t < QoTrCount(0); ++t)
      if (QoTrType(0, t) & 0x20000000) marked.push_back(t);
    return marked;
  }

  int first_ = 0, last_ = 0;
};

TEST_F(InvalidTrains, MarksWhatRunsNoFurtherInAWorkingCopy) {
  EXPECT_EQ(QoSetInvalid(0, first_ + 100), 1);
  EXPECT_EQ(Marked(), (std::vector<int>{0}));
  unsigned int const* words = QoTrTypes(0);
  ASSERT_NE(words, nullptr);
  EXPECT_EQ(LoadLE<uint32_t>(words) & 0x20000000, 0x20000000u);
  // The file's data stay as read.
  EXPECT_EQ(QoVerifyCrc(0, nullptr), 1);

  EXPECT_EQ(QoSetInvalid(0, last_ + 1), 3);  // after the validity: every train
  EXPECT_EQ(Marked(), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(QoSetInvalid(0, 1), 0);  // before it: from its first day
  EXPECT_EQ(Marked(), (std::vector<int>{}));

  SetClockForTesting(static_cast<DayNumber>(first_ + 301), 0);
  EXPECT_EQ(QoSetInvalid(0, 0), 2);
  EXPECT_EQ(Marked(), (std::vector<int>{0, 1}));
  EXPECT_EQ(QoVerifyCrc(0, nullptr), 1);
}

// Trains numbered 800 of two owners; the second owner's 800 has a variant
// for day 10; train 3 runs as 900 and from B as 801.
TEST_F(TrainSearch, CurrentTrainByNumberOwnerAndDate) {
  w::TimetableModel m = SmallModel(1, 1, 0, 3);
  m.owners = {{"{ON}CD Cargo{OF}Praha"}, {"{ON}RegioJet"}};
  m.stations[2].type = 0x02;
  uint16_t day10 = static_cast<uint16_t>(m.first_day + 10);
  m.calendars = {{.days = {day10}}};
  std::vector<w::Stop> route = {Dep(0, 480), Pass(1, 540, 545), Arr(2, 600)};
  m.trains = {
      {.stops = route, .number = "800", .owner = 1},
      {.stops = route, .number = "800", .owner = 0},
      {.stops = route, .number = "800", .attributes = 0x10000000, .calendar = 0, .owner = 0},
      {.stops = route,
       .number = "900",
       .second_number = "Hutník/801",
       .remarks = {{"Z B (odj. 9:05) jako 801"}},
       .owner = 0},
  };
  ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  struct Case {
    int number;
    char const* owner;
    int date;
    int train;
  };
  int const day5 = m.first_day + 5;
  const Case cases[] = {
      {800, "RegioJet", day5, 0}, {800, "Cargo", day5, 1},
      {800, "Cargo", day10, 2},  // its variant runs that day
      {801, "Cargo", day5, 3},   // named by the second number, shown from B
      {800, "Nobody", day5, -1},  {800, "Cargo", m.last_day + 1, -1},
      {0, "Cargo", day5, -1},
  };
  for (Case const& c : cases)
    EXPECT_EQ(QoSearchCurrentTrain(0, c.number, c.owner, -1, c.date, 0), c.train)
        << c.number << " " << c.owner << " " << c.date;
}

}  // namespace
}  // namespace qo::test
