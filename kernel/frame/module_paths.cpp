#include "frame/module_paths.h"

#include <dlfcn.h>

namespace qo {
namespace {

std::string& DefaultDirectoryStorage() {
  static std::string directory = "./";
  return directory;
}

// Runs when the library is attached to a process (or, linked statically,
// when the program starts): find our own file through any of our symbols.
__attribute__((constructor)) void AttachKernel() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&AttachKernel), &info) && info.dli_fname &&
      info.dli_fname[0] != '\0')
    DefaultDirectoryStorage() = DirectoryOfPath(info.dli_fname);
}

}  // namespace

std::string DirectoryOfPath(std::string_view path) {
  size_t cut = path.find_last_of("/\\");
  if (cut == std::string_view::npos) return "./";
  return std::string(path.substr(0, cut + 1));
}

const std::string& DefaultDataDirectory() { return DefaultDirectoryStorage(); }

}  // namespace qo
