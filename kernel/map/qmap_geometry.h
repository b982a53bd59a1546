#pragma once
// Plane geometry over the QMap points, shared by the queries that look for
// the point of a course or of the path network nearest to a map point.
#include "format/qmap_layout.h"

namespace qo {

// The foot of the perpendicular from p when it falls on the segment from a
// to b, ends included; false for a segment of length 0 or a foot outside
// it.
inline bool SegmentFoot(QMapPoint a, QMapPoint b, QMapPoint p, QMapPoint* foot) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  if (length2 == 0) return false;
  const double u = ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2;
  if (u < 0 || u > 1) return false;
  *foot = {a.x + u * dx, a.y + u * dy};
  return true;
}

}  // namespace qo
