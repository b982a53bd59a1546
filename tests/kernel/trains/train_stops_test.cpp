// Decoding of trains' stops: pattern references against stored lists, the
// midnight bit, minutes past a day, and the day steps between stops.
#include "trains/train_stops.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

struct Word {
  int minute;
  uint16_t station;
  bool midnight;
  bool operator==(Word const&) const = default;
};

void PrintTo(Word const& w, std::ostream* os) {
  *os << w.minute << "@" << w.station << (w.midnight ? "+" : "");
}

std::vector<Word> Decoded(TimetableRecord& t, uint32_t train) {
  StopList stops = DecodeTrainStops(t, train);
  std::vector<Word> words;
  for (int32_t i = 0; i < stops.count; ++i)
    words.push_back({stops.Minute(i), stops.Station(i), (stops.Time(i) & kStopMidnightBit) != 0});
  return words;
}

using TrainStops = LoadingTest;

// Each train has a twin shifted in time, so that sharing turns one of the
// two into a reference to their common pattern.
TEST_F(TrainStops, PatternReferencesDecodeToTheTrainsOwnWords) {
  struct Case {
    char const* name;
    std::vector<w::Train> trains;
    std::vector<std::vector<Word>> expected;
  };
  const std::vector<Case> cases = {
      {"23:50 plus 15 minutes is 0:05 on the next day",
       {{.stops = {Dep(0, 1430), Arr(1, 1445)}}, {.stops = {Dep(0, 600), Arr(1, 615)}}},
       {{{1430, 0, false}, {5, 1, true}}, {{600, 0, false}, {615, 1, false}}}},
      {"an arrival at midnight at the last stop stays 1440",
       {{.stops = {Dep(0, 1400), Arr(1, 1440)}}, {.stops = {Dep(0, 600), Arr(1, 640)}}},
       {{{1400, 0, false}, {1440, 1, false}}, {{600, 0, false}, {640, 1, false}}}},
      {"midnight at a stop passed on the way is 0",
       {{.stops = {Dep(0, 1420), Pass(1, 1440, 1440), Arr(2, 1460)}},
        {.stops = {Dep(0, 600), Pass(1, 620, 620), Arr(2, 640)}}},
       {{{1420, 0, false}, {0, 1, true}, {20, 2, false}},
        {{600, 0, false}, {620, 1, false}, {640, 2, false}}}},
      {"two stops at the same minute",
       {{.stops = {Dep(0, 600), Pass(1, 600, 600), Arr(2, 610)}},
        {.stops = {Dep(0, 700), Pass(1, 700, 700), Arr(2, 710)}}},
       {{{600, 0, false}, {600, 1, false}, {610, 2, false}},
        {{700, 0, false}, {700, 1, false}, {710, 2, false}}}},
      {"an arrival at 48:00",
       {{.stops = {Dep(0, 1430), Pass(1, 1500, 1500), Arr(2, 2880)}},
        {.stops = {Dep(0, 10), Pass(1, 80, 80), Arr(2, 1460)}}},
       {{{1430, 0, false}, {60, 1, true}, {1440, 2, false}},
        {{10, 0, false}, {80, 1, false}, {20, 2, true}}}},
      {"a run into the third day",
       {{.stops = {Dep(0, 1430), Pass(1, 2030, 2031), Arr(2, 3230)}},
        {.stops = {Dep(0, 100), Pass(1, 700, 701), Arr(2, 1900)}}},
       {{{1430, 0, false}, {590, 1, true}, {591, 1, false}, {350, 2, true}},
        {{100, 0, false}, {700, 1, false}, {701, 1, false}, {460, 2, true}}}},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    Clear();
    w::TimetableModel m = SmallModel(1, 1, 0, 3);
    m.trains = c.trains;
    std::string own = dir_.Write("own.qo", m);
    std::string shared = dir_.Write(
        "shared.qo", m, {.share_stop_patterns = true, .share_patterns_over_a_day = true});
    ASSERT_EQ(Load({own, shared}), 2);
    TimetableRecord& a = At(0);
    TimetableRecord& b = At(1);
    ASSERT_TRUE(StopRange(b, 0).IsReference() && StopRange(b, 1).IsReference());
    for (uint32_t train = 0; train < 2; ++train) {
      EXPECT_EQ(Decoded(a, train), c.expected[train]) << "stored, train " << train;
      EXPECT_EQ(Decoded(b, train), c.expected[train]) << "shared, train " << train;
    }
  }
}

