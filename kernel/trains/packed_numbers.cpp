#include "trains/packed_numbers.h"

#include <cstdio>

namespace qo {

void FormatPackedNumber(PackedNumberTable const& table, int32_t value, size_t maxLength,
                        std::string& out) {
  out.clear();
  if (table.Values.empty()) return;
  char buffer[256];
  if (value >= 0) {
    std::snprintf(buffer, sizeof buffer, table.NumberFormat, value);
  } else {
    std::string text(PoolString(table.Texts, ~value));
    std::snprintf(buffer, sizeof buffer, table.TextFormat, text.c_str());
  }
  out.assign(buffer);
  if (out.size() > maxLength) out.resize(maxLength);
}

void TrainNumberText(TimetableRecord const& t, uint32_t train, std::string& out) {
  if (t.MainNumbers.Values.empty()) {
    out.clear();
    return;
  }
  FormatPackedNumber(t.MainNumbers, t.MainNumbers.Values[static_cast<int32_t>(train)], 39, out);
}

}  // namespace qo
