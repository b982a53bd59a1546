// Runs the readers' fuzz target once over every file of the directories it
// is given: the committed seeds and the inputs that once found a fault. Built
// into the test build, where the sanitizers and the checked image views turn
// a fault back into a failing test without libFuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DIRECTORY...\n", argv[0]);
    return 2;
  }
  for (int i = 1; i < argc; ++i) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(argv[i], error))
      if (entry.is_regular_file()) files.push_back(entry.path());
    // An empty or missing directory would pass without replaying anything.
    if (error || files.empty()) {
      std::fprintf(stderr, "%s: no inputs to replay\n", argv[i]);
      return 1;
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      std::ifstream in(file, std::ios::binary);
      std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
      std::printf("%s\n", file.filename().c_str());
      std::fflush(stdout);
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("%zu inputs from %s replayed\n", files.size(), argv[i]);
  }
  return 0;
}
