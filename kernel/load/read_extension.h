#pragma once
// Reading an extension file (fares, GIS map, station keys, QMap) into the
// record of the timetable that names it. A core: it returns a kernel error
// code and says through *attached whether the extension was attached.
//
// Silent refusals (attached false, result 0): a file that cannot be opened,
// another timetable's owner id, a type outside 2..5 or one the caller skips,
// and a refusal by the callback (events 6, 7, 8). A wrong signature or a
// damaged body gives ErrExtensionHeader; a path too long for the system
// ErrOpenDataFile. Nothing of a refused file stays in the record.
#include <cstdint>
#include <string>
#include <string_view>

#include "load/load_events.h"
#include "load/timetable_record.h"
// The fare owner sets compare the owners' display texts (OwnerDisplayText).
#include "text/description_fields.h"

namespace qo {

enum ExtensionType : uint32_t {
  ExtFares = 2,
  ExtGis = 3,
  ExtStationKeys = 4,
  ExtQMap = 5,
};

inline constexpr size_t kExtensionFrameBytes = 84;
// An extension file ends in the CRC-32 of every byte before it; there is no
// trailer of the timetable file's kind.
inline constexpr size_t kExtensionCrcBytes = 4;

struct ExtensionReadOptions {
  LoadCallback callback = nullptr;
  // Bit n set: extension files of type n are skipped (types 0..5).
  uint32_t skipTypes = 0;
  // The value of event 9: the number of timetables in the loaded set.
  intptr_t setCount = 0;
  // When given, names the check that refused a damaged file (qodump, tests).
  std::string* refusal = nullptr;
};

int ReadExtensionFile(TimetableRecord* record, const char* path,
                      const ExtensionReadOptions& options, bool* attached);

// The same for an image already in memory (tools, fuzzing): the bytes are
// copied into the extension's own image, and `path` is the name it is kept
// under. No progress events.
int ReadExtensionBytes(TimetableRecord* record, const char* path, const void* data, size_t size,
                       const ExtensionReadOptions& options, bool* attached);

}  // namespace qo
