#include "core/string_pool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "format/section_reader.h"

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
    SectionReader r(bytes.data(), bytes.data() + bytes.size());
    pool = r.Pool();
    ok = r.ok() && r.Remaining() == 0;
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

TEST(SectionReader, ArraysAreTakenInPlace) {
  std::vector<uint8_t> bytes;
  PutI32(bytes, 0);              // empty array: a lone 0
  PutIntArray(bytes, {10, 20});  // 8 + 8 bytes
  SectionReader r(bytes.data(), bytes.data() + bytes.size());
  EXPECT_TRUE(r.Records().empty());
  EXPECT_EQ(r.Offset(), 4u);
  ImageArray<int32_t> a = r.Array<int32_t>();
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(a.handle(), bytes.data() + 12);
  EXPECT_EQ(r.Remaining(), 0u);
  EXPECT_EQ(a[1], 20);
}

// Every malformed shape fails the reader, names why, and leaves every take
// after it empty.
TEST(SectionReader, TakesNeverPassTheEndAndNameWhy) {
  std::vector<uint8_t> whole;
  PutIntArray(whole, {1, 2, 3});
  for (size_t length = 0; length < whole.size(); ++length) {
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(length));
    SectionReader r(cut.data(), cut.data() + cut.size());
    r.Section("cut");
    EXPECT_TRUE(r.Records().empty());
    EXPECT_FALSE(r.ok()) << length;
    EXPECT_EQ(r.RefusalText(), length < 8 ? "cut: past the end" : "cut: array past the end");
  }
  struct Case {
    int32_t bytes, count, stride;
    const char* why;
  } cases[] = {
      {4, 0, 0, "array count not positive"},
      {-4, 1, 0, "array size negative"},
      {6, 4, 0, "array size not whole elements"},
      {0x7FFFFFF0, 1, 0, "array past the end"},
      {4, 2, 4, "array element size"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes;
    PutI32(bytes, c.bytes);
    PutI32(bytes, c.count);
    bytes.resize(bytes.size() + 8);
    SectionReader r(bytes.data(), bytes.data() + bytes.size());
    EXPECT_TRUE(r.Records(c.stride).empty());
    EXPECT_EQ(r.RefusalText(), c.why);
    EXPECT_EQ(r.U32(), 0u);  // nothing is taken after a failure
  }
}

TEST(SectionReader, ArrayListsAndTexts) {
  std::vector<uint8_t> bytes;
  PutI32(bytes, 2);
  PutIntArray(bytes, {5});
  PutI32(bytes, 0);
  const char text[] = "Praha";
  bytes.insert(bytes.end(), text, text + sizeof text);
  SectionReader r(bytes.data(), bytes.data() + bytes.size());
  std::vector<RecordArray> list = r.ArrayList(4);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].As<int32_t>()[0], 5);
  EXPECT_TRUE(list[1].empty());
  EXPECT_EQ(r.CString(), "Praha");
  EXPECT_EQ(r.Remaining(), 0u);
  EXPECT_TRUE(r.ok());

  // A text without its NUL and a list count larger than the image are refused.
  std::vector<uint8_t> open = {'a', 'b'};
  SectionReader r1(open.data(), open.data() + open.size());
  r1.CString();
  EXPECT_EQ(r1.RefusalText(), "text without its end");
  std::vector<uint8_t> many;
  PutI32(many, 1000);
  PutI32(many, 0);
  SectionReader r2(many.data(), many.data() + many.size());
  EXPECT_TRUE(r2.ArrayList().empty());
  EXPECT_EQ(r2.RefusalText(), "count larger than the image");
}

}  // namespace
}  // namespace qo
