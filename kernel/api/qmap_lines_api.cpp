// QMap exports over services: lines through a rectangle, a line's stop
// patterns, the course of a train or a found connection over the arcs,
// the cover of lines, the legend of arc lists and the pattern stops
// without an arc.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "api/line_settings.h"
#include "core/counted_array.h"
#include "dates/clock.h"
#include "lines/qmap_lines.h"
#include "map/qmap_coors.h"
#include "map/qmap_network.h"
#include "search/search_handle.h"

using namespace qo;

namespace {

// The timetable with QMap data and stop patterns, or null with error 3
// or 23.
TimetableRecord* PatternsOf(int timetable) {
  TimetableRecord* t = api::CheckTimetable(timetable);
  if (!t) return nullptr;
  if (!t->QMap || !HasStopPatterns(*t)) {
    SetKernelError(ErrNotSupported);
    return nullptr;
  }
  return t;
}

int32_t DayOrToday(int day) { return day > 0 ? day : static_cast<int32_t>(GetToday()); }

template <class T>
void Put(T* out, T value) {
  if (out) *out = value;
}

template <class T>
T const* DataOrNull(std::vector<T> const& v) {
  return v.empty() ? nullptr : v.data();
}

// Counted int arrays handed out in a list: each the 8-byte header and the
// values, the list pointing at the values (the empty one is null).
class CountedLists {
 public:
  void Assign(std::vector<std::vector<int32_t>> const& lists) {
    storage_.resize(lists.size());
    pointers_.resize(lists.size());
    for (size_t i = 0; i < lists.size(); ++i) Set(i, lists[i]);
  }
  template <class Get>
  void Assign(size_t n, Get get) {
    storage_.resize(n);
    pointers_.resize(n);
    for (size_t i = 0; i < n; ++i) Set(i, get(i));
  }
  int const* const* data() const { return DataOrNull(pointers_); }

 private:
  void Set(size_t i, std::vector<int32_t> const& values) {
    std::vector<int32_t>& s = storage_[i];
    s.assign({static_cast<int32_t>(4 * values.size()), static_cast<int32_t>(values.size())});
    s.insert(s.end(), values.begin(), values.end());
    pointers_[i] = values.empty() ? nullptr : s.data() + 2;
  }
  std::vector<std::vector<int32_t>> storage_;
  std::vector<int const*> pointers_;
};

// The same for doubles.
class CountedDoubles {
 public:
  template <class Get>
  void Assign(size_t n, Get get) {
    storage_.resize(n);
    pointers_.resize(n);
    for (size_t i = 0; i < n; ++i) {
      std::vector<double> const& values = get(i);
      std::vector<double>& s = storage_[i];
      s.assign(1, 0.0);  // the header: one double's room
      const int32_t header[2] = {static_cast<int32_t>(8 * values.size()),
                                 static_cast<int32_t>(values.size())};
      std::memcpy(s.data(), header, sizeof header);
      s.insert(s.end(), values.begin(), values.end());
      pointers_[i] = values.empty() ? nullptr : s.data() + 1;
    }
  }
  double const* const* data() const { return DataOrNull(pointers_); }

 private:
  std::vector<std::vector<double>> storage_;
  std::vector<double const*> pointers_;
};

}  // namespace

