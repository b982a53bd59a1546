#include "shell/timetable_dialogs_model.h"

#include <cstdio>

#include "shell/string_table.h"
#include "shell/text_formats.h"

namespace vemo {
namespace {

std::string DateText(Dmy const& date) { return FormatDmy(date.day, date.month, date.year, {}, 0); }

}  // namespace

std::vector<std::string> ChoiceRowTexts(std::vector<TimetableFileEntry> const& entries) {
  std::vector<std::string> rows;
  for (size_t i = 0; i < entries.size(); ++i) {
    bool same = (i > 0 && entries[i - 1].name == entries[i].name) ||
                (i + 1 < entries.size() && entries[i + 1].name == entries[i].name);
    Dmy const& first = entries[i].dates[3];
    rows.push_back(same ? FormatText("%s (%02d.%02d.%d)",
                                     {entries[i].name, first.day, first.month, first.year})
                        : entries[i].name);
  }
  return rows;
}

std::vector<int> ChosenRows(std::vector<bool> const& ticked, std::vector<bool> const& selected) {
  std::vector<int> chosen;
  for (size_t i = 0; i < ticked.size(); ++i)
    if (ticked[i]) chosen.push_back(static_cast<int>(i));
  if (!chosen.empty()) return chosen;
  for (size_t i = 0; i < selected.size(); ++i)
    if (selected[i]) chosen.push_back(static_cast<int>(i));
  return chosen;
}

TimetableInfoTexts MakeTimetableInfoTexts(TimetableFacts const& facts) {
  TimetableInfoTexts texts;
  texts.caption = facts.name;
  size_t start = 0;
  std::string const& description = facts.description;
  while (start <= description.size()) {
    size_t end = description.find('|', start);
    if (end == std::string::npos) end = description.size();
    std::string line = description.substr(start, end - start);
    start = end + 1;
    size_t http = line.find("http");
    if (texts.link.empty() && http != std::string::npos) {
      std::string link = line.substr(http);
      texts.link = link.substr(0, link.find(' '));
      continue;
    }
    if (!texts.description.empty()) texts.description += "\n";
    texts.description += line;
  }
  texts.validity = DateText(facts.first_day) + " - " + DateText(facts.last_day);
  if (!(facts.data_from == facts.first_day) || !(facts.data_to == facts.last_day))
    texts.data_validity = DateText(facts.data_from) + " - " + DateText(facts.data_to);
  char id[16];
  std::snprintf(id, sizeof id, " [%8x]", static_cast<unsigned>(facts.id));
  texts.created = DateText(facts.created) + id;
  texts.files = facts.path;
  for (std::string const& extension : facts.extensions) texts.files += "\n" + extension;
  if (!facts.resource_path.empty()) texts.files += "\n" + facts.resource_path;
  return texts;
}

}  // namespace vemo
