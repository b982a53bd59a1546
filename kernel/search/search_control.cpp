#include "search/search_control.h"

#include <chrono>

namespace qo {
namespace {

std::atomic<bool> g_stop{false};
std::atomic<int32_t> g_timeLimit{0};
std::atomic<int64_t> g_startTick{0};
// -1: the steady clock; otherwise the tick a test set.
std::atomic<int64_t> g_fixedTick{-1};

}  // namespace

SearchProgress& CurrentSearchProgress() {
  static SearchProgress progress;
  return progress;
}

std::mutex& SearchProgressLock() {
  static std::mutex lock;
  return lock;
}

void BeginSearch() {
  {
    std::lock_guard<std::mutex> hold(SearchProgressLock());
    SearchProgress& p = CurrentSearchProgress();
    p.Phase.store(PhaseReset, std::memory_order_relaxed);
    p.Passes.store(0, std::memory_order_relaxed);
    p.WindowTime.store(0, std::memory_order_relaxed);
    p.StepsDone.store(0, std::memory_order_relaxed);
    p.StepsTotal.store(0, std::memory_order_relaxed);
  }
  g_startTick.store(TickCount(), std::memory_order_relaxed);
  g_stop.store(false, std::memory_order_relaxed);
}

void BeginSearchPass(int32_t windowTime, int32_t maxChanges) {
  std::lock_guard<std::mutex> hold(SearchProgressLock());
  SearchProgress& p = CurrentSearchProgress();
  p.Passes.fetch_add(1, std::memory_order_relaxed);
  p.WindowTime.store(windowTime, std::memory_order_relaxed);
  p.Phase.store(PhasePassBegun, std::memory_order_relaxed);
  p.StepsTotal.store(maxChanges + 3, std::memory_order_relaxed);
  p.StepsDone.store(0, std::memory_order_relaxed);
}

void SetSearchPhase(SearchPhase phase) {
  CurrentSearchProgress().Phase.store(phase, std::memory_order_relaxed);
}

void AddSearchStep() { CurrentSearchProgress().StepsDone.fetch_add(1, std::memory_order_relaxed); }

void RequestSearchStop() { g_stop.store(true, std::memory_order_relaxed); }

bool SearchStopRequested() { return g_stop.load(std::memory_order_relaxed); }

void SetSearchTimeLimit(int32_t milliseconds) {
  g_timeLimit.store(milliseconds, std::memory_order_relaxed);
}

int32_t SearchTimeLimit() { return g_timeLimit.load(std::memory_order_relaxed); }

bool IsSearchTimeUp() {
  const int32_t limit = SearchTimeLimit();
  if (limit <= 0) return false;
  return TickCount() - g_startTick.load(std::memory_order_relaxed) > limit;
}

int64_t TickCount() {
  int64_t fixed = g_fixedTick.load(std::memory_order_relaxed);
  if (fixed >= 0) return fixed;
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SetTickCountForTesting(int64_t ticks) { g_fixedTick.store(ticks, std::memory_order_relaxed); }

void ResetTickCountForTesting() { g_fixedTick.store(-1, std::memory_order_relaxed); }

}  // namespace qo
