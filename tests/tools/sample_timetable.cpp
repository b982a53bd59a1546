#include "tools/sample_timetable.h"

#include <unistd.h>

#include <fstream>
#include <map>
#include <sstream>

#include "Qo.h"
#include "qobuild/text_source.h"
#include "writer/timetable_writer.h"

namespace qo::test {
namespace {

// Each sample is compiled once however many tests load it.
textsource::CompiledFiles const& Compiled(std::string const& name) {
  static std::map<std::string, textsource::CompiledFiles> compiled;
  auto it = compiled.find(name);
  if (it != compiled.end()) return it->second;
  std::ifstream in(std::string(QO_DATA_DIR) + "/" + name + ".txt", std::ios::binary);
  if (!in) throw std::runtime_error("missing sample source " + name + ".txt");
  std::stringstream text;
  text << in.rdbuf();
  return compiled
      .emplace(name, textsource::WriteCompiledSource(
                         textsource::ParseTimetableSource(text.str(), name + ".txt")))
      .first->second;
}

}  // namespace

void SampleTimetable::SetUp() {
  // Tests run as processes side by side: a directory per process.
  dir_ = std::filesystem::temp_directory_path() /
         ("qo-sample-" + std::to_string(static_cast<long>(getpid())));
  std::filesystem::create_directories(dir_);
}

void SampleTimetable::TearDown() {
  QoCloseData();
  std::filesystem::remove_all(dir_);
}

void SampleTimetable::LoadSample(std::string const& name) {
  textsource::CompiledFiles const& files = Compiled(name);
  std::string path = (dir_ / (name + ".qo")).string();
  writer::SaveFile(path, files.timetable.bytes);
  for (auto const& [extension, file] : files.extensions)
    writer::SaveFile(textsource::ExtensionPath(path, extension), file.bytes);
  char const* paths[] = {path.c_str()};
  ASSERT_EQ(QoInit2(paths, 1, nullptr), 1) << QoPeekError();
}

}  // namespace qo::test
