#include "load/sort_set.h"

#include <algorithm>
#include <string>

#include "load/loaded_set.h"
#include "text/collate.h"

namespace qo {
namespace {

constexpr int kDecoratedGroup = 3;

// The decoration in the first data language: pool entries N..2N-1 are the
// decorations when entries 0..N-1 are the names.
std::string Decoration(TimetableRecord const& t) {
  if (t.LanguageCount == 0) return {};
  return std::string(PoolString(t.NamePool, static_cast<int32_t>(t.LanguageCount)));
}

// -1, 0 or 1.
template <class T>
int Compare(T a, T b) {
  return a < b ? -1 : b < a ? 1 : 0;
}

int CompareDefault(TimetableRecord const& a, TimetableRecord const& b) {
  if (int c = Compare(a.Kind, b.Kind)) return c;
  if (int c = Compare(a.Area, b.Area)) return c;
  if (int c = Compare(a.DataFrom, b.DataFrom)) return c;
  return CompareCzech(a.FilePath.c_str(), b.FilePath.c_str(), false);
}

int CompareByName(TimetableRecord const& a, TimetableRecord const& b) {
  std::string da = Decoration(a), db = Decoration(b);
  int ga = da.empty() ? a.Kind : kDecoratedGroup;
  int gb = db.empty() ? b.Kind : kDecoratedGroup;
  if (int c = Compare(ga, gb)) return c;
  if (da.empty() != db.empty()) return da.empty() ? 1 : -1;
  if (int c = CompareCzech(da.c_str(), db.c_str(), true)) return c;
  if (int c = CompareCzech(a.FilePath.c_str(), b.FilePath.c_str(), true)) return c;
  if (int c = Compare(a.Area, b.Area)) return c;
  return Compare(a.DataFrom, b.DataFrom);
}

}  // namespace

bool TimetableBefore(TimetableRecord const& a, TimetableRecord const& b, bool byName) {
  return (byName ? CompareByName(a, b) : CompareDefault(a, b)) < 0;
}

void SortLoadedSet() {
  bool byName = LoadOptions().SortByName;
  auto& set = LoadedSet();
  std::stable_sort(set.begin(), set.end(),
                   [byName](TimetableRecord const* a, TimetableRecord const* b) {
                     return TimetableBefore(*a, *b, byName);
                   });
}

}  // namespace qo
