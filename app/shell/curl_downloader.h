#pragma once
// Downloads with libcurl: ftp, http and https only; an HTTP error status is
// a failure; a cancel flag set by the program stops a transfer at once.
#include <atomic>

#include "shell/update_run.h"

namespace vemo {

class CurlDownloader : public Downloader {
 public:
  explicit CurlDownloader(std::atomic<bool> const* cancel = nullptr) : cancel_(cancel) {}
  bool Download(std::string const& url, std::string const& target, std::string* error) override;

 private:
  std::atomic<bool> const* cancel_;
};

}  // namespace vemo
