#pragma once
// The path nodes of a QMap network by square cells of the plane, made at
// load, so that a query finds the nodes near a point without walking them
// all.
#include <cstdint>
#include <vector>

#include "format/image_array.h"

namespace qo {

struct QMapNodeGrid {
  double MinX = 0, MinY = 0, Cell = 0;
  int32_t Columns = 0, Rows = 0;  // 0: no grid; a query walks every node
  // Per cell, row by row, its first entry of Nodes; one more entry ends the
  // last cell.
  std::vector<int32_t> CellStart;
  // The path nodes at a finite point, cell by cell, ascending within a cell.
  std::vector<int32_t> Nodes;
  // The path nodes whose x or y is no finite number: no cell holds them.
  std::vector<int32_t> Loose;
};

// The grid of the path nodes (those whose `nodeCoor` is negative) among
// the 16-byte point records `nodes`. No grid when there is none to place or
// their spread is more than a double holds.
void BuildQMapNodeGrid(RecordArray const& nodes, ImageArray<int32_t> const& nodeCoor,
                       QMapNodeGrid& grid);

// Into `near`, ascending, path nodes near (x, y): every one whose
// std::fabs(its x - x) and std::fabs(its y - y) both come out below `half`,
// every loose one, and maybe some more. False (`near` then undefined) when
// the grid cannot tell (a point or a `half` that is no finite number) or
// would hand over about as many nodes as a walk of them all: the caller
// walks every node.
bool QMapNodesNear(QMapNodeGrid const& grid, double x, double y, double half,
                   std::vector<int32_t>& near);

}  // namespace qo
