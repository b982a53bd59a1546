#pragma once
// QMap station queries: the stations and list items inside a map
// rectangle, an item's stations with their coordinates, the stations the
// data leaves without a coordinate, and the course of one arc between two
// points near it.
#include <cstdint>
#include <vector>

#include "load/timetable_record.h"

namespace qo {

// A map rectangle, bounds included.
struct QMapRect {
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
  // A point at 0 on either axis is a point the data does not know.
  bool Holds(double x, double y) const {
    return x != 0 && y != 0 && x >= minX && x <= maxX && y >= minY && y <= maxY;
  }
};

// Stations (as int, which the national data needs) with their x and y.
struct QMapPlaces {
  std::vector<int32_t> stations;
  std::vector<double> x, y;
  void Clear() {
    stations.clear();
    x.clear();
    y.clear();
  }
  void Add(int32_t station, double px, double py) {
    stations.push_back(station);
    x.push_back(px);
    y.push_back(py);
  }
};

// The stations whose coordinate on `date` lies inside the rectangle, in
// station order.
void QMapStationsInRect(TimetableRecord const& t, QMapData const& q, QMapRect const& rect,
                        int32_t date, QMapPlaces& out);

// The stations of item `item` of list `list` with their coordinates on
// `date`; without `keepMissing` a station without a coordinate (x or y 0)
// is left out. The caller checked the list; an item outside it gives none.
void QMapItemCoors(TimetableRecord const& t, QMapData const& q, int list, int32_t item,
                   int32_t date, bool keepMissing, QMapPlaces& out);

// The items of the timetable's first list that extends the stations that
// have a station inside the rectangle, each at the mean of those stations;
// `stations` of `out` holds the items. The list's index, -1 (and nothing)
// without such a list.
int QMapItemsInRect(TimetableRecord const& t, QMapData const& q, QMapRect const& rect, int32_t date,
                    QMapPlaces& out);

// The first station after `start` without a coordinate, -1 when none.
int32_t QMapMissingStation(TimetableRecord const& t, QMapData const& q, int32_t start);

// The course of arc `arc` from its point nearest to (x1, y1) on to its
// point nearest to (x2, y2); the points into x and y (cleared first). False
// for an arc outside the table.
bool QMapArcCourse(QMapData const& q, int32_t arc, double x1, double y1, double x2, double y2,
                   std::vector<double>& x, std::vector<double>& y);

}  // namespace qo
