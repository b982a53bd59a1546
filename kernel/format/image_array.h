#pragma once
// Views of CountedArrays that live inside a file image (or in a heap counted
// array of the same shape). A view is a pointer to the first element and the
// count; the stored header stays just before the elements, so handle() is a
// real CountedArray handle that can be handed out as it is. Elements are read
// with the little-endian helpers: the image has no alignment, so nothing here
// casts the element pointer.
#include <cstddef>
#include <cstdint>

#include "core/byte_order.h"
#include "core/counted_array.h"

namespace qo {

// Sanitizer builds check every element index against the view's count: an
// index past the count still lands inside the file image, where
// AddressSanitizer cannot see it, so a check that reads before a size is
// confirmed would pass the tests unnoticed.
[[noreturn]] void ViewIndexOutOfRange(int64_t index, int32_t count);

#ifdef QO_CHECKED_VIEWS
inline void CheckViewIndex(int64_t index, int32_t count) {
  if (index < 0 || index >= count) ViewIndexOutOfRange(index, count);
}
#else
inline void CheckViewIndex(int64_t, int32_t) {}
#endif

// An array whose element type is known; the reader has checked that the
// stored element size is sizeof(T).
template <class T>
class ImageArray {
 public:
  ImageArray() = default;
  ImageArray(const uint8_t* data, int32_t count) : data_(data), count_(count) {}

  int32_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  // The caller keeps i inside 0..size()-1; the reader's checks make the
  // indexes stored in the file safe to use here.
  T operator[](int32_t i) const {
    CheckViewIndex(i, count_);
    return LoadLE<T>(data_ + static_cast<size_t>(i) * sizeof(T));
  }
  ConstArrayHandle handle() const { return data_; }

 private:
  const uint8_t* data_ = nullptr;
  int32_t count_ = 0;
};

// An array of fixed-size records (or of an element size that only the stored
// header tells). Fields are read from At(i) with the LE helpers.
class RecordArray {
 public:
  RecordArray() = default;
  RecordArray(const uint8_t* data, int32_t count, int32_t stride)
      : data_(data), count_(count), stride_(stride) {}

  int32_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  int32_t stride() const { return stride_; }
  int32_t bytes() const { return count_ * stride_; }
  const uint8_t* At(int32_t i) const { return data_ + static_cast<size_t>(i) * stride_; }
  template <class T>
  T Field(int32_t i, int32_t offset) const {
    CheckViewIndex(i, count_);
    return LoadLE<T>(At(i) + offset);
  }
  ConstArrayHandle handle() const { return data_; }

  // The same elements seen as an array of T (stride must be sizeof(T)).
  template <class T>
  ImageArray<T> As() const {
    return stride_ == static_cast<int32_t>(sizeof(T)) ? ImageArray<T>(data_, count_)
                                                      : ImageArray<T>();
  }

 private:
  const uint8_t* data_ = nullptr;
  int32_t count_ = 0;
  int32_t stride_ = 0;
};

// Owns one heap CountedArray (a file image, a derived table). Move-only.
class OwnedArray {
 public:
  OwnedArray() = default;
  explicit OwnedArray(ArrayHandle handle) : handle_(handle) {}
  OwnedArray(const OwnedArray&) = delete;
  OwnedArray& operator=(const OwnedArray&) = delete;
  OwnedArray(OwnedArray&& other) noexcept : handle_(other.release()) {}
  OwnedArray& operator=(OwnedArray&& other) noexcept {
    if (this != &other) {
      FreeArray(&handle_);
      handle_ = other.release();
    }
    return *this;
  }
  ~OwnedArray() { FreeArray(&handle_); }

  ArrayHandle get() const { return handle_; }
  ArrayHandle* address() { return &handle_; }
  int32_t count() const { return GetArrayCount(handle_); }
  int32_t bytes() const { return GetArrayBytes(handle_); }
  ArrayHandle release() {
    ArrayHandle h = handle_;
    handle_ = nullptr;
    return h;
  }
  void reset() { FreeArray(&handle_); }

 private:
  ArrayHandle handle_ = nullptr;
};

}  // namespace qo
