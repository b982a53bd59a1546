#include "global/global_search.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "global/global_lists.h"
#include "info/timetable_info.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "stations/station_names.h"
#include "text/collate.h"
#include "virtlists/virt_lists.h"

namespace qo {
namespace {

constexpr size_t kMaxHeadLength = 99;

bool Selected(int const* selection, int i) { return !selection || selection[i] != 0; }

int FirstListOfType(TimetableRecord const& t, int32_t type) {
  for (size_t i = 0; i < t.VirtLists.size(); ++i)
    if (t.VirtLists[i].Type == type) return static_cast<int>(i);
  return -1;
}

// A text cut for the collation, which wants NUL-terminated texts.
struct CText {
  std::array<char, kMaxHeadLength + 1> bytes{};
  explicit CText(std::string_view text) {
    size_t n = std::min(text.size(), kMaxHeadLength);
    std::memcpy(bytes.data(), text.data(), n);
    bytes[n] = '\0';
  }
  char const* get() const { return bytes.data(); }
};

int Czech(std::string_view a, std::string_view b) {
  return CompareCzech(CText(a).get(), CText(b).get(), true);
}

struct Parts {
  std::string_view head, region, rest;
  char separator = 0;
};

Parts Split(std::string_view text) {
  Parts p;
  size_t cut = text.find_first_of(",/");
  p.head = text.substr(0, cut);
  if (cut != std::string_view::npos) {
    p.separator = text[cut];
    p.rest = text.substr(cut + 1);
  }
  size_t bracket = p.head.find('[');
  if (bracket != std::string_view::npos) {
    p.region = p.head.substr(bracket);
    p.head = p.head.substr(0, bracket > 0 ? bracket - 1 : 0);
  }
  return p;
}

// The bit that marks a timetable kind in the index's kind bytes.
uint8_t KindBit(uint8_t kind) { return kind < 8 ? static_cast<uint8_t>(1u << kind) : 0; }

int Compare(bool structured, std::string const& a, std::string const& b) {
  return structured ? CompareStructured(a, b) : CompareCzech(a.c_str(), b.c_str(), true);
}

}  // namespace

int CompareStructured(std::string_view a, std::string_view b) {
  Parts x = Split(a), y = Split(b);
  if (int c = Czech(x.head, y.head)) return c;
  if ((x.separator == '/') != (y.separator == '/')) return x.separator == '/' ? 1 : -1;
  if (!x.region.empty() && !y.region.empty()) {
    if (int c = Czech(x.region, y.region)) return c;
  }
  if (!x.separator || !y.separator) return (x.separator != 0) - (y.separator != 0);
  return CompareStructured(x.rest, y.rest);
}

bool GlobalSearch::Start(int const* selection, int32_t type, char letter, std::string_view text,
                         bool fold, int textMode) {
  int const count = LoadedCount();
  lanes_.assign(static_cast<size_t>(count), Lane());
  bool any = false;
  for (int i = 0; i < count; ++i) {
    if (!Selected(selection, i)) continue;
    TimetableRecord const& t = *TimetableAt(i);
    Lane& lane = lanes_[static_cast<size_t>(i)];
    lane.list = FirstListOfType(t, type);
    if (lane.list < 0) continue;
    lane.cursor = 0;
    lane.language = GetLangIndex(t, letter);
    any = true;
  }
  if (!any) {
    lanes_.clear();
    return false;
  }
  PrepareNameQuery(text, fold, textMode, query_);
  lastText_.clear();
  lastKey_ = 0;
  structured_ = IsStructuredListType(type);
  generation_ = LoadedSetIndex().DataGeneration;
  return true;
}

bool GlobalSearch::Next(GlobalPlace& out) {
  if (generation_ != LoadedSetIndex().DataGeneration ||
      static_cast<int>(lanes_.size()) != LoadedCount())
    return false;
  int const mode = structured_ ? NameModeWholeRegion : NameModeByType;
  int best = -1;
  for (size_t i = 0; i < lanes_.size(); ++i) {
    Lane& lane = lanes_[i];
    if (lane.list < 0 || lane.cursor < 0) continue;
    TimetableRecord& t = *TimetableAt(static_cast<int>(i));
    for (;;) {
      if (!lane.matched) {
        int32_t c = SearchStation(t, lane.list, lane.language, lane.cursor, query_, nullptr);
        if (c < 0) {
          lane.cursor = -1;
          break;
        }
        lane.cursor = c;
        lane.matched = true;
        GetListItemText(t, lane.list, lane.language, c, mode, lane.text);
        lane.key = ItemKeyEx(t, lane.list, c);
      }
      // What another timetable delivered already is passed over.
      if (lane.text != lastText_ || lane.key != lastKey_) break;
      ++lane.cursor;
      lane.matched = false;
    }
    if (lane.cursor < 0) continue;
    if (best < 0 || Compare(structured_, lane.text, lanes_[static_cast<size_t>(best)].text) < 0)
      best = static_cast<int>(i);
  }
  if (best < 0) return false;
  Lane const& winner = lanes_[static_cast<size_t>(best)];
  out.timetable = static_cast<uint8_t>(best);
  out.list = static_cast<uint8_t>(winner.list);
  out.item = winner.cursor;
  lastText_ = winner.text;
  lastKey_ = winner.key;
  return true;
}

int32_t BuildGlobalIndex(int const* selection, int32_t type, char letter,
                         std::vector<GlobalPlace>& entries, std::vector<uint8_t>* kinds) {
  entries.clear();
  if (kinds) kinds->clear();
  struct Lane {
    int list = -1;
    int32_t cursor = 0, count = 0;
    int language = 0;
    bool ready = false;
    std::string text;
    int32_t key = 0;
  };
  int const count = LoadedCount();
  std::vector<Lane> lanes(static_cast<size_t>(count));
  int64_t total = 0;
  for (int i = 0; i < count; ++i) {
    if (!Selected(selection, i)) continue;
    TimetableRecord const& t = *TimetableAt(i);
    Lane& lane = lanes[static_cast<size_t>(i)];
    lane.list = FirstListOfType(t, type);
    if (lane.list < 0) continue;
    lane.count = t.VirtLists[static_cast<size_t>(lane.list)].ItemCount;
    lane.language = GetLangIndex(t, letter);
    total += lane.count;
  }
  if (total == 0) return -1;
  entries.reserve(static_cast<size_t>(total));
  if (kinds) kinds->assign(static_cast<size_t>(total), 0);

  bool const structured = IsStructuredListType(type);
  int const mode = structured ? NameModeWholeRegion : NameModeByType;
  // Item texts carry their region parts the way structured lists need them
  // while the index is built.
  struct DisplayMode {
    int saved = RegionDisplayMode();
    ~DisplayMode() { RegionDisplayMode() = saved; }
  } restore;
  RegionDisplayMode() = structured ? 1 : 0;

  std::string lastText;
  int32_t lastKey = 0;
  for (;;) {
    int best = -1;
    for (size_t i = 0; i < lanes.size(); ++i) {
      Lane& lane = lanes[i];
      if (lane.list < 0) continue;
      TimetableRecord const& t = *TimetableAt(static_cast<int>(i));
      while (lane.cursor < lane.count) {
        if (!lane.ready) {
          GetListItemText(t, lane.list, lane.language, lane.cursor, mode, lane.text);
          lane.key = ItemKeyEx(t, lane.list, lane.cursor);
          lane.ready = true;
        }
        if (entries.empty() || lane.text != lastText || lane.key != lastKey) break;
        // The place of the previous entry: this timetable holds it too.
        if (kinds) (*kinds)[entries.size() - 1] |= KindBit(t.Kind);
        ++lane.cursor;
        lane.ready = false;
      }
      if (lane.cursor >= lane.count) continue;
      if (best < 0 || Compare(structured, lane.text, lanes[static_cast<size_t>(best)].text) < 0)
        best = static_cast<int>(i);
    }
    if (best < 0) break;
    Lane& winner = lanes[static_cast<size_t>(best)];
    entries.push_back(
        {static_cast<uint8_t>(best), static_cast<uint8_t>(winner.list), winner.cursor});
    if (kinds) (*kinds)[entries.size() - 1] = KindBit(TimetableAt(best)->Kind);
    lastText = winner.text;
    lastKey = winner.key;
    ++winner.cursor;
    winner.ready = false;
  }
  return static_cast<int32_t>(entries.size());
}

}  // namespace qo
