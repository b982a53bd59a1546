// A station's train events, the running test with its filter, type words
// at a station, train distances and the small station and train checks.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"
#include "trains/search_filter.h"
#include "trains/running_day.h"
#include "trains/station_events.h"
#include "trains/train_checks.h"
#include "trains/train_distances.h"
#include "trains/train_stops.h"
#include "trains/train_type.h"

namespace qo::test {
namespace {

std::vector<std::pair<int, uint32_t>> Events(StationEventList const& list) {
  std::vector<std::pair<int, uint32_t>> events;
  for (int32_t i = 0; i < list.count; ++i) events.emplace_back(list.At(i).minute, list.At(i).word);
  return events;
}

// The event of `train` in the station's list.
StationEvent EventOf(TimetableRecord& t, uint16_t station, uint32_t train) {
  StationEventList list = SelectStationEvents(t, station);
  for (int32_t i = 0; i < list.count; ++i)
    if (list.At(i).Train() == train) return list.At(i);
  ADD_FAILURE() << "train " << train << " does not call at station " << station;
  return {};
}

using TrainAccess = LoadingTest;

TEST_F(TrainAccess, EventListsLeftUnsortedAreSortedOnceOnFirstUse) {
  w::TimetableModel m = SmallModel(1, 1, 0, 3);
  m.trains = {{.stops = {Dep(0, 780), Arr(1, 800)}},
              {.stops = {Dep(2, 680), Pass(1, 700, 705), Arr(0, 720)}},
              {.stops = {Dep(1, 600), Arr(2, 620)}}};
  std::string stored = dir_.Write("stored.qo", m);
  std::string built = dir_.Write("built.qo", m, {.write_station_events = false});
  // 2: build the lists at load, sort each on first use.
  LoadLog::Reset([](int event, intptr_t) -> intptr_t { return event == 3 ? 2 : 0; });
  ASSERT_EQ(Load({stored, built}, LoadLog::Callback), 2);
  TimetableRecord& lazy = At(0).EventsBuilt ? At(0) : At(1);
  TimetableRecord& file = At(0).EventsBuilt ? At(1) : At(0);
  ASSERT_EQ(lazy.EventsSorted, std::vector<uint8_t>(3, 0));

  StationEventList list = SelectStationEvents(lazy, 1);
  EXPECT_EQ(Events(list), Events(SelectStationEvents(file, 1)));
  ASSERT_EQ(list.count, 4);
  EXPECT_EQ(list.At(0).minute, 600);
  EXPECT_TRUE(list.At(0).Departs());
  EXPECT_FALSE(list.At(0).Arrives());
  EXPECT_EQ(list.At(3).minute, 800);
  EXPECT_EQ(lazy.EventsSorted, (std::vector<uint8_t>{0, 1, 0}));

  // Disorder put in afterwards stays: the list is not sorted a second time.
  uint8_t* events = const_cast<uint8_t*>(list.data);
  std::swap_ranges(events, events + kStationEventBytes, events + 3 * kStationEventBytes);
  EXPECT_EQ(SelectStationEvents(lazy, 1).At(0).minute, 800);
}

// Train 0 runs on the fourth day of validity only and reaches station 2
// two days after it left; train 1 is a night express with beds; train 2
// starts as a stopping train and goes on as an express from station 1.
class RunningTest : public LoadingTest {
 protected:
  static constexpr uint32_t kBeds = 0x01000000;

