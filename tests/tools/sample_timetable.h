#pragma once
// The sample timetables of data/ as a client of the library meets them:
// compiled from their text sources (once per test program), written with
// their extension files into a directory of the test's own, and loaded as
// the only timetable.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace qo::test {

class SampleTimetable : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Writes data/`name`.txt compiled, with its extension files, and loads
  // it; fails the test when it does not load.
  void LoadSample(std::string const& name);

  std::filesystem::path dir_;
};

}  // namespace qo::test
