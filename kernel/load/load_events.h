#pragma once
// The caller's load callback and the events the kernel raises while it loads.
// The value is a path, an image handle, a type, a count or a per-mille
// figure, so it is pointer-sized. A null callback answers 0 to everything:
// no skipping, no progress.
#include <cstdint>

namespace qo {

using LoadCallback = intptr_t (*)(int event, intptr_t value);

enum LoadEvent : int {
  LoadEvFile = 0,
  LoadEvAdded = 1,
  LoadEvParsed = 2,
  LoadEvIndex = 3,
  LoadEvLoaded = 4,
  LoadEvSetDone = 5,
  LoadEvExtFile = 6,
  LoadEvExtType = 7,
  LoadEvExtRead = 8,
  LoadEvExtDone = 9,
  LoadEvProgress = 10,
};

// Answers the callback gives.
inline constexpr intptr_t kLoadAnswerSkip = 1;
inline constexpr intptr_t kLoadAnswerProgress = 3;

inline intptr_t RaiseLoadEvent(LoadCallback callback, int event, intptr_t value) {
  return callback ? callback(event, value) : 0;
}

}  // namespace qo
