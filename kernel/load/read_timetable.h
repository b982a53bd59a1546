#pragma once
// Reading a timetable file into a TimetableRecord. These are cores: they
// return a kernel error code (0 on success, ErrOpenDataFile, or
// ErrDataFileHeader for a bad signature or a damaged body) and never set the
// kernel's last error. The loading steps around them (the duplicate test,
// events 0 to 5, the set) belong to the loader.
#include <cstdint>
#include <string>
#include <string_view>

#include "load/load_events.h"
#include "load/timetable_record.h"

namespace qo {

// Offsets of the fixed header.
inline constexpr size_t kHeaderIdOffset = 66;
inline constexpr size_t kHeaderFixedBytes = 104;  // up to the language letters
inline constexpr size_t kTrailerBytes = 48;
inline constexpr uint32_t kMaxFormatVersion = 23;

// Whether the first bytes of a file carry the timetable signature.
bool HasTimetableSignature(const uint8_t* bytes, size_t size);

// Opens the file, checks its signature and reads its id (for the loader's
// duplicate test) without reading the rest.
int ProbeTimetableFile(const char* path, uint32_t* timetableId);

// Reads the whole file into record->Image (with progress events when asked)
// and keeps the path. The signature is checked again on the image.
int ReadTimetableImage(const char* path, bool progress, LoadCallback callback,
                       TimetableRecord* record);

// Takes the header and every section from record->Image, checks every size,
// offset and stored index once, and sets up what is derived at load. On
// failure the record is emptied (its image freed too) and ErrDataFileHeader
// returned; `refusal` (when given) then names the check that refused the
// file, for qodump and the tests.
int TakeTimetableSections(TimetableRecord* record, std::string* refusal = nullptr);

// Both steps; the convenience for tools and tests.
int ReadTimetableFile(const char* path, LoadCallback callback, TimetableRecord* record,
                      std::string* refusal = nullptr);

// The same for an image already in memory (tools, fuzzing): the bytes are
// copied into record->Image, FilePath is left empty.
int ReadTimetableBytes(const void* data, size_t size, TimetableRecord* record,
                       std::string* refusal = nullptr);

// The description block of a version 2+ file: its text (at most 99
// characters) and the u32 after it. False when the file has none or it does
// not lie inside the file.
bool ReadDescriptionBlock(const TimetableRecord& record, std::string_view* text, uint32_t* value);

}  // namespace qo
