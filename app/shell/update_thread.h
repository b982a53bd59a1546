#pragma once
// The update run on its own thread: started once, it touches only its own
// state, the files and the network; its result is handed back through the
// `post` function (the program posts it to the GUI thread). At exit the
// program cancels the downloads, waits a bounded time for a swap in
// progress to finish, and joins the thread.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "shell/update_run.h"

namespace vemo {

class UpdateThread {
 public:
  using Post = std::function<void(std::function<void()>)>;
  ~UpdateThread();

  // Runs one update; `done` (status) is called through `post`.
  void Start(UpdateRunOptions options, std::unique_ptr<Downloader> downloader,
             std::unique_ptr<UpdateFiles> files, UpdateState* state, Post post,
             std::function<void(int)> done);
  // Cancels and waits up to `bound_ms` for the run to end; true when it
  // ended and the thread was joined.
  bool Stop(int bound_ms);
  std::atomic<bool> const* cancel_flag() const { return &cancel_; }

 private:
  std::thread thread_;
  std::atomic<bool> cancel_{false};
  std::mutex mutex_;
  std::condition_variable ended_;
  bool finished_ = false;
};

}  // namespace vemo
