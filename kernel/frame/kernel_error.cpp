#include "frame/kernel_error.h"

namespace qo {
namespace {
// Process-wide like the rest of the module state; callers serialise calls.
int g_kernelError = 0;
}  // namespace

void SetKernelError(int code) { g_kernelError = code; }
int PeekKernelError() { return g_kernelError; }

int TakeKernelError() {
  int code = g_kernelError;
  g_kernelError = 0;
  return code;
}

}  // namespace qo
