// The GIS map of a timetable as the exports hand it out: extent, station
// points and keys, layers with names and objects, drawing styles, and the
// stations near a place.
#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>
#include <vector>

#include "Qo.h"
#include "frame/error_codes.h"
#include "kernel/map/map_test_support.h"

namespace qo::test {
namespace {

// Station keys 100..400; the table has points for 300 and 100 (written in
// that order, sorted by the writer), one for a key of no station, and the
// three layer arrays hold a far background point, a line and an area.
w::GisModel SampleMap() {
  w::GisModel gis;
  gis.map_id = 7;
  gis.letters = "CE";
  gis.map_names = {"Mapa", "Map"};
  gis.layer_names = {"Železnice", "Pozadí"};
  w::GisLayer background{.name = 1, .points = {{-900000, -900000, 0}}};
  w::GisLayer rail{.name = 0,
                   .pen_color = 0x00112233,
                   .pen_width = 3,
                   .pen_style = 2,
                   .brush_color = 0x00ABCDEF,
                   .brush_style = 2,
                   .brush_hatch = 4,
                   .face = "Arial",
                   .font_size = 10,
                   .charset = 0x1EE,
                   .lines = {{{-50, 10}, {40, 20}}},
                   .areas = {{{0, -30}, {100, 5}, {0, 5}}},
                   .labels = {{.x = 5, .y = 5, .text = "Beroun", .angle = 1}, {.x = 6, .y = 6}}};
  gis.layers[0] = {background};
  gis.layers[1] = {rail};
  gis.station_points = {{30, 80, 300}, {10, 60, 100}, {20, 70, 999}};
  return gis;
}

using GisMap = MapTest;

TEST_F(GisMap, ExtentAndStationPoints) {
  w::GisModel gis = SampleMap();
  ASSERT_EQ(Load({WriteWithMap("t", MapModel(1, 4), &gis)}), 1);
  EXPECT_EQ(QoExtMapAvail(0), 1);
  // Layer arrays 2 and 3 make the extent; the background point does not.
  EXPECT_EQ(At(0).Gis->Extent, (std::array<int32_t, 4>{-50, 100, -30, 80}));

  struct Case {
    int station;
    int x, y;
  };
  const Case stations[] = {{0, 10, 60}, {1, -1, -1}, {2, 30, 80},
                           {3, -1, -1}, {4, -1, -1}, {-1, -1, -1}};
  for (Case const& c : stations) {
    int x = 0, y = 0;
    QoExtMapGetStCoors(0, c.station, &x, &y);
    EXPECT_EQ(x, c.x) << c.station;
    EXPECT_EQ(y, c.y) << c.station;
  }
  EXPECT_EQ(QoError(), 0);

  // Keys are the stored keys: a key of no station still has its point, and
  // neither a station's index nor the -1 of an unmatched point is a key.
  const Case keys[] = {{100, 10, 60}, {999, 20, 70}, {300, 30, 80},
                       {2, -1, -1},   {-1, -1, -1},  {200, -1, -1}};
  for (Case const& c : keys) {
    int x = 0, y = 0;
    QoExtMapGetKeyCoors(0, c.station, &x, &y);
    EXPECT_EQ(x, c.x) << c.station;
    EXPECT_EQ(y, c.y) << c.station;
  }

  int x = 0, y = 0;
  QoExtMapGetStCoors(5, 0, &x, &y);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
  EXPECT_EQ(x, -1);
  QoExtMapGetKeyCoors(-1, 100, &x, &y);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
}

TEST_F(GisMap, WithoutMapTheAnswersAreEmpty) {
  ASSERT_EQ(Load({WriteWithMap("t", MapModel(1, 2), nullptr)}), 1);
  EXPECT_EQ(QoExtMapAvail(0), 0);
  int x = 0, y = 0;
  QoExtMapGetStCoors(0, 0, &x, &y);
  EXPECT_EQ(x, -1);
  const GISLAYER_REC* layers = nullptr;
  EXPECT_EQ(QoGetLayersGIS(0, &layers, nullptr, nullptr), 0);
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(QoGetLayersGIS(1, &layers, nullptr, nullptr), 0);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
}

int Count(const void* array) { return array ? static_cast<const int*>(array)[-1] : 0; }

TEST_F(GisMap, LayersAsCallersReceiveThem) {
  w::GisModel gis = SampleMap();
  ASSERT_EQ(Load({WriteWithMap("t", MapModel(1, 4), &gis)}), 1);
  const GISLAYER_REC *a1 = nullptr, *a2 = nullptr, *a3 = nullptr;
  ASSERT_EQ(QoGetLayersGIS(0, &a1, &a2, &a3), 1);
  ASSERT_EQ(Count(a1), 1);
  ASSERT_EQ(Count(a2), 1);
  ASSERT_EQ(Count(a3), 1);

  const GISLAYER_REC& rail = a2[0];
  EXPECT_EQ(rail.pen_width, 3);
  EXPECT_STREQ(rail.font_face, "Arial");
  EXPECT_EQ(rail.points, nullptr);
  ASSERT_EQ(Count(rail.lines), 1);
  ASSERT_EQ(Count(rail.lines[0]), 2);
  EXPECT_EQ(rail.lines[0][1].x, 40);
  ASSERT_EQ(Count(rail.areas), 1);
  EXPECT_EQ(Count(rail.areas[0]), 3);
  ASSERT_EQ(Count(rail.labels), 2);
  EXPECT_STREQ(rail.labels[0].text, "Beroun");
  EXPECT_EQ(rail.labels[1].text, nullptr);
  EXPECT_EQ(rail.labels[1].x, 6);

  // The station table shows the stations the loader matched by key.
  const GISPOINT_REC* table = a3[0].points;
  ASSERT_EQ(Count(table), 3);
  EXPECT_EQ(table[0].station, 0);   // key 100
  EXPECT_EQ(table[1].station, 2);   // key 300
  EXPECT_EQ(table[2].station, -1);  // key 999

  QoSetDia(4);  // without diacritics
  EXPECT_STREQ(QoGetLayerNameGIS(0, &rail), "Zeleznice");
  EXPECT_STREQ(QoGetLayerNameGIS(0, &a1[0]), "Pozadi");
  QoSetDia(3);
  EXPECT_STREQ(QoGetLayerNameGIS(0, &a3[0]), "");  // no name
  EXPECT_EQ(QoGetLayerNameGIS(2, &rail), nullptr);
  EXPECT_EQ(QoError(), ErrTimetableIndex);

  // The same records on every call.
  const GISLAYER_REC* again = nullptr;
  QoGetLayersGIS(0, nullptr, &again, nullptr);
  EXPECT_EQ(again, a2);
}

TEST_F(GisMap, PenBrushAndFont) {
  w::GisModel gis = SampleMap();
  ASSERT_EQ(Load({WriteWithMap("t", MapModel(1, 4), &gis)}), 1);
  const GISLAYER_REC* layers = nullptr;
  ASSERT_EQ(QoGetLayersGIS(0, nullptr, &layers, nullptr), 1);
  const GISLAYER_REC& rail = layers[0];

  GISPEN_REC pen = QoGetPenGIS(&rail);
  EXPECT_EQ(pen.style, 2);
  EXPECT_EQ(pen.width, 3);
  EXPECT_EQ(pen.color, 0x00112233u);

  struct BrushCase {
    unsigned key;
    unsigned color;
  };
  // The key matches in its low 24 bits whatever its high byte says.
  const BrushCase brushes[] = {
      {0x00ABCDEF, 0x00FF0000}, {0xFFABCDEF, 0x00FF0000}, {0x00ABCDEE, 0x00ABCDEF}};
  for (BrushCase const& c : brushes) {
    GISBRUSH_REC brush = QoGetBrushGIS(&rail, c.key, 0x00FF0000);
    EXPECT_EQ(brush.color, c.color) << std::hex << c.key;
    EXPECT_EQ(brush.style, 2);
    EXPECT_EQ(brush.hatch, 4);
  }

  struct FontCase {
    const GISLABEL_REC* label;
    int dpi;
    double scale;
    int height;
    int escapement;
  };
  const FontCase fonts[] = {
      {nullptr, 0, 1.0, 10, 0},           {nullptr, 96, 1.0, 13, 0},  // 13.33 rounded
      {nullptr, 96, 0.5, 6, 0},                                       // 13 * 0.5 truncated
      {nullptr, 120, 1.0, 17, 0},                                     // 16.67 rounded
      {&rail.labels[0], 0, 1.0, 10, 572},  // 1 rad = 572.96 tenths of a degree
      {&rail.labels[1], 0, 1.0, 10, 0},
  };
  for (FontCase const& c : fonts) {
    GISFONT_REC font = QoGetFontGISEx(&rail, c.label, c.dpi, c.scale);
    EXPECT_EQ(font.height, c.height) << c.dpi << " dpi, scale " << c.scale;
    EXPECT_EQ(font.escapement, c.escapement);
    EXPECT_EQ(font.orientation, c.escapement);
    EXPECT_EQ(font.charset, 0xEE);
    EXPECT_STREQ(font.face, "Arial");
  }
  EXPECT_EQ(QoGetFontGIS(&rail, nullptr, 96).height, 13);

  EXPECT_EQ(QoGetPenGIS(nullptr).width, 0);
  EXPECT_EQ(QoError(), ErrParameters);
}

struct Found {
  std::vector<int> timetables, stations;
  bool operator==(Found const&) const = default;
};

void PrintTo(Found const& f, std::ostream* os) {
  for (size_t i = 0; i < f.stations.size(); ++i)
    *os << f.timetables[i] << "/" << f.stations[i] << " ";
}

Found Circle(const int* selection, int x, int y, int minimum, int soft, int radius,
             int capacity = 10) {
  Found f;
  f.timetables.assign(static_cast<size_t>(capacity), -9);
  f.stations.assign(static_cast<size_t>(capacity), -9);
  int n = QoGetStationsInCircle(selection, x, y, minimum, soft, radius, f.timetables.data(),
                                f.stations.data(), capacity);
  f.timetables.resize(static_cast<size_t>(n));
  f.stations.resize(static_cast<size_t>(n));
  return f;
}

TEST_F(GisMap, StationsInCircle) {
  // Two timetables with points on a line below the origin: 0/0 at distance
  // 0, 0/1 at 100, 1/0 at 100, 0/2 at 300, 1/1 at 5000.
  w::GisModel first, second;
  first.station_points = {{0, -1000, 100}, {100, -1000, 200}, {0, -1300, 300}};
  second.station_points = {{0, -1100, 100}, {5000, -1000, 200}};
  ASSERT_EQ(
      Load({WriteWithMap("a", MapModel(1, 3), &first), WriteWithMap("b", MapModel(2, 2), &second)}),
      2);

  struct Case {
    const char* what;
    int minimum, soft, radius, capacity;
    Found found;
  };
  const Case cases[] = {
      {"the minimum count whatever the distance, then only those within the limit",
       3,
       0,
       0,
       10,
       {{0, 0, 1}, {0, 1, 0}}},
      {"the soft limit past the minimum", 1, 100, 0, 10, {{0, 0, 1}, {0, 1, 0}}},
      {"ties by timetable, then station", 0, 300, 0, 10, {{0, 0, 1, 0}, {0, 1, 0, 2}}},
      {"the radius as a hard limit", 10, 0, 299, 10, {{0, 0, 1}, {0, 1, 0}}},
      {"capacity", 10, 0, 0, 2, {{0, 0}, {0, 1}}},
      {"everything", 10, 0, 0, 10, {{0, 0, 1, 0, 1}, {0, 1, 0, 2, 1}}},
  };
  for (Case const& c : cases) {
    // The query's y counts as negative, so 1000 is the place of station 0/0.
    EXPECT_EQ(Circle(nullptr, 0, 1000, c.minimum, c.soft, c.radius, c.capacity), c.found) << c.what;
  }
  const int onlySecond[] = {0, 1};
  EXPECT_EQ(Circle(onlySecond, 0, -1000, 1, 0, 0), (Found{{1}, {0}}));
  EXPECT_EQ(Circle(nullptr, 0, -1000, 1, 0, 0, 0), Found{});
  EXPECT_EQ(QoGetStationsInCircle(nullptr, 0, 0, 1, 0, 0, nullptr, nullptr, 5), 0);
  EXPECT_EQ(QoError(), ErrParameters);
}

TEST_F(GisMap, DistancesBeyondThirtyTwoBits) {
  // Squares of these differences overflow 32 and even 64 bits when summed.
  w::GisModel gis;
  gis.station_points = {{INT_MAX, -1, 100}, {INT_MIN, INT_MIN, 200}, {46341, -46341, 300}};
  ASSERT_EQ(Load({WriteWithMap("t", MapModel(1, 3), &gis)}), 1);
  // From (0, 0): 65536.0004 for station 2, about 2^31 for station 0, and
  // 2^31 * sqrt 2 for station 1. The radius keeps the nearest only when
  // the distances are right.
  EXPECT_EQ(Circle(nullptr, 0, 0, 0, INT_MAX, 65536), (Found{{0}, {2}}));
  EXPECT_EQ(Circle(nullptr, 0, 0, 0, INT_MAX, INT_MAX), (Found{{0, 0}, {2, 0}}));
  EXPECT_EQ(Circle(nullptr, 0, 0, 3, 0, 0), (Found{{0, 0, 0}, {2, 0, 1}}));
  // The query's y of INT_MIN stays INT_MIN.
  EXPECT_EQ(Circle(nullptr, INT_MIN, INT_MIN, 1, 0, 0), (Found{{0}, {1}}));
}

}  // namespace
}  // namespace qo::test
