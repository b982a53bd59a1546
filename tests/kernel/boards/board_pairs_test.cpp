// A board over sets of stations shares each board station's trains between
// its pairs and walks only the trains that can reach the other station. It
// must list exactly what one plain board per pair lists: random networks
// with equal names, trains calling twice, request stops and region groups
// check that against the plain boards.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "boards/board_core.h"
#include "kernel/loading/loading_test_support.h"
#include "stations/station_search.h"

namespace qo::test {
namespace {

// The multi-pair board as the plain boards give it: one board per pair, a
// train listed by its first pair only.
std::vector<BoardEntry> PlainBoards(TimetableRecord& t, std::vector<int> const& from,
                                    std::vector<int> const& to, bool departures,
                                    BoardFilter const& filter) {
  std::vector<uint8_t> taken(t.TrainCount, 0);
  std::vector<BoardEntry> out, pair;
  auto add = [&](int f, int g) {
    const bool equalNames = !(f >= 0 && g >= 0 && f != g && StationsEqual(t, f, g));
    EXPECT_EQ(CollectBoard(t, f, g, departures, filter, equalNames, pair), 0);
    for (const BoardEntry& e : pair)
      if (!taken[static_cast<size_t>(e.train)]) out.push_back(e);
    for (const BoardEntry& e : pair) taken[static_cast<size_t>(e.train)] = 1;
  };
  if (from.empty()) {
    for (int g : to) add(-1, g);
  } else {
    for (int f : from) {
      if (to.empty()) add(f, -1);
      for (int g : to) add(f, g);
    }
  }
  SortBoard(out);
  return out;
}

using Row = std::tuple<int, int, int, int, int>;

std::vector<Row> Rows(std::vector<BoardEntry> const& entries) {
  std::vector<Row> rows;
  for (BoardEntry const& e : entries)
    rows.emplace_back(e.station, e.other, e.train, e.minute, e.dayOffset);
  return rows;
}

w::TimetableModel RandomNetwork(std::mt19937& random, uint8_t kind) {
  w::TimetableModel m = SmallModel(1, kind, 0, 0);
  m.regions = {"*North", "*South", "West"};
  char const* names[] = {"Alpha", "Beta", "Gamma", "Delta"};
  int const stations = 12;
  for (int s = 0; s < stations; ++s)
    m.stations.push_back({.name = {names[random() % 4]},
                          .key = s + 1,
                          .region = static_cast<int16_t>(random() % 3)});
  const uint16_t flagChoices[] = {0, 0, 0, 0x1000, 0x4000, 0x5000, 0x0800};
  for (int n = 0; n < 60; ++n) {
    w::Train train;
    int const count = 2 + static_cast<int>(random() % 6);
    int minute = static_cast<int>(random() % 1300);
    for (int k = 0; k < count; ++k) {
      w::Stop stop{.station = static_cast<uint16_t>(random() % stations)};
      if (k > 0) stop.arrival = minute;
      if (k + 1 < count) stop.departure = minute + 1;
      if (k > 0 && k + 1 < count) stop.flags = flagChoices[random() % 7];
      minute += 3 + static_cast<int>(random() % 20);
      train.stops.push_back(stop);
    }
    train.attributes = random() % 5 == 0 ? 0x80000000 : 0;
    m.trains.push_back(train);
  }
  return m;
}

class BoardPairs : public LoadingTest {};

TEST_F(BoardPairs, SharedStationTrainsListWhatPlainBoardsList) {
  std::mt19937 random(20261210);
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const uint8_t kind = round % 2 == 0 ? 1 : 2;
    ASSERT_EQ(Load({dir_.Write("n.qo", RandomNetwork(random, kind))}), 1);
    TimetableRecord& t = At(0);
    const BoardFilter filter = MakeBoardFilter(t, 0xFFFFFFFF, 0xFFFFFFFF);
    BoardWork work;
    std::vector<BoardEntry> board;
    for (int request = 0; request < 30; ++request) {
      std::vector<int> from, to;
      for (int i = static_cast<int>(random() % 4); i > 0; --i) from.push_back(random() % 12);
      for (int i = static_cast<int>(random() % 4); i > 0; --i) to.push_back(random() % 12);
      for (bool departures : {true, false}) {
        if (departures && from.empty()) continue;
        ASSERT_EQ(CollectBoardExt(t, from.data(), static_cast<int>(from.size()), to.data(),
                                  static_cast<int>(to.size()), departures, filter, work, board),
                  0);
        EXPECT_EQ(Rows(board), Rows(PlainBoards(t, from, to, departures, filter)));
      }
    }
    Clear();
  }
}

}  // namespace
}  // namespace qo::test
