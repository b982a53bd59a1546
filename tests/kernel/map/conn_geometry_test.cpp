// The geometry of a found connection: per leg the station points of its
// train's stops, the map slots of legs that share a map, map ids and names,
// and the extent of a connection's map. The connection comes from a list
// built here, as the search's handle will give it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/error_codes.h"
#include "kernel/map/map_test_support.h"
#include "kernel/load/rich_timetable.h"
#include "map/conn_geometry.h"

namespace qo::test {
namespace {

class Connections : public ConnectionLegs {
 public:
  explicit Connections(std::vector<std::vector<MapLeg>> list, bool released = false)
      : list_(std::move(list)), released_(released) {}
  int Legs(int32_t index, std::vector<MapLeg>& legs) const override {
    if (released_) return ErrConnListReleased;
    if (index < 0 || static_cast<size_t>(index) >= list_.size()) return ErrIndexOutOfRange;
    legs = list_[static_cast<size_t>(index)];
    return 0;
  }

 private:
  std::vector<std::vector<MapLeg>> list_;
  bool released_;
};

// The model's train leaves station s at 480 + 10 s (+ 1 between the ends).
MapLeg Leg(int32_t timetable, int32_t from, int32_t to) {
  return {timetable, 0, from, to, 480 + 10 * from + (from > 0 ? 1 : 0), 480 + 10 * to};
}

w::GisModel Map(uint32_t id, std::vector<std::string> names, std::vector<w::GisPoint> points) {
  w::GisModel gis;
  gis.map_id = id;
  gis.letters = names.size() == 2 ? "CE" : "C";
  gis.map_names = std::move(names);
  gis.station_points = std::move(points);
  return gis;
}

class ConnGeometry : public MapTest {
 protected:
  void SetUp() override {
    MapTest::SetUp();
    // 0: map 5 without a point for its station 2; 1: map 5 too; 2: map 9;
    // 3: no map.
    w::GisModel a = Map(5, {"Plzeň", "Pilsen"}, {{1, -1, 100}, {2, -2, 200}, {4, -4, 400}});
    w::GisModel b = Map(5, {"Západ"}, {{10, -10, 100}, {20, -20, 200}});
    w::GisModel c = Map(9, {"Praha"}, {{-5, -50, 100}, {-6, -60, 200}});
    ASSERT_EQ(
        Load({WriteWithMap("a", MapModel(1, 4), &a), WriteWithMap("b", MapModel(2, 2), &b),
              WriteWithMap("c", MapModel(3, 2), &c), WriteWithMap("d", MapModel(4, 2), nullptr)}),
        4);
  }

