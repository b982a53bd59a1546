#include "frame/guard.h"

#include <csignal>
#include <cstdlib>
#include <mutex>

namespace qo::guard_detail {
namespace {

thread_local sigjmp_buf* t_current = nullptr;

struct sigaction g_previousSegv;
struct sigaction g_previousBus;

void PassOn(int signal, siginfo_t* info, void* context) {
  const struct sigaction& previous = signal == SIGSEGV ? g_previousSegv : g_previousBus;
  if ((previous.sa_flags & SA_SIGINFO) && previous.sa_sigaction) {
    previous.sa_sigaction(signal, info, context);
    return;
  }
  if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
    previous.sa_handler(signal);
    return;
  }
  // Restore the default action and let the signal end the process as it
  // would have without the kernel: a real fault repeats when the handler
  // returns, a raised one is delivered once the handler unblocks it.
  std::signal(signal, SIG_DFL);
  raise(signal);
}

void OnFault(int signal, siginfo_t* info, void* context) {
  if (t_current) siglongjmp(*t_current, 1);
  PassOn(signal, info, context);
}

void InstallHandlers() {
  struct sigaction action = {};
  action.sa_sigaction = OnFault;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  sigaction(SIGSEGV, &action, &g_previousSegv);
  sigaction(SIGBUS, &action, &g_previousBus);
}

// One alternate stack per thread that entered a guard, released when the
// thread ends (search workers come and go).
struct AlternateStack {
  void* memory = nullptr;

  AlternateStack() {
    stack_t current = {};
    if (sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE)) return;
    constexpr size_t kSize = 64 * 1024;
    memory = std::malloc(kSize);
    if (!memory) return;
    stack_t stack = {};
    stack.ss_sp = memory;
    stack.ss_size = kSize;
    if (sigaltstack(&stack, nullptr) != 0) {
      std::free(memory);
      memory = nullptr;
    }
  }
  ~AlternateStack() {
    if (!memory) return;
    stack_t disable = {};
    disable.ss_flags = SS_DISABLE;
    sigaltstack(&disable, nullptr);
    std::free(memory);
  }
};

}  // namespace

void Prepare() {
  static std::once_flag installed;
  std::call_once(installed, InstallHandlers);
  thread_local AlternateStack stack;
  (void)stack;
}

sigjmp_buf* Current() { return t_current; }
void SetCurrent(sigjmp_buf* jump) { t_current = jump; }

}  // namespace qo::guard_detail
