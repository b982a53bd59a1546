#include "core/counted_array.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "core/memory_failure.h"

namespace qo {
namespace {

std::vector<int32_t> Ints(const void* array) {
  std::vector<int32_t> out;
  for (int32_t i = 0; i < GetArrayCount(array); ++i) out.push_back(ArrayAt<int32_t>(array, i));
  return out;
}

ArrayHandle MakeInts(std::initializer_list<int32_t> values) {
  ArrayHandle a = nullptr;
  AllocArray(&a, static_cast<int32_t>(values.size()), 4);
  int32_t i = 0;
  for (int32_t v : values) ArraySet<int32_t>(a, i++, v);
  return a;
}

TEST(CountedArray, AllocatesWithHeaderBeforeTheFirstElement) {
  ArrayHandle a = nullptr;
  AllocArray(&a, 0, 4);
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(GetArrayCount(a), 0);
  EXPECT_EQ(GetArrayBytes(a), 0);

  AllocArray(&a, 3, 6);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(LoadI32(a - 8), 18);
  EXPECT_EQ(LoadI32(a - 4), 3);
  EXPECT_EQ(GetElementSize(a), 6);
  for (int i = 0; i < 18; ++i) EXPECT_EQ(a[i], 0) << i;
  FreeArray(&a);
  EXPECT_EQ(a, nullptr);
  FreeArray(&a);  // an empty handle is left alone
}

TEST(CountedArray, ResizeKeepsElementsZeroFillsGrowthAndFreesAtZero) {
  ArrayHandle a = MakeInts({7, 8});
  ResizeArray(&a, 4);
  EXPECT_EQ(Ints(a), (std::vector<int32_t>{7, 8, 0, 0}));
  ResizeArray(&a, 1);
  EXPECT_EQ(Ints(a), std::vector<int32_t>{7});
  ResizeArray(&a, 0);
  EXPECT_EQ(a, nullptr);
  ResizeArray(&a, 5);  // an empty handle stays empty
  EXPECT_EQ(a, nullptr);
}

TEST(CountedArray, InsertRemoveCopyCompare) {
  ArrayHandle a = nullptr;
  InsertArrayItem(&a, 0, 4);  // empty becomes one element
  ArraySet<int32_t>(a, 0, 5);
  InsertArrayItem(&a, 1, 4);  // append
  ArraySet<int32_t>(a, 1, 9);
  InsertArrayItem(&a, 1, 4);  // middle, zero-filled
  EXPECT_EQ(Ints(a), (std::vector<int32_t>{5, 0, 9}));

  ArrayHandle copy = CopyArray(a);
  EXPECT_EQ(CompareArrays(a, copy), 0);
  RemoveArrayItem(0, 4, &a);
  EXPECT_EQ(Ints(a), (std::vector<int32_t>{0, 9}));
  EXPECT_NE(CompareArrays(a, copy), 0);  // different byte sizes are never equal
  RemoveArrayItem(7, 4, &a);             // outside: ignored
  RemoveArrayItem(1, 4, &a);
  RemoveArrayItem(0, 4, &a);  // the last element frees the array
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(CopyArray(nullptr), nullptr);
  EXPECT_EQ(CompareArrays(nullptr, nullptr), 0);
  FreeArray(&copy);
}

TEST(CountedArray, FindAndSort) {
  ArrayHandle a = MakeInts({4, -2, 9, -2});
  EXPECT_EQ(FindInt(-2, a, 4), 1);
  EXPECT_EQ(FindInt(9, a, 2), -1);  // only the first n elements count
  EXPECT_EQ(FindInt(4, a, 0), -1);
  SortArray(a, [](const void* x, const void* y) {
    int32_t l = LoadI32(x), r = LoadI32(y);
    return (l > r) - (l < r);
  });
  EXPECT_EQ(Ints(a), (std::vector<int32_t>{-2, -2, 4, 9}));
  FreeArray(&a);

  const int16_t shorts[] = {3, -7, 3};
  EXPECT_EQ(FindShort(-7, shorts, 3), 1);
  EXPECT_EQ(FindShort(8, shorts, 3), -1);
}

TEST(CountedArray, ArraysOfArraysAreFreedWhole) {
  ArrayHandle outer = nullptr;
  AllocArray(&outer, 2, sizeof(ArrayHandle));
  ArraySet<ArrayHandle>(outer, 0, MakeInts({1}));
  ArraySet<ArrayHandle>(outer, 1, nullptr);
  FreeArrayOfArrays(&outer);  // LeakSanitizer checks the inner array went too
  EXPECT_EQ(outer, nullptr);
}

TEST(CountedArrayDeathTest, ExhaustedMemoryAndMisuseEndTheProcess) {
  ArrayHandle a = nullptr;
  EXPECT_EXIT(AllocArray(&a, 0x40000000, 4), testing::ExitedWithCode(kExitAllocation),
              "Memory Error.*allocation of 4294967304 B");
  ArrayHandle b = MakeInts({1});
  EXPECT_EXIT(ResizeArray(&b, 0x40000000), testing::ExitedWithCode(kExitReallocation),
              "Memory Error");
  EXPECT_EXIT(InsertArrayItem(&b, 0, 2), testing::ExitedWithCode(kExitInsertElementSize),
              "Internal Error: Error code 3");
  EXPECT_EXIT(InsertArrayItem(&b, 2, 4), testing::ExitedWithCode(kExitInsertPosition),
              "Internal Error: Error code 6");
  FreeArray(&b);
}

}  // namespace
}  // namespace qo
