#pragma once
// The point record of the QMap extension: 16 bytes {double x; double y},
// the layout of the polylines' points and of the path network's nodes
// alike.
#include <cstdint>

#include "format/image_array.h"

namespace qo {

inline constexpr int32_t kQMapPointBytes = 16;

struct QMapPoint {
  double x = 0, y = 0;
  bool operator==(QMapPoint const&) const = default;
};

// Point i of a table of point records (a polyline, the nodes).
inline QMapPoint QMapPointAt(RecordArray const& points, int32_t i) {
  return {points.Field<double>(i, 0), points.Field<double>(i, 8)};
}

}  // namespace qo
