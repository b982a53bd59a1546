#include "shell/string_table.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

namespace vemo {
namespace {

struct Entry {
  int id;
  const char* text;
};

constexpr Entry kStrings[] = {
#include "shell/strings.inc"
};

// One printf conversion ("%-05.2d" without the '%'), applied to one argument.
std::string Convert(std::string_view flags, char conversion, TextArg const* arg) {
  if (!arg) return {};
  std::string format = "%";
  format += flags;
  char buffer[512];
  if (auto const* number = std::get_if<int64_t>(arg)) {
    switch (conversion) {
      case 'd':
      case 'i':
      case 'u':
      case 'x':
      case 'X':
        format += "ll";
        format += conversion;
        std::snprintf(buffer, sizeof buffer, format.c_str(), static_cast<long long>(*number));
        return buffer;
      case 'c':
        return std::string(1, static_cast<char>(*number));
      default:  // a number for "%s"
        return std::to_string(*number);
    }
  }
  auto const& text = std::get<std::string>(*arg);
  if (conversion != 's') return text;
  format += 's';
  std::vector<char> out(text.size() + 256);
  std::snprintf(out.data(), out.size(), format.c_str(), text.c_str());
  return out.data();
}

bool IsFlagOrWidth(char ch) {
  return ch == '-' || ch == '+' || ch == ' ' || ch == '#' || ch == '.' || (ch >= '0' && ch <= '9');
}

// Reads "[flags][width][.precision][length]conversion" from position i;
// returns the position after it, or npos, and fills flags with the text before
// the length letters (flags, width and precision) and conversion with its letter.
size_t ReadConversion(std::string_view format, size_t i, std::string& flags, char& conversion) {
  size_t start = i;
  while (i < format.size() && IsFlagOrWidth(format[i])) ++i;
  // Width and precision must be short, or snprintf could be asked for a
  // text of any length.
  if (i - start > 6) return std::string_view::npos;
  flags.assign(format.substr(start, i - start));
  while (i < format.size() && (format[i] == 'l' || format[i] == 'h')) ++i;
  if (i >= format.size()) return std::string_view::npos;
  conversion = format[i];
  if (std::string_view("diuxXcs").find(conversion) == std::string_view::npos)
    return std::string_view::npos;
  return i + 1;
}

}  // namespace

namespace {
char ui_language_letter = 'C';
}  // namespace

void SetUiLanguage() { ui_language_letter = GetResStringChar(500); }
char UiLanguageLetter() { return ui_language_letter; }

std::string_view LoadResString(int id) {
  auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                             [](Entry const& e, int key) { return e.id < key; });
  if (it == std::end(kStrings) || it->id != id) return {};
  return it->text;
}

char GetResStringChar(int id) {
  std::string_view text = LoadResString(id);
  return text.empty() ? 0 : text[0];
}

std::string FormatText(std::string_view format, std::initializer_list<TextArg> args) {
  std::string out;
  auto next = args.begin();
  for (size_t i = 0; i < format.size();) {
    if (format[i] != '%') {
      out += format[i++];
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    std::string flags;
    char conversion = 0;
    size_t end = ReadConversion(format, i + 1, flags, conversion);
    if (end == std::string_view::npos) {
      out += format[i++];
      continue;
    }
    out += Convert(flags, conversion, next != args.end() ? &*next : nullptr);
    if (next != args.end()) ++next;
    i = end;
  }
  return out;
}

std::string FormatResString(int id, std::initializer_list<TextArg> args) {
  return FormatText(LoadResString(id), args);
}

std::string FormatInserts(std::string_view format, std::initializer_list<TextArg> args) {
  std::string out;
  auto argument = [&](int n) -> TextArg const* {
    return n >= 1 && n <= static_cast<int>(args.size()) ? args.begin() + (n - 1) : nullptr;
  };
  for (size_t i = 0; i < format.size();) {
    char ch = format[i];
    if (ch != '%' || i + 1 >= format.size()) {
      out += ch;
      ++i;
      continue;
    }
    char after = format[i + 1];
    if (after < '1' || after > '9') {
      out += after == '%' ? "%" : format.substr(i, 2);
      i += 2;
      continue;
    }
    size_t j = i + 1;
    int n = 0;
    while (j < format.size() && j < i + 3 && format[j] >= '0' && format[j] <= '9')
      n = n * 10 + (format[j++] - '0');
    TextArg const* arg = argument(n);
    std::string flags;
    char conversion = 0;
    size_t close =
        j < format.size() && format[j] == '!' ? format.find('!', j + 1) : std::string_view::npos;
    if (close != std::string_view::npos &&
        ReadConversion(format.substr(0, close), j + 1, flags, conversion) == close) {
      out += Convert(flags, conversion, arg);
      i = close + 1;
    } else {
      out += Convert({}, 's', arg);
      i = j;
    }
  }
  return out;
}

bool StringTableIsSorted() {
  return std::is_sorted(std::begin(kStrings), std::end(kStrings),
                        [](Entry const& a, Entry const& b) { return a.id < b.id; }) &&
         std::adjacent_find(std::begin(kStrings), std::end(kStrings),
                            [](Entry const& a, Entry const& b) { return a.id == b.id; }) ==
             std::end(kStrings);
}

}  // namespace vemo
