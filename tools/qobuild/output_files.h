#pragma once
// Writing the files a compile or an import makes, so that a user never
// loses one: every output goes to a temporary file beside its target, each
// write, the flush and the close are checked, and only when all of them
// are complete are they renamed over their targets. A name clash (two
// outputs of one name, an output that is an input or lies inside an input
// folder) is refused before anything is written. On any failure the
// temporary files are removed and every target keeps its old content.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace qo::textsource {

class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct OutputFile {
  std::string path;
  std::string role;  // "timetable file", "extension file fares.qof": names it in messages
  std::vector<uint8_t> const* bytes = nullptr;
};

// The system's write(2) unless a test injects a failing one (a full disk).
using WriteFunction = std::function<long(int fd, void const* data, size_t size)>;

// Throws OutputError for a clash between outputs and inputs (files or
// folders the outputs were made from).
void CheckOutputNames(std::vector<OutputFile> const& outputs,
                      std::vector<std::string> const& inputs);

// CheckOutputNames, then writes all outputs or none; throws OutputError.
void WriteOutputs(std::vector<OutputFile> const& outputs, std::vector<std::string> const& inputs,
                  WriteFunction const& write = {});

}  // namespace qo::textsource
