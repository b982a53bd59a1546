#include "core/array_file.h"

#include <cstdint>

namespace qo {

bool ReadArrayFromFile(std::FILE* file, ArrayHandle* handle) {
  *handle = nullptr;
  uint8_t header[4];
  if (std::fread(header, 1, 4, file) != 4) return false;
  int32_t bytes = LoadI32(header);
  if (bytes < 0) return false;
  if (bytes == 0) return true;
  if (std::fread(header, 1, 4, file) != 4) return false;
  int32_t count = LoadI32(header);
  if (count <= 0 || bytes % count != 0) return false;
  // A damaged size must not make us allocate more than the file can hold.
  long here = std::ftell(file);
  if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return false;
  long end = std::ftell(file);
  if (std::fseek(file, here, SEEK_SET) != 0 || end - here < bytes) return false;
  AllocArrayRaw(handle, count, bytes / count);
  if (std::fread(*handle, 1, static_cast<size_t>(bytes), file) != static_cast<size_t>(bytes)) {
    FreeArray(handle);
    return false;
  }
  return true;
}

}  // namespace qo
