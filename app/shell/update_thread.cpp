#include "shell/update_thread.h"

#include <chrono>

namespace vemo {

UpdateThread::~UpdateThread() { Stop(0); }

void UpdateThread::Start(UpdateRunOptions options, std::unique_ptr<Downloader> downloader,
                         std::unique_ptr<UpdateFiles> files, UpdateState* state, Post post,
                         std::function<void(int)> done) {
  if (thread_.joinable()) return;
  finished_ = false;
  options.cancel = &cancel_;
  state->set_status(1);
  thread_ =
      std::thread([this, options, downloader = std::move(downloader), files = std::move(files),
                   state, post = std::move(post), done = std::move(done)]() mutable {
        int status = RunUpdate(options, downloader.get(), files.get(), state);
        if (post && done) post([done, status] { done(status); });
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
        ended_.notify_all();
      });
}

bool UpdateThread::Stop(int bound_ms) {
  if (!thread_.joinable()) return true;
  cancel_ = true;
  bool ended;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    ended =
        ended_.wait_for(lock, std::chrono::milliseconds(bound_ms), [this] { return finished_; });
  }
  if (ended) {
    thread_.join();
    return true;
  }
  // A run that does not end in time is left to the end of the process.
  thread_.detach();
  return false;
}

}  // namespace vemo
