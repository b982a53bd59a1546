#pragma once
// Shared by the program's tests: the real kernel bound as the program binds
// it, a temporary directory, timetables compiled from short text sources by
// qobuild, and a LoadUi that records what the user would see.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "shell/kernel_api.h"
#include "shell/load_ui.h"
#include "temp_dir.h"

namespace vemo::test {

// Bound once per process; every test leaves the kernel with no timetable.
inline KernelApi& RealKernel() {
  static KernelApi api = [] {
    KernelApi bound;
    KernelLoadResult result = LoadKernel(QO_LIBRARY_PATH, &bound);
    EXPECT_EQ(result.message_id, 0) << result.detail;
    return bound;
  }();
  return api;
}

// The program binds no way to close everything; tests reach it directly.
inline void CloseAllTimetables() {
  void* handle = dlopen(QO_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr);
  auto close_data = reinterpret_cast<void (*)()>(dlsym(handle, "QoCloseData"));
  ASSERT_NE(close_data, nullptr);
  close_data();
  RealKernel().QoError();
  dlclose(handle);
}

// A small bus timetable with two stations and one trip, in the source
// format; the header lines given come first.
inline std::string SmallSource(std::string const& header) {
  return header +
         "\nlanguages C E\n"
         "station A 100 \"Alfa\"\n"
         "station B 200 \"Beta\"\n"
         "traintype Bus\n"
         "train Bus 1\n"
         "  A 8:00\n"
         "  B 8:10\n";
}

// Compiles the source into dir/name.qo with qobuild; returns the path.
inline std::string Compile(TempDir const& dir, std::string const& name, std::string const& source) {
  std::string text_path = dir / (name + ".txt");
  std::string qo_path = dir / (name + ".qo");
  std::ofstream(text_path) << source;
  std::string command =
      std::string(QOBUILD_PATH) + " '" + text_path + "' -o '" + qo_path + "' >/dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::filesystem::remove(text_path);
  return qo_path;
}

// Writes down, one line each, what the user would see, and answers the
// questions by string id (No unless told otherwise).
class RecordingUi : public LoadUi {
 public:
  std::vector<std::string> messages;  // "376: text" of messages and questions
  std::vector<std::string> splash;
  int bar_shown = 0;
  std::map<int, bool> answers;
  std::optional<std::vector<int>> choice;
  std::vector<TimetableFileEntry> offered;
  bool asked_to_choose = false;

  void SplashText(std::string const& text) override { splash.push_back(text); }
  void ShowProgressBar(bool shown) override { bar_shown += shown; }
  void ShowMessage(int id, std::string const& text, MessageIcon) override {
    messages.push_back(std::to_string(id) + ": " + text);
  }
  bool AskYesNo(int id, std::string const& text) override {
    messages.push_back(std::to_string(id) + "? " + text);
    auto it = answers.find(id);
    return it != answers.end() && it->second;
  }
  std::optional<std::vector<int>> ChooseTimetables(
      std::vector<TimetableFileEntry> const& entries) override {
    asked_to_choose = true;
    offered = entries;
    return choice;
  }
};

}  // namespace vemo::test