// Stops keep their flags through a reference and the list is the
// timetable's work buffer, overwritten by the next decoding.
TEST_F(TrainStops, FlagsSurviveAndTheWorkBufferIsReused) {
  w::TimetableModel m = SmallModel(1, 1, 0, 3);
  m.trains = {
      {.stops = {Dep(0, 600), {.station = 1, .arrival = 610, .flags = 0x4000}, Arr(2, 620)}},
      {.stops = {Dep(0, 700), {.station = 1, .arrival = 710, .flags = 0x4000}, Arr(2, 720)}}};
  ASSERT_EQ(Load({dir_.Write("a.qo", m, {.share_stop_patterns = true})}), 1);
  TimetableRecord& t = At(0);
  StopList first = DecodeTrainStops(t, 0);
  StopList second = DecodeTrainStops(t, 1);
  ASSERT_EQ(second.count, 3);
  EXPECT_EQ(second.Time(1), 0x4000 | 710);
  EXPECT_EQ(first.words, second.words) << "one work buffer per timetable";
  EXPECT_EQ(second.words, reinterpret_cast<uint8_t const*>(t.StopWorkBuffer.data()));
}

// The patterns that only the reduction modulo 1440 reads right are not
// shared by default, so that older readers get the same words.
TEST_F(TrainStops, RunsPastTheSecondMidnightAreSharedOnlyWhenAsked) {
  w::TimetableModel m = SmallModel(1, 1, 0, 3);
  m.trains = {{.stops = {Dep(0, 1430), Pass(1, 2030, 2031), Arr(2, 3230)}},
              {.stops = {Dep(0, 100), Pass(1, 700, 701), Arr(2, 1900)}}};
  ASSERT_EQ(Load({dir_.Write("a.qo", m, {.share_stop_patterns = true})}), 1);
  EXPECT_FALSE(StopRange(At(0), 0).IsReference());
}

TEST_F(TrainStops, DaySteps) {
  // Air stations in time zones ten hours behind and fifteen ahead.
  w::TimetableModel air = SmallModel(1, 4, 0, 3);
  air.stations[0].time_shift = -600;
  air.stations[1].time_shift = 900;
  air.trains = {{.stops = {Dep(0, 1380), Arr(1, 2940)}},  // lands two days later, local time
                {.stops = {Dep(2, 1380), Arr(0, 1470)}}};
  w::TimetableModel rail = SmallModel(2, 1, 0, 3);
  rail.trains = {{.stops = {Dep(0, 1430), Arr(1, 1445)}}};
  ASSERT_EQ(Load({dir_.Write("air.qo", air), dir_.Write("rail.qo", rail)}), 2);
  TimetableRecord& a = At(0).Kind == 4 ? At(0) : At(1);
  TimetableRecord& r = At(0).Kind == 4 ? At(1) : At(0);

  StopList flight = DecodeTrainStops(a, 0);
  EXPECT_EQ(flight.Minute(1), 60);
  EXPECT_EQ(GetStopDayStep(a, flight, 1), 2);
  StopList short_hop = DecodeTrainStops(a, 1);
  EXPECT_EQ(GetStopDayStep(a, short_hop, 1), 1);
  StopList night = DecodeTrainStops(r, 0);
  EXPECT_EQ(GetStopDayStep(r, night, 1), 1);
  EXPECT_EQ(GetStopDayStep(r, night, 0), 0);

  struct Case {
    uint16_t before, here;
    int step;
  };
  const Case cases[] = {
      {600, 610, 0},                      // no midnight bit
      {1430, 5 | kStopMidnightBit, 1},    // over midnight
      {100, 900 | kStopMidnightBit, -1},  // far later: a jump back across time zones
      {1380, 60 | kStopMidnightBit, 1},   // the rail timetable knows no two-day step
  };
  for (Case const& c : cases)
    EXPECT_EQ(GetStopDayStep(r, c.before, 0, c.here, 1), c.step) << c.here;
}

}  // namespace
}  // namespace qo::test
