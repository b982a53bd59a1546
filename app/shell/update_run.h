#pragma once
// One run of the internet update: download the index, fetch every changed
// file under a temporary name, then swap them all in, or none. The file
// system and the downloader are handed in, so that tests can make any step
// fail. No file is ever missing or half-written: a new version is renamed
// into place in one step, the old one is kept as a hard link until every
// swap has succeeded, and a failure puts back every file swapped so far.
#include <atomic>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <optional>
#include <string>

namespace vemo {

class UpdateFiles {
 public:
  struct Info {
    int64_t size = 0;
    std::time_t modified = 0;
  };
  virtual ~UpdateFiles() = default;
  virtual std::optional<Info> Stat(std::string const& path) = 0;
  // True when the file is gone afterwards (a missing file is no error).
  virtual bool Remove(std::string const& path) = 0;
  // Replaces `to` in one step.
  virtual bool Rename(std::string const& from, std::string const& to) = 0;
  virtual bool Link(std::string const& from, std::string const& to) = 0;
  virtual bool SetModified(std::string const& path, std::time_t time) = 0;
  virtual bool ReadAll(std::string const& path, std::string* bytes) = 0;
  // Lower-case hexadecimal SHA-256 of the file.
  virtual bool Sha256(std::string const& path, std::string* hex) = 0;
  // The errno of the last failure, for the texts.
  int last_error = 0;
};

// The real file system.
class PosixUpdateFiles : public UpdateFiles {
 public:
  std::optional<Info> Stat(std::string const& path) override;
  bool Remove(std::string const& path) override;
  bool Rename(std::string const& from, std::string const& to) override;
  bool Link(std::string const& from, std::string const& to) override;
  bool SetModified(std::string const& path, std::time_t time) override;
  bool ReadAll(std::string const& path, std::string* bytes) override;
  bool Sha256(std::string const& path, std::string* hex) override;
};

class Downloader {
 public:
  virtual ~Downloader() = default;
  // Downloads the URL into the file; on failure *error says why.
  virtual bool Download(std::string const& url, std::string const& target, std::string* error) = 0;
};

// What the update pane shows: status 0 none, 1 starting, 2 checking, 3 up
// to date, 4 error, 5 updated; and the step or the error. Read by the GUI
// thread while the update thread writes.
class UpdateState {
 public:
  int status() const { return status_.load(); }
  void set_status(int status) { status_.store(status); }
  std::string text() const;
  void set_text(std::string text);

 private:
  std::atomic<int> status_{0};
  mutable std::mutex mutex_;
  std::string text_;
};

struct UpdateRunOptions {
  std::string program_dir;  // ends with "/"
  std::string index_url;
  // Set by the program at exit: the run stops before its next step.
  std::atomic<bool> const* cancel = nullptr;
};

// Performs one run; returns the final status (3, 4 or 5).
int RunUpdate(UpdateRunOptions const& options, Downloader* downloader, UpdateFiles* files,
              UpdateState* state);

}  // namespace vemo
