#include "shell/timetable_loader.h"

#include <unistd.h>

#include <algorithm>

#include "shell/string_table.h"
#include "shell/text_fields.h"
#include "shell/text_formats.h"

namespace vemo {
namespace {

enum LoadEvent {
  kLoadEvFile = 0,
  kLoadEvAdded = 1,
  kLoadEvParsed = 2,
  kLoadEvIndex = 3,
  kLoadEvLoaded = 4,
  kLoadEvSetDone = 5,
  kLoadEvExtFile = 6,
  kLoadEvExtType = 7,
  kLoadEvExtRead = 8,
  kLoadEvExtDone = 9,
  kLoadEvProgress = 10,
};

// The kernel's callback carries no context; one load runs at a time.
TimetableLoader* active_loader = nullptr;

intptr_t Trampoline(int event, intptr_t value) {
  return active_loader ? active_loader->OnKernelLoadEvent(event, value) : 0;
}

int DayOf(DMY_REC const& date) { return DmyToDayNumber(date.day, date.month, date.year); }

bool SameDate(DMY_REC const& a, DMY_REC const& b) {
  return a.day == b.day && a.month == b.month && a.year == b.year;
}

// What the containment check compares, copied out of the kernel's one
// information record.
struct Scope {
  std::string path;
  int kind = 0, area = 0;
  unsigned mask = 0;
  DMY_REC dates[4];  // data from, data to, first and last day of validity
};

Scope ScopeOf(TIMETABLEINFO_REC const& info) {
  return {info.path ? info.path : "",
          info.kind,
          info.area,
          static_cast<unsigned>(info.variant),
          {info.data_from, info.data_to, info.first_day, info.last_day}};
}

}  // namespace

TimetableLoader::TimetableLoader(KernelApi* api, LoadUi* ui, LoadOptions options)
    : api_(api), ui_(ui), options_(std::move(options)) {}

void TimetableLoader::Splash(int id, std::string const& name) {
  ui_->SplashText(FormatResString(id, {name}));
}

std::string TimetableLoader::NameOf(int index) {
  TIMETABLEINFO_REC* info = api_->QoQoInfo(index);
  if (!info || !info->names || info->language_count < 1) return {};
  int language = api_->QoGetLangIndex(index, options_.language_letter);
  if (language < 0 || language >= info->language_count) language = 0;
  return api_->FromKernel(info->names[language]);
}

bool TimetableLoader::DiscoverFiles() {
  ui_->SplashText(std::string(LoadResString(409)));
  TIMETABLEFILE_REC* list = nullptr;
  int n = api_->QoMakeListExt("./*.qo", options_.language_letter, &list, 1, -1);
  ui_->SplashText(FormatResString(410, {n}));
  if (n <= 0 || !list) {
    char directory[4096] = "";
    if (!getcwd(directory, sizeof directory)) directory[0] = 0;
    std::string shown(directory);
    if (shown.size() > 260) shown.resize(260);
    ui_->ShowMessage(10001, FormatResString(10001, {shown}), MessageIcon::kStop);
    return false;
  }
  if (n == 1 || options_.load_all_found) {
    for (int i = 0; i < n; ++i) files_.push_back(list[i].path ? list[i].path : "");
    return true;
  }
  std::vector<TimetableFileEntry> entries;
  for (int i = 0; i < n; ++i) {
    TIMETABLEFILE_REC const& rec = list[i];
    TimetableFileEntry entry{rec.path ? rec.path : "",
                             api_->FromKernel(rec.name),
                             rec.id,
                             rec.kind,
                             rec.area,
                             {},
                             api_->FromKernel(rec.description)};
    for (int d = 0; d < 5; ++d)
      entry.dates[d] = {rec.dates[d].day, rec.dates[d].month, rec.dates[d].year};
    entries.push_back(std::move(entry));
  }
  auto chosen = ui_->ChooseTimetables(entries);
  if (!chosen || chosen->empty()) return false;
  for (int i : *chosen)
    if (i >= 0 && i < n) files_.push_back(entries[i].path);
  return !files_.empty();
}

bool TimetableLoader::LoadTimetables() {
  api_->QoNameCompare(1);
  files_ = options_.timetable_files;
  if (files_.empty() && !DiscoverFiles()) return false;

  std::vector<const char*> paths;
  for (auto const& file : files_) paths.push_back(file.c_str());
  contained_paths_.clear();
  active_loader = this;
  api_->QoInit2(paths.data(), static_cast<int>(paths.size()), Trampoline);
  active_loader = nullptr;

  if (int code = api_->QoPeekError(); code != 0) {
    std::string text = api_->FromKernel(api_->QoErrorText(code, options_.language_letter));
    ui_->ShowMessage(200, FormatResString(200, {code, text}), MessageIcon::kStop);
    if (api_->QoQoCount() < 1) return false;
    api_->QoError();
  }
  CloseContainedTimetables();
  if (api_->QoQoCount() < 1) {
    ui_->ShowMessage(10002, std::string(LoadResString(10002)), MessageIcon::kStop);
    return false;
  }
  ui_->SplashText(std::string(LoadResString(411)));
  if (api_->QoQoCount() > 1) ui_->SplashText(std::string(LoadResString(402)));
  return true;
}

void TimetableLoader::CloseContainedTimetables() {
  if (contained_paths_.empty()) return;
  std::vector<int> indexes;
  for (int i = 0; i < api_->QoQoCount(); ++i) {
    TIMETABLEINFO_REC* info = api_->QoQoInfo(i);
    if (info && info->path && contained_paths_.count(info->path)) indexes.push_back(i);
  }
  contained_paths_.clear();
  // Highest index first, so that the others keep theirs; one re-index at
  // the end.
  std::sort(indexes.rbegin(), indexes.rend());
  for (size_t k = 0; k < indexes.size(); ++k)
    api_->QoCloseQo(indexes[k], k + 1 == indexes.size() ? 1 : 0);
}

intptr_t TimetableLoader::OnParsed(int n) {
  TIMETABLEINFO_REC* info = api_->QoQoInfo(n);
  if (!info) return 0;
  Scope mine = ScopeOf(*info);
  std::string my_name = NameOf(n);

  int last_day = DayOf(mine.dates[3]);
  if (last_day != 0 && last_day < options_.today) {
    std::string until =
        FormatDmy(mine.dates[3].day, mine.dates[3].month, mine.dates[3].year, {}, 0);
    if (!ui_->AskYesNo(378, FormatResString(378, {my_name, until}))) return 1;
  }

  for (int i = 0; i < api_->QoQoCount() - 1; ++i) {
    if (i == n) continue;
    TIMETABLEINFO_REC* other_info = api_->QoQoInfo(i);
    if (!other_info) continue;
    Scope other = ScopeOf(*other_info);
    if (contained_paths_.count(other.path)) continue;
    unsigned both = other.mask & mine.mask;
    bool nested = other.mask != mine.mask && (both == other.mask || both == mine.mask);
    bool same_dates =
        std::equal(std::begin(mine.dates), std::end(mine.dates), std::begin(other.dates), SameDate);
    if (other.kind != mine.kind || other.area != mine.area || !nested || !same_dates) continue;
    bool mine_contained = both == mine.mask;
    std::string other_name = NameOf(i);
    std::string text = mine_contained ? FormatResString(379, {my_name, other_name})
                                      : FormatResString(379, {other_name, my_name});
    if (ui_->AskYesNo(379, text)) continue;
    if (mine_contained) return 1;
    contained_paths_.insert(other.path);
  }
  return 0;
}

intptr_t TimetableLoader::OnKernelLoadEvent(int event, intptr_t value) {
  switch (event) {
    case kLoadEvFile:
      current_file_ = NamePart(reinterpret_cast<const char*>(value));
      Splash(400, current_file_);
      if (options_.load_at_once) return 0;
      ui_->ShowProgressBar(true);
      return 3;
    case kLoadEvAdded:
      ui_->ShowProgressBar(false);
      if (!options_.skip_integrity_check) {
        Splash(401, current_file_);
        if (!api_->QoVerifyCrc(static_cast<int>(value) - 1, nullptr)) {
          ui_->ShowMessage(376, FormatResString(376, {current_file_}), MessageIcon::kExclamation);
          return 1;
        }
      }
      Splash(407, current_file_);
      return 0;
    case kLoadEvParsed:
      return OnParsed(static_cast<int>(value) - 1);
    case kLoadEvIndex:
      Splash(403, current_file_);
      ui_->ShowProgressBar(true);
      return 4;
    case kLoadEvLoaded:
      ui_->ShowProgressBar(false);
      Splash(404, current_file_);
      return 0;
    case kLoadEvSetDone:
      if (api_->QoQoCount() > 1) ui_->SplashText(std::string(LoadResString(405)));
      return 0;
    case kLoadEvExtFile:
      current_extension_ = NamePart(reinterpret_cast<const char*>(value));
      Splash(406, current_extension_);
      if (options_.load_at_once) return 0;
      ui_->ShowProgressBar(true);
      return 3;
    case kLoadEvExtRead:
      ui_->ShowProgressBar(false);
      if (!options_.skip_integrity_check) {
        Splash(401, current_extension_);
        if (!api_->QoVerifyBuffer(reinterpret_cast<const void*>(value), nullptr)) {
          ui_->ShowMessage(377, FormatResString(377, {current_extension_}),
                           MessageIcon::kExclamation);
          return 1;
        }
      }
      Splash(407, current_extension_);
      return 0;
    case kLoadEvExtDone:
      ui_->ShowProgressBar(false);
      Splash(408, current_extension_);
      return 0;
    case kLoadEvProgress:
      ui_->SetProgress(static_cast<int>(value));
      return 0;
    default:
      return 0;
  }
}

}  // namespace vemo
