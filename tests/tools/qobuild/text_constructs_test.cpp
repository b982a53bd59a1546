// The text format's constructs for the less common parts of a timetable:
// each is compiled, loaded by the kernel and read back, and must say what
// the source says.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "Qo.h"
#include "kernel/loading/loading_test_support.h"
#include "qobuild/text_source.h"

namespace qo::test {
namespace {

using textsource::ParseTimetableSource;
using textsource::SourceError;
using textsource::WriteCompiledSource;

constexpr char kHeader[] =
    "id 7\n"
    "kind city\n"
    "languages C E\n"
    "name \"Město\" \"Town\"\n"
    "valid 14.12.2025 12.12.2026\n"
    "station A 11 \"Alfa\"\n"
    "station B 12 \"Beta\"\n"
    "station C 13 \"Gama\"\n"
    "traintype Bus\n";

class TextConstructs : public LoadingTest {
 protected:
  // Compiles header + body, loads it as the only timetable and returns it.
  TimetableRecord& Compile(std::string const& body) {
    textsource::CompiledFiles files =
        WriteCompiledSource(ParseTimetableSource(kHeader + body, "t.txt"));
    std::string path = dir_.Save("t.qo", files.timetable.bytes);
    EXPECT_EQ(Load({path}), 1) << QoPeekError();
    return At(0);
  }
  static std::string ErrorOf(std::string const& body) {
    try {
      WriteCompiledSource(ParseTimetableSource(kHeader + body, "t.txt"));
    } catch (SourceError const& e) {
      return e.what();
    }
    return "(no error)";
  }
};

struct Validity {
  int32_t key, flags, first, last;
  uint8_t weekdays;
  bool operator==(Validity const&) const = default;
};

TEST_F(TextConstructs, LineValidityRecords) {
  // Given out of order: the file holds them by line key and first day, and
  // the trains keep naming the records they named.
  TimetableRecord& t = Compile(
      "validity summer line=9 from=1.7.2026 until=31.8.2026 days=Mo-Fr\n"
      "validity base line=9 from=14.12.2025 days=Mo-Fr,Su second-kind\n"
      "validity detour line=4 from=1.3.2026 until=2.3.2026 substitute\n"
      "train Bus 9\n"
      "  every 30 until 9:00\n"
      "  validity base summer\n"
      "  A 8:00\n"
      "  B 8:10\n"
      "train Bus 4\n"
      "  validity detour\n"
      "  B 9:00\n"
      "  C 9:10\n"
      "train Bus 5\n"
      "  C 10:00\n"
      "  A 10:10\n");
  std::vector<Validity> records;
  for (int32_t i = 0; i < t.LineValidity.size(); ++i) {
    auto const& r = t.LineValidity;
    records.push_back({r.Field<int32_t>(i, 0), r.Field<int32_t>(i, 4), r.Field<int32_t>(i, 8),
                       r.Field<int32_t>(i, 12), r.Field<uint8_t>(i, 16)});
  }
  EXPECT_EQ(records,
            (std::vector<Validity>{
                {4, INT32_MIN, w::DayNumberOf(2026, 3, 1), w::DayNumberOf(2026, 3, 2), 0x7F},
                {9, 0, w::DayNumberOf(2025, 12, 14), 0, 0x80 | 0x5F},
                {9, 0, w::DayNumberOf(2026, 7, 1), w::DayNumberOf(2026, 8, 31), 0x1F}}));
  std::vector<std::vector<int>> perTrain;
  for (int32_t train = 0; train + 1 < t.LineValidityOffsets.size(); ++train) {
    std::vector<int> list;
    for (int32_t i = t.LineValidityOffsets[train]; i < t.LineValidityOffsets[train + 1]; ++i)
      list.push_back(t.LineValidityIndexes[i]);
    perTrain.push_back(list);
  }
  EXPECT_EQ(perTrain,
            (std::vector<std::vector<int>>{{1, 2}, {1, 2}, {1, 2}, {0}, {}}));  // 8:00, 8:30, 9:00

  EXPECT_EQ(ErrorOf("validity v from=1.1.2026\n"),
            "t.txt:10: a validity record needs the key of its line (line=N)");
  EXPECT_EQ(ErrorOf("validity v line=1 from=2.1.2026 until=1.1.2026\n"),
            "t.txt:10: the validity record ends before it begins");
  EXPECT_EQ(ErrorOf("validity v line=1 from=1.1.2026 days=Mo-Fx\n"),
            "t.txt:10: unknown weekdays 'Mo-Fx' (Mo..Su, ranges such as Mo-Fr, joined by ',')");
  EXPECT_EQ(ErrorOf("train Bus 1\n  validity v\n  A 8:00\n  B 8:10\n"),
            "t.txt:11: unknown validity record v");
  EXPECT_EQ(ErrorOf("version 17\nvalidity v line=1 from=1.1.2026\n"),
            "t.txt:11: a line validity record needs format version 18 or later (the source "
            "gives 17)");
}

// By reference: the list is read after the call that fills it.
std::vector<int> Codes(int n, unsigned char const* const& list) {
  return n > 0 ? std::vector<int>(list, list + n) : std::vector<int>{};
}

TEST_F(TextConstructs, ServiceCodesWithRolesFiltersAndSets) {
  Compile(
      "service KOLO \"Kolo\" symbol=\"b\"\n"
      "  long \"Přeprava kol\" \"Bicycles\"\n"
      "service VOZ \"Vozík\" symbol=\"v\" role=3 barrier-free\n"
      "service NIZ \"Nízkopodlažní\" symbol=\"n\" role=2\n"
      "service JID \"Jídelní vůz\" symbol=\"j\" role=4\n"
      "service-filter K KOLO id=11\n"
      "service-filter B VOZ NIZ id=12\n"
      "service-types by-day=Bus\n"
      "station D 14 \"Delta\" services=VOZ,KOLO\n"
      "train Bus 1\n"
      "  services NIZ KOLO\n"
      "  services JID at=B\n"
      "  A 8:00\n"
      "  B 8:10\n"
      "  D 8:20\n"
      "train Bus 2\n"
      "  A 9:00\n"
      "  B 9:10\n");
  ASSERT_EQ(QoFCCount(0), 4);
  char const *name = nullptr, *symbol = nullptr, *description = nullptr;
  ASSERT_EQ(QoFCValue(0, 0, 1, &name, &symbol, &description), 1);
  EXPECT_STREQ(name, "Kolo");
  EXPECT_STREQ(symbol, "b");
  EXPECT_STREQ(description, "Bicycles");
  EXPECT_EQ(QoFCLowDeck(0, 1), -1);
  EXPECT_EQ(QoFCLowDeck(0, 2), 2);
  EXPECT_EQ(QoFCLowDeck(0, 3), 1);
  EXPECT_EQ(QoFCLowDeck(0, 4), 3);
  unsigned char const* list = nullptr;
  EXPECT_EQ(Codes(QoFCTrain(0, 0, &list), list), (std::vector<int>{0, 2}));
  EXPECT_EQ(Codes(QoFCTrain(0, 1, &list), list), std::vector<int>{});
  EXPECT_EQ(Codes(QoFCTrainStation(0, 0, 1, &list), list), std::vector<int>{3});
  EXPECT_EQ(Codes(QoFCTrainStation(0, 0, 0, &list), list), std::vector<int>{});
  EXPECT_EQ(Codes(QoFCStation(0, 3, &list), list), (std::vector<int>{0, 1}));
  EXPECT_EQ(Codes(QoFCStation(0, 0, &list), list), std::vector<int>{});
  char const* letters = nullptr;
  ASSERT_EQ(QoFCConn(0, &letters), 2);
  EXPECT_EQ(std::string(letters, 2), "KB");
  int const* ids = nullptr;
  ASSERT_EQ(QoFCConnID(0, &ids), 2);
  EXPECT_EQ(std::vector<int>(ids, ids + 2), (std::vector<int>{11, 12}));
  TimetableRecord& t = At(0);
  EXPECT_EQ(t.BarrierFreeCodeMask, uint64_t{1} << 1);
  EXPECT_EQ(t.DayDependentTypeMask, 1u);

  EXPECT_EQ(ErrorOf("train Bus 1\n  services WIFI\n  A 8:00\n  B 8:10\n"),
            "t.txt:11: unknown service code WIFI");
  EXPECT_EQ(ErrorOf("service A \"a\" role=2\nservice B \"b\" role=2\n"),
            "t.txt:11: role 2 is filled twice");
  EXPECT_EQ(ErrorOf("version 20\nservice A \"a\" role=4\n"),
            "t.txt:11: service-code role 4 needs format version 21 or later (the source gives 20)");
}

TEST_F(TextConstructs, TimeShiftLists) {
  // Central European time with summer time: +60 until 28.3.2026, +120
  // until 24.10.2026, +60 from then on; the other stations keep one shift.
  Compile(
      "station D 14 \"Delta\" shift=60\n"
      "  shift 60 until 28.3.2026\n"
      "  shift 120 until 24.10.2026\n"
      "station E 15 \"Epsilon\" shift=-30\n");
  struct Case {
    int station;
    uint16_t day;
    int shift;
  };
  Case const cases[] = {
      {3, w::DayNumberOf(2025, 12, 14), 60}, {3, w::DayNumberOf(2026, 3, 28), 60},
      {3, w::DayNumberOf(2026, 3, 29), 120}, {3, w::DayNumberOf(2026, 10, 24), 120},
      {3, w::DayNumberOf(2026, 10, 25), 60}, {4, w::DayNumberOf(2026, 6, 1), -30},
      {0, w::DayNumberOf(2026, 6, 1), 0},
  };
  for (Case const& c : cases) {
    SCOPED_TRACE(c.day);
    EXPECT_EQ(QoStTimeShift(0, c.station, c.day), c.shift);
  }
  EXPECT_EQ(
      ErrorOf("station D 14 \"Delta\"\n  shift 60 until 1.5.2026\n  shift 0 until 1.4.2026\n"),
      "t.txt:12: the shift lines of a station go by their last days, earliest first");
}

TEST_F(TextConstructs, TrainLinksTypesAndTables) {
  TimetableRecord& t = Compile(
      "track \"1\"\n"
      "  A 0\n"
      "  B 2\n"
      "  C 5\n"
      "merge kind=bus area=4\n"
      "station D 14 \"Delta\" merge=900\n"
      "physicaltype Solo type=Bus\n"
      "  long \"Sólo\" \"Single\"\n"
      "physicaltype Klb \"Kloub\" \"Artic\" type=Bus\n"
      "pass-via C A>B B>C\n"
      "calendar weekends\n"
      "  run Sa Su\n"
      "day-types\n"
      "  Sa 0 weekends\n"
      "  workdays -1 daily weekends\n"
      "train Bus 5 physical=Klb ref=in\n"
      "  region-number \"PHA\" \"100005\"\n"
      "  A 8:00\n"
      "  B 8:10\n"
      "train Bus 6 physical=Solo ref=out days=weekends\n"
      "  B 8:12\n"
      "  C 8:20\n"
      "continuation in B out\n");
  // Continuations: the first train goes on as the second at B.
  ASSERT_EQ(t.ContinuationTrainA.size(), 1);
  EXPECT_EQ(t.ContinuationTrainA[0], 0);
  EXPECT_EQ(t.ContinuationStation[0], 1);
  EXPECT_EQ(t.ContinuationTrainB[0], 1);
  // Merge keys.
  EXPECT_EQ(t.MergeKind, 2);
  EXPECT_EQ(t.MergeArea, 4);
  ASSERT_EQ(t.MergeStationKeys.size(), 4);
  EXPECT_EQ(t.MergeStationKeys[3], 900);
  EXPECT_EQ(t.MergeStationKeys[0], 0);
  // Physical types, read through the exports.
  ASSERT_EQ(QoTrTypePhysCount(0), 2);
  char const *abbreviation = nullptr, *description = nullptr;
  QoTrTypePhysInfo(0, 1, 1, &abbreviation, &description);
  EXPECT_STREQ(abbreviation, "Artic");
  QoTrTypePhysInfo(0, 1, 0, &abbreviation, &description);
  EXPECT_STREQ(abbreviation, "Solo");
  EXPECT_STREQ(description, "Single");
  ASSERT_EQ(t.PhysicalTypes.size(), 2);
  EXPECT_EQ(t.PhysicalTypes[0], 1);
  EXPECT_EQ(t.PhysicalTypes[1], 0);
  // Regional numbers: train 0 only.
  ASSERT_EQ(t.RegionNumberRows.size(), 1);
  EXPECT_EQ(t.RegionNumberRows.Field<int32_t>(0, 0), 0);
  EXPECT_EQ(t.RegionNumberRows.Field<int32_t>(0, 4), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char const*>(t.RegionNumberRows.At(0) + 8), 3), "PHA");
  EXPECT_EQ(std::string(reinterpret_cast<char const*>(t.RegionNumberRows.At(0) + 12), 6), "100005");
  // Pass-via: station C lists the arcs A>B and B>C as the file orders arcs.
  ASSERT_EQ(t.PassViaOffsets.size(), 5);
  std::vector<std::pair<int, int>> arcs;
  for (int32_t i = t.PassViaOffsets[2]; i < t.PassViaOffsets[3]; ++i) {
    int32_t arc = t.PassViaArcs[i];
    int from = 0;
    while (t.ArcOffsets[from + 1] <= arc) ++from;
    arcs.push_back({from, t.ArcStations[arc]});
  }
  EXPECT_EQ(arcs, (std::vector<std::pair<int, int>>{{0, 1}, {1, 2}}));
  EXPECT_EQ(t.PassViaOffsets[2], t.PassViaOffsets[1]);
  // Typical day sets: class 0 the weekends, class 1 the daily trains.
  auto set = [&](int kind, int offset) {
    RecordArray const& a = t.StoredDayTypeWindows[kind * 25 + offset + 12];
    return a.empty() ? -1 : a.Field<uint8_t>(0, 0);
  };
  EXPECT_EQ(set(5, 0), 0b01);
  EXPECT_EQ(set(7, -1), 0b11);
  EXPECT_EQ(set(7, 0), 0);

