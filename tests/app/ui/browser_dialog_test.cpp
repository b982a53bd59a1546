#include "ui/browser_dialog.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <wx/app.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "shell/kernel_api.h"
#include "ui/ui_test_support.h"
#include "ui/wx_text.h"

extern char** environ;

namespace vemo {
namespace {

// A loopback HTTP server on a port the system picks.
class HttpServer {
 public:
  explicit HttpServer(std::string const& root) {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string python = "python3", dash_c = "-c", dir = root;
    std::string code =
        "import http.server, os, sys\n"
        "os.chdir(sys.argv[1])\n"
        "class Q(http.server.SimpleHTTPRequestHandler):\n"
        "    def log_message(self, *a): pass\n"
        "s = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Q)\n"
        "print(s.server_address[1], flush=True)\n"
        "s.serve_forever()\n";
    char* argv[] = {python.data(), dash_c.data(), code.data(), dir.data(), nullptr};
    if (posix_spawnp(&pid_, "python3", &actions, nullptr, argv, environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    FILE* in = fdopen(out[0], "r");
    if (in && fscanf(in, "%d", &port_) != 1) port_ = 0;
    if (in) fclose(in);
  }
  ~HttpServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  int port() const { return port_; }

 private:
  pid_t pid_ = 0;
  int port_ = 0;
};

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
  HttpServer server(site.path());
  ASSERT_GT(server.port(), 0);
  std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/page.htm";
  {
    BrowserDialog dialog(nullptr, nullptr, 4117, url, "*Zjištění aktualizace...", "chyba");
    EXPECT_EQ(FromWx(dialog.GetTitle()), "Zjištění aktualizace...");
    dialog.Show();
    EXPECT_TRUE(WaitFor([&] { return FromWx(dialog.GetTitle()) == "Nabídka aktualizací"; }))
        << FromWx(dialog.GetTitle());
  }
  {
    std::string shown;
    // A port that was free a moment ago refuses the connection.
    int refused = 0;
    {
      int probe = socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      socklen_t length = sizeof address;
      bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
      getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
      refused = ntohs(address.sin_port);
      close(probe);
    }
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
  HttpServer server(site.path());
  ASSERT_GT(server.port(), 0);
  BrowserDialog dialog(nullptr, nullptr, 4117,
                       "http://127.0.0.1:" + std::to_string(server.port()) + "/page.htm",
                       "*Informace", "chyba");
  dialog.Show();
  EXPECT_TRUE(WaitFor([&] { return FromWx(dialog.GetTitle()) != "Informace"; }));
  EXPECT_EQ(FromWx(dialog.GetTitle()), title);
}

}  // namespace
}  // namespace vemo
