// QoStKeys and QoFCConnID hand out int pointers that a C client reads
// directly; the file image keeps the arrays at any offset, so the kernel
// must hand out aligned copies (read_int_arrays.c reads them under UBSan).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "Qo.h"
#include "kernel/c_client/read_int_arrays.h"
#include "kernel/loading/loading_test_support.h"

namespace qo::test {
namespace {

using IntArraysInC = LoadingTest;

TEST_F(IntArraysInC, StationKeysAreAlignedWhereverTheImageKeepsThem) {
  // Names of different lengths move the stored keys to every offset mod 4.
  bool misalignedInImage = false;
  for (int extra = 0; extra < 4; ++extra) {
    Clear();
    w::TimetableModel model = SmallModel(1, 1, 0, 3);
    model.stations[0].name[0] += std::string(static_cast<size_t>(extra), 'x');
    model.stations[0].key = 100;
    model.stations[1].key = 20;
    model.stations[2].key = 3;
    ASSERT_EQ(Load({dir_.Write("keys" + std::to_string(extra) + ".qo", model)}), 1);
    auto stored = reinterpret_cast<uintptr_t>(At(0).StationKeys.handle());
    misalignedInImage = misalignedInImage || stored % alignof(int) != 0;
    int const* keys = QoStKeys(0);
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(keys) % alignof(int), 0u) << extra;
    EXPECT_EQ(SumStationKeysInC(0), 123) << extra;
    EXPECT_EQ(QoStKeys(0), keys) << "the same copy while the timetable is loaded";
  }
  EXPECT_TRUE(misalignedInImage) << "no case put the stored keys at an odd offset";
}

}  // namespace
}  // namespace qo::test