  struct Case {
    char const* body;
    char const* message;
  };
  Case const faults[] = {
      {"physicaltype S type=Bus\ntrain Bus 1\n  A 8:00\n  B 8:10\n",
       "t.txt:11: the timetable has physical types: give this train one (physical=ID)"},
      {"station D 14 \"D\" merge=5\n",
       "t.txt:10: merge= needs a 'merge' line naming the merged timetable's kind"},
      {"train Bus 1 ref=x\n  every 10 until 9:00\n  A 8:00\n  B 8:10\n",
       "t.txt:10: ref= names one train, but 'every' lines make several of this one"},
      {"pass-via C A>C\n", "t.txt:10: no arc leads from A to C"},
      {"day-types\n  Xy 0 daily\n",
       "t.txt:11: a kind of day is Mo..Su, workdays or holidays, not 'xy'"},
      {"day-types\n  Mo 0 daily\n", "t.txt:11: no train runs daily, so 'daily' is no class here"},
      {"train Bus 1\n  region-number \"ABCDE\" \"1\"\n  A 8:00\n  B 8:10\n",
       "t.txt:11: a region code has at most 4 characters"},
  };
  for (Case const& c : faults) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(ErrorOf(c.body), c.message);
  }
}

// A map statement writes the timetable's GIS file: station points by key,
// town labels of the first list, layers with their styles and objects.
TEST_F(TextConstructs, MapWithPointsTownsAndLayers) {
  std::string source = std::string(kHeader) +
                       "list TOWNS type=1 \"Obce\"\n"
                       "  item key=501 A\n"
                       "  item key=502 C\n"
                       "map .gis id=4 \"Mapa\" \"Map\"\n"
                       "  point C -30 -300\n"
                       "  point A -10 -100\n"
                       "  town 502\n"
                       "  layer 2 name=\"Silnice\" pen=0x0000FF width=3 font=\"Arial\" size=10\n"
                       "  line -10,-100 -30,-300\n"
                       "  label -20 -200 \"Alfa\" angle=1\n"
                       "  layer 1 brush=0x00FF00 brush-style=0\n"
                       "  area -50,-50 -5,-50 -5,-500\n";
  textsource::CompiledFiles files = WriteCompiledSource(ParseTimetableSource(source, "t.txt"));
  ASSERT_EQ(files.extensions.size(), 1u);
  dir_.Save("t.gis", files.extensions[0].second.bytes);
  ASSERT_EQ(Load({dir_.Save("t.qo", files.timetable.bytes)}), 1) << QoPeekError();
  ASSERT_EQ(QoExtMapAvail(0), 1);
  int x = 0, y = 0;
  QoExtMapGetStCoors(0, 2, &x, &y);
  EXPECT_EQ(std::pair(x, y), std::pair(-30, -300));
  QoExtMapGetStCoors(0, 1, &x, &y);  // B has no point
  EXPECT_EQ(std::pair(x, y), std::pair(-1, -1));
  ASSERT_EQ(At(0).GisTownItems.size(), 1);
  EXPECT_EQ(At(0).GisTownItems[0], 1);
  EXPECT_EQ(At(0).Gis->MapId, 4u);
  // The background layer (array 1) is outside the extent.
  EXPECT_EQ(At(0).Gis->Extent, (std::array<int32_t, 4>{-30, -10, -300, -100}));

  const GISLAYER_REC *background = nullptr, *roads = nullptr;
  ASSERT_EQ(QoGetLayersGIS(0, &background, &roads, nullptr), 1);
  ASSERT_NE(roads, nullptr);
  EXPECT_STREQ(QoGetLayerNameGIS(0, roads), "Silnice");
  EXPECT_EQ(roads->pen_color, 0x0000FFu);
  EXPECT_EQ(roads->pen_width, 3);
  EXPECT_STREQ(roads->font_face, "Arial");
  EXPECT_EQ(roads->font_size, 10);
  ASSERT_NE(roads->labels, nullptr);
  EXPECT_STREQ(roads->labels[0].text, "Alfa");
  EXPECT_EQ(roads->labels[0].angle, 1);
  ASSERT_NE(background, nullptr);
  EXPECT_EQ(background->brush_color, 0x00FF00u);
  EXPECT_EQ(background->brush_style, 0);
  EXPECT_EQ(QoGetLayerNameGIS(0, background), std::string());

  struct Case {
    char const* body;
    char const* message;
  };
  Case const faults[] = {
      {"map .gis\n  point A 1 2\n  point 11 3 4\n", "t.txt:12: a station has one point"},
      {"map .gis\n  line 1,2 3,4\n",
       "t.txt:11: 'line' belongs to a layer: put a 'layer' line before it"},
      {"map .gis\n  layer 2\n  line 1,2\n", "t.txt:12: a line needs at least two vertices"},
      {"map .gis\n  layer 2\n  area 1;2 3,4\n",
       "t.txt:12: a vertex is written x,y (-743000,-1043000), not '1;2'"},
      {"map .gis\n  layer 4\n", "t.txt:11: layer array 4 lies outside 1..3"},
      {"map .gis\n  town 99\n",
       "t.txt:11: town labels name items of the first list, and the source has no list"},
      {"list L type=1 \"L\"\n  item key=5 A\nmap .gis\n  town 99\n",
       "t.txt:13: the first list has no item with key 99"},
      {"map .gis\nmap .gis2\n", "t.txt:11: a timetable has one map"},
      {"map .gis\n  road 1 2\n",
       "t.txt:11: a map takes 'point', 'town', 'layer', 'line', 'area' and 'label' lines"},
  };
  for (Case const& c : faults) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(ErrorOf(c.body), c.message);
  }
}

