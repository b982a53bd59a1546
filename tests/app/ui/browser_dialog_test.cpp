#include "ui/browser_dialog.h"

#include <gtest/gtest.h>
#include <wx/app.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "loopback_server.h"
#include "shell/kernel_api.h"
#include "ui/ui_test_support.h"
#include "ui/wx_text.h"

namespace vemo {
namespace {

// Runs the event loop until the condition holds or 20 seconds pass.
template <class Condition>
bool WaitFor(Condition condition) {
  for (int i = 0; i < 2000 && !condition(); ++i) {
    wxTheApp->Yield(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

TEST(BrowserDialog, LoopbackPageTitleAndRefusedPort) {
  test::TempDir site;
  std::ofstream(site / "page.htm") << "<html><head><title>Nabídka aktualizací</title>"
                                      "<meta charset=\"utf-8\"></head><body>x</body></html>";
  test::LoopbackServer server(test::kHttpServerScript, site.path());
  ASSERT_GT(server.port(), 0);
  std::string url = server.url("http") + "page.htm";
  {
    BrowserDialog dialog(nullptr, nullptr, 4117, url, "*Zjištění aktualizace...", "chyba");
    EXPECT_EQ(FromWx(dialog.GetTitle()), "Zjištění aktualizace...");
    dialog.Show();
    EXPECT_TRUE(WaitFor([&] { return FromWx(dialog.GetTitle()) == "Nabídka aktualizací"; }))
        << FromWx(dialog.GetTitle());
  }
  {
    std::string shown;
    int refused = test::RefusedLoopbackPort();
    ASSERT_GT(refused, 0);
    BrowserDialog dialog(nullptr, nullptr, 4118,
                         "http://127.0.0.1:" + std::to_string(refused) + "/", "Informace Ek",
                         "Při pokusu o zobrazení došlo k chybě.");
    dialog.show_error = [&](std::string const& text) { shown = text; };
    dialog.Show();
    EXPECT_TRUE(WaitFor([&] { return dialog.title().failed(); }));
    EXPECT_EQ(shown, "Při pokusu o zobrazení došlo k chybě.");
    EXPECT_EQ(FromWx(dialog.GetTitle()), "CHYBA: stránku nelze zobrazit.");
  }
}

// A page that names no charset is read as windows-1250: its title comes out
// with the Czech letters that code page puts at those bytes.
TEST(BrowserDialog, PageWithoutCharsetIsWindows1250) {
  test::TempDir site;
  std::string title = "Žluťoučký kůň – Přípoje";
  std::ofstream(site / "page.htm")
      << Utf8ToCp1250("<html><head><title>" + title + "</title></head><body>x</body></html>");
  test::LoopbackServer server(test::kHttpServerScript, site.path());
  ASSERT_GT(server.port(), 0);
  BrowserDialog dialog(nullptr, nullptr, 4117, server.url("http") + "page.htm", "*Informace",
                       "chyba");
  dialog.Show();
  EXPECT_TRUE(WaitFor([&] { return FromWx(dialog.GetTitle()) != "Informace"; }));
  EXPECT_EQ(FromWx(dialog.GetTitle()), title);
}

}  // namespace
}  // namespace vemo
