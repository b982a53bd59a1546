#include "shell/text_fields.h"

#include "shell/string_table.h"

namespace vemo {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

std::string_view TrimLeft(std::string_view text) {
  size_t start = text.find_first_not_of(kBlanks);
  return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

std::string_view Trim(std::string_view text) {
  text = TrimLeft(text);
  size_t end = text.find_last_not_of(kBlanks);
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

}  // namespace

std::string GetField(std::string_view text, int n, char separator) {
  if (n < 0) return {};
  size_t start = 0;
  for (int i = 0; i < n; ++i) {
    size_t at = text.find(separator, start);
    if (at == std::string_view::npos) return {};
    start = at + 1;
  }
  size_t end = text.find(separator, start);
  return std::string(text.substr(start, end == std::string_view::npos ? text.npos : end - start));
}

int CountFields(std::string_view text, char separator) {
  int count = 1;
  for (char ch : text) count += ch == separator;
  return count;
}

std::string NextField(std::string_view text, size_t* position, char separator) {
  size_t start = std::min(*position, text.size());
  size_t end = text.find(separator, start);
  if (end == std::string_view::npos) {
    *position = text.size();
    return std::string(text.substr(start));
  }
  *position = end + 1;
  return std::string(text.substr(start, end - start));
}

std::string GetResStringField(int id, int n, char separator) {
  return GetField(LoadResString(id), n, separator);
}

int CountDigitRuns(std::string_view text) {
  int runs = 0;
  bool in_run = false;
  for (char ch : text) {
    bool digit = ch >= '0' && ch <= '9';
    runs += digit && !in_run;
    in_run = digit;
  }
  return runs;
}

std::string LeftOfLast(std::string_view text, char ch) {
  size_t at = text.rfind(ch);
  return std::string(at == std::string_view::npos ? text : text.substr(0, at));
}

std::string LeftOfFirst(std::string_view text, char ch) {
  size_t at = text.find(ch);
  return at == std::string_view::npos ? std::string() : std::string(text.substr(0, at));
}

std::string RightOfFirst(std::string_view text, char ch) {
  size_t at = text.find(ch);
  return at == std::string_view::npos ? std::string() : std::string(text.substr(at + 1));
}

bool HasColonLabel(std::string_view text) {
  size_t at = text.find(':');
  return at != std::string_view::npos && at > 0;
}

std::string GetColonLabel(std::string_view text) {
  if (!HasColonLabel(text)) return std::string(text);
  return std::string(Trim(text.substr(0, text.find(':'))));
}

std::string GetColonValue(std::string_view text) {
  if (!HasColonLabel(text)) return std::string(text);
  return std::string(TrimLeft(text.substr(text.find(':') + 1)));
}

std::string NamePart(std::string_view path) {
  size_t at = path.find_last_of("\\/:");
  return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

}  // namespace vemo