// A QMap stated in text: A moved on 1.3.2026; the path network runs
// along y = 90 with a station node above each path node (A's old
// coordinate has its own, 12 long); arc B -> C holds from 1.3.2026.
constexpr char kQMapSource[] =
    "qmap .qmap\n"
    "  coor A 110 100 from=1.3.2026\n"
    "  coor C 300 100\n"
    "  coor A 100 100\n"
    "  coor B 200 100\n"
    "  place 50000 150 150\n"
    "  polyline P1 110,100 150,120 200,100 next=P2\n"
    "  polyline P2 200,100 300,100\n"
    "  arc A B P1 kind=1\n"
    "  arc B C P2 kind=1 from=1.3.2026\n"
    "  arc C B P2 kind=1\n"
    "  node n1 100 90\n"
    "  node n2 200 90\n"
    "  node n3 300 90\n"
    "  node sa at=A\n"
    "  node sa0 at=A@1.2.2026\n"
    "  node sb at=B\n"
    "  node sc at=C\n"
    "  edge n1 n2 n3\n"
    "  edge n1 sa oneway\n"
    "  edge n1 sa0 oneway length=12\n"
    "  edge n2 sb oneway\n"
    "  edge n3 sc oneway\n"
    "pattern ABC A B C kind=1\n"
    "pattern CB C B:1\n"
    "train Bus 1\n"
    "  pattern ABC\n"
    "  A 8:00\n"
    "  B 8:10\n"
    "  C 8:20\n"
    "train Bus 2\n"
    "  pattern CB group=3 not-start\n"
    "  C 9:00\n"
    "  B 9:10\n";

