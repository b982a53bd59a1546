// The rail sample's QMap as a client of the library sees it: every station
// has a coordinate and every pattern stop an arc, a found journey runs over
// the arcs, and the stations nearest to a point are found along the paths.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Qo.h"
#include "tools/sample_timetable.h"

namespace qo::test {
namespace {

class SampleQMap : public SampleTimetable {
 protected:
  void SetUp() override {
    SampleTimetable::SetUp();
    LoadSample("rail");
  }
  static int Station(char const* name) { return QoSearchStationName(0, name); }
  // The first train with the number.
  static int Train(std::string const& number) {
    for (int t = 0;; ++t) {
      char const* n = nullptr;
      QoTrainInfo(0, 0, t, &n, nullptr, nullptr, nullptr);
      if (!n) break;
      if (number == n) return t;
    }
    QoError();
    return -1;
  }
};

// Wednesday 4 March 2026.
const int kDay = 4, kMonth = 3, kYear = 2026;

TEST_F(SampleQMap, EveryStationAndPatternStopIsOnTheMap) {
  ASSERT_EQ(QoQMapAvail(0), 1);
  EXPECT_EQ(QoQMapMissingStation(0, -1), -1);
  int a = 0, b = 0, kind = 0;
  EXPECT_EQ(QoQMapMissingArc(0, -1, &a, &b, &kind), -1);
  EXPECT_EQ(QoError(), 0);

  // Praha-Běchovice moves on 1.9.2026.
  const int station = Station(
      "Praha-B\xEC"
      "chovice");
  ASSERT_GE(station, 0);
  const auto pbe = static_cast<unsigned short>(station);
  double x = 0, y = 0;
  QoQMapCoor(0, &pbe, 1, QoDMYToDate(kDay, kMonth, kYear), &x, &y);
  EXPECT_EQ(x, -729800);
  QoQMapCoor(0, &pbe, 1, QoDMYToDate(1, 9, 2026), &x, &y);
  EXPECT_EQ(x, -729500);

  // The express from Praha to Bohumín passes 20 stations, an arc between
  // each two.
  const int *stations = nullptr, *arcs = nullptr;
  const double *xs = nullptr, *ys = nullptr;
  const int n =
      QoQMapTrain(0, Train("141"), QoDMYToDate(kDay, kMonth, kYear), &stations, &xs, &ys, &arcs);
  ASSERT_EQ(n, 20);
  EXPECT_EQ(stations[0], Station("Praha hl.n."));
  EXPECT_EQ(stations[19], Station("Bohum\xEDn"));
  for (int i = 0; i + 1 < n; ++i) EXPECT_GE(arcs[i], 0) << i;
}

TEST_F(SampleQMap, JourneyToBrnoRunsOverTheArcs) {
  int from = Station("Praha hl.n."), to = Station("Brno hl.n.");
  int list = -1, timetable = 0, count = 0;
  QoConnectionExt2(&from, &list, &timetable, nullptr, 1, &to, &list, &timetable, nullptr, 1,
                   nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0, 360, kDay, kMonth,
                   kYear, 1, 1, nullptr, &count, nullptr);
  ASSERT_GE(count, 1);
  const int* timetables = nullptr;
  const int* const* stations = nullptr;
  const double* const* xs = nullptr;
  const double* const* ys = nullptr;
  const int* const* arcs = nullptr;
  const int legs = QoQMapConn(nullptr, 0, &timetables, &stations, &xs, &ys, &arcs);
  ASSERT_GE(legs, 1);
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(stations[0][0], from);
  const int* last = stations[legs - 1];
  EXPECT_EQ(last[last[-1] - 1], to);
  for (int l = 0; l < legs; ++l) {
    ASSERT_NE(arcs[l], nullptr);
    for (int i = 0; i < arcs[l][-1]; ++i) EXPECT_GE(arcs[l][i], 0) << l << " " << i;
  }
}

TEST_F(SampleQMap, NearestStationsAlongThePaths) {
  // Just south of Kolín: Kolín first, then Velký Osek and Kutná Hora along
  // the lines.
  const int date = QoDMYToDate(kDay, kMonth, kYear);
  const int *near = nullptr, *distances = nullptr;
  const int n = QoQMapShpNearStations(0, -683600, -1055700, date, 20000, 3, &near, &distances, 0,
                                      1000, 20000);
  ASSERT_EQ(n, 3);
  EXPECT_EQ(near[0], Station("Kol\xEDn"));
  EXPECT_LT(distances[0], distances[1]);
  EXPECT_EQ(near[1], Station("Velk\xFD Osek"));
  EXPECT_LT(distances[1], distances[2]);

  const double *x = nullptr, *y = nullptr;
  int distance = 0;
  const int points = QoQMapShpNearStationPath(0, -683600, -1055700, Station("Kutn\xE1 Hora hl.n."),
                                              date, &x, &y, &distance, 1000, 20000);
  ASSERT_GE(points, 3);
  EXPECT_EQ(x[points - 1], -675300);
  EXPECT_GT(distance, 12000);
  EXPECT_EQ(QoError(), 0);
}

}  // namespace
}  // namespace qo::test
