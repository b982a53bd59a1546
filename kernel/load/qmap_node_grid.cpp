#include "load/qmap_node_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "format/qmap_layout.h"

namespace qo {
namespace {

// The column (or row) of a coordinate, clamped to the grid. It never
// decreases as v grows, so a node between two bounds lies between their
// cells.
int32_t CellOf(double v, double min, double cell, int32_t count) {
  const double c = std::floor((v - min) / cell);
  if (!(c > 0)) return 0;
  return c >= count - 1 ? count - 1 : static_cast<int32_t>(c);
}

size_t CellAt(QMapNodeGrid const& grid, QMapPoint p) {
  return static_cast<size_t>(CellOf(p.y, grid.MinY, grid.Cell, grid.Rows)) *
             static_cast<size_t>(grid.Columns) +
         static_cast<size_t>(CellOf(p.x, grid.MinX, grid.Cell, grid.Columns));
}

bool IsPlaced(QMapPoint p) { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace

void BuildQMapNodeGrid(RecordArray const& nodes, ImageArray<int32_t> const& nodeCoor,
                       QMapNodeGrid& grid) {
  grid = QMapNodeGrid{};
  constexpr double kInf = std::numeric_limits<double>::infinity();
  double minX = kInf, maxX = -kInf, minY = kInf, maxY = -kInf;
  int32_t placed = 0;
  for (int32_t n = 0; n < nodes.size(); ++n) {
    if (nodeCoor[n] >= 0) continue;
    const QMapPoint p = QMapPointAt(nodes, n);
    if (!IsPlaced(p)) {
      grid.Loose.push_back(n);
      continue;
    }
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
    ++placed;
  }
  const double width = maxX - minX, height = maxY - minY;
  // About two nodes a cell, and never more than four cells a node however
  // long and thin the network is.
  double cell = 0;
  if (placed > 0) {
    cell = std::sqrt(width * height * 2 / placed);
    if (!(cell > 0) || !std::isfinite(cell)) cell = std::max(width, height) * 2 / placed;
    if (!(cell > 0)) cell = 1;  // every node at one point
  }
  if (!std::isfinite(cell) || !(cell > 0)) {
    grid = QMapNodeGrid{};
    return;
  }
  double columns = 0, rows = 0;
  for (;; cell *= 2) {
    columns = std::floor(width / cell) + 1;
    rows = std::floor(height / cell) + 1;
    if (columns * rows <= 4.0 * placed + 16) break;
  }
  grid.MinX = minX;
  grid.MinY = minY;
  grid.Cell = cell;
  grid.Columns = static_cast<int32_t>(columns);
  grid.Rows = static_cast<int32_t>(rows);

  // The nodes counted per cell, then laid out cell by cell in node order.
  grid.CellStart.assign(static_cast<size_t>(grid.Columns) * static_cast<size_t>(grid.Rows) + 1, 0);
  for (int32_t n = 0; n < nodes.size(); ++n) {
    const QMapPoint p = QMapPointAt(nodes, n);
    if (nodeCoor[n] < 0 && IsPlaced(p)) ++grid.CellStart[CellAt(grid, p) + 1];
  }
  for (size_t c = 1; c < grid.CellStart.size(); ++c) grid.CellStart[c] += grid.CellStart[c - 1];
  std::vector<int32_t> next(grid.CellStart.begin(), grid.CellStart.end() - 1);
  grid.Nodes.resize(static_cast<size_t>(placed));
  for (int32_t n = 0; n < nodes.size(); ++n) {
    const QMapPoint p = QMapPointAt(nodes, n);
    if (nodeCoor[n] < 0 && IsPlaced(p))
      grid.Nodes[static_cast<size_t>(next[CellAt(grid, p)]++)] = n;
  }
}

bool QMapNodesNear(QMapNodeGrid const& grid, double x, double y, double half,
                   std::vector<int32_t>& near) {
  if (grid.Columns == 0 || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(half))
    return false;
  // The bounds stand off by far more than the rounding of the caller's
  // differences and of their own sums, so that every node whose difference
  // comes out below `half` lies between them.
  const double margin =
      (std::fabs(x) + std::fabs(y) + std::fabs(half)) * 1e-9 + std::numeric_limits<double>::min();
  const int32_t c0 = CellOf(x - half - margin, grid.MinX, grid.Cell, grid.Columns);
  const int32_t c1 = CellOf(x + half + margin, grid.MinX, grid.Cell, grid.Columns);
  const int32_t r0 = CellOf(y - half - margin, grid.MinY, grid.Cell, grid.Rows);
  const int32_t r1 = CellOf(y + half + margin, grid.MinY, grid.Cell, grid.Rows);
  const int64_t cells = int64_t{std::max(c1 - c0 + 1, 0)} * std::max(r1 - r0 + 1, 0);
  if (2 * cells > int64_t{grid.Columns} * grid.Rows) return false;
  near.clear();
  // The cells of one row stand together.
  for (int32_t r = r0; r <= r1 && c0 <= c1; ++r) {
    const size_t row = static_cast<size_t>(r) * static_cast<size_t>(grid.Columns);
    near.insert(near.end(), grid.Nodes.begin() + grid.CellStart[row + static_cast<size_t>(c0)],
                grid.Nodes.begin() + grid.CellStart[row + static_cast<size_t>(c1) + 1]);
  }
  near.insert(near.end(), grid.Loose.begin(), grid.Loose.end());
  std::sort(near.begin(), near.end());
  return true;
}

}  // namespace qo