// A qmap statement and stop patterns, compiled and read back through the
// kernel's QMap exports.
TEST_F(TextConstructs, QMapWithCoordinatesArcsNetworkAndPatterns) {
  textsource::CompiledFiles files =
      WriteCompiledSource(ParseTimetableSource(std::string(kHeader) + kQMapSource, "t.txt"));
  ASSERT_EQ(files.extensions.size(), 1u);
  dir_.Save("t.qmap", files.extensions[0].second.bytes);
  ASSERT_EQ(Load({dir_.Save("t.qo", files.timetable.bytes)}), 1) << QoPeekError();
  ASSERT_EQ(QoQMapAvail(0), 1);
  const int before = QoDMYToDate(1, 2, 2026), after = QoDMYToDate(10, 3, 2026);

  const unsigned short stations[] = {0, 1, 2};
  double x[3] = {}, y[3] = {};
  ASSERT_EQ(QoQMapCoor(0, stations, 3, after, x, y), 1);
  EXPECT_EQ(std::vector<double>(x, x + 3), (std::vector<double>{110, 200, 300}));
  ASSERT_EQ(QoQMapCoor(0, stations, 3, before, x, y), 1);
  EXPECT_EQ(x[0], 100);

  // The train's course over the arcs: B -> C only from 1.3.2026.
  const int *course = nullptr, *arcs = nullptr;
  const double *cx = nullptr, *cy = nullptr;
  int n = QoQMapTrain(0, 0, after, &course, &cx, &cy, &arcs);
  EXPECT_EQ(Vec(course, n), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Vec(arcs, n - 1), (std::vector<int>{0, 1}));
  n = QoQMapTrain(0, 0, before, &course, &cx, &cy, &arcs);
  EXPECT_EQ(Vec(arcs, n - 1), (std::vector<int>{0, -1}));
  EXPECT_EQ(Vec(cx, n), (std::vector<double>{100, 200, 300}));
  // The second train's pattern byte: group 3, not a start.
  EXPECT_EQ(At(0).TrainPatternByte[1], 0x83);

  int count = 0;
  const int* refs = QoQMapArcPolyLinesQuick(0, 2, &count);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(refs[0], 1);
  QoQMapPolyLineQuick(0, 0, &count);
  EXPECT_EQ(count, 3);
  const double *px = nullptr, *py = nullptr;
  EXPECT_EQ(QoQMapArcPointsQuick(0, 110, 100, 200, 100, 0, &px, &py), 3);

  // P2 continues P1: arcs over both make one chain.
  const int list[] = {8, 2, 0, 1};
  const int* lists[] = {list + 2};
  const int* const* groups = nullptr;
  const int* const* chains = nullptr;
  const int* chainGroups = nullptr;
  int groupCount = 0, chainCount = 0;
  QoQMapDesc(0, lists, 1, &groups, &groupCount, &chains, &chainGroups, &chainCount);
  ASSERT_EQ(chainCount, 1);
  EXPECT_EQ(std::vector<int>(chains[0], chains[0] + chains[0][-1]), (std::vector<int>{0, 1}));

  // (120, 85) enters the network at (120, 90), 5 away; A's node is 14
  // (rounded) above n1, its old one 12.
  const int *near = nullptr, *distances = nullptr;
  n = QoQMapShpNearStations(0, 120, 85, after, 1000, 0, &near, &distances, 0, 100, 1000);
  EXPECT_EQ(Vec(near, n), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Vec(distances, n), (std::vector<int>{39, 95, 195}));
  n = QoQMapShpNearStations(0, 120, 85, before, 1000, 0, &near, &distances, 0, 100, 1000);
  EXPECT_EQ(Vec(distances, n), (std::vector<int>{37, 95, 195}));
  int distance = 0;
  n = QoQMapShpNearStationPath(0, 120, 85, 2, after, &px, &py, &distance, 100, 1000);
  EXPECT_EQ(Vec(px, n), (std::vector<double>{120, 200, 300, 300}));
  EXPECT_EQ(distance, 195);
  EXPECT_EQ(QoError(), 0);
}

