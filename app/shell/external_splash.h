#pragma once
// The splash program beside Vemo ("Splash"), when there is one: started
// as its own process with no arguments; when start-up ends, Vemo waits for
// it to end, but never longer than the deadline.
#include <sys/types.h>

#include <string>

namespace vemo {

class ExternalSplash {
 public:
  // False when the program is missing or cannot be started.
  bool Start(std::string const& path);
  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  // Waits for the program to end, at most `deadline_ms`; true when it ended.
  bool WaitForEnd(int deadline_ms);

 private:
  pid_t pid_ = 0;
};

}  // namespace vemo
