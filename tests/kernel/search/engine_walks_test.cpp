// Walks in the engines: the short walks taken on alighting, the longer
// ones a round later, the walks that never happen (to a To station, after
// another walk), and journeys over several timetables joined by their
// links and by stations they share.
#include <gtest/gtest.h>

#include "kernel/search/engine_test_support.h"

namespace qo::test {
namespace {

constexpr uint16_t kDay = w::DayNumberOf(2025, 6, 11);

// Walking links hold both ways: the backward engine walks them from the
// other end.
std::vector<w::Transfer> Both(std::vector<w::Transfer> walks) {
  std::vector<w::Transfer> out;
  for (w::Transfer const& t : walks) {
    out.push_back(t);
    out.push_back({.from = t.to, .to = t.from, .minutes = t.minutes});
  }
  return out;
}

class EngineWalksTest : public EngineTest {
 protected:
  // The loaded-set index of the timetable with this id.
  int Index(uint32_t id) {
    for (int i = 0; i < LoadedCount(); ++i)
      if (TimetableAt(i)->TimetableId == id) return i;
    return -1;
  }

  // One forward pass from a station of one timetable to a station of
  // another (or the same).
  ConnectionList Run(int fromTt, uint16_t from, int toTt, uint16_t to, int time, int changes,
                     bool backward = false) {
    return RunSearch({.From = {{.timetable = TimetableAt(fromTt), .station = from}},
                      .To = {{.timetable = TimetableAt(toTt), .station = to}},
                      .Time = time,
                      .MaxChanges = changes},
                     {}, backward ? SearchDirection::Backward : SearchDirection::Forward)
        .Found;
  }
};

// From 0 to 3 over a train 0 -> 1 (590-600), a walk 1 -> 2 and a train
// 2 -> 3 (615-630); station 4 lies beside 1 and 2.
TEST_F(EngineWalksTest, WalksWithinATimetable) {
  struct Case {
    char const* name;
    std::vector<w::Transfer> walks;
    int changes;
    std::string found;
  } const cases[] = {
      {"a short walk is taken on alighting", {{.from = 1, .to = 2, .minutes = 4}}, 1, " 590-630/2"},
      {"a longer walk takes a round of its own",
       {{.from = 1, .to = 2, .minutes = 10}},
       1,
       " (none)"},
      {"... and is found with one change more",
       {{.from = 1, .to = 2, .minutes = 10}},
       2,
       " 590-630/2"},
      {"a walk up to the longest arc", {{.from = 1, .to = 2, .minutes = 13}}, 2, " 590-630/2"},
      {"a walk that misses the train", {{.from = 1, .to = 2, .minutes = 14}}, 2, " (none)"},
      {"a switched-off link", {{.from = 1, .to = 2, .minutes = -4}}, 2, " (none)"},
      {"no walk after a walk",
       {{.from = 1, .to = 4, .minutes = 2}, {.from = 4, .to = 2, .minutes = 2}},
       3,
       " (none)"},
      {"no walk to the To station", {{.from = 1, .to = 3, .minutes = 1}}, 3, " (none)"},
  };
  for (Case const& c : cases) {
    w::TimetableModel m = LineTimetable(1, 1, 5, 100);
    m.transfers = Both(c.walks);
    m.trains = {Trip({Dep(0, 590), Arr(1, 600)}, "1"), Trip({Dep(2, 615), Arr(3, 630)}, "2")};
    QoCloseData();
    ASSERT_EQ(Load({dir_.Write("walks.qo", m)}), 1) << c.name;
    SetSearchDay(kDay);
    CurrentSearchSettings().Parms.ArcLength = 13;
    EXPECT_EQ(Describe(Journeys(Run(0, 0, 0, 3, 580, c.changes))), c.found) << c.name;
    // The backward engine walks the same way.
    EXPECT_EQ(Describe(Journeys(Run(0, 0, 0, 3, 640, c.changes, true))), c.found) << c.name;
  }
}

// A rail timetable, a bus timetable and a city timetable. Rail station 1
// links to city stop 0 (3 minutes); city stop 1 links to bus stop 0 (8
// minutes, a long walk).
TEST_F(EngineWalksTest, AJourneyOverThreeTimetablesWalksBetweenThem) {
  w::TimetableModel rail = LineTimetable(1, 1, 2, 5000);
  rail.trains = {Trip({Dep(0, 600), Arr(1, 620)}, "R1")};
  rail.links = {{.kind = 3, .entries = {{.station = 1, .other_key = 7000, .value = 3}}}};
  w::TimetableModel city = LineTimetable(2, 3, 2, 7000);
  city.trains = {Trip({Dep(0, 625), Arr(1, 635)}, "T1")};
  city.links = {{.kind = 2, .entries = {{.station = 1, .other_key = 9000, .value = 8}}}};
  w::TimetableModel bus = LineTimetable(3, 2, 2, 9000);
  bus.trains = {Trip({Dep(0, 645), Arr(1, 700)}, "B1"), Trip({Dep(0, 642), Arr(1, 710)}, "B0")};
  ASSERT_EQ(
      Load({dir_.Write("rail.qo", rail), dir_.Write("city.qo", city), dir_.Write("bus.qo", bus)}),
      3);
  SetSearchDay(kDay);
  const int r = Index(1), c = Index(2), b = Index(3);
  ConnectionList found = Run(r, 0, b, 1, 590, 3);
  ASSERT_EQ(Describe(Journeys(found)), " 600-700/3");
  Connection const& legs = found.front();
  EXPECT_EQ(legs[0].Timetable, r);
  EXPECT_EQ(legs[1].Timetable, c);
  EXPECT_EQ(legs[1].FromStation, 0);
  EXPECT_EQ(legs[2].Timetable, b);
  EXPECT_EQ(legs[2].DepartureMinute, 645) << "the 8-minute walk misses the bus at 6:42";
  // The long walk needs a round: with one change fewer nothing is found.
  EXPECT_EQ(Describe(Journeys(Run(r, 0, b, 1, 590, 2))), " (none)");
  EXPECT_EQ(Describe(Journeys(Run(r, 0, b, 1, 710, 3, true))), " 600-700/3");
}

// A station of one timetable that another holds under the same key: the
// trains of both leave from it. A rail station and the bus stop sharing
// its key are two stops, and the change between them takes the bus
// timetable's change time; two bus timetables that share a stop need none.
TEST_F(EngineWalksTest, AChangeToTheSameStationInAnotherTimetable) {
  struct Case {
    char const* name;
    uint8_t firstKind;
    std::string found;
  } const cases[] = {
      {"rail station and bus stop", 1, " 580-630/2"},
      {"one bus stop in two timetables", 2, " 580-620/2"},
  };
  for (Case const& c : cases) {
    QoCloseData();
    w::TimetableModel first = LineTimetable(1, c.firstKind, 2, 5000);
    first.trains = {Trip({Dep(0, 580), Arr(1, 600)}, "1")};
    w::TimetableModel bus = LineTimetable(2, 2, 2, 5001);
    bus.search.min_change_time = 3;
    bus.trains = {Trip({Dep(0, 600), Arr(1, 620)}, "2"), Trip({Dep(0, 610), Arr(1, 630)}, "3")};
    ASSERT_EQ(Load({dir_.Write("first.qo", first), dir_.Write("bus.qo", bus)}), 2) << c.name;
    SetSearchDay(kDay);
    EXPECT_EQ(Describe(Journeys(Run(Index(1), 0, Index(2), 1, 570, 1))), c.found) << c.name;
    EXPECT_EQ(Describe(Journeys(Run(Index(1), 0, Index(2), 1, 640, 1, true))), c.found) << c.name;
  }
}

// A walk into a town with city transport is capped at the city length (10
// minutes): there the trams go on from nearer. Each case walks 12 minutes
// (or 10) from stop 1 of timetable 1 to where a train leaves for the end.
TEST_F(EngineWalksTest, AWalkIntoATownWithCityTransportIsCapped) {
  enum Way { kWithin, kByLink, kSameStop };
  struct Case {
    char const* name;
    Way way;
    uint8_t kind;  // of the timetable the walk leads into
    int8_t minutes;
    std::string found;
  } const cases[] = {
      {"within a city timetable", kWithin, 3, 12, " (none)"},
      {"... up to the city length", kWithin, 3, 10, " 590-630/2"},
      {"within a bus timetable", kWithin, 2, 12, " 590-630/2"},
      {"by a link into a city timetable", kByLink, 3, 12, " (none)"},
      {"... into a bus timetable", kByLink, 2, 12, " 600-660/2"},
      {"to a bus stop that is a city stop too", kSameStop, 3, 12, " (none)"},
      {"... that is a bus stop only", kSameStop, 2, 12, " 590-630/2"},
  };
  for (Case const& c : cases) {
    QoCloseData();
    std::vector<std::string> files;
    if (c.way == kByLink) {
      w::TimetableModel rail = LineTimetable(1, 1, 2, 5000);
      rail.trains = {Trip({Dep(0, 600), Arr(1, 620)}, "R1")};
      rail.links = {
          {.kind = c.kind,
           .entries = {
               {.station = 1, .other_key = 7000, .value = static_cast<uint8_t>(c.minutes)}}}};
      w::TimetableModel other = LineTimetable(2, c.kind, 2, 7000);
      other.trains = {Trip({Dep(0, 640), Arr(1, 660)}, "T1")};
      files = {dir_.Write("rail.qo", rail), dir_.Write("other.qo", other)};
    } else {
      w::TimetableModel m = LineTimetable(1, c.way == kWithin ? c.kind : 2, 4, 100);
      m.transfers = Both({{.from = 1, .to = 2, .minutes = c.minutes}});
      m.trains = {Trip({Dep(0, 590), Arr(1, 600)}, "1"), Trip({Dep(2, 615), Arr(3, 630)}, "2")};
      files = {dir_.Write("walks.qo", m)};
      if (c.way == kSameStop) {
        // Stop 2 is also the first stop of a timetable of the kind asked,
        // which takes it as one of its own.
        w::TimetableModel other = LineTimetable(2, c.kind, 2, 7000);
        other.trains = {Trip({Dep(0, 700), Arr(1, 720)}, "T1")};
        m.merge_kind = c.kind;
        m.stations[2].merge_key = 7000;
        files = {dir_.Write("walks.qo", m), dir_.Write("other.qo", other)};
      }
    }
    ASSERT_EQ(Load(files), static_cast<int>(files.size())) << c.name;
    SetSearchDay(kDay);
    const int from = Index(1), to = c.way == kByLink ? Index(2) : Index(1);
    const uint16_t end = c.way == kByLink ? 1 : 3;
    const int time = c.way == kByLink ? 590 : 580;
    EXPECT_EQ(Describe(Journeys(Run(from, 0, to, end, time, 2))), c.found) << c.name;
    EXPECT_EQ(Describe(Journeys(Run(from, 0, to, end, time + 80, 2, true))), c.found) << c.name;
  }
}

}  // namespace
}  // namespace qo::test
