// The forward engine behind the request front: a connection of sixteen
// trains comes out whole in the result buffer, and a direct search that
// finds nothing tries four windows before it reports error 12.
#include <gtest/gtest.h>

#include <cstring>

#include "frame/error_codes.h"
#include "kernel/search/engine_test_support.h"

namespace qo::test {
namespace {

class EngineFrontTest : public EngineTest {
 protected:
  // Stops 0..16 in a row, one train between each two, five minutes each.
  void SetUp() override {
    EngineTest::SetUp();
    w::TimetableModel m;
    for (int s = 0; s <= 16; ++s)
      m.stations.push_back(
          {.name = {"Stop " + std::to_string(s)}, .key = 100 * (s + 1), .type = 0x01});
    m.train_types = {{.abbreviation = {"Os"}, .description = {"Train"}}};
    m.search.min_change_time = 2;
    for (uint16_t s = 0; s < 16; ++s)
      m.trains.push_back({.stops = {Dep(s, 600 + 10 * s), Arr(s + 1, 605 + 10 * s)},
                          .number = std::to_string(s + 1)});
    ASSERT_EQ(Load({dir_.Write("line.qo", m)}), 1);
    CurrentSearchSettings().Parms.MaxChanges = 15;
  }

  int Search(int to, bool changes, int* count, unsigned char** buffer) {
    int fromItem = 0, toItem = to, list = -1, timetable = 0;
    return QoConnection(&fromItem, &list, &timetable, 1, &toItem, &list, &timetable, 1, nullptr,
                        nullptr, nullptr, 0, 590, 11, 6, 2025, changes ? 1 : 0, 1, nullptr, count,
                        buffer);
  }
};

TEST_F(EngineFrontTest, SixteenLegsComeOutWholeInTheResultBuffer) {
  int count = 0;
  unsigned char* buffer = nullptr;
  Search(16, true, &count, &buffer);
  ASSERT_EQ(QoError(), 0);
  ASSERT_EQ(count, 1);
  ASSERT_NE(buffer, nullptr);
  CONNHEAD_REC head;
  std::memcpy(&head, buffer, sizeof head);
  ASSERT_EQ(head.legs, 16);
  EXPECT_EQ(head.duration, 155);
  for (int i = 0; i < 16; ++i) {
    CONNLEG_REC leg;
    std::memcpy(&leg, buffer + sizeof head + static_cast<size_t>(i) * sizeof leg, sizeof leg);
    EXPECT_EQ(leg.from, i);
    EXPECT_EQ(leg.to, i + 1);
    EXPECT_EQ(leg.departure, 600 + 10 * i);
  }
}

TEST_F(EngineFrontTest, ADirectSearchWithoutTrainsTriesFourWindowsThenFails) {
  int count = -1;
  unsigned char* buffer = nullptr;
  Search(16, false, &count, &buffer);
  EXPECT_EQ(QoError(), ErrConnectionNotFound);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(buffer, nullptr);
  EXPECT_EQ(QoGetSearchProgress()->passes, 4);
}

}  // namespace
}  // namespace qo::test