  void SetUp() override {
    LoadingTest::SetUp();
    w::TimetableModel m = SmallModel(1, 1, 0, 3);
    m.train_types = {{.abbreviation = {"Os"}, .description = {"Osobní vlak"}},
                     {.abbreviation = {"R"}, .description = {"Rychlík"}}};
    m.calendars = {{.days = {static_cast<uint16_t>(m.first_day + 3)}}};
    m.trains = {
        {.stops = {Dep(0, 1320), Pass(1, 2000, 2001), Arr(2, 3000)}, .calendar = 0},
        {.stops = {Dep(0, 1300), Arr(2, 1900)}, .type = 1, .attributes = kBeds},
        {.stops = {Dep(0, 540), Pass(1, 610, 615), Arr(2, 660)},
         .attributes = kTypeChangesAlongRoute,
         .remarks = {{"Jede jen v pracovní dny."}, {"Kolín (odj. 10:15) vlak R 123"}}},
    };
    ASSERT_EQ(Load({dir_.Write("a.qo", m)}), 1);
  }
  TimetableRecord& t() { return At(0); }
};

TEST_F(RunningTest, EventsTestTheDayTheirTrainLeft) {
  StationEvent event = EventOf(t(), 2, 0);
  ASSERT_EQ(event.DayOffset(), 2);
  struct Case {
    int32_t dayOffset;  // the search day counted from the first day of validity
    int dayIndex;
    int runs;
    int calendarDay;
  };
  const Case cases[] = {
      {5, 0, 1, 3},     // the train left two days before the search day
      {4, 0, 0, 2},     // ... but not three days before
      {4, 1, 1, 3},     // the day after the search day
      {1, 0, 0, -1},    // it would have left before the validity began
      {400, 0, 0, -1},  // beyond the calendar
  };
  for (Case const& c : cases) {
    SearchFilter filter;
    filter.DayOffset = c.dayOffset;
    int day = 99;
    EXPECT_EQ(IsTrainRunningOnDay(filter, t(), c.dayIndex, event, 2, &day), c.runs)
        << c.dayOffset << " " << c.dayIndex;
    EXPECT_EQ(day, c.calendarDay) << c.dayOffset << " " << c.dayIndex;
  }
}

TEST_F(RunningTest, DayTypeWindowsReplaceTheCalendar) {
  StationEvent event = EventOf(t(), 2, 0);
  SearchFilter filter;
  filter.DayTypeMode = true;
  filter.DayOffset = kDayTypeWindowCentre;
  filter.DayTypeWindows[kDayTypeWindowCentre - 2] = {0x01};  // class 0, two days before
  int day = 99;
  EXPECT_EQ(IsTrainRunningOnDay(filter, t(), 0, event, 2, &day), 1);
  EXPECT_EQ(day, -1);
  EXPECT_EQ(IsTrainRunningOnDay(filter, t(), 1, event, 2, &day), 0);
  EXPECT_EQ(IsTrainRunningOnDay(filter, t(), -11, event, 2, &day), 0) << "before the windows";
  EXPECT_EQ(IsTrainRunningOnDay(filter, t(), 15, event, 2, &day), 0) << "after the windows";
}

TEST_F(RunningTest, TypeMasksAndRequiredAttributes) {
  const uint32_t os = 0x1, r = 0x2, inclusion = 0x18000000;
  struct Case {
    char const* name;
    uint32_t train;
    uint16_t station;
    uint32_t mask, required;
    bool waive;
    int runs;
  };
  const Case cases[] = {
      {"every type", 1, 0, 0xFFFFFFFF, 0, false, 1},
      {"not its type", 1, 0, os | inclusion, 0, false, 0},
      {"its type, but not its attribute", 1, 0, r | inclusion, 0, false, 0},
      {"its type and attribute", 1, 0, r | kBeds | inclusion, 0, false, 1},
      {"required beds", 1, 0, 0xFFFFFFFF, kBeds, false, 1},
      {"required beds it lacks", 2, 0, 0xFFFFFFFF, kBeds, false, 0},
      {"required beds waived", 2, 0, 0xFFFFFFFF, kBeds, true, 1},
      {"a stopping train where it starts", 2, 0, os | kTypeChangesAlongRoute, 0, false, 1},
      {"an express from where its remark says", 2, 1, os | kTypeChangesAlongRoute, 0, false, 0},
      {"an express to the end", 2, 2, r | kTypeChangesAlongRoute, 0, false, 1},
  };
  for (Case const& c : cases) {
    SearchFilter filter;
    filter.TypeMask = c.mask;
    filter.RequiredAttributes = c.required;
    filter.WaiveRequired = c.waive;
    EXPECT_EQ(
        IsTrainRunningOnDay(filter, t(), 0, EventOf(t(), c.station, c.train), c.station, nullptr),
        c.runs)
        << c.name;
  }
}

TEST_F(RunningTest, TypeWordAtAStation) {
  const uint32_t stored = 0x1 | kTypeChangesAlongRoute;
  EXPECT_EQ(GetTrainTypeWord(t(), 2, 0), stored);
  EXPECT_EQ(GetTrainTypeWord(t(), 2, 1), 0x2 | kTypeChangesAlongRoute);
  EXPECT_EQ(GetTrainTypeWord(t(), 2, 2), 0x2 | kTypeChangesAlongRoute);
  EXPECT_EQ(GetTrainTypeWord(t(), 1, 1), 0x2 | kBeds) << "no change along its route";
  int bit = -1, physical = 7;
  ASSERT_TRUE(FindTypeAtStop(t(), 2, 2, &bit, &physical));
  EXPECT_EQ(bit, 1);
  EXPECT_EQ(physical, -1);
  EXPECT_FALSE(FindTypeAtStop(t(), 2, 0, &bit, &physical));
}

TEST_F(TrainAccess, TrainDistances) {
  w::TimetableModel m = SmallModel(1, 1, 0, 4);
  m.arcs = {{0, 1, 1000}, {1, 2, 2000}, {2, 3, 500}, {1, 0, 1000}};
  auto withDistances = [](std::vector<w::Stop> stops, std::vector<int32_t> distances) {
    for (size_t i = 0; i < stops.size(); ++i) stops[i].distance = distances[i];
    return w::Train{.stops = stops};
  };
  m.trains = {
      withDistances({Dep(0, 600), Arr(1, 610), Arr(2, 630)}, {0, 1100, 3100}),
      withDistances({Dep(0, 700), Arr(1, 710), Arr(2, 730)}, {0, 1100, 3100}),  // stored once
      {.stops = {Dep(0, 800), Pass(1, 810, 812), Arr(2, 830), Arr(3, 840)}},    // summed arcs
      {.stops = {Dep(3, 900), Arr(0, 930)}},                                    // no arc 3 -> 0
  };
  m.distance_overrides = {{.train = 2, .from = 1, .to = 2, .length = 2500}};
  w::TimetableModel none = SmallModel(2, 1, 0, 2);
  ASSERT_EQ(Load({dir_.Write("a.qo", m), dir_.Write("b.qo", none)}), 2);
  TimetableRecord& t = At(0).TimetableId == 1 ? At(0) : At(1);
  TimetableRecord& without = At(0).TimetableId == 1 ? At(1) : At(0);

  auto list = [&](uint32_t train) {
    ImageArray<int32_t> out;
    std::vector<int32_t> values;
    if (!LoadTrainDistances(t, train, &out)) return std::vector<int32_t>{-1};
    for (int32_t i = 0; i < out.size(); ++i) values.push_back(out[i]);
    return values;
  };
  EXPECT_EQ(list(0), (std::vector<int32_t>{0, 1100, 3100}));
  EXPECT_EQ(list(1), (std::vector<int32_t>{0, 1100, 3100}));
  EXPECT_EQ(list(2), (std::vector<int32_t>{0, 1000, 1000, 3500, 4000}));
  EXPECT_EQ(list(3), (std::vector<int32_t>{-1}));
  ImageArray<int32_t> out;
  EXPECT_FALSE(LoadTrainDistances(without, 0, &out));

  EXPECT_EQ(ArcLength(t, 0, 0, 1), 1000);
  EXPECT_EQ(ArcLength(t, 1, 0, 1), 0);
  EXPECT_EQ(ArcLength(t, 1, 0, 2), 2000);
  EXPECT_EQ(ArcLength(t, 1, 2, 2), 2500) << "the train's own length";
  EXPECT_EQ(ArcLength(t, 3, 0, 0), -1);
  EXPECT_EQ(ArcLength(without, 0, 0, 1), -1);
}

TEST_F(TrainAccess, StationAndTrainChecks) {
  w::TimetableModel m = SmallModel(1, 1, 0, 4);
  m.stations[1].type = 0x0400;
  m.stations[2].type = 0x02;
  m.stations[3].type = 0x08;
  m.trains.push_back({.stops = {Dep(1, 700), Arr(3, 720)}});
  m.continuations = {{.train_a = 0, .station = 1, .train_b = 1}};
  m.virtual_lists = {{.type = 1, .name = {"Obce"}, .items = {{.stations = {0, 1}, .key = 7}}}};
  w::TimetableModel plain = SmallModel(2, 1, 0, 2);
  plain.stations[1].type = 0x02;
  ASSERT_EQ(Load({dir_.Write("a.qo", m), dir_.Write("b.qo", plain)}), 2);
  int const index = At(0).TimetableId == 1 ? 0 : 1;
  TimetableRecord& t = At(index);
  TimetableRecord& other = At(1 - index);

  EXPECT_EQ(CheckTrainContinuation(t, 1, 0, 1), 0);
  EXPECT_EQ(CheckTrainContinuation(t, 0, 1, 1), 1) << "the other way round";
  EXPECT_EQ(CheckTrainContinuation(t, 1, 0, 3), 1) << "at another station";

  EXPECT_TRUE(IsStationBarrierFree(t, 1));
  EXPECT_FALSE(IsStationBarrierFree(t, 0));
  EXPECT_FALSE(IsStationBarrierFree(other, 1));
  EXPECT_EQ((std::vector<bool>{IsDomesticStation(t, 0), IsDomesticStation(t, 1),
                               IsDomesticStation(t, 2), IsDomesticStation(t, 3)}),
            (std::vector<bool>{true, true, false, false}));

  struct Case {
    int timetable, list, item, error;
  };
  const Case cases[] = {
      {index, -1, 3, 0},
      {index, -1, 4, ErrStationIndex},
      {index, -1, -1, ErrStationIndex},
      {index, 0, 0, 0},
      {index, 0, 1, ErrObjectIndex},
      {index, 1, 0, ErrVirtListIndex},
      {2, -1, 0, ErrTimetableIndex},
      {-1, -1, 0, ErrTimetableIndex},
  };
  for (Case const& c : cases)
    EXPECT_EQ(CheckSearchPlace(c.timetable, c.list, c.item), c.error)
        << c.timetable << " " << c.list << " " << c.item;
}

}  // namespace
}  // namespace qo::test
