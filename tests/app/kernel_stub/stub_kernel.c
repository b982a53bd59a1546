/* A stand-in kernel: every export the program binds, as an empty function,
 * and a version text chosen by the build. Built once with one export
 * renamed away and once with a version that is too old. */
#include "shell/kernel_exports.h"

#define QoVer QoVer_replaced_below
#define VEMO_STUB_EXPORT(name) \
  void name(void) {}
VEMO_KERNEL_EXPORTS(VEMO_STUB_EXPORT)
#undef QoVer

const char* QoVer(void) { return VEMO_STUB_VERSION; }
