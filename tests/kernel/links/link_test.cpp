// Walking links, links between timetables, the minutes of a change and the
// default change times, over three timetables: a rail timetable, a second
// rail timetable sharing one station key with it, and a city timetable that
// the rail timetable links to and whose stops name rail stations by merge
// keys.
#include <gtest/gtest.h>

#include <vector>

#include "Qo.h"
#include "core/byte_order.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

class LinkTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    w::TimetableModel rail = SmallModel(1, 1, 0, 4);  // keys 100..400
    rail.transfers = {{.from = 0, .to = 1, .minutes = 5, .barrier_free_minutes = 8},
                      {.from = 0, .to = 2, .minutes = -3},
                      {.from = 1, .to = 0, .minutes = 5},
                      {.from = 2, .to = 3, .minutes = 0},
                      {.from = 2, .to = 3, .minutes = 5}};
    // Links a change would take if the same-place rules did not come first.
    rail.links = {
        {.kind = 3,
         .area = 0,
         .entries = {{.station = 3, .other_key = 1001, .value = 4},
                     {.station = 1, .other_key = 1001, .value = 9}}},
        {.kind = 1, .area = 0, .entries = {{.station = 0, .other_key = 100, .value = 9}}}};
    for (int hour = 0; hour < 24; ++hour)
      rail.hourly_change_times.push_back(static_cast<int16_t>(2 * hour + 1));

    w::TimetableModel second = SmallModel(3, 1, 0, 3);
    second.stations[0].key = 100;  // the same place as rail station 0
    second.stations[1].key = 900;
    second.stations[2].key = 901;
    second.stations[1].change_time = 6;
    second.transfers = {{.from = 0, .to = 1, .minutes = 7}};

    w::TimetableModel city = SmallModel(2, 3, 0, 3);
    city.stations[0].key = 1001;
    city.stations[1].key = 1002;
    city.stations[2].key = 1003;
    city.transfers = {{.from = 0, .to = 1, .minutes = 2},
                      {.from = 0, .to = 2, .minutes = 3},
                      {.from = 2, .to = 1, .minutes = 0}};
    // City stop 1 stands for rail station 1 (key 200); stop 2 has no merge
    // key but shares the platform of stop 1.
    city.merge_kind = 1;
    city.stations[1].merge_key = 200;

    // Rail in another area: its station keyed 200 is not the one the city
    // stop's merge key names, and its own link to that stop counts.
    w::TimetableModel far = SmallModel(4, 1, 7, 1);
    far.stations[0].key = 200;
    far.links = {
        {.kind = 3, .area = 0, .entries = {{.station = 0, .other_key = 1002, .value = 6}}}};

    ASSERT_EQ(Load({dir_.Write("rail.qo", rail), dir_.Write("second.qo", second),
                    dir_.Write("city.qo", city), dir_.Write("far.qo", far)}),
              4);
    for (int i = 0; i < 4; ++i) {
      uint32_t id = At(i).TimetableId;
      (id == 1 ? rail_ : id == 3 ? second_ : id == 4 ? far_ : city_) = i;
    }
    QoError();
  }
  int rail_ = -1, second_ = -1, city_ = -1, far_ = -1;
};

// The stations are read in place from the image, which has no alignment.
std::vector<int> Stations(unsigned short const* stations, int n) {
  std::vector<int> out;
  for (int i = 0; i < n; ++i) out.push_back(LoadLE<uint16_t>(stations + i));
  return out;
}

TEST_F(LinkTest, WalkingLinksAsStored) {
  unsigned short const* targets = nullptr;
  signed char const* minutes = nullptr;
  ASSERT_EQ(QoInternLink(rail_, 0, &targets, &minutes), 2);
  EXPECT_EQ(Stations(targets, 2), (std::vector<int>{1, 2}));
  EXPECT_EQ(std::vector<int>(minutes, minutes + 2), (std::vector<int>{5, -3}))
      << "a switched-off link is still listed";
  ASSERT_EQ(QoInternLinkExt(rail_, 0, &targets, &minutes, 1), 2);
  EXPECT_EQ(std::vector<int>(minutes, minutes + 2), (std::vector<int>{8, -3}));
  ASSERT_EQ(QoInternLinkExt(second_, 0, &targets, &minutes, 1), 1);
  EXPECT_EQ(minutes[0], 7) << "no barrier-free minutes: the plain ones";
  EXPECT_EQ(QoInternLink(rail_, 3, &targets, &minutes), 0);
  EXPECT_EQ(targets, nullptr);
  EXPECT_EQ(QoInternLink(rail_, 4, &targets, &minutes), 0);
  EXPECT_EQ(QoError(), ErrStationIndex);
}

