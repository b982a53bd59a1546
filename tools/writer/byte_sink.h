#pragma once
// The growing image the writer appends to, with the marks of every section
// and every array it wrote.
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "core/byte_order.h"
#include "writer/timetable_writer.h"

namespace qo::writer {

class ByteSink {
 public:
  std::vector<uint8_t> bytes;
  std::vector<Mark> sections;
  std::vector<Mark> arrays;

  size_t Size() const { return bytes.size(); }
  void Section(std::string name) { sections.push_back({std::move(name), bytes.size()}); }

  void U8(uint8_t v) { bytes.push_back(v); }
  void U16(uint16_t v) { Put(v); }
  void U32(uint32_t v) { Put(v); }
  void I32(int32_t v) { Put(v); }
  void Raw(void const* data, size_t size) {
    auto p = static_cast<uint8_t const*>(data);
    bytes.insert(bytes.end(), p, p + size);
  }
  void Zeros(size_t count) { bytes.insert(bytes.end(), count, 0); }
  // Text NUL-padded (or cut) to exactly width bytes.
  void FixedText(std::string const& text, size_t width) {
    for (size_t i = 0; i < width; ++i) U8(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
  }
  void CString(std::string const& text) {
    Raw(text.data(), text.size());
    U8(0);
  }

  // An array of count elements of elementSize bytes each, or the lone 0 of
  // the empty array.
  void Array(std::string const& name, size_t elementSize, size_t count,
             std::vector<uint8_t> const& elements) {
    arrays.push_back({name, bytes.size()});
    if (count == 0) {
      U32(0);
      return;
    }
    U32(static_cast<uint32_t>(elementSize * count));
    U32(static_cast<uint32_t>(count));
    bytes.insert(bytes.end(), elements.begin(), elements.end());
  }
  void EmptyArray(std::string const& name) { Array(name, 0, 0, {}); }

  template <class T>
  void ArrayOf(std::string const& name, std::vector<T> const& values) {
    static_assert(std::is_trivially_copyable_v<T>);
    std::vector<uint8_t> raw(values.size() * sizeof(T));
    for (size_t i = 0; i < values.size(); ++i) StoreLE(raw.data() + i * sizeof(T), values[i]);
    Array(name, sizeof(T), values.size(), raw);
  }

  // A pool of texts: offsets then characters. No texts: two empty arrays.
  void Pool(std::string const& name, std::vector<std::string> const& texts) {
    if (texts.empty()) {
      EmptyArray(name + "/offsets");
      EmptyArray(name + "/chars");
      return;
    }
    std::vector<int32_t> offsets{0};
    std::vector<uint8_t> chars;
    for (std::string const& text : texts) {
      chars.insert(chars.end(), text.begin(), text.end());
      offsets.push_back(static_cast<int32_t>(chars.size()));
    }
    ArrayOf(name + "/offsets", offsets);
    Array(name + "/chars", 1, chars.size(), chars);
  }

 private:
  template <class T>
  void Put(T v) {
    uint8_t raw[sizeof(T)];
    StoreLE(raw, v);
    bytes.insert(bytes.end(), raw, raw + sizeof(T));
  }
};

// Fixed-size records assembled field by field before they go into an array.
class RecordBytes {
 public:
  std::vector<uint8_t> bytes;
  size_t count = 0;

  void U8(uint8_t v) { bytes.push_back(v); }
  void I8(int8_t v) { bytes.push_back(static_cast<uint8_t>(v)); }
  void U16(uint16_t v) { Put(v); }
  void I16(int16_t v) { Put(v); }
  void U32(uint32_t v) { Put(v); }
  void I32(int32_t v) { Put(v); }
  void FixedText(std::string const& text, size_t width) {
    for (size_t i = 0; i < width; ++i) U8(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
  }
  void EndRecord() { ++count; }

 private:
  template <class T>
  void Put(T v) {
    uint8_t raw[sizeof(T)];
    StoreLE(raw, v);
    bytes.insert(bytes.end(), raw, raw + sizeof(T));
  }
};

}  // namespace qo::writer
