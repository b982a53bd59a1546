#pragma once
// The readable text form of a timetable (docs/timetable-text-format.md),
// turned into the writer's model and from there into the .qo file and its
// extension files. Kept apart from the qobuild program so that tests can
// compile inline sources.
//
//   qo::textsource::CompiledSource source =
//       qo::textsource::ParseTimetableSource(text, "rail.txt");
//   qo::textsource::CompiledFiles files = qo::textsource::WriteCompiledSource(source);
//
// Every fault of a source is a SourceError whose text names the file and
// the line: "rail.txt:42: unknown station key 17".
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "writer/timetable_model.h"
#include "writer/timetable_writer.h"

namespace qo::textsource {

class SourceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An extension file the source asks for, with the name the timetable file
// stores (a name that begins with '.' is appended to the timetable file's
// name without its extension, as the kernel resolves it).
struct ExtensionFile {
  std::string name;
  writer::ExtensionModel model;
};

struct CompiledSource {
  writer::TimetableModel model;
  writer::WriteOptions options;
  std::vector<ExtensionFile> extensions;
  // The source line of each model train, station and calendar, so that a
  // fault the writer finds can still be reported at its line.
  std::vector<int> train_lines;
  std::vector<int> station_lines;
  std::vector<int> calendar_lines;
  std::string file_name;
};

// Parses a UTF-8 source. file_name only labels the error messages.
CompiledSource ParseTimetableSource(std::string_view text, std::string const& file_name);

struct CompiledFiles {
  writer::WrittenFile timetable;
  std::vector<std::pair<std::string, writer::WrittenFile>> extensions;  // name, file
};

// Writes the parsed model; a model the writer refuses becomes a SourceError
// (at the line of the train, station or calendar it names, when it names one).
CompiledFiles WriteCompiledSource(CompiledSource const& source);

// The path of an extension file written beside the timetable file at
// timetable_path; throws SourceError for a name that would leave that
// directory.
std::string ExtensionPath(std::string const& timetable_path, std::string const& name);

}  // namespace qo::textsource
