#pragma once
// A test-only walk over a written file, section by section, following
// docs/timetable-format.md on its own (it shares no code with the writer
// beyond the byte-order helpers), so that the writer's section marks and
// the file's real structure are checked against each other.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "writer/timetable_writer.h"

namespace qo::writer::testing {

struct Walk {
  std::string error;           // empty when the walk reached the trailer exactly
  std::vector<Mark> sections;  // what the walk found, named like the writer's marks
  uint32_t formatVersion = 0;
};

Walk WalkTimetable(std::vector<uint8_t> const& bytes);
Walk WalkExtension(std::vector<uint8_t> const& bytes);

// Elements of the array whose header is at offset (byte size, count, bytes).
struct ArrayView {
  uint32_t byteSize = 0;
  uint32_t count = 0;
  uint8_t const* data = nullptr;
  uint32_t ElementSize() const { return count ? byteSize / count : 0; }
};
ArrayView ViewArray(std::vector<uint8_t> const& bytes, size_t offset);

}  // namespace qo::writer::testing
