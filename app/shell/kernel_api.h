#pragma once
// The kernel as the program sees it: libQo.so loaded by name, every export
// the program uses resolved once, and the one place where kernel texts are
// decoded from the kernel's current text mode into UTF-8 and back.
#include <string>
#include <string_view>

#include "Qo.h"
#include "shell/kernel_exports.h"

namespace vemo {

struct KernelApi {
#define VEMO_KERNEL_POINTER(name) decltype(&::name) name = nullptr;
  VEMO_KERNEL_EXPORTS(VEMO_KERNEL_POINTER)
#undef VEMO_KERNEL_POINTER

  // The text mode set through SetDia; the kernel starts in Windows-1250.
  int text_mode = 3;

  bool bound() const { return QoVer != nullptr; }

  // QoSetDia, remembering the mode so that texts are decoded right.
  void SetDia(int mode);
  // "0".."6": SetDia with the digit; any other character does nothing.
  void SetDiaFromDigit(char ch);

  // A kernel text in UTF-8; empty for NULL.
  std::string FromKernel(const char* text) const;
  // A UTF-8 text in the kernel's current text mode; characters it cannot
  // hold become '?'.
  std::string ToKernel(std::string_view utf8) const;
};

struct KernelLoadResult {
  // 0 when bound; else the message to show: 10000 library not loadable,
  // 370 wrong version or an export missing.
  int message_id = 0;
  // What went wrong, for the log: dlerror's text or the missing export.
  std::string detail;
};

// Loads the library (a name searched the usual way, or a path) and binds
// every export into *api. The required version is string 131, raised to
// "1.78" when it is lower or empty; a kernel version below it is refused.
// The library stays loaded for the life of the process.
KernelLoadResult LoadKernel(std::string const& library, KernelApi* api);

// Compares dotted version texts number by number ("1.100" > "1.84",
// "1.85.01" > "1.84"); negative, 0 or positive.
int CompareVersions(std::string_view a, std::string_view b);

// Windows-1250 bytes to UTF-8 and back (characters without a byte become
// the replacement).
std::string Cp1250ToUtf8(std::string_view text);
std::string Utf8ToCp1250(std::string_view utf8, char replacement = '?');

}  // namespace vemo
