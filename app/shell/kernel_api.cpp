#include "shell/kernel_api.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>

#include "shell/paths.h"
#include "shell/program_dates.h"
#include "shell/string_table.h"
#include "text/cp1250.h"

namespace vemo {
namespace {

// The oldest kernel the program can work with at all.
constexpr std::string_view kOldestKernel = "1.78";

int ReadNumber(std::string_view text, size_t* i) {
  long value = 0;
  while (*i < text.size() && text[*i] >= '0' && text[*i] <= '9') {
    if (value < 100000000) value = value * 10 + (text[*i] - '0');
    ++*i;
  }
  return static_cast<int>(value);
}

}  // namespace

int CompareVersions(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() || j < b.size()) {
    int x = ReadNumber(a, &i), y = ReadNumber(b, &j);
    if (x != y) return x < y ? -1 : 1;
    // Skip the separator (or anything else that is no digit).
    while (i < a.size() && (a[i] < '0' || a[i] > '9')) ++i;
    while (j < b.size() && (b[j] < '0' || b[j] > '9')) ++j;
  }
  return 0;
}

std::string Cp1250ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (char ch : text) {
    auto byte = static_cast<uint8_t>(ch);
    char32_t code = byte < 0x80 ? byte : qo::kCp1250HighHalf[byte - 0x80];
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

std::string Utf8ToCp1250(std::string_view utf8, char replacement) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    auto lead = static_cast<uint8_t>(utf8[i]);
    int length = lead < 0x80         ? 1
                 : (lead >> 5) == 6  ? 2
                 : (lead >> 4) == 14 ? 3
                 : (lead >> 3) == 30 ? 4
                                     : 0;
    char32_t code = 0;
    bool valid = length > 0 && i + length <= utf8.size();
    if (valid) {
      code = length == 1 ? lead : lead & (0x7F >> length);
      for (int k = 1; k < length; ++k) {
        auto next = static_cast<uint8_t>(utf8[i + k]);
        if ((next & 0xC0) != 0x80) valid = false;
        code = (code << 6) | (next & 0x3F);
      }
    }
    if (!valid) {
      out += replacement;
      ++i;
      continue;
    }
    i += length;
    if (code < 0x80) {
      out += static_cast<char>(code);
      continue;
    }
    int byte = -1;
    for (int k = 0; k < 128 && byte < 0; ++k)
      if (qo::kCp1250HighHalf[k] == code) byte = 0x80 + k;
    out += byte < 0 ? replacement : static_cast<char>(byte);
  }
  return out;
}

void KernelApi::SetDia(int mode) {
  if (QoSetDia) QoSetDia(mode);
  if (mode >= 0 && mode <= 5) text_mode = mode;
}

void KernelApi::SetDiaFromDigit(char ch) {
  if (ch >= '0' && ch <= '6') SetDia(ch - '0');
}

std::string KernelApi::FromKernel(const char* text) const {
  if (!text) return {};
  std::string bytes(text);
  ConvertCodePage(bytes, text_mode, 3);
  return Cp1250ToUtf8(bytes);
}

std::string KernelApi::ToKernel(std::string_view utf8) const {
  std::string bytes = Utf8ToCp1250(utf8);
  ConvertCodePage(bytes, 3, text_mode);
  return bytes;
}

KernelLoadResult LoadKernel(std::string const& library, KernelApi* api) {
  *api = KernelApi{};
  // A bare name is looked for beside the program first, where it is
  // installed, then where the system looks.
  void* handle = nullptr;
  if (library.find('/') == std::string::npos) {
    std::string beside = GetModuleDir() + library;
    if (access(beside.c_str(), F_OK) == 0) handle = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  dlerror();
  if (!handle) handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    return {10000, why ? why : library};
  }
  KernelApi bound;
#define VEMO_KERNEL_BIND(name)                                               \
  bound.name = reinterpret_cast<decltype(bound.name)>(dlsym(handle, #name)); \
  if (!bound.name) {                                                         \
    dlclose(handle);                                                         \
    return {370, "missing export " #name};                                   \
  }
  VEMO_KERNEL_EXPORTS(VEMO_KERNEL_BIND)
#undef VEMO_KERNEL_BIND

  std::string_view required = LoadResString(131);
  if (required.empty() || CompareVersions(required, kOldestKernel) < 0) required = kOldestKernel;
  const char* returned = bound.QoVer();
  std::string version = returned ? returned : "";
  if (CompareVersions(required, version) > 0) {
    dlclose(handle);
    return {370, "kernel version " + version};
  }
  // The handle is never closed: the kernel's state lives as long as the
  // program.
  *api = bound;
  return {};
}

}  // namespace vemo
