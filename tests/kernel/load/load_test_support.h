#pragma once
// Shared by the reader tests: temporary files named after the running test,
// and reading a written image.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "load/read_timetable.h"
#include "kernel/load/rich_timetable.h"
#include "writer/timetable_writer.h"

namespace qo::test {

// A path in the test's temporary directory, unique per test and tag.
inline std::string TempPath(const std::string& tag) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "_" + info->name() + "_" + tag;
  for (char& c : name)
    if (c == '/') c = '_';
  return ::testing::TempDir() + "qo_" + name;
}

inline std::string SaveTemp(const std::vector<uint8_t>& bytes, const std::string& tag) {
  std::string path = TempPath(tag);
  w::SaveFile(path, bytes);
  return path;
}

inline int ReadImage(const std::vector<uint8_t>& bytes, TimetableRecord* record) {
  return ReadTimetableBytes(bytes.data(), bytes.size(), record);
}

}  // namespace qo::test
