#include "core/crc32.h"

#include <gtest/gtest.h>

#include <string>

#include "core/format_text.h"

namespace qo {
namespace {

TEST(Crc32, KnownValues) {
  struct Case {
    std::string data;
    uint32_t crc;
  } cases[] = {
      {"", 0x00000000u},
      {"abc", 0x352441C2u},
      {"123456789", 0xCBF43926u},
      {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ComputeCrc32(c.data.data(), c.data.size()), c.crc) << c.data;
}

TEST(Crc32, PiecesChainToTheWhole) {
  std::string data(1000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + 3);
  uint32_t whole = ComputeCrc32(data.data(), data.size());
  for (size_t cut : {0u, 1u, 7u, 8u, 9u, 500u, 999u}) {
    uint32_t first = ComputeCrc32(data.data(), cut);
    EXPECT_EQ(UpdateCrc32(first, data.data() + cut, data.size() - cut), whole) << cut;
  }
}

TEST(FormatText, AlwaysEndsTheBufferWithANul) {
  char buffer[6];
  EXPECT_EQ(FormatText(buffer, sizeof buffer, "%d-%s", 12, "ab"), 5);
  EXPECT_STREQ(buffer, "12-ab");
  EXPECT_EQ(FormatText(buffer, sizeof buffer, "%s", "abcdefgh"), 5);
  EXPECT_STREQ(buffer, "abcde");
}

}  // namespace
}  // namespace qo
