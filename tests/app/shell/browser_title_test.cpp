#include "shell/browser_title.h"

#include <gtest/gtest.h>

namespace vemo {
namespace {

TEST(BrowserTitle, FirstFixedAndFailed) {
  BrowserTitle first("*Zjištění aktualizace...", "Browser");
  EXPECT_EQ(first.caption(), "Zjištění aktualizace...");
  first.Loaded("Aktualizace");
  EXPECT_EQ(first.caption(), "Aktualizace");

  BrowserTitle fixed("Informace Ek", "Browser");
  fixed.Loaded("Page");
  EXPECT_EQ(fixed.caption(), "Informace Ek");
  fixed.Failed();
  EXPECT_EQ(fixed.caption(), "CHYBA: stránku nelze zobrazit.");

  // A late "loaded" of the page before does not undo the error.
  BrowserTitle late("", "Browser");
  EXPECT_EQ(late.caption(), "Browser");
  late.Failed();
  late.Loaded("Old page");
  EXPECT_EQ(late.caption(), "CHYBA: stránku nelze zobrazit.");
}

TEST(BrowserTitle, DefaultSizes) {
  int w = 0, h = 0;
  BrowserDefaultSize(4117, 1024, 768, &w, &h);
  EXPECT_EQ(w, 974);
  EXPECT_EQ(h, 668);
  BrowserDefaultSize(4118, 1920, 1080, &w, &h);
  EXPECT_EQ(w, 1400);
  EXPECT_EQ(h, 400);
}

}  // namespace
}  // namespace vemo
