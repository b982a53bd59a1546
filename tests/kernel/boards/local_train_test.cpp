// The train a board shows: a local part stored as a train of its own
// stands in for the through train at the stops it covers.
#include <gtest/gtest.h>

#include "Qo.h"
#include "dates/clock.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

constexpr uint16_t D(int month, int day) { return w::DayNumberOf(2025, month, day); }

class LocalTrainTest : public LoadingTest {
 protected:
  enum Train { kThrough, kLocal, kOther, kWeekend };
  void SetUp() override {
    LoadingTest::SetUp();
    SetClockForTesting(D(6, 2), 600);
    w::TimetableModel m = SmallModel(1, 1, 0, 4);
    m.calendars = {{.days = {D(6, 7)}}};
    m.trains = {
        {.stops = {{.station = 0, .departure = 600},
                   {.station = 1, .arrival = 610, .departure = 611},
                   {.station = 2, .arrival = 620}},
         .number = "20"},
        // The part from station 1 on, under the same number.
        {.stops = {{.station = 1, .departure = 611}, {.station = 2, .arrival = 620}},
         .number = "20"},
        // Same minute, other number and no through type bit.
        {.stops = {{.station = 1, .departure = 611}, {.station = 2, .arrival = 620}},
         .number = "21"},
        // Same stops, runs only on 7 June.
        {.stops = {{.station = 1, .departure = 611}, {.station = 2, .arrival = 620}},
         .number = "20",
         .calendar = 0},
    };
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
    QoError();
  }
  void TearDown() override {
    ResetClockForTesting();
    LoadingTest::TearDown();
  }
};

TEST_F(LocalTrainTest, TheLocalPartOfTheSameNumberIsShown) {
  struct Case {
    char const* name;
    int train, station, day, departure, shown;
  };
  const Case cases[] = {
      {"local part at its first stop", kThrough, 1, 2, 1, kLocal},
      {"the last such part wins", kThrough, 1, 7, 1, kWeekend},
      {"no station", kThrough, -1, 2, 1, kThrough},
      {"not a stop of the parts' side", kThrough, 0, 2, 1, kThrough},
      {"arrivals: the part's stops up to 2 lie within the through train's", kThrough, 2, 2, 0,
       kLocal},
      {"the part itself has no other part", kLocal, 2, 2, 0, kLocal},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QoLocalTrain(0, c.train, c.station, c.day, 6, 2025, c.departure), c.shown) << c.name;
    EXPECT_EQ(QoError(), 0) << c.name;
  }
  EXPECT_EQ(QoLocalTrain(0, 9, 1, 2, 6, 2025, 1), -1);
  EXPECT_EQ(QoError(), ErrTrainIndex);
}

TEST_F(LocalTrainTest, ABoardHeldByTheCallerStaysAsItWas) {
  // Station 0's board is shorter than the boards of stations 1 and 2 that
  // the local train is looked up in: a replaced buffer would be freed.
  ARRDEP_REC* held = nullptr;
  ASSERT_EQ(QoArrDep(0, 0, -1, 1, 0xFFFFFFFF, 0xFFFFFFFF, &held), 1);
  EXPECT_EQ(QoLocalTrain(0, kThrough, 1, 2, 6, 2025, 1), kLocal);
  EXPECT_EQ(QoLocalTrain(0, kThrough, 2, 2, 6, 2025, 0), kLocal);
  EXPECT_EQ(held[0].train, kThrough);
  EXPECT_EQ(held[0].minute, 600);
}

}  // namespace
}  // namespace qo::test
