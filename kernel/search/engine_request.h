#pragma once
// What the window loop hands an engine pass: the expanded places, the
// window, the limits in force and the controls another thread may touch
// while the pass runs. The per-timetable settings (change times, inclusion
// word, day searched) stay in each TimetableRecord.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace qo {

// A From or To station of one timetable. Minutes: the access time from
// the place to the station (From: added to the window time).
struct EnginePlace {
  int32_t Timetable = 0;
  uint16_t Station = 0;
  int32_t Minutes = 0;
};

// What a pass reports while it runs; read by another thread at any time.
struct EngineProgress {
  std::atomic<int32_t> Phase{0};
  std::atomic<int32_t> PassesStarted{0};
  std::atomic<int32_t> WindowTime{0};
  std::atomic<int32_t> StepsDone{0};
  std::atomic<int32_t> StepsTotal{0};
};

struct EngineControl {
  // Set by another thread to end the pass early; polled after every
  // station, start station and ride.
  std::atomic<int32_t> const* Stop = nullptr;
  // True once the search has run longer than allowed; asked before every
  // round.
  bool (*TimeUp)(void* context) = nullptr;
  void* TimeUpContext = nullptr;
  // Null: no progress is reported.
  EngineProgress* Progress = nullptr;
  std::mutex* ProgressLock = nullptr;
};

struct EngineRequest {
  std::vector<EnginePlace> From;
  std::vector<EnginePlace> To;
  // Minute of the day searched (0..1439) and the window length.
  int32_t WindowTime = 0;
  int32_t Interval = 360;
  int32_t MaxChanges = 5;
  bool ChangesAllowed = true;
  // A later (earlier) window continues an earlier search: departures
  // exactly at the window time were found before.
  bool ContinueLater = false;
  bool ContinueEarlier = false;
  // Prune by the best arrival found so far at the destination.
  bool LimitOnTarget = true;
  // Keep no ride marks (every boarding rides the train again).
  bool SkipBounds = false;
  EngineControl Control;
};

// Limits of one pass.
inline constexpr int kMaxFromEntries = 600;
inline constexpr int kMaxChangesLimit = 15;
// Times of a pass are kept in 16 bits, as minutes from midnight of the
// search day; a ride that would go beyond ends there.
inline constexpr int32_t kLatestTime = 0x7FFE;
inline constexpr int32_t kNoTime = 0x7FFF;

}  // namespace qo
