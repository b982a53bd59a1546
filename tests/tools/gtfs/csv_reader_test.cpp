#include "gtfs/csv_reader.h"

#include <gtest/gtest.h>

#include "gtfs/cp1250_fit.h"

namespace qo::gtfs {
namespace {

// Every record of a table as "line|field|field...", by the given columns.
std::string Records(std::string_view text, std::vector<std::string> const& columns) {
  CsvReader csv(text, "t.txt");
  std::vector<int> index;
  for (std::string const& c : columns) index.push_back(csv.Column(c));
  std::string out;
  while (csv.Next()) {
    out += std::to_string(csv.Line());
    for (int i : index) out += "|" + std::string(csv.Field(i));
    out += "\n";
  }
  return out;
}

std::string ErrorOf(std::string_view text) {
  try {
    Records(text, {"a"});
  } catch (FeedError const& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(CsvReader, ReadsWhatFeedsWrite) {
  struct Case {
    char const* name;
    char const* text;
    char const* records;  // columns b, a, c
  };
  const Case cases[] = {
      {"plain", "a,b\n1,2\n3,4\n", "2|2|1|\n3|4|3|\n"},
      {"byte-order mark and CRLF", "\xEF\xBB\xBF\"a\",\"b\"\r\n\"1\",\"2\"\r\n", "2|2|1|\n"},
      {"columns in another order, unknown column empty", "c,b,a\nz,y,x\n", "2|y|x|z\n"},
      {"quoted comma, quote and line break; lines counted through them",
       "a,b\n\"x,1\",\"say \"\"hi\"\"\"\n\"two\nlines\",2\n3,4\n",
       "2|say \"hi\"|x,1|\n3|2|two\nlines|\n5|4|3|\n"},
      {"blank lines skipped, short record padded", "a,b\n\n1\n\r\n2,3\n", "3||1|\n5|3|2|\n"},
      {"no line break at the end, blanks around fields", "a , b\n 1 , \"2\" ", "2|2|1|\n"},
      {"empty quoted field and trailing empty field", "a,b,c\n\"\",x,\n", "2|x||\n"},
      {"header only", "a,b\n", ""},
  };
  for (Case const& c : cases) {
    EXPECT_EQ(Records(c.text, {"b", "a", "c"}), c.records) << c.name;
  }
}

TEST(CsvReader, MalformedTablesNameTheirLine) {
  EXPECT_EQ(ErrorOf(""), "t.txt: the file is empty (no header row)");
  EXPECT_EQ(ErrorOf("a\n1\n\"open\nstill open\n"),
            "t.txt:3: a quoted field is not closed before the end of the file");
  EXPECT_EQ(ErrorOf("a\n1\n\"x\"y\n"), "t.txt:3: text after the closing quote of a field");
  CsvReader csv("a,b\n", "stops.txt");
  try {
    csv.Require("stop_id");
    FAIL() << "no error";
  } catch (FeedError const& e) {
    EXPECT_STREQ(e.what(), "stops.txt:1: missing required column stop_id");
  }
}

TEST(FitToCp1250, KeepsWhatWindows1250HasAndTransliteratesTheRest) {
  struct Case {
    char const* in;
    char const* out;
    size_t changed;
  };
  const Case cases[] = {
      {"Plzeň, Šťáhlavy – Čerňovice", "Plzeň, Šťáhlavy – Čerňovice", 0},
      {"Łódź Őrség ß", "Łódź Őrség ß", 0},
      {"Ørsted Æbeltoft Ŝ", "Orsted AEbeltoft S", 3},
      {"e\xCC\x81", "e", 1},          // a combining accent
      {"東京 «x» ‐", "?? «x» -", 3},  // no Latin form; a hyphen Windows-1250 lacks
      {"", "", 0},
  };
  for (Case const& c : cases) {
    std::string out;
    size_t changed = 0;
    ASSERT_TRUE(FitToCp1250(c.in, out, &changed)) << c.in;
    EXPECT_EQ(out, c.out);
    EXPECT_EQ(changed, c.changed) << c.in;
  }
  std::string out;
  size_t changed = 0;
  for (char const* bad : {"\xC3", "a\xC3(", "\xE0\x80\xAF", "\xED\xA0\x80", "\xFF"}) {
    EXPECT_FALSE(FitToCp1250(bad, out, &changed)) << bad;
  }
}

}  // namespace
}  // namespace qo::gtfs
