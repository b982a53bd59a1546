#include "shell/program_dates.h"

#include <gtest/gtest.h>

#include "shell/kernel_test_support.h"

namespace vemo {
namespace {

TEST(ProgramDates, DayNumbersOfDates) {
  struct Case {
    int day, month, year, expected;
  };
  Case const cases[] = {
      {1, 1, 1900, 0},  {31, 1, 1900, 30},    {1, 2, 1900, 31},      {28, 2, 1900, 58},
      {29, 2, 1900, 0}, {1, 3, 1900, 59},     {31, 12, 2078, 65378}, {1, 1, 2079, 0},
      {29, 2, 2009, 0}, {29, 2, 2008, 39505}, {0, 1, 2000, 0},       {1, 13, 2000, 0},
  };
  for (Case const& c : cases)
    EXPECT_EQ(DmyToDayNumber(c.day, c.month, c.year), c.expected)
        << c.day << "." << c.month << "." << c.year;
  // Two-digit years: below 50 is 20xx, 50..99 is 19xx.
  EXPECT_EQ(DmyToDayNumber(1, 1, 10), DmyToDayNumber(1, 1, 2010));
  EXPECT_EQ(DmyToDayNumber(1, 1, 99), DmyToDayNumber(1, 1, 1999));
  EXPECT_EQ(DayOfWeek(0), 1);
}

TEST(ProgramDates, NoDateGivesZeros) {
  for (int d : {0, 0xFFFF, -1, 65379}) EXPECT_EQ(DayNumberToDmy(d), Dmy{}) << d;
  EXPECT_EQ(DayNumberToDmy(59), (Dmy{1, 3, 1900}));
}

// The program and the kernel must name the same date for every day number,
// the two months of 1900 before the formula's start included.
TEST(ProgramDates, EveryDayAgreesWithTheKernel) {
  KernelApi& kernel = test::RealKernel();
  for (int d = 1; d <= kLastDayNumber; ++d) {
    Dmy mine = DayNumberToDmy(d);
    Dmy theirs;
    kernel.QoDateToDMY(d, &theirs.day, &theirs.month, &theirs.year);
    ASSERT_EQ(mine, theirs) << "day " << d;
    ASSERT_EQ(DmyToDayNumber(mine.day, mine.month, mine.year), d);
    ASSERT_EQ(kernel.QoDMYToDate(mine.day, mine.month, mine.year), d);
  }
}

TEST(ProgramDates, TimeTexts) {
  struct Case {
    const char* text;
    int expected;
  };
  Case const cases[] = {
      {"1230", 750},
      {"12:30", 750},
      {"7", 420},
      {"8:5", 485},
      {"10.5", 605},
      {"24:00", 1440},
      {"0:00", 0},
      {"24:01", -1},
      {"12:60", -1},
      {"", -1},
      {"abc", -1},
      {"12:305", -1},
      // More digits than a time has are no time, even where an int read of
      // them would wrap round into a valid one.
      {"4294967296", -1},
      {"00000000000000000000000000000000000000001230", -1},
  };
  for (Case const& c : cases) EXPECT_EQ(ParseTimeText(c.text), c.expected) << '"' << c.text << '"';
}

TEST(ProgramDates, CodePages) {
  // Příliš in Windows-1250.
  std::string text = "P\xF8\xED\x6C\x69\x9A";
  ConvertCodePage(text, 3, 4);
  EXPECT_EQ(text, "Prilis");
  std::string ascii = "Praha hl.n. 12:30";
  for (int from = 0; from <= 5; ++from)
    for (int to = 0; to <= 5; ++to) {
      std::string copy = ascii;
      ConvertCodePage(copy, from, to);
      EXPECT_EQ(copy, ascii);
    }
  // Windows-1250 to ISO 8859-2 and back: Š, š, Ž, ž, ť, Ť move.
  std::string letters = "\x8A\x9A\x8E\x9E\x9D\x8D";
  std::string iso = letters;
  ConvertCodePage(iso, 3, 2);
  EXPECT_EQ(iso, "\xA9\xB9\xAE\xBE\xBB\xAB");
  ConvertCodePage(iso, 2, 3);
  EXPECT_EQ(iso, letters);
  std::string unchanged = letters;
  ConvertCodePage(unchanged, 3, 7);
  EXPECT_EQ(unchanged, letters);
}

TEST(ProgramDates, UrlValues) {
  struct Case {
    const char* text;
    const char* expected;
  };
  Case const cases[] = {
      {"Praha hl.n.", "Praha%20hl.n."},
      {"100%", "100%25"},
      {"a&b=c/d?e", "a%26b%3Dc%2Fd%3Fe"},
      {"A-z_0.9~", "A-z_0.9~"},
      {"\xC3\xA1", "%C3%A1"},               // á, two bytes
      {"\xE2\x82\xAC 5", "%E2%82%AC%205"},  // the euro sign, three bytes
      {"\x01\x7F", "%01%7F"},
  };
  for (Case const& c : cases) EXPECT_EQ(EscapeUrl(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace vemo
