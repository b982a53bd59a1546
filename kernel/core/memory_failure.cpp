#include "core/memory_failure.h"

#include <cstdio>
#include <cstdlib>

namespace qo {

void ExitOnMemoryFailure(size_t bytesAsked, int exitCode) {
  std::fprintf(stderr,
               "Memory Error: Not enough memory to complete operation (allocation of %zu B).\n\n"
               "The disk with virtual memory paging file may be full.\n",
               bytesAsked);
  std::fflush(stderr);
  std::_Exit(exitCode);
}

void ExitOnInternalError(int code) {
  std::fprintf(stderr, "Internal Error: Error code %d\n", code);
  std::fflush(stderr);
  std::_Exit(code);
}

}  // namespace qo
