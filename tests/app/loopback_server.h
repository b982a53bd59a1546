#pragma once
// Test servers on loopback ports the system picks: a small Python program
// serves a directory and prints its port first; the server ends with the
// object. No test reaches beyond 127.0.0.1.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

extern char** environ;

namespace vemo::test {

// HTTP over the directory given as the first argument.
inline constexpr const char* kHttpServerScript = R"(
import http.server, os, sys
os.chdir(sys.argv[1])
class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args): pass
server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Quiet)
print(server.server_address[1], flush=True)
server.serve_forever()
)";

// Anonymous FTP over the directory (python3-pyftpdlib).
inline constexpr const char* kFtpServerScript = R"(
import logging, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
logging.disable(logging.CRITICAL)
authorizer = DummyAuthorizer()
authorizer.add_anonymous(sys.argv[1])
FTPHandler.authorizer = authorizer
server = FTPServer(('127.0.0.1', 0), FTPHandler)
print(server.socket.getsockname()[1], flush=True)
server.serve_forever()
)";

class LoopbackServer {
 public:
  LoopbackServer(std::string const& script, std::string const& root) {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    // The system's Python, where the distribution's packages (pyftpdlib)
    // are, before any other one first on PATH.
    std::string python = access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
    std::string dash_c = "-c", code = script, dir = root;
    char* argv[] = {python.data(), dash_c.data(), code.data(), dir.data(), nullptr};
    if (posix_spawnp(&pid_, python.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    // The first line is the port; a server that failed to start gives none.
    FILE* in = fdopen(out[0], "r");
    if (in && fscanf(in, "%d", &port_) != 1) port_ = 0;
    if (in) fclose(in);
  }
  ~LoopbackServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  LoopbackServer(LoopbackServer const&) = delete;
  LoopbackServer& operator=(LoopbackServer const&) = delete;

  int port() const { return port_; }
  std::string url(std::string const& scheme) const {
    return scheme + "://127.0.0.1:" + std::to_string(port_) + "/";
  }

 private:
  pid_t pid_ = 0;
  int port_ = 0;
};

// A loopback port that was free a moment ago, so a connection is refused.
inline int RefusedLoopbackPort() {
  int probe = socket(AF_INET, SOCK_STREAM, 0);
  if (probe < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  close(probe);
  return port;
}

}  // namespace vemo::test
