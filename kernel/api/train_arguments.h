#pragma once
// Argument checks shared by the train and remark exports, each setting the
// error its argument names, and a caller's text taken into kernel text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "frame/error_codes.h"
#include "frame/kernel_error.h"
#include "load/timetable_record.h"
#include "text/text_convert.h"

namespace qo::api {

inline bool CheckLanguage(TimetableRecord const& t, int language) {
  if (language >= 0 && static_cast<uint32_t>(language) < t.LanguageCount) return true;
  SetKernelError(ErrLanguageIndex);
  return false;
}

inline bool CheckTrain(TimetableRecord const& t, int train) {
  if (train >= 0 && static_cast<uint32_t>(train) < t.TrainCount) return true;
  SetKernelError(ErrTrainIndex);
  return false;
}

inline bool CheckStation(TimetableRecord const& t, int station) {
  if (station >= 0 && static_cast<uint32_t>(station) < t.StationCount) return true;
  SetKernelError(ErrStationIndex);
  return false;
}

// A station that may be left out: any negative value means none (-1).
inline bool CheckOptionalStation(TimetableRecord const& t, int* station) {
  if (*station < 0) {
    *station = -1;
    return true;
  }
  return CheckStation(t, *station);
}

// At most `limit` characters of a caller's text (in the current text mode,
// two bytes a character in UTF-16), converted to Windows-1250. NULL is "".
inline std::string TakeText(char const* text, size_t limit) {
  if (!text) return {};
  std::string buffer;
  if (GetTextMode() == TextModeUtf16) {
    size_t units = 0;
    while (units < limit && (text[2 * units] != 0 || text[2 * units + 1] != 0)) ++units;
    buffer.assign(text, 2 * units);
    buffer.append(2, '\0');
  } else {
    size_t length = 0;
    while (length < limit && text[length]) ++length;
    buffer.assign(text, length);
  }
  buffer.push_back('\0');
  ConvertTextIn(buffer.data());
  return std::string(buffer.c_str());
}

}  // namespace qo::api
