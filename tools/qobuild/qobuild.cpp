// qobuild: compiles a timetable text source (docs/timetable-text-format.md)
// into a .qo file and the extension files the source names, written beside
// it; or imports a GTFS feed, a .zip file or a folder (docs/gtfs-import.md).
//
//   qobuild rail.txt -o build/data/rail.qo
//   qobuild plzen-gtfs.zip -o plzen.qo
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gtfs/gtfs_import.h"
#include "qobuild/output_files.h"
#include "qobuild/text_source.h"
#include "writer/timetable_writer.h"

namespace {

constexpr char kUsage[] =
    "usage: qobuild SOURCE.txt [-o OUT.qo]\n"
    "       qobuild FEED.zip|FEED-FOLDER [--strict] [-o OUT.qo]\n"
    "Compiles a timetable text source into a timetable file (default: the\n"
    "source's name with .qo) and the extension files it names, beside it;\n"
    "or imports a GTFS feed (a .zip file or a folder) into a timetable file;\n"
    "a trip the timetable cannot state is left out with a warning, and\n"
    "--strict refuses the feed at the first warning instead.\n";

std::string DefaultOutput(std::string source) {
  while (source.size() > 1 && (source.back() == '/' || source.back() == '\\')) source.pop_back();
  size_t slash = source.find_last_of("/\\");
  size_t dot = source.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return source + ".qo";
  return source.substr(0, dot) + ".qo";
}

std::vector<uint8_t> const kNoBytes;

// "reading stop_times.txt  45%" on one line of a terminal, rewritten in
// place; nothing when stderr is not a terminal.
class ProgressLine {
 public:
  ProgressLine() : on_(::isatty(STDERR_FILENO) == 1) {}
  ~ProgressLine() { Clear(); }
  void Show(std::string const& phase, int percent) {
    if (!on_) return;
    std::fprintf(stderr, "\r%-40.40s %3d%%", phase.c_str(), percent);
    std::fflush(stderr);
    shown_ = true;
  }
  void Clear() {
    if (!shown_) return;
    std::fprintf(stderr, "\r%-45s\r", "");
    shown_ = false;
  }

 private:
  bool on_;
  bool shown_ = false;
};

int ImportGtfs(std::string const& feed, std::string const& output, bool strict) {
  ProgressLine progress;
  qo::gtfs::ImportOptions options;
  options.strict = strict;
  options.progress = [&](std::string const& phase, int percent) { progress.Show(phase, percent); };
  qo::gtfs::ImportResult result = qo::gtfs::ImportFeed(feed, options);
  progress.Show("writing the timetable", 0);
  qo::writer::WrittenFile file = qo::writer::WriteTimetable(result.model, result.options);
  std::vector<qo::textsource::OutputFile> outputs = {{output, "timetable file", &file.bytes}};
  qo::writer::WrittenFile map;
  if (!result.map.station_points.empty()) {
    map = qo::writer::WriteExtension({.type = qo::writer::ExtensionType::kGis,
                                      .owner_id = static_cast<int32_t>(result.model.id),
                                      .gis = result.map});
    outputs.push_back({qo::textsource::ExtensionPath(output, qo::gtfs::kMapExtension),
                       "extension file " + std::string(qo::gtfs::kMapExtension), &map.bytes});
  }
  qo::textsource::WriteOutputs(outputs, {feed});
  progress.Clear();
  for (qo::gtfs::Warning const& w : result.warnings) {
    std::fprintf(stderr, "warning: %s", w.text.c_str());
    if (w.count > 1) std::fprintf(stderr, " (and %zu more like it)", w.count - 1);
    std::fputc('\n', stderr);
  }
  std::string leftOut;
  size_t leftOutCount = 0;
  for (auto const& [reason, count] : result.LeftOut()) {
    leftOut += (leftOut.empty() ? "" : ", ") + std::to_string(count) + " " + reason;
    leftOutCount += count;
  }
  std::printf("%s: %zu stations, %zu trains, %zu calendars, %zu bytes, %zu warnings",
              output.c_str(), result.model.stations.size(), result.model.trains.size(),
              result.model.calendars.size(), file.bytes.size(), result.WarningCount());
  if (leftOutCount) std::printf(", %zu trips left out (%s)", leftOutCount, leftOut.c_str());
  std::printf("\n");
  return 0;
}

int Compile(std::string const& source, std::string const& output) {
  std::ifstream in(source, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "qobuild: cannot read %s\n", source.c_str());
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  qo::textsource::CompiledSource parsed = qo::textsource::ParseTimetableSource(text.str(), source);
  qo::textsource::CompiledFiles files = qo::textsource::WriteCompiledSource(parsed);
  std::vector<qo::textsource::OutputFile> outputs = {
      {output, "timetable file", &files.timetable.bytes}};
  for (auto const& [name, file] : files.extensions) {
    outputs.push_back(
        {qo::textsource::ExtensionPath(output, name), "extension file " + name, &file.bytes});
  }
  qo::textsource::WriteOutputs(outputs, {source});
  std::printf("%s: %zu stations, %zu trains, %zu calendars\n", output.c_str(),
              parsed.model.stations.size(), parsed.model.trains.size(),
              parsed.model.calendars.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string source, output;
  bool strict = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--strict") {
      strict = true;
    } else if (arg == "-o" && i + 1 < argc) {
      output = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && source.empty()) {
      source = arg;
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (source.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (output.empty()) output = DefaultOutput(source);
  try {
    // A clash of the output with its own input is refused before any work.
    qo::textsource::CheckOutputNames({{output, "timetable file", &kNoBytes}}, {source});
    if (qo::gtfs::LooksLikeFeed(source)) return ImportGtfs(source, output, strict);
    return Compile(source, output);
  } catch (qo::textsource::SourceError const& e) {
    std::fprintf(stderr, "%s\n", e.what());
  } catch (qo::textsource::OutputError const& e) {
    std::fprintf(stderr, "qobuild: %s\n", e.what());
  } catch (std::exception const& e) {
    std::fprintf(stderr, "%s\n", e.what());
  }
  return 1;
}
