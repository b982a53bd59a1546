// Search handles: taking the current handle out and back, connections by
// index and by ID, copies, deletion, the time range, and handles made
// before a reload.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Qo.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"
#include "search/search_handle.h"
#include "search/search_params.h"

namespace qo::test {
namespace {

class SearchHandleTest : public LoadingTest {
 protected:
  void SetUp() override {
    LoadingTest::SetUp();
    ResetConnParms(nullptr);
    w::TimetableModel m = SmallModel(1, 1, 0, 3);
    m.trains = {{.stops = {Dep(0, 480), Arr(2, 530)}},
                {.stops = {Dep(0, 490), Arr(2, 540)}},
                {.stops = {Dep(0, 500), Arr(2, 550)}}};
    path_ = dir_.Write("a.qo", m);
    ASSERT_EQ(Load({path_}), 1);
    QoError();
  }
  void TearDown() override {
    CurrentSearchHandle() = SearchHandle{};
    LoadingTest::TearDown();
  }

  // A search from station 0 to station 2 on 10.3.2025; the number found.
  static int Search(int time = 470, int byDeparture = 1) {
    int from = 0, to = 2, list = -1, timetable = 0, count = 0;
    QoConnectionExt2(&from, &list, &timetable, nullptr, 1, &to, &list, &timetable, nullptr, 1,
                     nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0, time, 10, 3, 2025,
                     1, byDeparture, nullptr, &count, nullptr);
    return count;
  }
  static int Id(void* handle, int index) {
    unsigned char* buffer = QoGetConnection(handle, index);
    if (!buffer) return 0;
    CONNHEAD_REC head;
    std::memcpy(&head, buffer, sizeof head);
    return head.id;
  }
  static int Departure(void* handle, int index) {
    unsigned char* buffer = QoGetConnection(handle, index);
    if (!buffer) return -1;
    CONNLEG_REC leg;
    std::memcpy(&leg, buffer + sizeof(CONNHEAD_REC), sizeof leg);
    return leg.departure;
  }

  std::string path_;
};

TEST_F(SearchHandleTest, TakenOutAndGivenBackTheHandleKeepsItsConnections) {
  ASSERT_EQ(Search(), 3);
  void* taken = QoGetConnHandle();
  ASSERT_NE(taken, nullptr);
  EXPECT_EQ(QoGetConnCount(nullptr), 0);
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(QoGetConnCount(taken), 3);
  EXPECT_EQ(Departure(taken, 1), 490);

  // A second search fills the current handle; the taken one is untouched.
  ASSERT_EQ(Search(495), 1);
  EXPECT_EQ(QoGetConnCount(taken), 3);

  // Set0 copies: both stay usable and independent.
  QoSetConnHandle0(taken);
  QoDeleteConnection(nullptr, 0);
  EXPECT_EQ(QoGetConnCount(nullptr), 2);
  EXPECT_EQ(QoGetConnCount(taken), 3);

  QoSetConnHandle(&taken);
  EXPECT_EQ(taken, nullptr);
  EXPECT_EQ(QoGetConnCount(nullptr), 3);
  void* none = nullptr;
  QoSetConnHandle(&none);
  QoSetConnHandle(nullptr);
  EXPECT_EQ(QoError(), 0);
}

TEST_F(SearchHandleTest, NegativeArgumentsFindConnectionsByIdUntilDeleted) {
  ASSERT_EQ(Search(), 3);
  const int id = Id(nullptr, 2);
  ASSERT_GT(id, 0);
  EXPECT_EQ(Id(nullptr, 0) + 2, id);  // IDs run on
  EXPECT_EQ(Departure(nullptr, -id), 500);
  QoDeleteConnection(nullptr, -Id(nullptr, 0));
  EXPECT_EQ(Departure(nullptr, -id), 500);  // now at index 1
  EXPECT_EQ(Departure(nullptr, 1), 500);
  QoDeleteConnection(nullptr, -id);
  EXPECT_EQ(QoGetConnCount(nullptr), 1);
  EXPECT_EQ(QoGetConnection(nullptr, -id), nullptr);
  EXPECT_EQ(QoError(), ErrConnectionId);
  EXPECT_EQ(QoGetConnection(nullptr, 1), nullptr);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);
  QoDeleteConnection(nullptr, 5);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);
  EXPECT_EQ(QoGetConnCount(nullptr), 1);
}

