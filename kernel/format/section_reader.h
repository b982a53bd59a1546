#pragma once
// The one bounded reader of file images. A cursor takes the stored shapes
// one after another; the first take that would leave the image or that finds
// a malformed shape fails the reader and names why; from then on every take
// does nothing and yields empty values, so a parser can be written as the
// plain sequence of the layout and test ok() once at the end (or wherever a
// count read from the file is about to drive a loop or an allocation).
// Arrays are used in place: nothing is copied.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/string_pool.h"
#include "format/image_array.h"
#include "format/range_checks.h"

namespace qo {

class SectionReader {
 public:
  SectionReader(const uint8_t* begin, const uint8_t* end) : begin_(begin), pos_(begin), end_(end) {}

  bool ok() const { return refusal_ == nullptr; }
  // The section the next takes belong to, named in the refusal.
  void Section(const char* name) {
    if (ok()) section_ = name;
  }
  // Fails the reader (the first failure is the one kept).
  void Fail(Refusal why) {
    if (ok()) refusal_ = why;
  }
  // Fails the reader unless the condition holds; returns ok().
  bool Check(bool condition, Refusal why) {
    if (!condition) Fail(why);
    return ok();
  }
  // "section: what" of the first failure; "" while the reader is ok.
  std::string RefusalText() const;

  size_t Offset() const { return static_cast<size_t>(pos_ - begin_); }
  size_t Remaining() const { return ok() ? static_cast<size_t>(end_ - pos_) : 0; }
  // Moves the end closer (the trailer is not body); an end outside the image
  // fails the reader.
  void LimitTo(size_t offset);

  const uint8_t* Bytes(size_t count);  // null after a failure
  void Skip(size_t count) { Bytes(count); }
  uint8_t U8();
  uint16_t U16();
  uint32_t U32();
  int32_t I32();
  // A NUL-terminated text ending inside the image (the view excludes the NUL).
  std::string_view CString();

  // A stored CountedArray of T (a non-empty one must have elements of
  // sizeof(T) bytes).
  template <class T>
  ImageArray<T> Array() {
    RecordArray raw = Records(static_cast<int32_t>(sizeof(T)));
    return raw.As<T>();
  }
  // A stored CountedArray: {i32 byte size; i32 count; elements}, or a lone
  // i32 0 for the empty array. The byte size must be non-negative and fit,
  // the count positive when the size is, and the size a multiple of the
  // count. Records of `stride` bytes; stride 0 accepts any element size.
  RecordArray Records(int32_t stride = 0);
  // Offsets (i32, ascending, first 0, last not past the characters), then
  // the characters (1-byte elements).
  StringPool Pool();
  // n pools in a row. The count comes from the file, so it is checked against
  // the bytes left (a pool takes at least 8) before anything is allocated.
  std::vector<StringPool> Pools(uint32_t n);
  // u32 n, then n arrays of `stride` bytes (0 = any).
  std::vector<RecordArray> ArrayList(int32_t stride = 0);
  // Whether n items of at least minBytes each can still follow; fails the
  // reader when not. Guards every loop whose count comes from the file.
  bool CanHold(uint64_t n, uint64_t minBytes);

 private:
  const uint8_t* begin_;
  const uint8_t* pos_;
  const uint8_t* end_;
  const char* section_ = "";
  Refusal refusal_ = nullptr;
};

}  // namespace qo
