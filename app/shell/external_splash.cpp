#include "shell/external_splash.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace vemo {

bool ExternalSplash::Start(std::string const& path) {
  if (access(path.c_str(), X_OK) != 0) return false;
  std::string program = path;
  char* argv[] = {program.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  pid_ = pid;
  return true;
}

bool ExternalSplash::WaitForEnd(int deadline_ms) {
  if (pid_ <= 0) return true;
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadline_ms);
  while (true) {
    int status = 0;
    pid_t ended = waitpid(pid_, &status, WNOHANG);
    if (ended == pid_ || ended < 0) {
      pid_ = 0;
      return true;
    }
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace vemo
