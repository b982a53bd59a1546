#pragma once
// What every export shares: the funnel that keeps exceptions from crossing
// the C interface, the access-violation guard, and the argument helpers.
#include <new>
#include <type_traits>

#include "api/arguments.h"
#include "core/counted_array.h"
#include "core/memory_failure.h"
#include "format/image_array.h"
#include "frame/error_codes.h"
#include "frame/guard.h"
#include "frame/kernel_error.h"

namespace qo::api {

// Runs an export's body. An escaped exception becomes error 31 and the
// failure value; exhausted memory ends the process as everywhere else.
template <class R, class Body>
R Export(R failure, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    ExitOnMemoryFailure(0, kExitAllocation);
  } catch (...) {
    SetKernelError(ErrAccessViolation);
    return failure;
  }
}

// The same for exports that work on timetable data: a fault in the body is
// caught too, reported as error 31, and the failure value is returned.
template <class R, class Body>
R GuardedExport(R failure, Body&& body) noexcept {
  return Export(failure, [&]() -> R {
    bool faulted;
    R result = RunGuarded(failure, &faulted, body);
    if (faulted) SetKernelError(ErrAccessViolation);
    return result;
  });
}

// A stored int array as an int pointer the caller reads directly. The image
// keeps arrays at any offset, so the caller gets a heap counted copy (with
// the same header, aligned like any allocation) that lives with the record.
inline int const* AlignedIntArray(ImageArray<int32_t> const& stored, OwnedArray& copy) {
  if (stored.empty()) return nullptr;
  if (!copy.get()) copy = OwnedArray(CopyArray(stored.handle()));
  return reinterpret_cast<int const*>(copy.get());
}

}  // namespace qo::api
