#include "text/text_fold.h"

#include "text/letter_rows.h"

namespace qo {
namespace {

constexpr ByteMap WithAsciiUpper(ByteMap map) {
  for (int b = 0; b < 256; ++b)
    if (map[b] >= 'a' && map[b] <= 'z') map[b] = static_cast<uint8_t>(map[b] - 'a' + 'A');
  return map;
}

constexpr ByteMap kSearchKeyMap = WithAsciiUpper(MakeLetterMap(kLetterRows[3], kLetterRows[4]));

constexpr ByteMap MakeUpperMap() {
  ByteMap map = MakeLetterMap(kLetterRows[3], kUpperRow);
  for (int b = 'a'; b <= 'z'; ++b) map[b] = static_cast<uint8_t>(b - 'a' + 'A');
  return map;
}

constexpr ByteMap kUpperMap = MakeUpperMap();

}  // namespace

char* MakeSearchKey(char* text) {
  if (text) ApplyByteMap(kSearchKeyMap, text);
  return text;
}

char* MakeUpperCase(char* text) {
  if (text) ApplyByteMap(kUpperMap, text);
  return text;
}

}  // namespace qo
