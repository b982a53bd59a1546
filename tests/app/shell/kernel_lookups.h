#pragma once
// Shared by the program's tests: a station by its key and a train by its
// number in the first loaded timetable, asked of the kernel as the program
// asks it. A lookup that finds nothing fails the test and answers -1.
#include <gtest/gtest.h>

#include <string>

#include "shell/kernel_api.h"

namespace vemo::test {

inline int StationOfKey(KernelApi& kernel, int key) {
  for (int i = 0;; ++i) {
    int found = kernel.QoStKey(0, i);
    if (found == key) return i;
    if (found == 0) {
      kernel.QoError();
      ADD_FAILURE() << "no station " << key;
      return -1;
    }
  }
}

inline int TrainOfNumber(KernelApi& kernel, std::string const& number) {
  for (int i = 0;; ++i) {
    const char *text = nullptr, *name = nullptr, *type = nullptr;
    int bit = 0;
    if (!kernel.QoTrainStationInfo(0, 0, i, -1, &text, &name, &type, &bit)) {
      kernel.QoError();
      ADD_FAILURE() << "no train " << number;
      return -1;
    }
    if (text && number == text) return i;
  }
}

}  // namespace vemo::test
