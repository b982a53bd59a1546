#pragma once
// The argument helpers of the exports, one set for all of them: the index
// rules, each setting the error its argument names, a caller's text taken
// into kernel text, and kernel text handed back in the current text mode.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "frame/error_codes.h"
#include "frame/kernel_error.h"
#include "load/loaded_set.h"
#include "load/timetable_record.h"
#include "text/text_convert.h"

namespace qo::api {

// --- Index rules ------------------------------------------------------------

// 0..QoQoCount()-1, anything else is error 3.
inline TimetableRecord* CheckTimetable(int index) {
  TimetableRecord* record = TimetableAt(index);
  if (!record) SetKernelError(ErrTimetableIndex);
  return record;
}

// A data language of the timetable, else error 5.
inline bool CheckLanguage(TimetableRecord const& t, int language) {
  if (language >= 0 && static_cast<uint32_t>(language) < t.LanguageCount) return true;
  SetKernelError(ErrLanguageIndex);
  return false;
}

// A train of the timetable, else error 6.
inline bool CheckTrain(TimetableRecord const& t, int train) {
  if (train >= 0 && static_cast<uint32_t>(train) < t.TrainCount) return true;
  SetKernelError(ErrTrainIndex);
  return false;
}

// A station of the timetable, else error 4.
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

// --- Texts in ---------------------------------------------------------------

// A limit for texts taken whole.
inline constexpr size_t kWholeText = SIZE_MAX / 4;

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

// The same into a buffer of the export's own, for the paths a keystroke
// runs (no allocation).
template <size_t Limit>
class TextInBuffer {
 public:
  // NULL is the empty text.
  std::string_view Take(char const* text) {
    bytes_.fill(0);
    if (!text) return {};
    if (GetTextMode() == TextModeUtf16) {
      // Two bytes per character up to a zero character.
      for (size_t i = 0; i < Limit; ++i) {
        if (text[2 * i] == 0 && text[2 * i + 1] == 0) break;
        bytes_[2 * i] = text[2 * i];
        bytes_[2 * i + 1] = text[2 * i + 1];
      }
    } else {
      for (size_t i = 0; i < Limit && text[i]; ++i) bytes_[i] = text[i];
    }
    ConvertTextIn(bytes_.data());
    return std::string_view(bytes_.data(), std::strlen(bytes_.data()));
  }

 private:
  std::array<char, 2 * Limit + 2> bytes_{};
};

// --- Texts out --------------------------------------------------------------

// Copies the kernel text into `buffer`, converts it into the current text
// mode (with room for UTF-16) and returns it.
inline char* ConvertOut(std::string_view text, std::vector<char>& buffer) {
  buffer.assign(2 * (text.size() + 1) + 2, '\0');
  if (!text.empty()) std::memcpy(buffer.data(), text.data(), text.size());
  ConvertTextOutMode(GetTextMode(), buffer.data(), buffer.size());
  return buffer.data();
}

}  // namespace qo::api
