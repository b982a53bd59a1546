#include "load/file_image.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <limits>
#include <utility>

namespace qo {

bool IsPathTooLong(const char* path) { return path && std::strlen(path) >= PATH_MAX; }

bool IsUsablePath(const char* path) { return path && *path && !IsPathTooLong(path); }

std::FILE* OpenBinaryFile(const char* path) {
  if (!path || !*path || IsPathTooLong(path)) return nullptr;
  // Opened without blocking and kept only when it is a regular file: a FIFO
  // or a device would hold the load until someone writes to it.
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return nullptr;
  }
  std::FILE* file = fdopen(fd, "rb");
  if (!file) close(fd);
  return file;
}

bool ReadFileImage(std::FILE* file, bool progress, LoadCallback callback, OwnedArray* image) {
  image->reset();
  if (std::fseek(file, 0, SEEK_END) != 0) return false;
  long end = std::ftell(file);
  if (end <= 0 || end > std::numeric_limits<int32_t>::max()) return false;
  if (std::fseek(file, 0, SEEK_SET) != 0) return false;
  size_t size = static_cast<size_t>(end);

  OwnedArray bytes;
  AllocArrayRaw(bytes.address(), static_cast<int32_t>(size), 1);
  uint8_t* data = bytes.get();
  // Ten chunks of whole kilobytes, so that a caller's progress bar moves in
  // tenths however large the file is.
  size_t chunk = progress ? ((size / 10 + 1024) / 1024) * 1024 : size;
  if (progress) RaiseLoadEvent(callback, LoadEvProgress, 0);
  size_t done = 0;
  while (done < size) {
    size_t want = size - done < chunk ? size - done : chunk;
    size_t got = std::fread(data + done, 1, want, file);
    if (got != want) return false;
    done += got;
    if (progress)
      RaiseLoadEvent(callback, LoadEvProgress,
                     static_cast<intptr_t>(static_cast<uint64_t>(done) * 1000 / size));
  }
  *image = std::move(bytes);
  return true;
}

}  // namespace qo
