#pragma once
// A timetable with a QMap network for the QMap tests: twelve stations on a
// road, their trains' stop patterns, and the path network beside it.
//
// Stations 0..11 keyed 10100..10600 (key group 1) and 20100..20600
// (group 2). Station s stands at (10 + 10 s, 15); station 1 moved there on
// day kNew from (20, 16); station 10 has x but y 0, station 11 nothing. A
// place of no station (key 10350) lies at (40, 14).
//
// Path nodes 0..11 run along y = 5 (10 apart, edges both ways); every
// coordinate record but station 10's old one has a node above its path
// node (edge 10 long; station 1's old one 12), station 2's record two.
//
// Arcs, kind 1 unless said: 0: 0 -> 1, 1: 1 -> 2, 2: 2 -> 3 (from kNew),
// 3: 2 -> 1, 4: 3 -> 2, 5: 6 -> 7, 6: 8 -> 9 (kind 2). Polylines 0..2 run
// from station 0 to 3, each continued by the next; 3: 6 -> 7, 4: 8 -> 9.
//
// Trains: 0, 1 line "1" 0 -> 1 -> 2 -> 3 (pattern 0); 2 line "1" back
// (pattern 1); 3 line "2" 6 -> 7 -> 8 (pattern 2, continues in group 2 by
// arc kind 2, type bit 1); 4 line "3" a pattern of station 5 alone; 5
// line "1" again 0 -> 1 (pattern 4, byte 64: a part course).
#include <cmath>
#include <string>
#include <vector>

#include "kernel/map/map_test_support.h"

namespace qo::test {

inline constexpr int kQOld = 40000, kQNew = 45000;

inline int32_t QKey(int s) { return (s < 6 ? 10100 : 20100 - 600) + 100 * s; }

inline w::TimetableModel QMapTimetable() {
  w::TimetableModel m = MapModel(1, 12);
  for (int s = 0; s < 12; ++s) m.stations[static_cast<size_t>(s)].key = QKey(s);
  m.train_types.push_back({.abbreviation = {"Bus"}, .description = {"Bus"}});
  auto train = [&](std::string number, std::vector<uint16_t> stations, int pattern,
                   uint8_t byte = 0, int type = 0) {
    w::Train t;
    t.number = std::move(number);
    t.type = type;
    for (size_t i = 0; i < stations.size(); ++i) {
      const int minute = 480 + 10 * static_cast<int>(i);
      if (i == 0) {
        t.stops.push_back(Dep(stations[i], minute));
      } else if (i + 1 == stations.size()) {
        t.stops.push_back(Arr(stations[i], minute));
      } else {
        t.stops.push_back(Pass(stations[i], minute, minute + 1));
      }
    }
    t.stop_pattern = pattern;
    t.stop_pattern_byte = byte;
    return t;
  };
  m.trains = {train("1", {0, 1, 2, 3}, 0), train("1", {0, 1, 2, 3}, 0),
              train("1", {3, 2, 1, 0}, 1), train("2", {6, 7, 8}, 2, 2, 1),
              train("3", {5, 4}, 3),       train("1", {0, 1}, 4, 64)};
  auto stops = [](std::vector<uint16_t> stations) {
    std::vector<w::PatternStop> p;
    for (uint16_t s : stations) p.push_back({s, 1});
    return p;
  };
  m.stop_patterns = {stops({0, 1, 2, 3}), stops({3, 2, 1, 0}), stops({6, 7, 8}), stops({5}),
                     stops({0, 1})};
  m.virtual_lists = {{.type = 3,
                      .name = {"Obce"},
                      .items = {{.stations = {0, 1}, .key = 1, .name = {"A"}},
                                {.stations = {10, 11}, .key = 2, .name = {"B"}},
                                {.stations = {5}, .key = 3, .name = {"C"}}}}};
  m.extension_names = {".qmap"};
  return m;
}

inline w::QMapModel QMapNetwork() {
  w::QMapModel q;
  auto at = [](int s) { return w::QMapPoint{10.0 + 10 * s, 15}; };
  // Records by key: 0, 1 new, 1 old, 2, the place, 3..9, 10.
  q.coors = {{QKey(0), kQOld, at(0), {{1, 1, kQOld, {0}}}},
             {QKey(1), kQNew, at(1), {{3, 1, kQOld, {1}}}},
             {QKey(1), kQOld, {20, 16}},
             {QKey(2), kQOld, at(2), {{5, 1, kQNew, {2}}, {1, 1, kQOld, {1}}}},
             {10350, kQOld, {40, 14}},
             {QKey(3), kQOld, at(3), {{3, 1, kQOld, {2}}}},
             {QKey(4), kQOld, at(4)},
             {QKey(5), kQOld, at(5)},
             {QKey(6), kQOld, at(6), {{9, 1, kQOld, {3}}}},
             {QKey(7), kQOld, at(7)},
             {QKey(8), kQOld, at(8), {{11, 2, kQOld, {4}}}},
             {QKey(9), kQOld, at(9)},
             {QKey(10), kQOld, {110, 0}}};
  q.polylines = {
      {at(0), {15, 15}, at(1)}, {at(1), at(2)}, {at(2), at(3)}, {at(6), at(7)}, {at(8), at(9)}};
  q.neighbours = {{1}, {2}, {}, {}, {}};
  for (int i = 0; i < 12; ++i) {
    w::QMapNode n{{10.0 + 10 * i, 5}, -1, {}};
    if (i > 0) n.edges.push_back({i - 1, 10});
    if (i < 11) n.edges.push_back({i + 1, 10});
    q.nodes.push_back(n);
  }
  auto stationNode = [&](int path, int record, w::QMapPoint p, int length) {
    q.nodes.push_back({p, record, {}});
    q.nodes[static_cast<size_t>(path)].edges.push_back(
        {static_cast<int32_t>(q.nodes.size()) - 1, length});
  };
  const int records[] = {0, 1, 3, 5, 6, 7, 8, 9, 10, 11, 12};
  for (int s = 0; s <= 10; ++s) stationNode(s, records[s], {10.0 + 10 * s, 15}, 10);
  stationNode(1, 2, {20, 16}, 12);
  stationNode(2, 3, {30, 15}, 10);
  stationNode(3, 4, {40, 14}, 10);
  return q;
}

class QMapNet : public MapTest {
 protected:
  void SetUp() override {
    MapTest::SetUp();
    dir_.Save("a.qmap",
              w::WriteExtension({.type = w::ExtensionType::kQMap, .qmap = QMapNetwork()}).bytes);
    ASSERT_EQ(Load({dir_.Write("a.qo", QMapTimetable())}), 1);
    QoError();
  }
};

}  // namespace qo::test