TEST_F(LinkTest, LinksToOtherTimetables) {
  int total = -1;
  EXPECT_EQ(QoExternLinkCount(rail_, &total), 3);
  EXPECT_EQ(total, 3);
  EXPECT_EQ(QoExternLinkCount(city_, &total), 3) << "links hold both ways";
  EXPECT_EQ(total, 0);
  EXPECT_EQ(QoExternLinkCount(second_, nullptr), 1);

  int const* timetables = nullptr;
  unsigned short const* stations = nullptr;
  signed char const* minutes = nullptr;
  ASSERT_EQ(QoExternLink(rail_, 3, &timetables, &stations, &minutes), 1);
  EXPECT_EQ(timetables[0], city_);
  EXPECT_EQ(stations[0], 0);
  EXPECT_EQ(minutes[0], 4);
  EXPECT_EQ(QoExternLink(rail_, 2, &timetables, &stations, &minutes), 0);
  EXPECT_EQ(timetables, nullptr);
  EXPECT_EQ(QoExternLink(4, 0, &timetables, &stations, &minutes), 0);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
}

TEST_F(LinkTest, MinutesOfAChange) {
  struct Case {
    char const* name;
    int timetableA, stationA, timetableB, stationB, barrierFree;
    int minutes;
  };
  const Case cases[] = {
      {"walking link", rail_, 0, rail_, 1, 0, 5},
      {"barrier-free walking link", rail_, 0, rail_, 1, 1, 8},
      {"a switched-off link counts as none", rail_, 0, rail_, 2, 0, 0},
      {"no link the other way", rail_, 2, rail_, 0, 0, 0},
      {"the same station", rail_, 1, rail_, 1, 0, 0},
      {"the same place in another timetable, no link needed", rail_, 0, second_, 0, 0, 0},
      {"a link between timetables", rail_, 3, city_, 0, 0, 4},
      {"... and back", city_, 0, rail_, 3, 0, 4},
      {"the stop in front of the station", rail_, 1, city_, 0, 0, 9},
      {"a city stop that names the rail station", rail_, 1, city_, 1, 0, 0},
      {"... either way round", city_, 1, rail_, 1, 0, 0},
      {"a stop on the same platform stands for it", rail_, 1, city_, 2, 0, 0},
      {"through the same place, then on foot", rail_, 0, second_, 1, 0, 7},
      {"through the linked stop, then on foot", rail_, 3, city_, 1, 0, 2},
      {"nothing links them", rail_, 2, second_, 2, 0, 0},
      {"the first of two links, though it is 0 minutes", rail_, 2, rail_, 3, 0, 0},
      {"a merge key names no station of another area", city_, 1, far_, 0, 0, 6},
  };
  for (Case const& c : cases) {
    EXPECT_EQ(QoGetLinkDistExt(c.timetableA, c.stationA, c.timetableB, c.stationB, c.barrierFree),
              c.minutes)
        << c.name;
  }
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(QoGetLinkDist(rail_, 0, rail_, 1), 5);
  EXPECT_EQ(QoGetLinkDist(rail_, 0, second_, 3), 0);
  EXPECT_EQ(QoError(), ErrStationIndex);
}

TEST_F(LinkTest, DefaultChangeTimes) {
  struct Case {
    int minute, hour;
  };
  // Hour h has 2h + 1 minutes.
  const Case cases[] = {{0, 0},    {59, 0},   {60, 1},   {1439, 23},  {1500, 1},     {-1, 23},
                        {-30, 23}, {-60, 23}, {-61, 22}, {-1441, 23}, {-144030, 23}, {-500000, 18}};
  for (Case const& c : cases)
    EXPECT_EQ(QoGetDefaultMinTimeExt(rail_, 0, c.minute), 2 * c.hour + 1) << c.minute;
  EXPECT_EQ(QoError(), 0);

  EXPECT_EQ(QoGetDefaultMinTime(rail_, 0), 0);
  EXPECT_EQ(QoError(), ErrNotSupported) << "no per-station times";
  EXPECT_EQ(QoGetDefaultMinTime(second_, 1), 6);
  EXPECT_EQ(QoGetDefaultMinTimeExt(second_, 1, -30), 6) << "the station's own time first";
  EXPECT_EQ(QoGetDefaultMinTimeExt(city_, 0, 600), 0);
  EXPECT_EQ(QoError(), ErrNotSupported);
  EXPECT_EQ(QoGetDefaultMinTimeExt(rail_, 9, 600), 0);
  EXPECT_EQ(QoError(), ErrStationIndex);
}

}  // namespace
}  // namespace qo::test
