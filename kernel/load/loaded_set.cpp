#include "load/loaded_set.h"

namespace qo {

std::vector<TimetableRecord*>& LoadedSet() {
  static std::vector<TimetableRecord*> set;
  return set;
}

TimetableRecord* TimetableAt(int index) {
  auto& set = LoadedSet();
  if (index < 0 || index >= static_cast<int>(set.size())) return nullptr;
  return set[static_cast<size_t>(index)];
}

}  // namespace qo
