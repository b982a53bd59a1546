#pragma once
// Shared by the window tests: a wx session around one test, and a temporary
// directory.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/app.h>
#include <wx/init.h>

#include <filesystem>
#include <string>

namespace vemo::test {

// Starts wx (with the application object given, or a plain one) for one
// test and cleans it up after.
class WxSession {
 public:
  explicit WxSession(wxApp* app = nullptr, std::vector<std::string> const& args = {}) {
    if (app) wxApp::SetInstance(app);
    args_.push_back("app_ui_tests");
    args_.insert(args_.end(), args.begin(), args.end());
    for (auto& arg : args_) argv_.push_back(arg.data());
    argv_.push_back(nullptr);
    argc_ = static_cast<int>(args_.size());
    started_ = wxEntryStart(argc_, argv_.data());
    EXPECT_TRUE(started_);
  }
  ~WxSession() {
    if (started_) wxEntryCleanup();
  }
  WxSession(WxSession const&) = delete;
  WxSession& operator=(WxSession const&) = delete;

 private:
  std::vector<std::string> args_;
  std::vector<char*> argv_;
  int argc_ = 0;
  bool started_ = false;
};

class TempDir {
 public:
  TempDir() {
    std::string pattern = ::testing::TempDir() + "vemo_ui_XXXXXX";
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(TempDir const&) = delete;
  TempDir& operator=(TempDir const&) = delete;
  std::string const& path() const { return path_; }
  std::string operator/(std::string const& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace vemo::test
