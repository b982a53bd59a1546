#include "format/section_reader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qo {

void ViewIndexOutOfRange(int64_t index, int32_t count) {
  std::fprintf(stderr, "image view read at index %lld of %d elements\n",
               static_cast<long long>(index), count);
  std::abort();
}

std::string SectionReader::RefusalText() const {
  if (ok()) return {};
  std::string text = section_;
  if (!text.empty()) text += ": ";
  return text + refusal_;
}

void SectionReader::LimitTo(size_t offset) {
  if (!ok()) return;
  if (offset < Offset() || offset > static_cast<size_t>(end_ - begin_))
    return Fail("end outside the image");
  end_ = begin_ + offset;
}

const uint8_t* SectionReader::Bytes(size_t count) {
  if (!ok()) return nullptr;
  if (count > static_cast<size_t>(end_ - pos_)) {
    Fail("past the end");
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
  if (!ok()) return {};
  const void* nul = std::memchr(pos_, 0, static_cast<size_t>(end_ - pos_));
  if (!nul) {
    Fail("text without its end");
    return {};
  }
  std::string_view text(reinterpret_cast<const char*>(pos_),
                        static_cast<size_t>(static_cast<const uint8_t*>(nul) - pos_));
  pos_ = static_cast<const uint8_t*>(nul) + 1;
  return text;
}

RecordArray SectionReader::Records(int32_t stride) {
  // A failed take leaves the cursor where it was.
  const uint8_t* start = pos_;
  int32_t bytes = I32();
  if (!ok()) return {};
  if (bytes == 0) return {};
  int32_t count = I32();
  if (!Check(bytes > 0, "array size negative") || !Check(count > 0, "array count not positive") ||
      !Check(bytes % count == 0, "array size not whole elements") ||
      !Check(stride == 0 || bytes / count == stride, "array element size") ||
      !Check(static_cast<size_t>(bytes) <= Remaining(), "array past the end")) {
    pos_ = start;
    return {};
  }
  const uint8_t* elements = Bytes(static_cast<size_t>(bytes));
  return RecordArray(elements, count, bytes / count);
}

StringPool SectionReader::Pool() {
  if (!ok()) return {};
  ImageArray<int32_t> offsets = Array<int32_t>();
  RecordArray characters = Records(1);
  if (!ok()) return {};
  int32_t previous = 0;
  for (int32_t i = 0; i < offsets.size(); ++i) {
    int32_t offset = offsets[i];
    if (!Check(i > 0 || offset == 0, "pool offsets not from 0") ||
        !Check(offset >= previous, "pool offsets going down"))
      return {};
    previous = offset;
  }
  if (!Check(previous <= characters.bytes(), "pool offsets past the characters")) return {};
  StringPool pool;
  pool.offsets = offsets.handle();
  pool.characters = characters.handle();
  return pool;
}

bool SectionReader::CanHold(uint64_t n, uint64_t minBytes) {
  if (!ok()) return false;
  if (minBytes == 0) minBytes = 1;
  return Check(n <= Remaining() / minBytes, "count larger than the image");
}

std::vector<StringPool> SectionReader::Pools(uint32_t n) {
  std::vector<StringPool> pools;
  if (!CanHold(n, 8)) return pools;
  pools.reserve(n);
  for (uint32_t i = 0; i < n && ok(); ++i) pools.push_back(Pool());
  if (!ok()) pools.clear();
  return pools;
}

std::vector<RecordArray> SectionReader::ArrayList(int32_t stride) {
  std::vector<RecordArray> list;
  uint32_t n = U32();
  if (!CanHold(n, 4)) return list;
  list.reserve(n);
  for (uint32_t i = 0; i < n && ok(); ++i) list.push_back(Records(stride));
  if (!ok()) list.clear();
  return list;
}

}  // namespace qo
