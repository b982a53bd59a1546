#pragma once
// Reading a whole file into a heap byte array, optionally in ten chunks with
// progress events, and the path rule shared by every file the kernel opens.
#include <cstdint>
#include <cstdio>

#include "format/image_array.h"
#include "load/load_events.h"

namespace qo {

// Paths are used whole: one too long for the system cannot be opened and is
// refused before any attempt (no silent cut at some fixed length).
bool IsPathTooLong(const char* path);
// A path that is not empty and not too long.
bool IsUsablePath(const char* path);

// Opens a file for binary reading; null when the path is unusable or the file
// cannot be opened.
std::FILE* OpenBinaryFile(const char* path);

// Reads the whole open file from offset 0 into *image. With progress, event
// 10 is raised with 0 first and after every chunk with the per mille read so
// far. False when the file cannot be read whole or is too large for an
// image (its size must fit a CountedArray).
bool ReadFileImage(std::FILE* file, bool progress, LoadCallback callback, OwnedArray* image);

}  // namespace qo
