// The sample timetables have stop timetables a user can open: two tram
// lines through Národní divadlo, working days, Saturdays and Sundays in
// groups of their own, trams that end early with a legend, a substitute
// bus line, and a bus town line with an evening route variant that runs on
// as another line.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Qo.h"
#include "tools/sample_timetable.h"
#include "writer/timetable_writer.h"

namespace qo::textsource {
namespace {

constexpr unsigned kAll = 0xFFFFFFFF;

class SampleStopTimetables : public test::SampleTimetable {
 protected:
  // Names in Windows-1250, the kernel's text mode here.
  static int Station(char const* name) { return QoSearchStationName(0, name); }

  // The day masks of the groups and the legend of a stop timetable on the
  // week of Wednesday 4 March 2026.
  static std::string Groups(int train, int from, int to, int stop) {
    int* stations = nullptr;
    const int n = QoZJRDirection(0, kAll, train, from, to, 4, 3, 2026, 1, &stations, nullptr);
    EXPECT_GT(n, 0);
    int position = 0;
    while (position < n && stations[position] != stop) ++position;
    std::vector<int> direction(stations, stations + n);
    int** counts = nullptr;
    ZJRTIME_REC*** hours = nullptr;
    unsigned char* days = nullptr;
    int legend = 0, kind = 0;
    char const** codes = nullptr;
    char const** texts = nullptr;
    const int g = QoZJRTimes(0, kAll, train, 0, 4, 3, 2026, 1, direction.data(), n, position, 0,
                             &counts, &hours, &days, &legend, &codes, &texts, &kind);
    std::string out;
    char mask[8];
    for (int i = 0; i < g; ++i) {
      std::snprintf(mask, sizeof mask, "%02X ", days[i]);
      out += mask;
    }
    for (int i = 0; i < legend; ++i) out += std::string("[") + codes[i] + "=" + texts[i] + "]";
    return out;
  }
};

TEST_F(SampleStopTimetables, CityLinesThroughOneStop) {
  LoadSample("city");
  const int theatre = Station("N\xE1rodn\xED divadlo");
  ASSERT_GE(theatre, 0);
  int *from = nullptr, *lines = nullptr;
  int nFrom = 0, nLines = 0;
  QoZJRResolve(0, kAll, "N\xE1rodn\xED divadlo", nullptr, nullptr, 5, &from, &nFrom, nullptr,
               nullptr, &lines, &nLines);
  ASSERT_EQ(nLines, 2);  // trams 22 and 9
  const std::vector<int> both(lines, lines + nLines);

  // Tram 9 towards Spojovací: Saturdays and Sundays differ.
  EXPECT_EQ(Groups(both[1], Station("And\xECl"), Station("Spojovac\xED"), theatre), "1F 20 40 ");
  // Tram 22 towards Vršovické náměstí: the late trams end at Národní třída.
  EXPECT_EQ(Groups(both[0], Station("B\xEDl\xE1 Hora"), Station("Vr\x9Aovick\xE9 n\xE1m\xECst\xED"),
                   theatre),
            "1F 60 [A=jede jen do zast\xE1vky N\xE1rodn\xED t\xF8\xED"
            "da]");

  // The buses of X22 stand in for tram 22 in the summer.
  const int substitute = QoSearchTrain(0, 0, "X22", 0, -1, nullptr, 0);
  ASSERT_GE(substitute, 0);
  EXPECT_EQ(QoZJRLineSubstitute(0, substitute, writer::DayNumberOf(2026, 7, 15)), 1);
  EXPECT_EQ(QoZJRLineSubstitute(0, both[0], writer::DayNumberOf(2026, 7, 15)), 0);
}

TEST_F(SampleStopTimetables, BusTownLineWithAnEveningVariant) {
  LoadSample("bus");
  const int line = QoSearchTrain(0, 0, "1", 0, -1, nullptr, 0);
  ASSERT_GE(line, 0);
  // Stops by key: the railway station, Štítary, the bus station.
  EXPECT_EQ(
      Groups(line, QoSearchKey(0, -1, 31002), QoSearchKey(0, -1, 31005), QoSearchKey(0, -1, 31001)),
      "1F 20 40 [A=vynech\xE1 zast\xE1vku Kol\xEDn,,nemocnice, d\xE1le pokra\xE8uje do "
      "zast\xE1vky Nov\xE1 Ves I jako linka 2]");
}

}  // namespace
}  // namespace qo::textsource
