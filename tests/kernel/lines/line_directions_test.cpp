// Lines and their directions: the settings that steer them, merging and
// ranking, the walk for lines of rare trips only, pruning, and the
// direction a stop-timetable request picks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/lines/line_test_support.h"

namespace qo::test {
namespace {

enum Station : uint16_t { kA, kB, kC, kD, kE, kF, kG };
constexpr unsigned kAll = 0xFFFFFFFF;

// The directions of the line of `train` as "A-B-C" texts in order.
std::vector<std::string> Directions(int train, int day = 4, int month = 6, int year = 2025,
                                    int week = 0) {
  int* counts = nullptr;
  int** stations = nullptr;
  int n = QoLineDirections(0, kAll, train, day, month, year, week, &counts, &stations, nullptr);
  std::vector<std::string> out;
  for (int i = 0; i < n; ++i) {
    std::string text;
    for (int s = 0; s < counts[i]; ++s)
      text += (s ? "-" : "") + std::string(QoStName(0, stations[i][s]));
    out.push_back(text);
  }
  return out;
}

class LineDirectionsTest : public LineTest {
 protected:
  w::TimetableModel Model() { return CityModel({"A", "B", "C", "D", "E", "F", "G"}); }
};

TEST_F(LineDirectionsTest, LinesMergeShorterRunsAndCollapseARepeatedLastStop) {
  w::TimetableModel m = Model();
  m.trains = {Trip("1", {kA, kB, kC, kD}, 360), Trip("1", {kA, kB, kC, kD}, 380),
              Trip("1", {kB, kC}, 400), Trip("1", {kD, kC, kB, kA}, 420),
              // Ends at F with two stops there.
              Trip("1", {kE, kF}, 440), Trip("2", {kA, kE}, 500), Trip("2", {kA, kE}, 520)};
  m.trains[4].stops.back().departure = 446;
  m.trains[4].stops.push_back({.station = kF, .arrival = 450});
  LoadModel(m);

  int* lines = nullptr;
  ASSERT_EQ(QoLineTrains(0, kAll, &lines), 2);
  EXPECT_EQ(lines[0], 0);
  EXPECT_EQ(lines[1], 5);
  EXPECT_EQ(lines[2], 0);  // entries past the count read as zero

  // B-C joins A-B-C-D (weight 2), which then ranks with its return.
  EXPECT_EQ(Directions(2), (std::vector<std::string>{"A-B-C-D", "D-C-B-A", "E-F"}));
  EXPECT_EQ(Directions(5), (std::vector<std::string>{"A-E"}));

  // With the inclusion flag a shorter run joins only a direction of equal ends.
  EXPECT_EQ(QoSetExtactInclusion(3), 3);
  EXPECT_EQ(Directions(0), (std::vector<std::string>{"A-B-C-D", "D-C-B-A", "B-C", "E-F"}));
  EXPECT_EQ(QoSetExtactInclusion(0), 0);
  EXPECT_EQ(Directions(0).size(), 3u);
  EXPECT_EQ(QoError(), 0);
}

TEST_F(LineDirectionsTest, WeekModesChooseTheDaysOfAWeekRequest) {
  w::TimetableModel m = Model();
  m.calendars = {{.days = {Day(6, 9)}}};  // Monday after Wednesday 4 June
  m.trains = {Trip("1", {kA, kB}, 360), Trip("1", {kC, kD}, 400, 0)};
  LoadModel(m);
  struct Case {
    int set, returned;
    size_t directions;
  } const cases[] = {
      {1, 1, 2},               // the date and six days after
      {0, 0, 1},               // Monday to Sunday of the date
      {5, 5, 1},               // out of range: mode 2
      {1, 1, 2}, {-1, -1, 1},  // negative: mode 2
  };
  for (Case const& c : cases) {
    EXPECT_EQ(QoZJRSetWeekMode(c.set), c.returned);
    EXPECT_EQ(Directions(0, 4, 6, 2025, 1).size(), c.directions) << c.set;
  }
  EXPECT_EQ(Directions(0, 4, 6, 2025, 0).size(), 1u);  // a day without week
  int* counts = nullptr;
  EXPECT_EQ(QoLineDirections(0, kAll, 0, 31, 2, 2025, 0, &counts, nullptr, nullptr), 0);
  EXPECT_EQ(QoError(), 9);
  EXPECT_EQ(counts, nullptr);
  EXPECT_EQ(QoLineDirections(0, kAll, 9, 4, 6, 2025, 0, &counts, nullptr, nullptr), 0);
  EXPECT_EQ(QoError(), 6);
}

// A line of three directions with 41, 9 and 10 trips.
w::TimetableModel WeightedLine() {
  w::TimetableModel m = CityModel({"A", "B", "C", "D", "E", "F", "G"});
  for (int i = 0; i < 41; ++i) m.trains.push_back(Trip("1", {kA, kB, kC, kD}, 300 + i));
  for (int i = 0; i < 9; ++i) m.trains.push_back(Trip("1", {kE, kF}, 400 + i));
  for (int i = 0; i < 10; ++i) m.trains.push_back(Trip("1", {kE, kG}, 500 + i));
  return m;
}

TEST_F(LineDirectionsTest, RareDirectionsArePrunedBelowAQuarterCappedAtNine) {
  LoadModel(WeightedLine());
  // Weight 40 on the heaviest: a quarter is 10, capped at 9; E-F weighs 8.
  EXPECT_EQ(Directions(0), (std::vector<std::string>{"A-B-C-D", "E-G"}));
  EXPECT_EQ(QoSetExtactInclusion(-1), -1);
  EXPECT_EQ(Directions(0), (std::vector<std::string>{"A-B-C-D", "E-G", "E-F"}));
}

TEST_F(LineDirectionsTest, ALineOfRareTripsOnlyIsWalkedAgainAndNotPruned) {
  w::TimetableModel m = WeightedLine();
  for (w::Train& t : m.trains) t.attributes = 0x400000;
  LoadModel(m);
  EXPECT_EQ(Directions(0), (std::vector<std::string>{"A-B-C-D", "E-G", "E-F"}));
  // With other trips present the rare ones are held back.
  m.trains.push_back(Trip("1", {kD, kA}, 900));
  m.trains.back().attributes = 0;
  QoCloseData();
  LoadModel(m);
  EXPECT_EQ(Directions(0), (std::vector<std::string>{"D-A"}));
}

TEST_F(LineDirectionsTest, DirectionRequestsTryThreePassesAndKeepTheCallersSettings) {
  LoadModel(WeightedLine());
  QoSetExtactInclusion(-1);  // the user's own: rare directions stay
  const std::vector<std::string> before = Directions(0);
  ASSERT_EQ(before.size(), 3u);

  int* stations = nullptr;
  unsigned char* ends = nullptr;
  int flag = -1;
  struct Case {
    Station a, b;
    char const* direction;
  } const cases[] = {
      {kB, kD, "A-B-C-D"},  // pass 1
      {kE, kF, "E-F"},      // pass 2: a direction pass 1 prunes
      {kC, kB, "A-B-C-D"},  // B before A everywhere: pass 3 takes C at a position not last
      {kG, kD, "A-B-C-D"},  // pass 3: D at a position not first
      {kD, kA, ""},         // D only last, A only first
  };
  for (Case const& c : cases) {
    int n = QoZJRDirectionEx(0, kAll, 0, c.a, c.b, 4, 6, 2025, 0, 0, &stations, &ends, &flag);
    EXPECT_EQ(n ? Names(stations, n) : "", c.direction) << c.a << c.b;
    if (n) {
      EXPECT_EQ(ends[0] + ends[n - 1], 2);
      EXPECT_EQ(flag, 0);
    }
  }
  QoZJRDirection(0, kAll, 0, kB, kD, 4, 6, 2025, 0, &stations, nullptr);
  EXPECT_EQ(QoZJRDirectionTrain(), 0);
  QoZJRDirection(0, kAll, 0, kE, kF, 4, 6, 2025, 0, &stations, nullptr);
  EXPECT_EQ(QoZJRDirectionTrain(), 41);
  EXPECT_EQ(Directions(0), before);

  EXPECT_EQ(QoZJRDirection(0, kAll, 0, 99, kD, 4, 6, 2025, 0, &stations, nullptr), 0);
  EXPECT_EQ(QoError(), 4);
  EXPECT_EQ(QoZJRDirection(0, kAll, 0, -1, kD, 4, 6, 2025, 0, &stations, nullptr), 0);
  EXPECT_EQ(QoError(), 4);
}

TEST_F(LineDirectionsTest, EndMarksShowWhereDirectionsWithTheSameEndsPart) {
  w::TimetableModel m = Model();
  m.trains = {Trip("1", {kA, kB, kC, kD}, 360), Trip("1", {kA, kB, kC, kD}, 370),
              Trip("1", {kA, kE, kC, kD}, 380)};
  LoadModel(m);
  QoSetExtactInclusion(-1);
  int* counts = nullptr;
  int** stations = nullptr;
  unsigned char** ends = nullptr;
  int* flags = nullptr;
  ASSERT_EQ(QoLineDirectionsEx(0, kAll, 0, 4, 6, 2025, 0, &counts, &stations, &ends, &flags), 2);
  EXPECT_EQ(Names(stations[1], counts[1]), "A-E-C-D");
  EXPECT_EQ(std::vector<int>(ends[0], ends[0] + 4), (std::vector<int>{1, 1, 0, 1}));
  EXPECT_EQ(std::vector<int>(ends[1], ends[1] + 4), (std::vector<int>{1, 1, 0, 1}));
  EXPECT_EQ(flags[0] + flags[1], 0);
}

}  // namespace
}  // namespace qo::test
