// The access-violation guard, built without the sanitizers so that the
// kernel's own fault handler is the one that runs.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <thread>

#include "api/export_support.h"

namespace qo {
namespace {

int* OpaqueNull() {
  int* p = nullptr;
  asm volatile("" : "+r"(p));  // keep the compiler from proving it null
  return p;
}

// A guarded export of the kind the kernel has: failure value 0.
int ReadThroughNull() {
  return api::GuardedExport(0, [] { return *OpaqueNull() + 1; });
}

int RaiseInside(int signal) {
  return api::GuardedExport(0, [signal] {
    raise(signal);
    return 42;
  });
}

volatile sig_atomic_t g_usr1Seen = 0;

TEST(Guard, AFaultInsideAGuardedExportIsError31) {
  TakeKernelError();
  EXPECT_EQ(ReadThroughNull(), 0);
  EXPECT_EQ(TakeKernelError(), ErrAccessViolation);
  // The guard is re-armed: a second fault is caught the same way.
  EXPECT_EQ(ReadThroughNull(), 0);
  EXPECT_EQ(TakeKernelError(), ErrAccessViolation);
  // And a sound body returns its own value, error untouched.
  EXPECT_EQ(api::GuardedExport(-1, [] { return 5; }), 5);
  EXPECT_EQ(TakeKernelError(), 0);
}

TEST(Guard, NestedGuardsAndOtherThreads) {
  int outer = api::GuardedExport(-1, [] { return ReadThroughNull() + 10; });
  EXPECT_EQ(outer, 10);  // the inner guard caught it; the outer body went on
  EXPECT_EQ(TakeKernelError(), ErrAccessViolation);

  int result = -1;
  std::thread worker([&] { result = ReadThroughNull(); });
  worker.join();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(TakeKernelError(), ErrAccessViolation);
}

TEST(Guard, OtherSignalsPassThrough) {
  signal(SIGUSR1, [](int) { g_usr1Seen = 1; });
  EXPECT_EQ(RaiseInside(SIGUSR1), 42);
  EXPECT_EQ(g_usr1Seen, 1);
  EXPECT_EQ(TakeKernelError(), 0);
}

TEST(GuardDeathTest, AbortInsideAGuardIsNotCaught) { EXPECT_DEATH(RaiseInside(SIGABRT), ""); }

TEST(GuardDeathTest, FaultOutsideAGuardGoesToThePreviousHandler) {
  // No handler before the kernel's: the process dies of the fault.
  EXPECT_EXIT(
      {
        ReadThroughNull();  // installs the kernel's handler
        [[maybe_unused]] int value = *static_cast<volatile int*>(OpaqueNull());
      },
      testing::KilledBySignal(SIGSEGV), "");
  // A handler the program had installed first is called.
  EXPECT_EXIT(
      {
        signal(SIGSEGV, [](int) { std::_Exit(7); });
        ReadThroughNull();
        raise(SIGSEGV);
      },
      testing::ExitedWithCode(7), "");
}

TEST(Guard, EscapedExceptionsBecomeError31) {
  TakeKernelError();
  int result = api::Export(-1, []() -> int { throw 1; });
  EXPECT_EQ(result, -1);
  EXPECT_EQ(TakeKernelError(), ErrAccessViolation);
}

}  // namespace
}  // namespace qo