  ConnGisResult Geometry(std::vector<MapLeg> legs, char language = 'C', int expected = 1) {
    Connections list({std::move(legs)});
    ConnGisResult out;
    int error = -1;
    EXPECT_EQ(ConnGis(list, 0, language, out, &error), expected);
    EXPECT_EQ(error, 0);
    return out;
  }
};

TEST_F(ConnGeometry, LegPointsFromBoardingToAlighting) {
  struct Case {
    MapLeg leg;
    std::vector<int32_t> points;
  };
  const Case cases[] = {
      {Leg(0, 0, 3), {0, 1, 2}},  // station 2 has no point
      {Leg(0, 1, 3), {1, 2}},
      {Leg(0, 0, 1), {0, 1}},
      // A departure the train does not have at the boarding station: nothing to walk.
      {{0, 0, 0, 3, 485, 510}, {}},
      // An arrival it does not have: the walk runs to the end of the route.
      {{0, 0, 0, 1, 480, 700}, {0, 1, 2}},
  };
  for (Case const& c : cases) {
    ConnGisResult out = Geometry({c.leg});
    EXPECT_EQ(out.LegCount, 1);
    EXPECT_EQ(out.Points[0], c.points) << c.leg.From << "-" << c.leg.To << " " << c.leg.Departure;
    EXPECT_EQ(out.PointCounts[0], static_cast<int32_t>(c.points.size()));
  }
}

TEST_F(ConnGeometry, SlotsIdsAndNames) {
  struct Case {
    std::vector<MapLeg> legs;
    char language;
    int maps;
    std::vector<int32_t> slots;
    std::vector<uint32_t> ids;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {{Leg(0, 0, 1)}, 'C', 1, {0}, {5}, {Cp("Plzeň")}},
      {{Leg(0, 0, 1)}, 'E', 1, {0}, {5}, {"Pilsen"}},
      {{Leg(0, 0, 1)}, 'G', 1, {0}, {5}, {Cp("Plzeň")}},  // no such language: the first
      // One map id in two timetables: one map, both names.
      {{Leg(0, 0, 1), Leg(1, 0, 1)}, 'C', 1, {0, 0}, {5}, {Cp("Plzeň, Západ")}},
      // A name already there is not repeated.
      {{Leg(0, 0, 1), Leg(1, 0, 1), Leg(0, 1, 3)}, 'C', 1, {0, 0, 0}, {5}, {Cp("Plzeň, Západ")}},
      // Slots by timetable order, whatever the order of the legs.
      {{Leg(0, 0, 1), Leg(2, 0, 1), Leg(1, 0, 1)},
       'C',
       2,
       {0, 1, 0},
       {5, 9},
       {Cp("Plzeň, Západ"), "Praha"}},
      {{Leg(2, 0, 1), Leg(0, 0, 1)}, 'C', 2, {1, 0}, {5, 9}, {Cp("Plzeň"), "Praha"}},
  };
  for (Case const& c : cases) {
    ConnGisResult out = Geometry(c.legs, c.language);
    SCOPED_TRACE(::testing::Message() << c.legs.size() << " legs, " << c.language);
    EXPECT_EQ(out.MapCount, c.maps);
    EXPECT_EQ(out.LegCount, static_cast<int32_t>(c.legs.size()));
    EXPECT_EQ(std::vector<int32_t>(out.Slots.begin(), out.Slots.begin() + c.legs.size()), c.slots);
    EXPECT_EQ(std::vector<uint32_t>(out.MapIds.begin(), out.MapIds.begin() + c.maps), c.ids);
    EXPECT_EQ(std::vector<std::string>(out.MapNames.begin(), out.MapNames.begin() + c.maps),
              c.names);
  }
}

TEST_F(ConnGeometry, RefusalsAndErrors) {
  // A leg without a map, or ending at a station without a point: 0, no error.
  Geometry({Leg(0, 0, 1), Leg(3, 0, 1)}, 'C', 0);
  Geometry({Leg(0, 0, 2)}, 'C', 0);
  Geometry({Leg(0, 2, 3)}, 'C', 0);
  Geometry({{0, 7, 0, 1, 480, 490}}, 'C', 0);  // no such train

  ConnGisResult out;
  out.LegCount = 77;
  int error = 0;
  EXPECT_EQ(ConnGis(Connections({{Leg(0, 0, 1)}}), 1, 'C', out, &error), 0);
  EXPECT_EQ(error, ErrIndexOutOfRange);
  EXPECT_EQ(ConnGis(Connections({{Leg(0, 0, 1)}}, true), 0, 'C', out, &error), 0);
  EXPECT_EQ(error, ErrConnListReleased);
  EXPECT_EQ(out.LegCount, 77);  // untouched

  // A second call replaces the first one's lists.
  out = Geometry({Leg(0, 0, 3), Leg(1, 0, 1)});
  out = Geometry({Leg(1, 0, 1)});
  EXPECT_EQ(out.LegCount, 1);
  EXPECT_TRUE(out.Points[1].empty());
}

TEST_F(ConnGeometry, MapRange) {
  Connections list({{Leg(3, 0, 1), Leg(2, 0, 1), Leg(0, 0, 1)}});
  std::array<int32_t, 4> extent{1, 1, 1, 1};
  int error = -1;
  EXPECT_EQ(ConnMapRange(list, 0, 9, extent, &error), 1);
  EXPECT_EQ(extent, (std::array<int32_t, 4>{-6, -5, -60, -50}));
  EXPECT_EQ(ConnMapRange(list, 0, 5, extent, &error), 1);
  EXPECT_EQ(extent, (std::array<int32_t, 4>{1, 4, -4, -1}));
  EXPECT_EQ(ConnMapRange(list, 0, 6, extent, &error), 0);
  EXPECT_EQ(extent, (std::array<int32_t, 4>{}));
  EXPECT_EQ(error, 0);
  EXPECT_EQ(ConnMapRange(list, 3, 5, extent, &error), 0);
  EXPECT_EQ(error, ErrIndexOutOfRange);
}

}  // namespace
}  // namespace qo::test
