#include "load/qmap_node_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace qo::test {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Nodes as the image stores them: 16-byte points and the node coordinate
// records (negative: a path node).
struct Nodes {
  std::vector<double> xy;
  std::vector<int32_t> coor;
  void Add(double x, double y, int32_t c = -1) {
    xy.push_back(x);
    xy.push_back(y);
    coor.push_back(c);
  }
  RecordArray Points() const {
    return {reinterpret_cast<uint8_t const*>(xy.data()), static_cast<int32_t>(coor.size()), 16};
  }
  ImageArray<int32_t> Coor() const {
    return {reinterpret_cast<uint8_t const*>(coor.data()), static_cast<int32_t>(coor.size())};
  }
  QMapNodeGrid Grid() const {
    QMapNodeGrid grid;
    BuildQMapNodeGrid(Points(), Coor(), grid);
    return grid;
  }
};

// What the grid hands over holds every path node whose differences come
// out below the half, and every loose one, ascending, and no other node.
void ExpectHolds(Nodes const& nodes, QMapNodeGrid const& grid, double x, double y, double half,
                 std::vector<int32_t> const& near) {
  EXPECT_TRUE(std::is_sorted(near.begin(), near.end()));
  EXPECT_EQ(std::adjacent_find(near.begin(), near.end()), near.end());
  for (int32_t n : near) EXPECT_LT(nodes.coor[static_cast<size_t>(n)], 0) << n;
  for (size_t n = 0; n < nodes.coor.size(); ++n) {
    if (nodes.coor[n] >= 0) continue;
    const double nx = nodes.xy[2 * n], ny = nodes.xy[2 * n + 1];
    const bool loose = !std::isfinite(nx) || !std::isfinite(ny);
    const bool inside = std::fabs(nx - x) < half && std::fabs(ny - y) < half;
    if (loose || inside)
      EXPECT_TRUE(std::binary_search(near.begin(), near.end(), static_cast<int32_t>(n)))
          << "node " << n << " at " << nx << ", " << ny << " from " << x << ", " << y << " half "
          << half;
  }
  EXPECT_TRUE(std::includes(near.begin(), near.end(), grid.Loose.begin(), grid.Loose.end()));
}

TEST(QMapNodeGrid, HandsOverEveryNodeNearAPoint) {
  std::mt19937 random(7);
  auto uniform = [&](double a, double b) {
    return std::uniform_real_distribution<double>(a, b)(random);
  };
  for (double span : {1e-3, 10.0, 5000.0, 1e7}) {
    SCOPED_TRACE(span);
    Nodes nodes;
    for (int n = 0; n < 3000; ++n) {
      double x = uniform(-span, span), y = uniform(-span, span);
      if (n % 7 == 0) x = std::round(x / span * 10) * span / 10;  // shared cell edges
      if (n % 97 == 0) y = n % 2 ? kNaN : kInf;
      nodes.Add(x, y, n % 11 == 0 ? n : -1);
    }
    const QMapNodeGrid grid = nodes.Grid();
    ASSERT_GT(grid.Columns, 0);
    int used = 0;
    std::vector<int32_t> near;
    for (int k = 0; k < 500; ++k) {
      double x = uniform(-1.5 * span, 1.5 * span), y = uniform(-1.5 * span, 1.5 * span);
      if (k % 5 == 0) {  // on a node
        x = nodes.xy[2 * static_cast<size_t>(k)];
        y = std::isfinite(nodes.xy[2 * static_cast<size_t>(k) + 1])
                ? nodes.xy[2 * static_cast<size_t>(k) + 1]
                : y;
      }
      const double half = span * std::pow(10.0, uniform(-4, 0.5));
      if (!QMapNodesNear(grid, x, y, half, near)) continue;
      ++used;
      ExpectHolds(nodes, grid, x, y, half, near);
    }
    EXPECT_GT(used, 300);
  }
}

TEST(QMapNodeGrid, WalkAllWhereTheGridCannotTell) {
  Nodes nodes;
  for (int n = 0; n < 100; ++n) nodes.Add(n % 10, n / 10);
  const QMapNodeGrid grid = nodes.Grid();
  std::vector<int32_t> near;
  ASSERT_TRUE(QMapNodesNear(grid, 4.5, 4.5, 1, near));
  ExpectHolds(nodes, grid, 4.5, 4.5, 1, near);
  EXPECT_LT(near.size(), 50u);
  // A half that takes in most of the grid, or anything but finite numbers.
  EXPECT_FALSE(QMapNodesNear(grid, 4.5, 4.5, 8, near));
  EXPECT_FALSE(QMapNodesNear(grid, kNaN, 4.5, 1, near));
  EXPECT_FALSE(QMapNodesNear(grid, 4.5, -kInf, 1, near));
  EXPECT_FALSE(QMapNodesNear(grid, 4.5, 4.5, kInf, near));
  EXPECT_FALSE(QMapNodesNear(grid, 4.5, 4.5, kNaN, near));
  // A negative half, or a point far off, finds nothing near.
  ASSERT_TRUE(QMapNodesNear(grid, 4.5, 4.5, -3, near));
  ExpectHolds(nodes, grid, 4.5, 4.5, -3, near);
  ASSERT_TRUE(QMapNodesNear(grid, 1e300, -1e300, 1, near));
  ExpectHolds(nodes, grid, 1e300, -1e300, 1, near);

  // No path node, or nodes spread beyond what a double holds: no grid.
  Nodes stations;
  stations.Add(1, 1, 0);
  EXPECT_EQ(stations.Grid().Columns, 0);
  EXPECT_FALSE(QMapNodesNear(stations.Grid(), 1, 1, 1, near));
  Nodes spread;
  spread.Add(-1e308, 0);
  spread.Add(1e308, 0);
  EXPECT_EQ(spread.Grid().Columns, 0);
  // Nodes all at one point make a grid of one cell, which tells nothing;
  // nodes all on one line a grid of one row.
  Nodes point;
  for (int n = 0; n < 10; ++n) point.Add(3, 3);
  EXPECT_EQ(point.Grid().Columns, 1);
  EXPECT_FALSE(QMapNodesNear(point.Grid(), 3, 3, 1e-9, near));
  Nodes line;
  for (int n = 0; n < 1000; ++n) line.Add(n, 7);
  ASSERT_TRUE(QMapNodesNear(line.Grid(), 500, 7, 2, near));
  ExpectHolds(line, line.Grid(), 500, 7, 2, near);
  EXPECT_LT(near.size(), 20u);
}

}  // namespace
}  // namespace qo::test
