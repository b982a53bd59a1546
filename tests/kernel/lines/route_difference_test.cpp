// The legend sentence of a route variant, from the greedy alignment of the
// trip's stations against the line's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/lines/line_test_support.h"
#include "lines/route_difference.h"

namespace qo::test {
namespace {

enum Station : uint16_t { kA, kB, kC, kD, kE, kX, kY };

class RouteDifferenceTest : public LineTest {
 protected:
  void SetUp() override {
    LineTest::SetUp();
    w::TimetableModel m = CityModel({"A", "B", "C", "D", "E", "X", "Y"});
    m.languages = "EC";
    m.trains = {Trip("1", {kA, kB}, 360), Trip("X12", {kA, kB}, 400)};
    LoadModel(m);
  }
  std::string Text(std::vector<int32_t> const& line, std::vector<uint16_t> const& trip,
                   int32_t station = -1, int32_t value = 0, int language = 0) {
    std::string out;
    BuildRouteDifferenceText(At(0), language, line.data(), static_cast<int32_t>(line.size()),
                             trip.data(), static_cast<int32_t>(trip.size()), station, value, out);
    return out;
  }
};

TEST_F(RouteDifferenceTest, TextsOfTheWaysATripLeavesTheLine) {
  const std::vector<int32_t> line = {kA, kB, kC, kD, kE};
  struct Case {
    std::vector<uint16_t> trip;
    char const* text;
  } const cases[] = {
      {{kA, kB, kC, kD, kE}, ""},
      {{kA, kB, kD, kE}, "skips stop C"},
      {{kA, kE}, "skips stops B, C and D"},
      {{kA, kB, kC, kX, kD, kE}, "runs via stop X"},
      {{kA, kB, kX, kY, kC, kD, kE}, "runs via stops X and Y"},
      {{kA, kB, kC, kD}, "runs only to stop D"},
      {{kA, kX, kY}, "runs to stop Y"},
      {{kA, kB, kC, kX}, "runs only to stop C, continues to stop X"},
      {{kA, kB, kC, kD, kE, kY}, "continues to stop Y"},
      {{kA, kC, kD, kE, kY}, "skips stop B, continues to stop Y"},
  };
  for (Case const& c : cases) EXPECT_EQ(Text(line, c.trip), c.text);
}

TEST_F(RouteDifferenceTest, ThroughRunningNamesTheStationAndTheLine) {
  const std::vector<int32_t> line = {kA, kB, kC};
  EXPECT_EQ(Text(line, {kA, kB, kC}, kY, 12), "continues to stop Y as line 12");
  EXPECT_EQ(Text(line, {kA, kB, kC}, kY, 0), "continues to stop Y");
  // A negative value names a number text: the first one is "X12".
  EXPECT_EQ(Text(line, {kA, kB, kC}, kY, -1), "continues to stop Y as line X12");
  EXPECT_EQ(Text(line, {kA, kC}, kY, 12), "skips stop B, continues to stop Y as line 12");
  // In the second data language's words (kernel text is Windows-1250).
  EXPECT_EQ(Text({kA, kB, kC, kD, kE}, {kA, kE}, -1, 0, 1), "vynech\xE1 zast\xE1vky B, C a D");
}

}  // namespace
}  // namespace qo::test
