#pragma once
// The content of a QMap extension file as tests and tools describe it:
// dated coordinates of stations and other places, the arcs between them
// drawn as polylines, and the path network of nodes and edges.
#include <cstdint>
#include <vector>

namespace qo::writer {

struct QMapPoint {
  double x = 0;
  double y = 0;
};

// An arc from its coordinate record to record `target`, over the polylines
// it names in order.
struct QMapArc {
  int32_t target = 0;
  int16_t kind = 0;
  uint16_t valid_from = 0;  // a day number
  std::vector<int32_t> polylines{};
};

// A coordinate record: a station key (or the key of another place), the
// day from which it holds, the coordinates, and the arcs leaving it.
struct QMapCoor {
  int32_t key = 0;
  uint16_t valid_from = 0;
  QMapPoint at{};
  std::vector<QMapArc> arcs{};
};

struct QMapEdge {
  int32_t target = 0;
  int32_t length = 0;
};

struct QMapNode {
  QMapPoint at{};
  int32_t coor = -1;  // the coordinate record of a station node; negative: a path node
  std::vector<QMapEdge> edges{};
};

struct QMapModel {
  uint16_t version = 1;
  // Sorted by key, the records of one key newest first (the writer keeps
  // the order given, so that tests can write damaged orders too).
  std::vector<QMapCoor> coors{};
  std::vector<std::vector<QMapPoint>> polylines{};
  // Per polyline, the polylines that continue it.
  std::vector<std::vector<int32_t>> neighbours{};
  std::vector<QMapNode> nodes{};  // version 1 and later
};

}  // namespace qo::writer
