// The towards test of a board lets an equal-named station stand for the
// other station; what counts as equal follows the names as shown, which a
// partner timetable can change by marking same-named towns with their
// region (bus timetables show it).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Qo.h"
#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

constexpr unsigned kAll = 0xFFFFFFFF;

class BoardEqualNames : public LoadingTest {
 protected:
  enum { kNovaVesTown, kPraha, kNovaVesHalt };
  // Bus: the town Nová Ves (an item of the town list), Praha, and a stop of
  // the same name outside the town; one trip Praha -> town.
  std::string Bus() {
    w::TimetableModel m = SmallModel(1, 2, 0, 0);
    m.regions = {"CZ-Kolín"};
    for (char const* name : {"Nová Ves", "Praha", "Nová Ves"})
      m.stations.push_back(
          {.name = {name}, .key = static_cast<int32_t>(m.stations.size() + 1), .region = 0});
    m.virtual_lists = {{.type = 1,
                        .name = {"Obce"},
                        .items = {{.stations = {kNovaVesTown}, .key = 500, .name = {"Nová Ves"}},
                                  {.stations = {kPraha}, .key = 600, .name = {"Praha"}}}}};
    m.trains = {{.stops = {{.station = kPraha, .departure = 480},
                           {.station = kNovaVesTown, .arrival = 500}}}};
    return dir_.Write("bus.qo", m);
  }
  // Rail: another Nová Ves (another key) in another region.
  std::string Rail() {
    w::TimetableModel m = SmallModel(2, 1, 0, 0);
    m.regions = {"CZ-Beroun"};
    m.stations = {{.name = {"Nová Ves"}, .key = 1, .region = 0},
                  {.name = {"Praha"}, .key = 2, .region = 0}};
    m.virtual_lists = {{.type = 1,
                        .name = {"Obce"},
                        .items = {{.stations = {0}, .key = 502, .name = {"Nová Ves"}},
                                  {.stations = {1}, .key = 600, .name = {"Praha"}}}}};
    return dir_.Write("rail.qo", m);
  }
  // The bus timetable's index in the loaded set.
  static int BusTimetable() {
    for (int i = 0; i < QoQoCount(); ++i)
      if (QoStCount(i) == 3) return i;
    return -1;
  }
  // The departures from Praha towards the halt: the trains and the station
  // each entry reports at +2.
  static std::vector<std::pair<int, int>> TowardsHalt() {
    int const from[] = {kPraha}, to[] = {kNovaVesHalt};
    ARRDEP_REC* r = nullptr;
    int n = QoArrDepExt(BusTimetable(), from, 1, to, 1, 1, kAll, kAll, &r);
    std::vector<std::pair<int, int>> out;
    for (int i = 0; i < n; ++i) out.emplace_back(r[i].train, r[i].other);
    return out;
  }
};

TEST_F(BoardEqualNames, FollowTheNamesAsTheyAreShownNow) {
  const std::vector<std::pair<int, int>> standsIn = {{0, kNovaVesTown}};
  ASSERT_EQ(Load({Bus()}), 1);
  EXPECT_EQ(TowardsHalt(), standsIn);

  // The partner marks the town "Nová Ves [Kolín]": no longer the stop's name.
  ASSERT_EQ(Load({Rail()}), 2);
  ASSERT_EQ(QoStType(BusTimetable(), kNovaVesTown) & 0x04, 0x04);
  EXPECT_TRUE(TowardsHalt().empty());

  QoCloseQo(1 - BusTimetable(), 1);
  EXPECT_EQ(TowardsHalt(), standsIn);
}

}  // namespace
}  // namespace qo::test
