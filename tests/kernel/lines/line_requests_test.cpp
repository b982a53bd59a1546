// What a stop-timetable request needs first: lines and stations from typed
// texts, the stations of a line, and per stop of a direction the common
// remark and the running times. Results a caller holds survive the other
// line queries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/lines/line_test_support.h"

namespace qo::test {
namespace {

enum Station : uint16_t { kA, kB, kC, kD, kE, kX };
constexpr unsigned kAll = 0xFFFFFFFF;

class LineRequestsTest : public LineTest {
 protected:
  void SetUp() override {
    LineTest::SetUp();
    w::TimetableModel m = CityModel({"Alpha", "Beta", "Gamma", "Delta", "Echo", "Xray"});
    m.trains = {Trip("1", {kA, kB, kC, kD}, 360), Trip("1", {kA, kB, kC, kD}, 380, -1, 7),
                Trip("1", {kA, kB, kC, kD}, 400), Trip("1", {kD, kC, kB, kA}, 420),
                Trip("1", {kA, kB, kX, kD}, 440), Trip("12", {kB, kE}, 500),
                Trip("12", {kE, kB}, 520)};
    // Remarks at Beta differ between trips; at Gamma all say "c".
    for (int t = 0; t < 3; ++t) {
      m.trains[static_cast<size_t>(t)].stops[1].flags = 0x8000;
      m.trains[static_cast<size_t>(t)].stops[2].flags = 0x8000;
    }
    m.station_remarks = {{.train = 0, .station = kB, .code = "a", .text = {"Request stop"}},
                         {.train = 1, .station = kB, .code = "b", .text = {"Alighting only"}},
                         {.train = 2, .station = kB, .code = "a", .text = {"Request stop"}},
                         {.station = kC, .code = "c", .text = {"Market days only"}}};
    LoadModel(m);
  }
};

TEST_F(LineRequestsTest, TextsBecomeLinesAndStations) {
  int *from = nullptr, *to = nullptr, *lines = nullptr;
  int nFrom = -1, nTo = -1, nLines = -1;
  auto resolve = [&](char const* f, char const* t, char const* l) {
    QoZJRResolve(0, kAll, f, t, l, 10, &from, &nFrom, &to, &nTo, &lines, &nLines);
    return std::vector<std::vector<int>>{std::vector<int>(from, from + nFrom),
                                         std::vector<int>(to, to + nTo),
                                         std::vector<int>(lines, lines + nLines)};
  };
  using V = std::vector<std::vector<int>>;
  // A line alone proposes its usual ends: Delta starts one trip of five,
  // less than a third of Alpha's four.
  EXPECT_EQ(resolve("", "", "1"), (V{{kA}, {kD}, {0}}));
  // A line text names the first line whose number begins with it, and the
  // stations are limited to where the line departs or arrives.
  EXPECT_EQ(resolve("Beta", "Echo", "12"), (V{{kB}, {kE}, {5}}));
  EXPECT_EQ(resolve("Alpha", "Echo", "1"), (V{{kA}, {}, {0}}));
  // Without a line text: the lines between the stations.
  EXPECT_EQ(resolve("Alpha", "Delta", ""), (V{{kA}, {kD}, {0}}));
  EXPECT_EQ(resolve("Beta", "", ""), (V{{kB}, {}, {0, 5}}));
  // Name searches when no name is equal.
  EXPECT_EQ(resolve("Ga", "", "1"), (V{{kC}, {kD}, {0}}));
  EXPECT_EQ(QoError(), 0);

  QoZJRResolve(7, kAll, "Alpha", "", "", 10, &from, &nFrom, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(QoError(), 3);
  EXPECT_EQ(nFrom, 0);
}

TEST_F(LineRequestsTest, StationsOnALine) {
  unsigned char const* on = QoZJRStationsOnLine(0, kAll, "12");
  ASSERT_NE(on, nullptr);
  EXPECT_EQ(std::vector<int>(on, on + 6), (std::vector<int>{0, 1, 0, 0, 1, 0}));
  EXPECT_EQ(QoZJRStationsOnLine(0, kAll, ""), nullptr);
  EXPECT_EQ(QoZJRStationsOnLine(0, kAll, "7"), nullptr);
  EXPECT_EQ(QoError(), 0);
}

TEST_F(LineRequestsTest, CommonRemarksAndRunningTimesPerStop) {
  const std::vector<int> direction = {kA, kB, kX, kC, kD};
  std::vector<int> remarks(5), least(5), greatest(5);
  char const* letters = nullptr;
  char const** texts = nullptr;
  int n = QoZJRStRemDist(0, kAll, 0, 0, 4, 6, 2025, 0, direction.data(), 5, remarks.data(),
                         least.data(), greatest.data(), &letters, &texts);
  ASSERT_EQ(n, 1);
  EXPECT_EQ(std::string(letters), "c");
  EXPECT_EQ(std::string(texts[0]), "Market days only");
  // Beta: "a" and "b" disagree; Gamma: every trip says "c".
  EXPECT_EQ(remarks, (std::vector<int>{-1, -2, -1, 0, -1}));
  // Gamma follows Xray in the direction, but no trip runs Xray-Gamma: that
  // section keeps 0 before the sums.
  EXPECT_EQ(least, (std::vector<int>{0, 5, 10, 10, 15}));
  EXPECT_EQ(greatest, (std::vector<int>{0, 7, 12, 12, 19}));

  // Without the remark array nothing is done and no error is set.
  EXPECT_EQ(QoZJRStRemDist(0, kAll, 0, 0, 4, 6, 2025, 0, direction.data(), 5, nullptr, least.data(),
                           nullptr, &letters, &texts),
            0);
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(letters, nullptr);
  struct Case {
    int train, year;
    std::vector<int> stations;
    int error;
  } const cases[] = {{9, 2025, direction, 6}, {0, 1800, direction, 9}, {0, 2025, {kA, 60}, 4}};
  for (Case const& c : cases) {
    EXPECT_EQ(QoZJRStRemDist(0, kAll, c.train, 0, 4, 6, c.year, 0, c.stations.data(),
                             static_cast<int>(c.stations.size()), remarks.data(), nullptr, nullptr,
                             &letters, &texts),
              0);
    EXPECT_EQ(QoError(), c.error);
  }
}

TEST_F(LineRequestsTest, ResultsACallerHoldsSurviveTheOtherLineQueries) {
  int* counts = nullptr;
  int** stations = nullptr;
  ASSERT_EQ(QoLineDirections(0, kAll, 0, 4, 6, 2025, 0, &counts, &stations, nullptr), 3);
  const std::string first = Names(stations[0], counts[0]);
  ARRDEP_REC* board = nullptr;
  const int from[] = {kA}, to[] = {kD};
  const int n = QoArrDepExt(0, from, 1, to, 1, 1, kAll, kAll, &board);
  ASSERT_GT(n, 0);
  const int firstTrain = board[0].train;

  int *f = nullptr, *t = nullptr, *l = nullptr;
  int nf = 0, nt = 0, nl = 0;
  QoZJRResolve(0, kAll, "Beta", "Echo", "", 10, &f, &nf, &t, &nt, &l, &nl);
  int* direction = nullptr;
  QoZJRDirection(0, kAll, 5, kE, kB, 4, 6, 2025, 0, &direction, nullptr);
  int* trains = nullptr;
  QoLineTrains(0, kAll, &trains);

  EXPECT_EQ(Names(stations[0], counts[0]), first);
  EXPECT_EQ(board[0].train, firstTrain);
  EXPECT_EQ(QoArrDepExt(0, from, 1, to, 1, 1, kAll, kAll, &board), n);
}

}  // namespace
}  // namespace qo::test
