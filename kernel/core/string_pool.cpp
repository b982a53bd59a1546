#include "core/string_pool.h"

#include <cstring>

namespace qo {

int32_t GetPoolCount(const StringPool& pool) {
  int32_t offsets = GetArrayCount(pool.offsets);
  return offsets < 2 ? 0 : offsets - 1;
}

std::string_view PoolString(const StringPool& pool, int32_t index) {
  if (index < 0 || index >= GetPoolCount(pool)) return {};
  int32_t begin = ArrayAt<int32_t>(pool.offsets, index);
  int32_t end = ArrayAt<int32_t>(pool.offsets, index + 1);
  if (begin < 0 || end < begin || end > GetArrayBytes(pool.characters)) return {};
  return {reinterpret_cast<const char*>(pool.characters) + begin, static_cast<size_t>(end - begin)};
}

void GetPoolString(int32_t index, const StringPool& pool, char* buffer, size_t maxLength) {
  std::string_view text = PoolString(pool, index);
  size_t length = text.size() < maxLength ? text.size() : maxLength;
  if (length) std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

void CopyPoolString(int32_t index, const StringPool& pool, std::string& out) {
  out.assign(PoolString(pool, index));
}

ArrayHandle DupPoolString(int32_t index, const StringPool& pool) {
  std::string_view text = PoolString(pool, index);
  ArrayHandle copy = nullptr;
  AllocArrayRaw(&copy, static_cast<int32_t>(text.size() + 1), 1);
  if (!text.empty()) std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

}  // namespace qo
