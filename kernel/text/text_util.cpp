#include "text/text_util.h"

#include <bitset>
#include <cstring>
#include <string>

namespace qo {
namespace {

bool IsPad(unsigned char c) { return c >= 1 && c <= 32; }

int g_appendedCount = 0;

struct MarkerPair {
  std::string open, close;
};
MarkerPair g_markers[2];

class DelimiterSet {
 public:
  explicit DelimiterSet(const char* delimiters) {
    for (const char* d = delimiters ? delimiters : ""; *d; ++d)
      set_.set(static_cast<unsigned char>(*d));
  }
  bool empty() const { return set_.none(); }
  bool operator()(char c) const { return set_.test(static_cast<unsigned char>(c)); }

 private:
  std::bitset<256> set_;
};

// Appends without running past the buffer; the text is cut to fit.
void AppendBounded(char* buffer, size_t size, const char* text) {
  if (!buffer || size == 0 || !text) return;
  size_t used = strnlen(buffer, size);
  if (used >= size) return;  // no terminator inside: nothing is safe to touch
  size_t room = size - 1 - used;
  size_t length = std::strlen(text);
  if (length > room) length = room;
  std::memcpy(buffer + used, text, length);
  buffer[used + length] = '\0';
}

const std::string& PickMarker(bool second, std::string MarkerPair::*which) {
  const std::string& symbol = g_markers[1].*which;
  if (!symbol.empty() && second) return symbol;
  return g_markers[0].*which;
}

}  // namespace

int GetTrimmedLength(const char* text) {
  if (!text) return 0;
  auto p = reinterpret_cast<const unsigned char*>(text);
  while (IsPad(*p)) ++p;
  size_t length = std::strlen(reinterpret_cast<const char*>(p));
  while (length > 0 && IsPad(p[length - 1])) --length;
  return static_cast<int>(length);
}

char* TrimText(char* text) {
  if (!text) return text;
  auto p = reinterpret_cast<unsigned char*>(text);
  size_t lead = 0;
  while (IsPad(p[lead])) ++lead;
  size_t length = std::strlen(text + lead);
  while (length > 0 && IsPad(p[lead + length - 1])) --length;
  std::memmove(text, text + lead, length);
  text[length] = '\0';
  return text;
}

char* DeleteLeft(int n, char* text) {
  if (!text || n <= 0) return text;
  size_t length = std::strlen(text);
  size_t cut = static_cast<size_t>(n) < length ? static_cast<size_t>(n) : length;
  std::memmove(text, text + cut, length - cut + 1);
  return text;
}

int CountTokens(const char* text, const char* delimiters) {
  if (!text || !*text) return 0;
  DelimiterSet is_delimiter(delimiters);
  if (is_delimiter.empty()) return 1;
  int count = 0;
  bool in_token = false;
  for (const char* p = text; *p; ++p) {
    bool delimiter = is_delimiter(*p);
    if (!delimiter && !in_token) ++count;
    in_token = !delimiter;
  }
  return count;
}

bool GetToken(const char* text, char* buffer, size_t size, int n, const char* delimiters) {
  if (!text || !buffer || size == 0 || n < 0) return false;
  DelimiterSet is_delimiter(delimiters);
  const char* start = nullptr;
  size_t length = 0;
  if (is_delimiter.empty()) {
    if (n != 0) return false;
    start = text;
    length = std::strlen(text);
  } else {
    const char* p = text;
    for (int run = 0;; ++run) {
      while (*p && is_delimiter(*p)) ++p;
      if (!*p) return false;
      const char* begin = p;
      while (*p && !is_delimiter(*p)) ++p;
      if (run == n) {
        start = begin;
        length = static_cast<size_t>(p - begin);
        break;
      }
    }
  }
  if (length > size - 1) length = size - 1;
  std::memmove(buffer, start, length);
  buffer[length] = '\0';
  return true;
}

char* AppendText(char* buffer, size_t size, const char* text) {
  if (!text) return buffer;
  AppendBounded(buffer, size, text);
  g_appendedCount += static_cast<int>(std::strlen(text));
  return buffer;
}

int GetAppendedCount() { return g_appendedCount; }
void SetAppendedCount(int count) { g_appendedCount = count; }

void SetMarkerPairs(const char* open0, const char* close0, const char* open1, const char* close1) {
  g_markers[0] = {open0 ? open0 : "", close0 ? close0 : ""};
  g_markers[1] = {open1 ? open1 : "", close1 ? close1 : ""};
}

std::string_view OpenMarker(int pair) { return g_markers[pair == 1 ? 1 : 0].open; }
std::string_view CloseMarker(int pair) { return g_markers[pair == 1 ? 1 : 0].close; }

char* AppendOpenMark(char* buffer, size_t size, bool second) {
  AppendBounded(buffer, size, PickMarker(second, &MarkerPair::open).c_str());
  return buffer;
}

char* AppendCloseMark(char* buffer, size_t size, bool second) {
  AppendBounded(buffer, size, PickMarker(second, &MarkerPair::close).c_str());
  return buffer;
}

}  // namespace qo
