// qodump: prints what the kernel reads. Without arguments it prints the
// kernel's version.
#include <cstdio>

#include "Qo.h"

int main() {
  std::printf("Qo kernel %s\n", QoVer());
  std::printf("timetables loaded: %d\n", QoQoCount());
  return 0;
}
