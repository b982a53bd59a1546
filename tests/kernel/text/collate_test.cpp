#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "text/collate.h"
#include "text/cp1250.h"

namespace qo {
namespace {

int Compare(const char* a, const char* b, bool ch) {
  return CompareCzech(Utf8ToCp1250(a).c_str(), Utf8ToCp1250(b).c_str(), ch);
}

TEST(CompareCzech, Pairs) {
  struct Case {
    const char* a;
    const char* b;
    bool ch;
    int expected;
  } cases[] = {
      {"chata", "hrad", true, 1},                                  // ch is a letter after h
      {"chata", "hrad", false, -1}, {"chata", "ihned", true, -1},  // ... and before i
      {"Chrudim", "Cheb", true, 1}, {"ch", "ci", true, 1},
      {"ch", "ci", false, -1},      {"CH", "ch", true, 1},      // case only breaks ties
      {"abc", "Abc", false, -1},    {"Abc", "abd", false, -1},  // a later letter outweighs the case
      {"ab", "abc", false, -1},                                 // a prefix first
      {"abc", "ab", false, 1},      {"abc", "abc", false, 0},
      {"", "", false, 0},           {"", "a", false, -1},
      {"čaj", "cukr", false, 1},  // č is a letter of its own after c
      {"řeka", "rybník", false, 1}, {"šance", "sud", false, 1},
      {"žába", "zub", false, 1},    {"kána", "kana", false, 1},  // an accent only breaks ties
      {"kána", "kanb", false, -1},  {"Ábel", "ábel", false, 1},
      {"dům", "Dum", false, -1},    {"Brno", "Brno hl.n.", false, -1},
      {"a b", "ab", false, -1},                             // the blank before everything printable
      {"1", "a", false, -1},        {"z", "[", false, -1},  // '[' .. '~' after the letters
      {"ß", "ž", false, 1},                                 // ß among the last signs
      {"\t", " ", false, -1},       {"Ł", "L", false, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Compare(c.a, c.b, c.ch), c.expected) << c.a << " / " << c.b << " ch=" << c.ch;
    EXPECT_EQ(Compare(c.b, c.a, c.ch), -c.expected) << c.b << " / " << c.a << " ch=" << c.ch;
  }
  EXPECT_EQ(CompareCzech(nullptr, "", true), 0);
  EXPECT_EQ(CompareCzech(nullptr, "a", true), -1);
}

TEST(CompareCzech, SortsAListOfNames) {
  std::vector<std::string> names = {
      "Žďár",   "Zlín",     "Cheb",    "Hradec",   "chata",   "Ústí",    "Uherský Brod", "Čáslav",
      "Cvikov", "Ivančice", "Řevnice", "Rakovník", "Šumperk", "Svitavy", "Ostrava",      "Ölbach"};
  for (std::string& n : names) n = Utf8ToCp1250(n);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return CompareCzech(a.c_str(), b.c_str(), true) < 0;
  });
  std::string sorted;
  for (const std::string& n : names) sorted += Cp1250ToUtf8(n) + ", ";
  EXPECT_EQ(sorted,
            "Cvikov, Čáslav, Hradec, chata, Cheb, Ivančice, Ölbach, Ostrava, Rakovník, "
            "Řevnice, Svitavy, Šumperk, Uherský Brod, Ústí, Zlín, Žďár, ");
}

}  // namespace
}  // namespace qo
