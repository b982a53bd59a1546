#include "format/section_reader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/image_reader.h"

namespace qo {

void ViewIndexOutOfRange(int64_t index, int32_t count) {
  std::fprintf(stderr, "image view read at index %lld of %d elements\n",
               static_cast<long long>(index), count);
  std::abort();
}

void SectionReader::LimitTo(size_t offset) {
  if (!ok_ || offset < Offset() || offset > static_cast<size_t>(end_ - begin_)) {
    ok_ = false;
    return;
  }
  end_ = begin_ + offset;
}

const uint8_t* SectionReader::Bytes(size_t count) {
  if (!ok_ || count > static_cast<size_t>(end_ - pos_)) {
    ok_ = false;
    return nullptr;
  }
  const uint8_t* bytes = pos_;
  pos_ += count;
  return bytes;
}

uint8_t SectionReader::U8() {
  const uint8_t* b = Bytes(1);
  return b ? *b : 0;
}
uint16_t SectionReader::U16() {
  const uint8_t* b = Bytes(2);
  return b ? LoadLE<uint16_t>(b) : 0;
}
uint32_t SectionReader::U32() {
  const uint8_t* b = Bytes(4);
  return b ? LoadLE<uint32_t>(b) : 0;
}
int32_t SectionReader::I32() {
  const uint8_t* b = Bytes(4);
  return b ? LoadLE<int32_t>(b) : 0;
}

std::string_view SectionReader::CString() {
  if (!ok_) return {};
  const void* nul = std::memchr(pos_, 0, static_cast<size_t>(end_ - pos_));
  if (!nul) {
    ok_ = false;
    return {};
  }
  std::string_view text(reinterpret_cast<const char*>(pos_),
                        static_cast<size_t>(static_cast<const uint8_t*>(nul) - pos_));
  pos_ = static_cast<const uint8_t*>(nul) + 1;
  return text;
}

RecordArray SectionReader::Records(int32_t stride) {
  if (!ok_) return {};
  ImageCursor cursor{pos_, end_};
  ConstArrayHandle handle;
  if (!TakeArrayFromImage(cursor, &handle, stride)) {
    ok_ = false;
    return {};
  }
  pos_ = cursor.pos;
  if (!handle) return {};
  int32_t count = GetArrayCount(handle);
  return RecordArray(handle, count, GetArrayBytes(handle) / count);
}

StringPool SectionReader::Pool() {
  if (!ok_) return {};
  ImageCursor cursor{pos_, end_};
  StringPool pool;
  if (!TakePoolFromImage(cursor, &pool)) {
    ok_ = false;
    return {};
  }
  pos_ = cursor.pos;
  return pool;
}

bool SectionReader::CanHold(uint64_t n, uint64_t minBytes) {
  if (!ok_) return false;
  if (minBytes == 0) minBytes = 1;
  if (n > Remaining() / minBytes) ok_ = false;
  return ok_;
}

std::vector<StringPool> SectionReader::Pools(uint32_t n) {
  std::vector<StringPool> pools;
  if (!CanHold(n, 8)) return pools;
  pools.reserve(n);
  for (uint32_t i = 0; i < n && ok_; ++i) pools.push_back(Pool());
  if (!ok_) pools.clear();
  return pools;
}

std::vector<RecordArray> SectionReader::ArrayList(int32_t stride) {
  std::vector<RecordArray> list;
  uint32_t n = U32();
  if (!CanHold(n, 4)) return list;
  list.reserve(n);
  for (uint32_t i = 0; i < n && ok_; ++i) list.push_back(Records(stride));
  if (!ok_) list.clear();
  return list;
}

}  // namespace qo
