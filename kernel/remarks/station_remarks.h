#pragma once
// Remarks of trains at stations: 12-byte rows sorted by station {i32 train;
// u16 station; char[4] code; i16 text index}. The train is -1 for every
// train, or 0x40000000 + the first train of a range whose last train is the
// train of the row after it (checked at load to exist); only rows with a
// text count.
#include <cstdint>
#include <string>
#include <string_view>

#include "load/timetable_record.h"

namespace qo {

inline constexpr size_t kMaxStationRemarkText = 255;

struct StationRemark {
  std::string_view Code;  // up to 4 characters
  int16_t Text = -1;      // index into the per-language pools
};

// Number of remarks with a text that hold for the train at the station.
int32_t StationRemarkCount(TimetableRecord const& t, uint32_t train, uint16_t station);

// The n-th of them; false when there is none.
bool FindStationRemark(TimetableRecord const& t, uint32_t train, uint16_t station, int32_t n,
                       StationRemark* out);

// A remark's text in a data language (empty when that language has no
// pool), at most 255 characters.
std::string_view StationRemarkText(TimetableRecord const& t, int language, int16_t text);

}  // namespace qo
