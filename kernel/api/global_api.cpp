// Global lists, global search and the global index.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Qo.h"
#include "api/export_support.h"
#include "core/counted_array.h"
#include "format/image_array.h"
#include "global/global_lists.h"
#include "global/global_search.h"
#include "text/text_convert.h"

using namespace qo;

// The record crosses the interface and is kept by the program in its
// place inputs, history and presets: 6 bytes, no padding.
static_assert(sizeof(GLOBALSEARCH_REC) == 6);
static_assert(offsetof(GLOBALSEARCH_REC, timetable) == 0);
static_assert(offsetof(GLOBALSEARCH_REC, list) == 1);
static_assert(offsetof(GLOBALSEARCH_REC, item) == 2);

namespace {

// The global-list set as handed out: the types and the converted names as
// counted arrays, rebuilt by QoGlobalLists and, after the loaded set
// changed, by the first call that reads it.
struct ListSet {
  bool built = false;
  uint32_t generation = 0;
  GlobalLists lists;
  OwnedArray types;  // int per list
  std::vector<std::vector<char>> names;
  OwnedArray namePointers;  // char* per list

  void Build(int const* selection, char letter) {
    BuildGlobalLists(selection, letter, lists);
    auto const n = static_cast<int32_t>(lists.types.size());
    types.reset();
    namePointers.reset();
    names.assign(static_cast<size_t>(n), {});
    if (n > 0) {
      AllocArray(types.address(), n, sizeof(int));
      AllocArray(namePointers.address(), n, sizeof(char*));
    }
    for (int32_t i = 0; i < n; ++i) {
      ArraySet<int32_t>(types.get(), i, lists.types[static_cast<size_t>(i)]);
      char* name =
          api::ConvertOut(lists.names[static_cast<size_t>(i)], names[static_cast<size_t>(i)]);
      std::memcpy(namePointers.get() + static_cast<size_t>(i) * sizeof(char*), &name, sizeof name);
    }
    built = true;
    generation = LoadedSetIndex().DataGeneration;
  }

  // The set as the readers see it: built with no selection and Czech names
  // when there is none for the loaded set as it is now.
  void Ensure() {
    if (!built || generation != LoadedSetIndex().DataGeneration) Build(nullptr, 'C');
  }

  int Count() const { return static_cast<int>(lists.types.size()); }
};

ListSet& Lists() {
  static ListSet set;
  return set;
}

GlobalSearch& Search() {
  static GlobalSearch search;
  return search;
}

}  // namespace

extern "C" {

QO_API int QoGlobalLists(int const* selection, char language, int** types, char*** names,
                         int* default_type) {
  return api::GuardedExport<int>(0, [&] {
    ListSet& set = Lists();
    set.Build(selection, language);
    if (types) *types = reinterpret_cast<int*>(set.types.get());
    if (names) *names = reinterpret_cast<char**>(set.namePointers.get());
    if (default_type) *default_type = set.lists.defaultType;
    return set.Count();
  });
}

QO_API int QoGlobalListID(int index) {
  return api::GuardedExport<int>(0, [&] {
    ListSet& set = Lists();
    set.Ensure();
    if (index < 0 || index >= set.Count()) return 0;
    return static_cast<int>(set.lists.types[static_cast<size_t>(index)]);
  });
}

QO_API char const* QoGlobalListName(int index) {
  return api::GuardedExport<char const*>(nullptr, [&]() -> char const* {
    ListSet& set = Lists();
    set.Ensure();
    if (index < 0 || index >= set.Count()) return nullptr;
    return set.names[static_cast<size_t>(index)].data();
  });
}

QO_API int QoSearchGlobalList(int type, char const* name) {
  return api::GuardedExport<int>(-1, [&] {
    ListSet& set = Lists();
    set.Ensure();
    // Names are compared as QoGlobalListName hands them out: taking the
    // caller's text back in would miss every name with letters the text
    // mode cannot carry (ASCII drops the diacritics).
    for (int i = 0; i < set.Count(); ++i) {
      if ((type != 0 && set.lists.types[static_cast<size_t>(i)] == type) ||
          (name && std::strcmp(name, set.names[static_cast<size_t>(i)].data()) == 0))
        return i;
    }
    return -1;
  });
}

QO_API int QoInitGlobalSearch(int const* selection, int type, char language, char const* text,
                              int fold) {
  static api::TextInBuffer<kMaxSearchTextLength> in;
  return api::GuardedExport<int>(0, [&] {
    if (!Search().Start(selection, type, language, in.Take(text), fold != 0, GetTextMode())) {
      SetKernelError(ErrGlobalSearchList);
      return 0;
    }
    return 1;
  });
}

QO_API int QoGlobalSearch(GLOBALSEARCH_REC* place) {
  return api::GuardedExport<int>(0, [&] {
    GlobalPlace next;
    if (!Search().Next(next)) return 0;
    if (place) {
      place->timetable = next.timetable;
      place->list = next.list;
      place->item = next.item;
    }
    return 1;
  });
}

QO_API int QoGlobalIndex(int const* selection, int type, char language, GLOBALSEARCH_REC** entries,
                         unsigned char** kinds) {
  static OwnedArray records;
  static OwnedArray kindBytes;
  static std::vector<GlobalPlace> places;
  static std::vector<uint8_t> bytes;
  if (entries) *entries = nullptr;
  if (kinds) *kinds = nullptr;
  return api::GuardedExport<int>(0, [&] {
    records.reset();
    kindBytes.reset();
    // The index walks the same per-timetable state as a search: a running
    // search ends here.
    Search().End();
    int32_t count = BuildGlobalIndex(selection, type, language, places, kinds ? &bytes : nullptr);
    if (count < 0) {
      SetKernelError(ErrGlobalSearchList);
      return 0;
    }
    AllocArray(records.address(), count, sizeof(GLOBALSEARCH_REC));
    for (size_t i = 0; i < places.size(); ++i) {
      GLOBALSEARCH_REC r{places[i].timetable, places[i].list, places[i].item};
      std::memcpy(records.get() + i * sizeof r, &r, sizeof r);
    }
    if (entries) *entries = reinterpret_cast<GLOBALSEARCH_REC*>(records.get());
    if (kinds) {
      AllocArray(kindBytes.address(), static_cast<int32_t>(bytes.size()), 1);
      std::memcpy(kindBytes.get(), bytes.data(), bytes.size());
      *kinds = kindBytes.get();
    }
    return static_cast<int>(count);
  });
}

}  // extern "C"