extern "C" {

QO_API int QoQMapLines(int timetable, double min_x, double max_x, double min_y, double max_y,
                       unsigned int mask, int day, int week, const int** trains) {
  return api::GuardedExport(0, [&] {
    static std::vector<int32_t> found;
    Put(trains, static_cast<const int*>(nullptr));
    TimetableRecord* t = PatternsOf(timetable);
    if (!t) return 0;
    QMapRunning running(*t, api::ExportLineSettings(), day, week != 0);
    QMapLinesInRect(*t, *t->QMap, {min_x, max_x, min_y, max_y}, mask, DayOrToday(running.day),
                    running, found);
    Put(trains, DataOrNull(found));
    return static_cast<int>(found.size());
  });
}

QO_API int QoQMapTrainPatterns(int timetable, int train, int day, int week, const int** trains) {
  return api::GuardedExport(0, [&] {
    static std::vector<int32_t> found;
    Put(trains, static_cast<const int*>(nullptr));
    TimetableRecord* t = PatternsOf(timetable);
    if (!t || !api::CheckTrain(*t, train)) return 0;
    QMapRunning running(*t, api::ExportLineSettings(), day, week != 0);
    QMapTrainPatterns(*t, static_cast<uint32_t>(train), running, found);
    Put(trains, DataOrNull(found));
    return static_cast<int>(found.size());
  });
}

QO_API int QoQMapLinesCover(int timetable, double min_x, double max_x, double min_y, double max_y,
                            unsigned int mask, int day, int week, const char* const* filters,
                            int filter_count, const int** stations, const double** x,
                            const double** y, int* station_count, const int** trains,
                            const int* const** from_lists, const int* const** to_lists,
                            const int* const** arc_lists, const int* const** continuation_lists,
                            const int* const** start_lists, const int* const** end_lists) {
  return api::GuardedExport(0, [&] {
    static QMapCover cover;
    static std::vector<double> xs, ys;
    static std::vector<int32_t> trainOut;
    static CountedLists from, to, arcs, continuations, starts, ends;
    Put(station_count, 0);
    TimetableRecord* t = PatternsOf(timetable);
    if (!t) return 0;
    QMapRunning running(*t, api::ExportLineSettings(), day, week != 0);
    QMapCoverRequest request;
    request.rect = {min_x, max_x, min_y, max_y};
    request.mask = mask;
    // Coordinates and arcs are both taken on the one date: without a day
    // that is today, so that the arcs drawn are those of the coordinates.
    request.date = DayOrToday(running.day);
    request.hasFilters = filters && filter_count > 0;
    for (int f = 0; request.hasFilters && f < filter_count; ++f)
      request.filters.push_back(api::TakeText(filters[f], 39));
    request.continuations = continuation_lists != nullptr;
    request.ends = start_lists != nullptr || end_lists != nullptr;
    QMapLinesCover(*t, *t->QMap, request, running, cover);

    const size_t lines = cover.lines.size();
    Put(stations, DataOrNull(cover.stations));
    Put(station_count, static_cast<int>(cover.stations.size()));
    if (x && y) {
      xs.resize(cover.stations.size());
      ys.resize(cover.stations.size());
      for (size_t i = 0; i < cover.stations.size(); ++i)
        QMapCoor(*t->QMap, cover.stations[i], request.date, &xs[i], &ys[i]);
      *x = DataOrNull(xs);
      *y = DataOrNull(ys);
    }
    trainOut.resize(lines);
    for (size_t l = 0; l < lines; ++l) trainOut[l] = cover.lines[l].train;
    Put(trains, DataOrNull(trainOut));
    auto hand = [&](CountedLists& lists, const int* const** out, auto member) {
      if (!out) return;
      lists.Assign(lines,
                   [&](size_t l) -> std::vector<int32_t> const& { return cover.lines[l].*member; });
      *out = lists.data();
    };
    hand(from, from_lists, &QMapCoverLine::from);
    hand(to, to_lists, &QMapCoverLine::to);
    hand(arcs, arc_lists, &QMapCoverLine::arcs);
    hand(continuations, continuation_lists, &QMapCoverLine::continuations);
    hand(starts, start_lists, &QMapCoverLine::starts);
    hand(ends, end_lists, &QMapCoverLine::ends);
    return static_cast<int>(lines);
  });
}

QO_API void QoQMapDesc(int timetable, const int* const* arc_lists, int list_count,
                       const int* const** groups, int* group_count, const int* const** chains,
                       const int** chain_groups, int* chain_count) {
  api::GuardedExport(0, [&] {
    static QMapLegend legend;
    static CountedLists groupOut, chainOut;
    if (!arc_lists || list_count <= 0) return 0;
    TimetableRecord* t = api::CheckTimetable(timetable);
    if (!t) return 0;
    if (!t->QMap) {
      SetKernelError(ErrNotSupported);
      return 0;
    }
    std::vector<std::vector<int32_t>> lists(static_cast<size_t>(list_count));
    for (int l = 0; l < list_count; ++l) {
      const int* list = arc_lists[l];
      const int32_t n = list ? GetArrayCount(list) : 0;
      if (n > 0) lists[static_cast<size_t>(l)].assign(list, list + n);
    }
    const size_t held = group_count && *group_count > 0 ? static_cast<size_t>(*group_count) : 0;
    if (!DescribeArcLists(*t->QMap, lists, held, legend)) {
      SetKernelError(ErrIndexOutOfRange);
      return 0;
    }
    groupOut.Assign(legend.groups);
    chainOut.Assign(legend.chains);
    Put(groups, groupOut.data());
    Put(group_count, static_cast<int>(legend.groups.size()));
    Put(chains, chainOut.data());
    Put(chain_groups, DataOrNull(legend.chainGroups));
    Put(chain_count, static_cast<int>(legend.chains.size()));
    return 0;
  });
}

QO_API int QoQMapTrain(int timetable, int train, int date, const int** stations, const double** x,
                       const double** y, const int** arcs) {
  return api::GuardedExport(0, [&] {
    static QMapCourse course;
    TimetableRecord* t = PatternsOf(timetable);
    if (!t || !api::CheckTrain(*t, train)) return 0;
    if (!QMapTrainCourse(*t, *t->QMap, static_cast<uint32_t>(train), DayOrToday(date), course))
      return 0;
    Put(stations, DataOrNull(course.stations));
    Put(x, DataOrNull(course.x));
    Put(y, DataOrNull(course.y));
    Put(arcs, DataOrNull(course.arcs));
    return static_cast<int>(course.stations.size());
  });
}

QO_API int QoQMapConn(void* handle, int connection, const int** timetables,
                      const int* const** station_lists, const double* const** x_lists,
                      const double* const** y_lists, const int* const** arc_lists) {
  return api::GuardedExport(0, [&] {
    static std::vector<QMapCourse> courses;
    static std::vector<int32_t> tables;
    static CountedLists stationOut, arcOut;
    static CountedDoubles xOut, yOut;
    Connection* legs = FindConnection(handle, connection);
    if (!legs) return 0;
    SearchHandle const* h = LiveHandle(handle);
    const bool byDayType = h && h->Request.ByDayType;
    const int32_t searchDay = h ? static_cast<int32_t>(h->Request.Day) : 0;
    courses.resize(legs->size());
    tables.resize(legs->size());
    for (size_t l = 0; l < legs->size(); ++l) {
      ConnectionLeg const& leg = (*legs)[l];
      TimetableRecord* t = PatternsOf(leg.Timetable);
      if (!t) return 0;
      // A walk has no train, and so no course.
      if (leg.Train < 0 || static_cast<uint32_t>(leg.Train) >= t->TrainCount) return 0;
      const int32_t date =
          byDayType ? static_cast<int32_t>(GetToday()) : searchDay + leg.DepartureDay;
      if (!QMapLegCourse(*t, *t->QMap, static_cast<uint32_t>(leg.Train), leg.FromStation,
                         leg.ToStation, date, courses[l]))
        return 0;
      tables[l] = leg.Timetable;
    }
    const size_t n = legs->size();
    stationOut.Assign(n,
                      [&](size_t l) -> std::vector<int32_t> const& { return courses[l].stations; });
    arcOut.Assign(n, [&](size_t l) -> std::vector<int32_t> const& { return courses[l].arcs; });
    xOut.Assign(n, [&](size_t l) -> std::vector<double> const& { return courses[l].x; });
    yOut.Assign(n, [&](size_t l) -> std::vector<double> const& { return courses[l].y; });
    Put(timetables, DataOrNull(tables));
    Put(station_lists, stationOut.data());
    Put(x_lists, xOut.data());
    Put(y_lists, yOut.data());
    Put(arc_lists, arcOut.data());
    return static_cast<int>(n);
  });
}

QO_API int QoQMapMissingArc(int timetable, int position, int* station_a, int* station_b,
                            int* kind) {
  return api::GuardedExport(-1, [&] {
    Put(station_a, 0);
    Put(station_b, 0);
    Put(kind, 0);
    TimetableRecord* t = PatternsOf(timetable);
    if (!t) return -1;
    if (!HasQMapNetwork(*t->QMap)) {
      SetKernelError(ErrNotSupported);
      return -1;
    }
    int32_t a = 0, b = 0, k = 0;
    const int32_t found = QMapMissingArc(*t, *t->QMap, position, &a, &b, &k);
    Put(station_a, static_cast<int>(a));
    Put(station_b, static_cast<int>(b));
    Put(kind, static_cast<int>(k));
    return static_cast<int>(found);
  });
}

}  // extern "C"
