#include "core/string_pool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/image_reader.h"

namespace qo {
namespace {

// Stored shapes for the image tests: {size; count; elements} or a lone 0.
void PutI32(std::vector<uint8_t>& out, int32_t v) {
  uint8_t b[4];
  StoreLE(b, v);
  out.insert(out.end(), b, b + 4);
}
void PutIntArray(std::vector<uint8_t>& out, std::vector<int32_t> values) {
  if (values.empty()) return PutI32(out, 0);
  PutI32(out, static_cast<int32_t>(values.size() * 4));
  PutI32(out, static_cast<int32_t>(values.size()));
  for (int32_t v : values) PutI32(out, v);
}
void PutChars(std::vector<uint8_t>& out, const std::string& s) {
  if (s.empty()) return PutI32(out, 0);
  PutI32(out, static_cast<int32_t>(s.size()));
  PutI32(out, static_cast<int32_t>(s.size()));
  out.insert(out.end(), s.begin(), s.end());
}

struct PoolImage {
  std::vector<uint8_t> bytes;
  StringPool pool;
  explicit PoolImage(std::vector<int32_t> offsets, const std::string& chars) {
    PutIntArray(bytes, offsets);
    PutChars(bytes, chars);
    ImageCursor cursor{bytes.data(), bytes.data() + bytes.size()};
    ok = TakePoolFromImage(cursor, &pool) && cursor.pos == cursor.end;
  }
  bool ok = false;
};

TEST(StringPool, TextsBetweenOffsets) {
  PoolImage image({0, 3, 3, 7}, "abcdefg");
  ASSERT_TRUE(image.ok);
  EXPECT_EQ(GetPoolCount(image.pool), 3);
  EXPECT_EQ(PoolString(image.pool, 0), "abc");
  EXPECT_EQ(PoolString(image.pool, 1), "");
  EXPECT_EQ(PoolString(image.pool, 2), "defg");
  EXPECT_EQ(PoolString(image.pool, 3), "");
  EXPECT_EQ(PoolString(image.pool, -1), "");

  char buffer[8];
  GetPoolString(0, image.pool, buffer, 2);
  EXPECT_STREQ(buffer, "ab");
  GetPoolString(2, image.pool, buffer, 7);
  EXPECT_STREQ(buffer, "defg");
  std::string copy = "x";
  CopyPoolString(9, image.pool, copy);
  EXPECT_EQ(copy, "");
  ArrayHandle dup = DupPoolString(2, image.pool);
  EXPECT_EQ(GetArrayCount(dup), 5);
  EXPECT_STREQ(reinterpret_cast<char*>(dup), "defg");
  FreeArray(&dup);
  dup = DupPoolString(5, image.pool);
  EXPECT_EQ(GetArrayCount(dup), 1);
  FreeArray(&dup);
}

TEST(StringPool, FewerThanTwoOffsetsHoldNoText) {
  EXPECT_EQ(GetPoolCount(StringPool{}), 0);
  PoolImage one({0}, "");
  ASSERT_TRUE(one.ok);
  EXPECT_EQ(GetPoolCount(one.pool), 0);
}

TEST(StringPool, MalformedPoolsAreRefused) {
  struct Case {
    const char* what;
    std::vector<int32_t> offsets;
    std::string chars;
  } cases[] = {
      {"first offset not 0", {1, 3}, "abc"},
      {"descending", {0, 3, 2}, "abc"},
      {"past the characters", {0, 4}, "abc"},
      {"negative", {0, -1}, "abc"},
  };
  for (const Case& c : cases) EXPECT_FALSE(PoolImage(c.offsets, c.chars).ok) << c.what;
}

TEST(ImageReader, ArraysAreTakenInPlace) {
  std::vector<uint8_t> bytes;
  PutI32(bytes, 0);              // empty array: a lone 0
  PutIntArray(bytes, {10, 20});  // 8 + 8 bytes
  ImageCursor cursor{bytes.data(), bytes.data() + bytes.size()};
  ConstArrayHandle a = reinterpret_cast<ConstArrayHandle>(1);
  ASSERT_TRUE(TakeArrayFromImage(cursor, &a));
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(cursor.pos, bytes.data() + 4);
  ASSERT_TRUE(TakeArrayFromImage(cursor, &a, 4));
  EXPECT_EQ(a, bytes.data() + 12);
  EXPECT_EQ(cursor.pos, bytes.data() + 4 + 8 + 8);
  EXPECT_EQ(ArrayAt<int32_t>(a, 1), 20);
}

TEST(ImageReader, TakesNeverPassTheEnd) {
  std::vector<uint8_t> whole;
  PutIntArray(whole, {1, 2, 3});
  // Every truncation of a valid array fails and leaves the cursor alone.
  for (size_t length = 0; length < whole.size(); ++length) {
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(length));
    ImageCursor cursor{cut.data(), cut.data() + cut.size()};
    const uint8_t* start = cursor.pos;
    ConstArrayHandle a;
    EXPECT_FALSE(TakeArrayFromImage(cursor, &a)) << length;
    EXPECT_EQ(cursor.pos, start);
  }
  struct Case {
    const char* what;
    int32_t bytes, count, expectedSize;
  } cases[] = {
      {"size without count", 4, 0, 0},
      {"negative size", -4, 1, 0},
      {"size not a multiple of the count", 6, 4, 0},
      {"absurd size", 0x7FFFFFF0, 1, 0},
      {"unexpected element size", 4, 2, 4},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes;
    PutI32(bytes, c.bytes);
    PutI32(bytes, c.count);
    bytes.resize(bytes.size() + 8);
    ImageCursor cursor{bytes.data(), bytes.data() + bytes.size()};
    ConstArrayHandle a;
    EXPECT_FALSE(TakeArrayFromImage(cursor, &a, c.expectedSize)) << c.what;
  }
}

TEST(ImageReader, ArrayListsAndTexts) {
  std::vector<uint8_t> bytes;
  PutI32(bytes, 2);
  PutIntArray(bytes, {5});
  PutI32(bytes, 0);
  const char text[] = "Praha";
  bytes.insert(bytes.end(), text, text + sizeof text);
  ImageCursor cursor{bytes.data(), bytes.data() + bytes.size()};
  ArrayHandle list = nullptr;
  ASSERT_TRUE(TakeArrayListFromImage(cursor, &list));
  ASSERT_EQ(GetArrayCount(list), 2);
  EXPECT_EQ(ArrayAt<int32_t>(ArrayAt<ConstArrayHandle>(list, 0), 0), 5);
  EXPECT_EQ(ArrayAt<ConstArrayHandle>(list, 1), nullptr);
  FreeArray(&list);
  const char* taken;
  ASSERT_TRUE(TakeCString(cursor, &taken));
  EXPECT_STREQ(taken, "Praha");
  EXPECT_EQ(cursor.pos, cursor.end);

  // A text without its NUL and a list count larger than the image are refused.
  std::vector<uint8_t> open = {'a', 'b'};
  ImageCursor c1{open.data(), open.data() + open.size()};
  EXPECT_FALSE(TakeCString(c1, &taken));
  std::vector<uint8_t> many;
  PutI32(many, 1000);
  PutI32(many, 0);
  ImageCursor c2{many.data(), many.data() + many.size()};
  EXPECT_FALSE(TakeArrayListFromImage(c2, &list));
}

}  // namespace
}  // namespace qo
