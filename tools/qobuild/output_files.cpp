#include "qobuild/output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace qo::textsource {

namespace {

namespace fs = std::filesystem;

// The path as the file system resolves it, also for a file that does not
// exist yet (its folder may, through links).
fs::path Resolved(std::string const& path) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::absolute(path, ec), ec);
  if (ec) p = fs::absolute(path).lexically_normal();
  return p;
}

bool Inside(fs::path const& file, fs::path const& folder) {
  auto f = file.begin();
  for (auto d = folder.begin(); d != folder.end(); ++d, ++f) {
    if (d->empty()) continue;  // a trailing separator
    if (f == file.end() || *f != *d) return false;
  }
  return true;
}

std::string SystemText(int error) { return std::strerror(error); }

// One output being written: the temporary file until it is renamed.
struct Pending {
  OutputFile const* file;
  std::string temp;
  int fd = -1;
};

void Discard(std::vector<Pending>& pending) {
  for (Pending& p : pending) {
    if (p.fd >= 0) ::close(p.fd);
    if (!p.temp.empty()) ::unlink(p.temp.c_str());
  }
}

mode_t ModeFor(std::string const& target) {
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) return st.st_mode & 07777;
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

void CheckOutputNames(std::vector<OutputFile> const& outputs,
                      std::vector<std::string> const& inputs) {
  std::vector<fs::path> resolved;
  for (OutputFile const& out : outputs) resolved.push_back(Resolved(out.path));
  for (size_t i = 0; i < outputs.size(); ++i) {
    std::error_code ec;
    if (fs::is_directory(resolved[i], ec)) {
      throw OutputError(outputs[i].path + ": the " + outputs[i].role + " is a folder");
    }
    for (size_t j = 0; j < i; ++j) {
      if (resolved[i] == resolved[j]) {
        throw OutputError(outputs[i].path + ": the " + outputs[i].role + " and the " +
                          outputs[j].role + " would be one file");
      }
    }
    for (std::string const& input : inputs) {
      fs::path in = Resolved(input);
      if (resolved[i] == in) {
        throw OutputError(outputs[i].path + ": the " + outputs[i].role +
                          " would overwrite its own source " + input);
      }
      if (fs::is_directory(in, ec) && Inside(resolved[i], in)) {
        throw OutputError(outputs[i].path + ": the " + outputs[i].role +
                          " would lie inside the feed folder " + input);
      }
    }
  }
}

void WriteOutputs(std::vector<OutputFile> const& outputs, std::vector<std::string> const& inputs,
                  WriteFunction const& write) {
  CheckOutputNames(outputs, inputs);
  std::vector<Pending> pending;
  auto fail = [&](std::string const& why) {
    Discard(pending);
    throw OutputError(why);
  };
  for (OutputFile const& out : outputs) {
    pending.push_back({&out, out.path + ".XXXXXX", -1});
    Pending& p = pending.back();
    p.fd = ::mkstemp(p.temp.data());
    if (p.fd < 0) {
      int error = errno;
      p.temp.clear();
      fail("cannot write " + out.path + " (the " + out.role + "): " + SystemText(error));
    }
    ::fchmod(p.fd, ModeFor(out.path));
    uint8_t const* data = out.bytes->data();
    size_t left = out.bytes->size();
    while (left > 0) {
      long n = write ? write(p.fd, data, left) : ::write(p.fd, data, left);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        int error = n < 0 ? errno : ENOSPC;
        fail("cannot write " + out.path + " (the " + out.role + "): " + SystemText(error));
      }
      data += n;
      left -= static_cast<size_t>(n);
    }
    // A full disk or a quota may show only when the data reaches it.
    if (::fsync(p.fd) != 0 || ::close(p.fd) != 0) {
      int error = errno;
      p.fd = -1;
      fail("cannot write " + out.path + " (the " + out.role + "): " + SystemText(error));
    }
    p.fd = -1;
  }
  for (size_t i = 0; i < pending.size(); ++i) {
    Pending& p = pending[i];
    if (::rename(p.temp.c_str(), p.file->path.c_str()) != 0) {
      int error = errno;
      std::vector<Pending> rest(pending.begin() + static_cast<long>(i), pending.end());
      Discard(rest);
      throw OutputError("cannot replace " + p.file->path + " (the " + p.file->role +
                        "): " + SystemText(error));
    }
  }
}

}  // namespace qo::textsource
