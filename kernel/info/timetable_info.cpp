#include "info/timetable_info.h"

#include <algorithm>

#include "load/loaded_set.h"

namespace qo {
namespace {

enum ExtensionKinds : int { ExtFares = 2, ExtGis = 3, ExtStationKeys = 4 };

DateTriple Triple(uint32_t day) {
  DateTriple triple{};
  DayToDmyTriple(static_cast<int>(day), &triple);
  return triple;
}

}  // namespace

bool GetDecoration(TimetableRecord const& t, int language, std::string& out) {
  auto const n = static_cast<int32_t>(t.LanguageCount);
  std::string_view text = PoolString(t.NamePool, n + language);
  if (text.empty()) text = PoolString(t.NamePool, n);
  out.assign(text);
  return !out.empty();
}

void GetTimetableInfo(TimetableRecord const& t, TimetableInfo& out) {
  out = TimetableInfo();
  out.Path = t.FilePath;
  out.Id = static_cast<int>(t.TimetableId);
  out.Kind = t.Kind;
  out.Area = t.Area;
  out.Variant = static_cast<int>(t.Variant);
  out.CreationDate = Triple(t.CreationDate);
  out.DataFrom = Triple(t.DataFrom);
  out.DataTo = Triple(t.DataTo);
  out.FirstDay = Triple(t.FirstDay);
  out.LastDay = Triple(t.LastDay);
  out.Letters = t.LanguageLetters;
  for (uint32_t i = 0; i < t.LanguageCount; ++i) {
    auto const l = static_cast<int32_t>(i);
    out.Names.emplace_back(PoolString(t.NamePool, l).substr(0, kMaxInfoNameLength));
    out.Descriptions.emplace_back(PoolString(t.DescriptionPool, l));
    std::string decoration;
    out.HasDecoration.push_back(GetDecoration(t, l, decoration));
    out.Decorations.push_back(std::move(decoration));
  }
  auto const& code = t.TimetableCode;
  out.Code.assign(code.data(),
                  static_cast<size_t>(std::find(code.begin(), code.end(), '\0') - code.begin()));
  out.StationCount = static_cast<int>(t.StationCount);
  out.TrainCount = static_cast<int>(t.TrainCount);
  out.HasDistances = t.HasDistances != 0;
  out.HasStationRemarks = !t.StationRemarkIndex.empty();
  out.HasTrainStationRemarks = !t.TrainStationRemarks.empty();
  out.HasDefaultChangeTimes = t.DefaultChangeTimesFlag || t.HourlyChangeTimesFlag;
}

int GetLangIndex(TimetableRecord const& t, char letter) {
  size_t at = t.LanguageLetters.find(letter);
  return at == std::string::npos ? 0 : static_cast<int>(at);
}

int GetExtensionType(TimetableRecord const& t, size_t i) {
  std::string const& path = t.LoadedExtensions[i];
  if (t.Gis && t.Gis->File.Path == path) return ExtGis;
  if (t.Fares && t.Fares->File.Path == path) return ExtFares;
  if (t.StationKeyExt && t.StationKeyExt->File.Path == path) return ExtStationKeys;
  return 0;
}

std::string ResourcePath(TimetableRecord const& t) {
  size_t slash = t.FilePath.find_last_of("/\\");
  std::string path = slash == std::string::npos ? std::string() : t.FilePath.substr(0, slash + 1);
  path.append(t.ResourceName);
  return path;
}

bool GetValidityRange(int kind, int area, DayNumber* first, DayNumber* last) {
  *first = 0;
  *last = 0;
  bool any = false;
  for (TimetableRecord const* t : LoadedSet()) {
    if (kind != 0 && (t->Kind != kind || t->Area != area)) continue;
    auto from = static_cast<DayNumber>(t->FirstDay), to = static_cast<DayNumber>(t->LastDay);
    if (!any || from < *first) *first = from;
    if (!any || to > *last) *last = to;
    any = true;
  }
  return any;
}

}  // namespace qo
