// A reader thread polls the progress and stops the search while the
// searching thread runs a long engine. Run under ThreadSanitizer by the
// tsan preset (tests named "Threads").
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Qo.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"
#include "search/search_control.h"
#include "search/search_params.h"
#include "search/search_request.h"
#include "search/search_run.h"

namespace qo::test {
namespace {

// Passes that report like an engine and run until they are stopped.
int LongEngine(SearchRun& run, EngineCall const&) {
  BeginSearchPass(run.WindowTime, CurrentSearchSettings().Parms.MaxChanges);
  SetSearchPhase(PhaseStartLabelled);
  for (int step = 0; !SearchStopRequested(); ++step) {
    AddSearchStep();
    std::this_thread::yield();
  }
  SetSearchPhase(PhaseExtracting);
  return 0;
}

class Threads : public LoadingTest {};

TEST_F(Threads, AReaderPollsTheProgressAndStopsTheSearch) {
  ASSERT_EQ(Load({dir_.Write("a.qo", SmallModel(1, 1, 0, 3))}), 1);
  SetSearchEngineForTesting(&LongEngine);
  std::atomic<int> seenSteps{0}, seenPhase{0};
  std::thread reader([&] {
    SEARCHPROGRESS_REC* p = QoGetSearchProgress();
    // Wait for the pass to begin, watch it work, then stop it.
    while (__atomic_load_n(&p->passes, __ATOMIC_RELAXED) == 0) std::this_thread::yield();
    int steps = 0;
    while ((steps = __atomic_load_n(&p->steps_done, __ATOMIC_RELAXED)) < 100)
      std::this_thread::yield();
    seenSteps = steps;
    seenPhase = __atomic_load_n(&p->phase, __ATOMIC_RELAXED);
    QoStopSearch();
  });
  int const item = 0, list = -1, timetable = 0, to = 2;
  int count = -1;
  EXPECT_EQ(QoConnection(&item, &list, &timetable, 1, &to, &list, &timetable, 1, nullptr, nullptr,
                         nullptr, 0, 600, 10, 3, 2025, 1, 1, nullptr, &count, nullptr),
            0);
  reader.join();
  SetSearchEngineForTesting(nullptr);
  EXPECT_EQ(QoError(), ErrSearchInterrupted);
  EXPECT_EQ(count, 0);
  EXPECT_GE(seenSteps.load(), 100);
  EXPECT_EQ(seenPhase.load(), PhaseStartLabelled);
  SEARCHPROGRESS_REC const* p = QoGetSearchProgress();
  EXPECT_EQ(p->passes, 1);  // the stop ended the window loop
  EXPECT_EQ(p->phase, PhaseExtracting);
  EXPECT_EQ(p->steps_total, CurrentSearchSettings().Parms.MaxChanges + 3);
}

}  // namespace
}  // namespace qo::test