TEST_F(TextConstructs, QMapFaultsNameTheirLine) {
  struct Case {
    char const* body;
    char const* message;
  };
  Case const faults[] = {
      {"qmap .q\nqmap .r\n", "t.txt:11: a timetable has one QMap"},
      {"qmap .q\n  coor X 1 2\n", "t.txt:11: unknown station X"},
      {"qmap .q\n  coor A 1,5 2\n",
       "t.txt:11: x must be a number (-742600 or -742600.5), not '1,5'"},
      {"qmap .q\n  coor A 1 2\n  coor 11 3 4\n",
       "t.txt:12: this place already has a coordinate from that day"},
      {"qmap .q\n  place 12 1 2\n", "t.txt:11: key 12 is a station's: give it by 'coor'"},
      {"qmap .q\n  place 14 1 2\nstation D 14 \"Delta\"\n",
       "t.txt:11: key 14 is a station's: give it by 'coor'"},
      {"qmap .q\n  polyline P 1,2\n", "t.txt:11: a polyline needs at least two points"},
      {"qmap .q\n  polyline P 1,2 3,4 next=Q\n", "t.txt:11: unknown polyline Q"},
      {"qmap .q\n  coor A 1 2\n  arc A B\n", "t.txt:12: B has no coordinate"},
      {"qmap .q\n  coor A 1 2\n  coor B 3 4\n  arc A 99\n",
       "t.txt:13: unknown station or place key 99"},
      {"qmap .q\n  coor A 1 2 from=1.3.2026\n  node n at=A@1.2.2026\n",
       "t.txt:12: A has no coordinate on 1.2.2026"},
      {"qmap .q\n  node n\n",
       "t.txt:11: a node is written 'node ID X Y' (or 'node ID at=STATION')"},
      {"qmap .q\n  node n 1 2\n  edge n\n", "t.txt:12: an edge joins two nodes or more"},
      {"qmap .q\n  node n 1 2\n  node m 3 4\n  node o 5 6\n  edge n m o length=3\n",
       "t.txt:14: length= is for an edge between two nodes"},
      {"qmap .q version=0\n  node n 1 2\n", "t.txt:11: the path network needs QMap version 1"},
      {"qmap .q\n  road 1 2\n",
       "t.txt:11: a QMap takes 'coor', 'place', 'polyline', 'arc', 'node' and 'edge' lines"},
      {"pattern P A X\n", "t.txt:10: unknown station X"},
      {"pattern P A B:x\n", "t.txt:10: arc kind must be a whole number, not 'x'"},
      {"train Bus 1\n  pattern P\n  A 8:00\n  B 8:10\n", "t.txt:11: unknown pattern P"},
      {"pattern P A B\ntrain Bus 1\n  pattern P group=64\n  A 8:00\n  B 8:10\n",
       "t.txt:12: group 64 lies outside 0..63"},
      {"version 15\npattern P A B\n",
       "t.txt:11: a stop pattern needs format version 16 or later (the source gives 15)"},
  };
  for (Case const& c : faults) {
    SCOPED_TRACE(c.body);
    EXPECT_EQ(ErrorOf(c.body), c.message);
  }
}

}  // namespace
}  // namespace qo::test
