#include "shell/update_thread.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <fstream>
#include <mutex>

#include "shell/kernel_test_support.h"

namespace vemo {
namespace {

// A downloader that waits until it is released or cancelled.
class GateDownloader : public Downloader {
 public:
  explicit GateDownloader(std::atomic<bool> const* cancel, bool hold)
      : cancel_(cancel), hold_(hold) {}
  bool Download(std::string const&, std::string const& target, std::string* error) override {
    while (hold_ && !(cancel_ && cancel_->load())) std::this_thread::yield();
    if (cancel_ && cancel_->load()) {
      *error = "2a";
      return false;
    }
    std::ofstream(target) << "; empty index\n";
    return true;
  }

 private:
  std::atomic<bool> const* cancel_;
  bool hold_;
};

// Stands for the GUI thread's queue.
class Queue {
 public:
  void Post(std::function<void()> work) {
    std::lock_guard<std::mutex> lock(mutex_);
    work_.push_back(std::move(work));
    ready_.notify_all();
  }
  void RunOne() {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [this] { return !work_.empty(); });
    auto work = std::move(work_.front());
    work_.pop_front();
    lock.unlock();
    work();
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> work_;
};

TEST(UpdateThread, ResultReachesThePostingThread) {
  test::TempDir dir;
  UpdateState state;
  Queue queue;
  int result = 0;
  UpdateThread thread;
  UpdateRunOptions options{dir.path() + "/", "index", nullptr};
  thread.Start(
      options, std::make_unique<GateDownloader>(thread.cancel_flag(), false),
      std::make_unique<PosixUpdateFiles>(), &state,
      [&](std::function<void()> work) { queue.Post(std::move(work)); },
      [&](int status) { result = status; });
  queue.RunOne();
  EXPECT_EQ(result, 3);
  EXPECT_EQ(state.status(), 3);
  EXPECT_TRUE(thread.Stop(5000));
}

// Exit cancels a download in progress and joins the thread.
TEST(UpdateThread, StopCancelsAndJoins) {
  test::TempDir dir;
  UpdateState state;
  Queue queue;
  UpdateThread thread;
  UpdateRunOptions options{dir.path() + "/", "index", nullptr};
  thread.Start(
      options, std::make_unique<GateDownloader>(thread.cancel_flag(), true),
      std::make_unique<PosixUpdateFiles>(), &state,
      [&](std::function<void()> work) { queue.Post(std::move(work)); }, [](int) {});
  EXPECT_TRUE(thread.Stop(5000));
  EXPECT_EQ(state.status(), 4);
  EXPECT_EQ(state.text(), "stažení indexu (2a)");
}

}  // namespace
}  // namespace vemo
