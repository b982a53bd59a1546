#pragma once
// The access-violation guard. Exports that work on timetable data run their
// body through RunGuarded: a SIGSEGV or SIGBUS inside the body jumps back to
// the guard, which returns the export's failure value and reports error 31.
// The primary defence is that nothing reads out of bounds; the guard only
// keeps a fault that slipped through from taking down the caller's process.
//
// A fault skips the body's destructors: guarded bodies keep heap state in
// records that outlive the call, never in locals that must be destroyed.
// Any other signal, and a fault outside a guard, goes to the handler that was
// installed before the kernel's.
#include <csetjmp>

namespace qo {

#if defined(QO_NO_GUARD)
inline constexpr bool kGuardEnabled = false;
#else
inline constexpr bool kGuardEnabled = true;
#endif

namespace guard_detail {
// Installs the fault handlers once per process and an alternate signal stack
// once per thread (a stack overflow must still reach the handler).
void Prepare();
sigjmp_buf* Current();
void SetCurrent(sigjmp_buf* jump);
}  // namespace guard_detail

// Runs body(); a fault inside it makes the call return `failure` with
// *faulted set. Nested guards restore the outer one on the way out.
template <class R, class Body>
R RunGuarded(R failure, bool* faulted, Body&& body) {
  *faulted = false;
  if constexpr (!kGuardEnabled) {
    return body();
  } else {
    guard_detail::Prepare();
    sigjmp_buf* outer = guard_detail::Current();
    sigjmp_buf jump;
    if (sigsetjmp(jump, 1) != 0) {
      guard_detail::SetCurrent(outer);
      *faulted = true;
      return failure;
    }
    guard_detail::SetCurrent(&jump);
    R result = body();
    guard_detail::SetCurrent(outer);
    return result;
  }
}

}  // namespace qo
