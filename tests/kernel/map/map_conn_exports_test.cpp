// The map exports over a found connection, with the handle of a real
// search: the connection's course, its map's extent and the town labels
// around it, and their errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Qo.h"
#include "frame/error_codes.h"
#include "kernel/load/rich_timetable.h"
#include "kernel/map/map_test_support.h"
#include "search/search_handle.h"
#include "search/search_params.h"

namespace qo::test {
namespace {

// Timetable a: stations 0..3 (keys 100..400), a train 0 -> 3, a map of id 5
// with points for stations 0, 1 and 3, and a town list of one item per
// station. Timetable b shares the map id; its town keyed like a's station 1
// is labelled once, its other one (key 1009) is its own.
class MapConnExports : public MapTest {
 protected:
  void SetUp() override {
    MapTest::SetUp();
    ResetConnParms(nullptr);
    w::TimetableModel a = MapModel(1, 4);
    a.format_version = 23;
    w::VirtList towns{.type = 1, .name = {"Obce"}};
    for (uint16_t s = 0; s < 4; ++s) {
      a.stations[s].type = s == 2 ? 0 : 0x10;
      towns.items.push_back(
          {.stations = {s}, .key = 1000 + s, .name = {"Town " + std::to_string(s)}});
    }
    a.virtual_lists = {towns};
    a.gis_town_items = {0, 1, 2, 3};
    w::GisModel mapA = Map(5, {{10, -10, 100}, {20, -20, 200}, {40, -40, 400}});
    mapA.map_names = {"Plzeň"};

    w::TimetableModel b = MapModel(2, 2);
    w::VirtList townsB{.type = 1, .name = {"Obce"}};
    townsB.items = {{.stations = {0}, .key = 1001, .name = {"Again 1"}},
                    {.stations = {1}, .key = 1009, .name = {"Other"}}};
    for (auto& s : b.stations) s.type = 0x10;
    b.virtual_lists = {townsB};
    b.gis_town_items = {0, 1};
    w::GisModel mapB = Map(5, {{30, -30, 100}, {35, -35, 200}});
    mapB.map_names = {"Západ"};

    w::TimetableModel c = MapModel(3, 2);  // no map, stations of its own
    c.stations[0].key = 900;
    c.stations[1].key = 901;
    ASSERT_EQ(Load({WriteWithMap("a", a, &mapA), WriteWithMap("b", b, &mapB),
                    WriteWithMap("c", c, nullptr)}),
              3);
    QoError();
  }
  void TearDown() override {
    CurrentSearchHandle() = SearchHandle{};
    MapTest::TearDown();
  }

  static w::GisModel Map(uint32_t id, std::vector<w::GisPoint> points) {
    w::GisModel gis;
    gis.map_id = id;
    gis.station_points = std::move(points);
    return gis;
  }

  // A search in timetable `timetable` from station `from` to `to`; the
  // number found.
  static int Search(int timetable, int from, int to) {
    int list = -1, count = 0;
    QoConnectionExt2(&from, &list, &timetable, nullptr, 1, &to, &list, &timetable, nullptr, 1,
                     nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0, 470, 10, 3, 2025,
                     1, 1, nullptr, &count, nullptr);
    return count;
  }

