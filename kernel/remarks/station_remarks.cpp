#include "remarks/station_remarks.h"

#include <cstring>

namespace qo {
namespace {

constexpr int32_t kRangeOpen = 0x40000000;
constexpr int32_t kStationField = 4;
constexpr int32_t kCodeField = 6;
constexpr int32_t kTextField = 10;

// The first row of the station: the rows are sorted by station.
int32_t FirstRowOf(RecordArray const& rows, uint16_t station) {
  int32_t low = 0, high = rows.size();
  while (low < high) {
    int32_t middle = low + (high - low) / 2;
    if (rows.Field<uint16_t>(middle, kStationField) < station) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low;
}

// Calls f(row) for each row of the station that holds for the train and has
// a text; f returns false to stop.
template <class F>
void ForEachRemarkRow(TimetableRecord const& t, uint32_t train, uint16_t station, F&& f) {
  RecordArray const& rows = t.TrainStationRemarks;
  for (int32_t i = FirstRowOf(rows, station);
       i < rows.size() && rows.Field<uint16_t>(i, kStationField) == station; ++i) {
    int32_t row = i;
    int32_t first = rows.Field<int32_t>(i, 0);
    bool holds;
    if (first >= kRangeOpen) {
      // The load refused a range row without the row that ends it.
      ++i;
      int64_t last = rows.Field<int32_t>(i, 0);
      holds = first - kRangeOpen <= static_cast<int64_t>(train) && train <= last;
    } else {
      holds = first == -1 || static_cast<int64_t>(first) == train;
    }
    if (holds && rows.Field<int16_t>(row, kTextField) >= 0 && !f(row)) return;
  }
}

}  // namespace

int32_t StationRemarkCount(TimetableRecord const& t, uint32_t train, uint16_t station) {
  int32_t count = 0;
  ForEachRemarkRow(t, train, station, [&](int32_t) {
    ++count;
    return true;
  });
  return count;
}

bool FindStationRemark(TimetableRecord const& t, uint32_t train, uint16_t station, int32_t n,
                       StationRemark* out) {
  if (n < 0) return false;
  bool found = false;
  ForEachRemarkRow(t, train, station, [&](int32_t row) {
    if (n-- > 0) return true;
    const char* code = reinterpret_cast<const char*>(t.TrainStationRemarks.At(row) + kCodeField);
    out->Code = std::string_view(code, strnlen(code, 4));
    out->Text = t.TrainStationRemarks.Field<int16_t>(row, kTextField);
    found = true;
    return false;
  });
  return found;
}

std::string_view StationRemarkText(TimetableRecord const& t, int language, int16_t text) {
  if (language < 0 || static_cast<size_t>(language) >= t.StationRemarkPools.size()) return {};
  return PoolString(t.StationRemarkPools[static_cast<size_t>(language)], text)
      .substr(0, kMaxStationRemarkText);
}

}  // namespace qo