TEST_F(SearchHandleTest, CopiesGoToANewHandleOrTheDestinationOnce) {
  ASSERT_EQ(Search(), 3);
  void* copy = QoCopyConnection(nullptr, nullptr, 1, 0);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(QoGetConnCount(copy), 1);
  // Search by date: the copy's days are day numbers.
  unsigned char* buffer = QoGetConnection(copy, 0);
  ASSERT_NE(buffer, nullptr);
  CONNLEG_REC leg;
  std::memcpy(&leg, buffer + sizeof(CONNHEAD_REC), sizeof leg);
  EXPECT_EQ(leg.departure_day, static_cast<int>(CurrentSearchHandle().Request.Day));

  EXPECT_EQ(QoCopyConnection(copy, nullptr, 1, 0), copy);  // already there
  EXPECT_EQ(QoGetConnCount(copy), 1);
  EXPECT_EQ(QoCopyConnection(copy, nullptr, 2, 0), copy);
  EXPECT_EQ(QoGetConnCount(copy), 2);
  void* other = QoCopyConnection(copy, nullptr, 0, 1);
  ASSERT_NE(other, copy);
  EXPECT_EQ(QoGetConnCount(other), 3);
  EXPECT_EQ(QoGetConnCount(copy), 2);
  EXPECT_EQ(QoCopyConnection(copy, nullptr, 7, 0), nullptr);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);
  QoSetConnHandle(&other);
  QoSetConnHandle(&copy);
}

TEST_F(SearchHandleTest, TimeRangeCoversTheWindowOnTheSearchedSide) {
  ASSERT_EQ(Search(480), 3);
  const int length = CurrentSearchHandle().WindowLength;
  int earliest = -1, latest = -1;
  QoGetConnTimeRange(nullptr, &earliest, &latest);
  EXPECT_EQ(earliest, 480);
  EXPECT_EQ(latest, 480 + length);
  // By arrival the window lies before the window time.
  CurrentSearchHandle().Request.ByDeparture = false;
  QoGetConnTimeRange(nullptr, &earliest, &latest);
  EXPECT_EQ(earliest, 480 - length);
  EXPECT_EQ(latest, 480);
}

// A reload makes every handle stored before it stale, the current one and
// copies made from it included; a copy made after the reload is not.
TEST_F(SearchHandleTest, HandlesFromBeforeAReloadAreRefused) {
  ASSERT_EQ(Search(), 3);
  void* copyBefore = QoCopyConnection(nullptr, nullptr, 0, 0);
  void* taken = QoGetConnHandle();
  ASSERT_EQ(Search(), 3);
  void* copyTaken = QoCopyConnection(nullptr, taken, 0, 0);
  ASSERT_EQ(Load({path_}), 1);
  QoError();

  // The re-index emptied the current handle.
  EXPECT_EQ(QoGetConnCount(nullptr), 0);
  EXPECT_EQ(QoError(), 0);
  for (void* stale : {taken, copyBefore, copyTaken}) {
    EXPECT_EQ(QoGetConnCount(stale), 0);
    EXPECT_EQ(QoError(), ErrConnListReleased);
    EXPECT_EQ(QoGetConnection(stale, 0), nullptr);
    EXPECT_EQ(QoError(), ErrConnListReleased);
    int earliest = -1;
    QoGetConnTimeRange(stale, &earliest, nullptr);
    EXPECT_EQ(earliest, 0);
    EXPECT_EQ(QoError(), ErrConnListReleased);
    EXPECT_EQ(QoCopyConnection(nullptr, stale, 0, 0), nullptr);
    EXPECT_EQ(QoError(), ErrConnListReleased);
    QoSetConnHandle0(stale);
    EXPECT_EQ(QoError(), ErrConnListReleased);
  }
  ASSERT_EQ(Search(), 3);
  void* fresh = QoCopyConnection(nullptr, nullptr, 0, 0);
  EXPECT_EQ(QoGetConnCount(fresh), 1);
  EXPECT_EQ(QoError(), 0);

  // Given back, a stale handle is freed with error 30 and the current one
  // stays.
  for (void* stale : {taken, copyBefore, copyTaken}) {
    QoSetConnHandle(&stale);
    EXPECT_EQ(stale, nullptr);
    EXPECT_EQ(QoError(), ErrConnListReleased);
  }
  EXPECT_EQ(QoGetConnCount(nullptr), 3);
  QoSetConnHandle(&fresh);
}

// Taking the handle out and giving it back after each search leaks nothing
// (checked by the sanitizer build).
TEST_F(SearchHandleTest, ManySearchAndHandleCyclesKeepNothing) {
  for (int i = 0; i < 10000; ++i) {
    ASSERT_EQ(Search(470 + i % 3), 3);
    void* taken = QoGetConnHandle();
    void* copy = QoCopyConnection(nullptr, taken, -Id(taken, 0), 0);
    QoSetConnHandle0(copy);
    QoSetConnHandle(&copy);
    QoSetConnHandle(&taken);
  }
  EXPECT_EQ(QoGetConnCount(nullptr), 3);
}

}  // namespace
}  // namespace qo::test