  struct Towns {
    int count;
    std::vector<std::string> names;
    std::vector<int> xs;
  };
  static Towns TownsIn(void* handle, int withConnection, unsigned mask = 0x10, int maxX = 100) {
    const unsigned* types = nullptr;
    const char* const* names = nullptr;
    const int *xs = nullptr, *ys = nullptr;
    Towns out{QoGetTownsGIS(handle, 0, 5, mask, withConnection, 0, maxX, -100, 0, &types, &names,
                            &xs, &ys),
              {},
              {}};
    for (int i = 0; i < out.count; ++i) {
      out.names.emplace_back(names[i]);
      out.xs.push_back(xs[i]);
      EXPECT_NE(types[i] & mask, 0u) << names[i];
    }
    return out;
  }
};

TEST_F(MapConnExports, CourseOfAFoundConnection) {
  ASSERT_GE(Search(0, 0, 3), 1);
  int maps = -1, legs = -1;
  const int *counts = nullptr, *slots = nullptr;
  const int* const* lists = nullptr;
  const unsigned* ids = nullptr;
  const char* const* names = nullptr;
  ASSERT_EQ(QoGetConnGIS(nullptr, 0, 'C', &maps, &legs, &counts, &slots, &lists, &ids, &names), 1);
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(maps, 1);
  EXPECT_EQ(legs, 1);
  ASSERT_EQ(counts[0], 3);  // station 2 has no point
  EXPECT_EQ(std::vector<int>(lists[0], lists[0] + 3), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(slots[0], 0);
  EXPECT_EQ(ids[0], 5u);
  EXPECT_EQ(std::string(names[0]), Cp("Plzeň"));

  int extent[4] = {1, 1, 1, 1};
  EXPECT_EQ(QoGetConnMapRange(nullptr, 0, 5, &extent[0], &extent[1], &extent[2], &extent[3]), 1);
  EXPECT_EQ(std::vector<int>(extent, extent + 4), (std::vector<int>{10, 40, -40, -10}));
  EXPECT_EQ(QoGetConnMapRange(nullptr, 0, 6, &extent[0], &extent[1], &extent[2], &extent[3]), 0);
  EXPECT_EQ(std::vector<int>(extent, extent + 4), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(QoError(), 0);
}

TEST_F(MapConnExports, RefusalsAndErrors) {
  // A connection in a timetable without a map: 0 and no error.
  ASSERT_GE(Search(2, 0, 1), 1);
  EXPECT_EQ(
      QoGetConnGIS(nullptr, 0, 'C', nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
      0);
  EXPECT_EQ(QoError(), 0);

  ASSERT_GE(Search(0, 0, 3), 1);
  int legs = -1;
  EXPECT_EQ(
      QoGetConnGIS(nullptr, 9, 'C', nullptr, &legs, nullptr, nullptr, nullptr, nullptr, nullptr),
      0);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);
  EXPECT_EQ(legs, -1);
  EXPECT_EQ(QoGetConnMapRange(nullptr, 9, 5, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);

  // A handle from before a reload.
  void* taken = QoGetConnHandle();
  QoCloseData();
  ASSERT_EQ(Load({dir_ / "a.qo"}), 1);
  QoError();
  EXPECT_EQ(
      QoGetConnGIS(taken, 0, 'C', nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
      0);
  EXPECT_EQ(QoError(), ErrConnListReleased);
  EXPECT_EQ(QoGetConnMapRange(taken, 0, 5, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(QoError(), ErrConnListReleased);
  EXPECT_EQ(TownsIn(taken, 1).count, 0);
  EXPECT_EQ(QoError(), ErrConnListReleased);
  // Without the connection the handle is not read.
  EXPECT_EQ(TownsIn(taken, 0).count, 3);
  EXPECT_EQ(QoError(), 0);
  QoSetConnHandle(&taken);
  QoError();
}

TEST_F(MapConnExports, TownLabels) {
  ASSERT_GE(Search(0, 0, 3), 1);
  struct Case {
    int withConnection;
    unsigned mask;
    int maxX;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      // Station 2 has no point; b's first town has a's key 1001.
      {0, 0x10, 100, {"Town 0", "Town 1", "Town 3", "Other"}},
      // The connection boards at town 0 and alights at town 3.
      {1, 0x10, 100, {"Town 1", "Other"}},
      // The rectangle's bound is included.
      {0, 0x10, 20, {"Town 0", "Town 1"}},
      {0, 0x01, 100, {}},
  };
  for (Case const& c : cases) {
    Towns towns = TownsIn(nullptr, c.withConnection, c.mask, c.maxX);
    EXPECT_EQ(towns.count, static_cast<int>(c.names.size()));
    EXPECT_EQ(towns.names, c.names) << c.withConnection << " " << c.mask << " " << c.maxX;
  }
  EXPECT_EQ(TownsIn(nullptr, 0).xs, (std::vector<int>{10, 20, 40, 35}));
}

}  // namespace
}  // namespace qo::test
