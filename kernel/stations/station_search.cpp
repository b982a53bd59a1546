#include "stations/station_search.h"

#include <algorithm>
#include <cstring>

#include "load/loaded_set.h"
#include "stations/station_access.h"
#include "stations/station_names.h"
#include "text/text_fold.h"
#include "virtlists/virt_lists.h"

namespace qo {
namespace {

constexpr int kKindMin = 1;  // items of this kind and above are secondary

bool IsDelimiter(char c) {
  return c == ' ' || c == ',' || c == '-' || c == '.' || c == '/' || c == ']';
}

// Inside a bracketed region part a '-' joins the region's two parts.
bool EndsWord(char c, bool bracket) { return IsDelimiter(c) && !(bracket && c == '-'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void Fold(std::string& text, bool fold) {
  if (fold)
    MakeSearchKey(text.data());
  else
    MakeUpperCase(text.data());
}

// A '[*x' word: the name's bracketed part must contain x.
bool MatchRegionWord(std::string_view word, std::string_view name, size_t& at) {
  if (at >= name.size() || name[at] != '[') return false;
  size_t close = name.find(']', at);
  if (close == std::string_view::npos) close = name.size();
  std::string_view inside = name.substr(at + 1, close - at - 1);
  if (inside.find(word.substr(2)) == std::string_view::npos) return false;
  at = close;
  return true;
}

bool Accepted(TimetableRecord const& t, int list, int32_t candidate, NameQuery const& query,
              uint8_t const* filter) {
  if (filter && filter[candidate] == 0) return false;
  return !query.domestic || !IsInternationalItem(t, list, candidate);
}

}  // namespace

void PrepareNameQuery(std::string_view text, bool fold, int textMode, NameQuery& q) {
  text = text.substr(0, std::min(text.size(), kMaxSearchTextLength));
  text = text.substr(0, std::min(text.size(), text.find('\0')));
  if (fold && textMode <= 3) {
    for (char c : text)
      if (static_cast<uint8_t>(c) > 128) fold = false;
  }
  q.fold = fold;
  q.mode = text.find("[*") != std::string_view::npos  ? NameModeWholeRegion
           : text.find('[') != std::string_view::npos ? NameModeSecondOnly
                                                      : NameModeNoRegion;
  q.substring = q.domestic = false;
  size_t lead = 0;
  for (; lead < text.size() && (text[lead] == '*' || text[lead] == '@'); ++lead)
    (text[lead] == '*' ? q.substring : q.domestic) = true;
  q.whole.assign(text.substr(lead));
  Fold(q.whole, fold);

  q.wordCount = 0;
  for (size_t i = 0; i < q.whole.size() && q.wordCount < kMaxSearchWords;) {
    if (IsDelimiter(q.whole[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < q.whole.size() && !IsDelimiter(q.whole[end])) ++end;
    q.words[static_cast<size_t>(q.wordCount++)] = {static_cast<uint16_t>(i),
                                                   static_cast<uint16_t>(end - i)};
    i = end;
  }
  q.first = q.second = 0;
  if (q.wordCount > 0) {
    char letters[3] = {q.whole[q.words[0].begin], 0, 0};
    if (q.words[0].length > 1) letters[1] = q.whole[q.words[0].begin + 1u];
    MakeSearchKey(letters);
    q.first = static_cast<uint8_t>(letters[0]);
    q.second = static_cast<uint8_t>(letters[1]);
  }
}

bool MatchesWords(NameQuery const& q, std::string_view name) {
  if (name == q.whole) return true;
  size_t at = 0;
  for (int i = 0; i < q.wordCount; ++i) {
    std::string_view word(q.whole.data() + q.words[static_cast<size_t>(i)].begin,
                          q.words[static_cast<size_t>(i)].length);
    while (at < name.size() && IsDelimiter(name[at])) ++at;
    if (at >= name.size()) return false;
    bool const bracket = word[0] == '[';
    if (bracket && word.size() >= 2 && word[1] == '*') {
      if (!MatchRegionWord(word, name, at)) return false;
    } else {
      size_t compared = 0;
      bool abbreviated = false;
      for (; compared < word.size(); ++compared, ++at) {
        if (at >= name.size()) return false;
        char c = name[at];
        if (c == '.' && at > 0) {
          char before = name[at - 1];
          if (!IsDigit(before) && before != 'I' && before != 'X') {
            abbreviated = true;
            break;
          }
        }
        if (c != word[compared]) return false;
      }
      // One short abbreviated word would match too much: "B." alone only
      // finds a name that is just that abbreviation.
      if (abbreviated && q.wordCount == 1 && compared < 4 && at + 1 != name.size()) return false;
    }
    while (at < name.size() && !EndsWord(name[at], bracket)) ++at;
  }
  return true;
}

FoldedNames const& GetFoldedNames(TimetableRecord& t, int list, int language, int mode, bool fold) {
  if (list < 0) language = 0;
  const uint32_t generation = LoadedSetIndex().DataGeneration;
  if (!t.NameSearch) t.NameSearch = std::make_shared<NameSearchCache>();
  FoldedNames* names = nullptr;
  for (auto& v : t.NameSearch->variants) {
    if (v->list == list && v->language == language && v->mode == mode && v->fold == fold) {
      if (v->generation == generation) return *v;
      names = v.get();
      break;
    }
  }
  if (!names) {
    t.NameSearch->variants.push_back(std::make_unique<FoldedNames>());
    names = t.NameSearch->variants.back().get();
    names->list = list;
    names->language = language;
    names->mode = mode;
    names->fold = fold;
  }
  names->generation = generation;
  const int32_t n = CandidateCount(t, list);
  names->offsets.assign(static_cast<size_t>(n) + 1, 0);
  names->chars.clear();
  std::string text;
  for (int32_t i = 0; i < n; ++i) {
    names->offsets[static_cast<size_t>(i)] = static_cast<int32_t>(names->chars.size());
    GetListItemText(t, list, language, i, mode, text);
    Fold(text, fold);
    names->chars.append(text.c_str());
    names->chars.push_back('\0');
  }
  names->offsets[static_cast<size_t>(n)] = static_cast<int32_t>(names->chars.size());
  return *names;
}

int32_t SearchStation(TimetableRecord& t, int list, int language, int32_t start, NameQuery const& q,
                      uint8_t const* filter) {
  const int32_t n = CandidateCount(t, list);
  if (start < 0 || start >= n) return -1;
  FoldedNames const& names = GetFoldedNames(t, list, language, q.mode, q.fold);
  const std::string_view chars(names.chars);
  int32_t const* offsets = names.offsets.data();

  if (q.substring) {
    size_t from = static_cast<size_t>(offsets[start]);
    for (;;) {
      size_t found = chars.find(q.whole, from);
      if (found == std::string_view::npos) return -1;
      auto c = static_cast<int32_t>(
          std::upper_bound(offsets, offsets + n + 1, static_cast<int32_t>(found)) - offsets - 1);
      if (c >= n) return -1;
      if (Accepted(t, list, c, q, filter)) return c;
      from = static_cast<size_t>(offsets[c + 1]);
    }
  }

  ImageArray<uint8_t> const* first = &t.StationFirstLetters;
  ImageArray<uint8_t> const* second = &t.StationSecondLetters;
  if (list >= 0) {
    first = &t.VirtLists[static_cast<size_t>(list)].FirstLetters;
    second = &t.VirtLists[static_cast<size_t>(list)].SecondLetters;
  }
  auto matches = [&](int32_t c) {
    std::string_view name = chars.substr(static_cast<size_t>(offsets[c]),
                                         static_cast<size_t>(offsets[c + 1] - offsets[c] - 1));
    return MatchesWords(q, name) && Accepted(t, list, c, q, filter);
  };
  if (q.wordCount == 0 || first->size() != n || second->size() != n) {
    for (int32_t c = start; c < n; ++c)
      if (matches(c)) return c;
    return -1;
  }

  // Only the candidates whose letters begin the first word.
  LetterIndex const& index = GetLetterIndex(t, list);
  int32_t const* begin = nullptr;
  int32_t const* end = nullptr;
  if (q.second) {
    begin = index.byPair.data() + index.offsets[q.first];
    end = index.byPair.data() + index.offsets[q.first + 1u];
    begin = std::lower_bound(begin, end, start, [&](int32_t c, int32_t from) {
      return (*second)[c] != q.second ? (*second)[c] < q.second : c < from;
    });
    for (; begin != end && (*second)[*begin] == q.second; ++begin)
      if (matches(*begin)) return *begin;
    return -1;
  }
  begin = index.byFirst.data() + index.offsets[q.first];
  end = index.byFirst.data() + index.offsets[q.first + 1u];
  for (begin = std::lower_bound(begin, end, start); begin != end; ++begin)
    if (matches(*begin)) return *begin;
  return -1;
}

LetterIndex const& GetLetterIndex(TimetableRecord& t, int list) {
  if (!t.NameSearch) t.NameSearch = std::make_shared<NameSearchCache>();
  for (auto& index : t.NameSearch->letters)
    if (index->list == list) return *index;
  t.NameSearch->letters.push_back(std::make_unique<LetterIndex>());
  LetterIndex& index = *t.NameSearch->letters.back();
  index.list = list;
  ImageArray<uint8_t> const& first =
      list < 0 ? t.StationFirstLetters : t.VirtLists[static_cast<size_t>(list)].FirstLetters;
  ImageArray<uint8_t> const& second =
      list < 0 ? t.StationSecondLetters : t.VirtLists[static_cast<size_t>(list)].SecondLetters;
  const int32_t n = first.size();
  // Counting sorts: by first letter, and by second letter within that.
  std::array<int32_t, 257> counts{};
  for (int32_t c = 0; c < n; ++c) ++counts[first[c] + 1u];
  for (size_t f = 1; f < counts.size(); ++f) counts[f] += counts[f - 1];
  index.offsets = counts;
  index.byFirst.assign(static_cast<size_t>(n), 0);
  std::array<int32_t, 257> at = counts;
  for (int32_t c = 0; c < n; ++c) index.byFirst[static_cast<size_t>(at[first[c]]++)] = c;
  index.byPair = index.byFirst;
  for (size_t f = 0; f < 256; ++f) {
    std::stable_sort(index.byPair.begin() + index.offsets[f],
                     index.byPair.begin() + index.offsets[f + 1],
                     [&](int32_t a, int32_t b) { return second[a] < second[b]; });
  }
  return index;
}

void ShownItemName(TimetableRecord const& t, int list, int language, int32_t item,
                   std::string& out) {
  GetListItemText(t, list, language, item, RegionDisplayMode(), out);
}

int32_t SearchKey(TimetableRecord& t, int list, int32_t key, std::string_view text, int language) {
  if (key == 0) return -1;
  if (list < 0) return t.StationKeys.empty() ? -1 : SearchStationKey(t, key);
  VirtListRecord const& l = t.VirtLists[static_cast<size_t>(list)];
  bool const kinds = !l.ItemKinds.empty();
  if (!l.ItemKeys.empty()) {
    std::string name;
    for (int32_t i = 0; i < l.ItemCount; ++i) {
      if (l.ItemKeys[i] != key) continue;
      if (!kinds) return i;
      if (text.empty()) {
        if (l.ItemKinds[i] >= kKindMin) continue;
        return i;
      }
      ShownItemName(t, list, language, i, name);
      if (name == text) return i;
    }
    return -1;
  }
  if (ListKind(l) != kListKindStations || t.StationKeys.empty()) return -1;
  for (int32_t i = 0; i < l.ItemCount; ++i) {
    if (kinds && l.ItemKinds[i] >= kKindMin) continue;
    int32_t station = FirstStationOfItem(l, i);
    if (station >= 0 && t.StationKeys[station] == key) return i;
  }
  return -1;
}

int32_t SearchStation2(TimetableRecord& t, int list, int language, int32_t key,
                       std::string_view text) {
  if (key != 0) {
    int32_t hit = SearchKey(t, list, key, text, language);
    if (hit >= 0) return hit;
    bool const keyed = list < 0 ? !t.StationKeys.empty()
                                : !t.VirtLists[static_cast<size_t>(list)].ItemKeys.empty();
    if (keyed) return -1;
  }
  if (text.empty()) return -1;
  NameQuery query;
  PrepareNameQuery(text, false, 3, query);
  std::string name;
  for (int32_t c = SearchStation(t, list, language, 0, query, nullptr); c >= 0;
       c = SearchStation(t, list, language, c + 1, query, nullptr)) {
    ShownItemName(t, list, language, c, name);
    if (name == text) return c;
  }
  return -1;
}

int32_t SearchStationName(TimetableRecord const& t, std::string_view text) {
  std::string name;
  for (uint32_t s = 0; s < t.StationCount; ++s) {
    if (PoolString(t.StationNames, static_cast<int32_t>(s)).size() != text.size()) continue;
    GetStationName(t, static_cast<int>(s), RegionDisplayMode(), true, name);
    if (name == text) return static_cast<int32_t>(s);
  }
  return -1;
}

bool StationsEqual(TimetableRecord const& t, int a, int b) {
  if (a == b) return true;
  if (PoolString(t.StationNames, a).size() != PoolString(t.StationNames, b).size()) return false;
  std::string x, y;
  GetStationName(t, a, NameModeByType, true, x);
  GetStationName(t, b, NameModeByType, true, y);
  MakeUpperCase(x.data());
  MakeUpperCase(y.data());
  return x == y;
}

}  // namespace qo
