// The clean-up of a list ordered by arrival, with change penalties: a
// connection with fewer changes that arrives later but counts as earlier
// once the penalties are added does not remove one that departs later.
#include <gtest/gtest.h>

#include "kernel/loading/loading_test_support.h"
#include "kernel/search/connection_legs.h"
#include "search/connection_cleanup.h"

namespace qo::test {
namespace {

class CleanupByArrivalTest : public LoadingTest {};

TEST_F(CleanupByArrivalTest, AConnectionThatDepartsEarlierRemovesNoLaterOne) {
  w::TimetableModel m = SmallModel(1, 1, 0, 4);
  m.search.change_penalty = 30;
  ASSERT_EQ(Load({dir_.Write("penalty.qo", m)}), 1);
  // Three trains 6:00-7:00 (7:60 with the penalties), then two trains
  // 5:50-7:10 (7:40 with the penalty).
  const Connection later = {Leg(0, 0, 1, 600, 620), Leg(1, 1, 2, 630, 650), Leg(2, 2, 3, 660, 700)};
  const Connection earlier = {Leg(3, 0, 2, 550, 600), Leg(4, 2, 3, 640, 710)};
  ConnectionList list = {later, earlier};
  RemoveDominatedConnections(list);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].front().DepartureMinute, 600);

  // Departing no earlier, it still does.
  const Connection same = {Leg(3, 0, 2, 600, 620), Leg(4, 2, 3, 640, 710)};
  list = {later, same};
  RemoveDominatedConnections(list);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].size(), 2u);
}

}  // namespace
}  // namespace qo::test
