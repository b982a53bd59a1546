#pragma once
// Watching and stopping a search from another thread. The search runs in
// the caller's thread; the program's progress dialog polls the progress
// record and may raise the stop flag. Both are atomics: a plain int that
// another thread writes may be read once and kept in a register for a whole
// engine loop. The one lock guards the reset of the record and the first
// update of each pass, so a reader never sees half a reset.
#include <atomic>
#include <cstdint>
#include <mutex>

namespace qo {

enum SearchPhase : int32_t {
  PhaseReset = 0,
  PhasePassBegun = 1,
  PhaseStartLabelled = 2,
  PhaseExtracting = 3,
};

struct SearchProgress {
  std::atomic<int32_t> Phase{0};
  std::atomic<int32_t> Passes{0};
  std::atomic<int32_t> WindowTime{0};
  std::atomic<int32_t> StepsDone{0};
  std::atomic<int32_t> StepsTotal{0};
};

SearchProgress& CurrentSearchProgress();
std::mutex& SearchProgressLock();

// Zeroes the record under the lock, stores the start tick and clears the
// stop flag: the first thing of every new or continued search.
void BeginSearch();

// The first update of an engine pass (under the lock).
void BeginSearchPass(int32_t windowTime, int32_t maxChanges);
// Later updates: plain atomic writes.
void SetSearchPhase(SearchPhase phase);
void AddSearchStep();

// The stop flag.
void RequestSearchStop();
bool SearchStopRequested();

// The time limit in milliseconds (0 or less: none), measured from the start
// tick on the kernel's tick clock.
void SetSearchTimeLimit(int32_t milliseconds);
int32_t SearchTimeLimit();
bool IsSearchTimeUp();

// Milliseconds of a monotonic clock. Tests may make it read a value they
// set and move.
int64_t TickCount();
void SetTickCountForTesting(int64_t ticks);
void ResetTickCountForTesting();

}  // namespace qo
