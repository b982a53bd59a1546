#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "frame/message_tables.h"
#include "text/text_util.h"

namespace qo {
namespace {

TEST(TextUtil, Trimming) {
  EXPECT_EQ(GetTrimmedLength(" \t ab c\r\n"), 4);
  EXPECT_EQ(GetTrimmedLength("\xA0x\xA0"), 3);  // bytes above 0x7F are text
  EXPECT_EQ(GetTrimmedLength("   "), 0);
  EXPECT_EQ(GetTrimmedLength(nullptr), 0);

  char text[] = "\t  ab c \x01";
  EXPECT_STREQ(TrimText(text), "ab c");
  char blank[] = "  ";
  EXPECT_STREQ(TrimText(blank), "");

  char left[] = "abcdef";
  EXPECT_STREQ(DeleteLeft(2, left), "cdef");
  EXPECT_STREQ(DeleteLeft(0, left), "cdef");
  EXPECT_STREQ(DeleteLeft(10, left), "");
}

TEST(TextUtil, Tokens) {
  struct Case {
    const char* text;
    const char* delimiters;
    int count;
    const char* token1;  // null when there is no run 1
  } cases[] = {
      {"13.12.2009", ".", 3, "12"}, {"..13..12..", ".", 2, "12"}, {"a, b;c", " ,;", 3, "b"},
      {"abc", ".", 1, nullptr},     {"...", ".", 0, nullptr},     {"", ".", 0, nullptr},
      {"a b", "", 1, nullptr},  // no delimiters: one run, the whole text
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CountTokens(c.text, c.delimiters), c.count) << c.text;
    char buffer[16] = "unchanged";
    EXPECT_EQ(GetToken(c.text, buffer, sizeof buffer, 1, c.delimiters), c.token1 != nullptr);
    EXPECT_STREQ(buffer, c.token1 ? c.token1 : "unchanged") << c.text;
  }
  char buffer[16];
  EXPECT_TRUE(GetToken("a b", buffer, sizeof buffer, 0, ""));
  EXPECT_STREQ(buffer, "a b");
  char small[4];
  EXPECT_TRUE(GetToken("x abcdef", small, sizeof small, 1, " "));
  EXPECT_STREQ(small, "abc");  // cut to the buffer
}

TEST(TextUtil, AppendCountsAndStaysInTheBuffer) {
  SetAppendedCount(0);
  char buffer[8] = "";
  AppendText(buffer, sizeof buffer, "abc");
  AppendText(buffer, sizeof buffer, "defgh");
  EXPECT_STREQ(buffer, "abcdefg");
  EXPECT_EQ(GetAppendedCount(), 8);
}

TEST(TextUtil, MarkersByPairAndLanguage) {
  char buffer[32];
  auto marks = [&](bool force) {
    buffer[0] = '\0';
    AppendOpenMark(buffer, sizeof buffer, SecondMarkerPairWanted(force));
    std::strcat(buffer, "x");
    AppendCloseMark(buffer, sizeof buffer, SecondMarkerPairWanted(force));
    return std::string(buffer);
  };
  SetMarkerPairs(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(marks(true), "x");

  SetMarkerPairs("<b>", "</b>", nullptr, nullptr);
  SelectLanguage('C');
  EXPECT_EQ(marks(false), "<b>x</b>");

  SetMarkerPairs("<b>", "</b>", "{", "}");
  EXPECT_EQ(marks(false), "{x}");
  SelectLanguage('E');  // English texts take the second pair only when forced
  EXPECT_EQ(marks(false), "<b>x</b>");
  EXPECT_EQ(marks(true), "{x}");

  SetMarkerPairs("", "", "{", "}");
  EXPECT_EQ(marks(false), "x");

  SelectLanguage('C');
  SetMarkerPairs(nullptr, nullptr, nullptr, nullptr);
}

}  // namespace
}  // namespace qo
