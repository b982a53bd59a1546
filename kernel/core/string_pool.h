#pragma once
// StringPool: n texts packed into one block. An offsets array of n + 1
// ascending i32 entries and a characters array; text i is the characters from
// offsets[i] up to offsets[i + 1], without terminator.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/counted_array.h"

namespace qo {

struct StringPool {
  ConstArrayHandle offsets = nullptr;
  ConstArrayHandle characters = nullptr;
};

int32_t GetPoolCount(const StringPool& pool);
// Text i of the pool, or an empty view for an index outside 0..n-1 or an
// entry whose offsets do not lie inside the characters.
std::string_view PoolString(const StringPool& pool, int32_t index);
// Copies text i with a NUL, cut at maxLength characters; buffer holds
// maxLength + 1 bytes.
void GetPoolString(int32_t index, const StringPool& pool, char* buffer, size_t maxLength);
void CopyPoolString(int32_t index, const StringPool& pool, std::string& out);
// New heap array of characters holding text i and a NUL.
ArrayHandle DupPoolString(int32_t index, const StringPool& pool);

}  // namespace qo
