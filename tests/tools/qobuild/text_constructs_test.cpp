// The text format's constructs for the less common parts of a timetable:
// each is compiled, loaded by the kernel and read back, and must say what
// the source says.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Qo.h"
#include "kernel/loading/loading_test_support.h"
#include "qobuild/text_source.h"

namespace qo::test {
namespace {

using textsource::ParseTimetableSource;
using textsource::SourceError;
using textsource::WriteCompiledSource;

constexpr char kHeader[] =
    "id 7\n"
    "kind city\n"
    "languages C E\n"
    "name \"Město\" \"Town\"\n"
    "valid 14.12.2025 12.12.2026\n"
    "station A 11 \"Alfa\"\n"
    "station B 12 \"Beta\"\n"
    "station C 13 \"Gama\"\n"
    "traintype Bus\n";

class TextConstructs : public LoadingTest {
 protected:
  // Compiles header + body, loads it as the only timetable and returns it.
  TimetableRecord& Compile(std::string const& body) {
    textsource::CompiledFiles files =
        WriteCompiledSource(ParseTimetableSource(kHeader + body, "t.txt"));
    std::string path = dir_.Save("t.qo", files.timetable.bytes);
    EXPECT_EQ(Load({path}), 1) << QoPeekError();
    return At(0);
  }
  static std::string ErrorOf(std::string const& body) {
    try {
      WriteCompiledSource(ParseTimetableSource(kHeader + body, "t.txt"));
    } catch (SourceError const& e) {
      return e.what();
    }
    return "(no error)";
  }
};

struct Validity {
  int32_t key, flags, first, last;
  uint8_t weekdays;
  bool operator==(Validity const&) const = default;
};

TEST_F(TextConstructs, LineValidityRecords) {
  // Given out of order: the file holds them by line key and first day, and
  // the trains keep naming the records they named.
  TimetableRecord& t = Compile(
      "validity summer line=9 from=1.7.2026 until=31.8.2026 days=Mo-Fr\n"
      "validity base line=9 from=14.12.2025 days=Mo-Fr,Su second-kind\n"
      "validity detour line=4 from=1.3.2026 until=2.3.2026 substitute\n"
      "train Bus 9\n"
      "  every 30 until 9:00\n"
      "  validity base summer\n"
      "  A 8:00\n"
      "  B 8:10\n"
      "train Bus 4\n"
      "  validity detour\n"
      "  B 9:00\n"
      "  C 9:10\n"
      "train Bus 5\n"
      "  C 10:00\n"
      "  A 10:10\n");
  std::vector<Validity> records;
  for (int32_t i = 0; i < t.LineValidity.size(); ++i) {
    auto const& r = t.LineValidity;
    records.push_back({r.Field<int32_t>(i, 0), r.Field<int32_t>(i, 4), r.Field<int32_t>(i, 8),
                       r.Field<int32_t>(i, 12), r.Field<uint8_t>(i, 16)});
  }
  EXPECT_EQ(records,
            (std::vector<Validity>{
                {4, INT32_MIN, w::DayNumberOf(2026, 3, 1), w::DayNumberOf(2026, 3, 2), 0x7F},
                {9, 0, w::DayNumberOf(2025, 12, 14), 0, 0x80 | 0x5F},
                {9, 0, w::DayNumberOf(2026, 7, 1), w::DayNumberOf(2026, 8, 31), 0x1F}}));
  std::vector<std::vector<int>> perTrain;
  for (int32_t train = 0; train + 1 < t.LineValidityOffsets.size(); ++train) {
    std::vector<int> list;
    for (int32_t i = t.LineValidityOffsets[train]; i < t.LineValidityOffsets[train + 1]; ++i)
      list.push_back(t.LineValidityIndexes[i]);
    perTrain.push_back(list);
  }
  EXPECT_EQ(perTrain,
            (std::vector<std::vector<int>>{{1, 2}, {1, 2}, {1, 2}, {0}, {}}));  // 8:00, 8:30, 9:00

  EXPECT_EQ(ErrorOf("validity v from=1.1.2026\n"),
            "t.txt:10: a validity record needs the key of its line (line=N)");
  EXPECT_EQ(ErrorOf("validity v line=1 from=2.1.2026 until=1.1.2026\n"),
            "t.txt:10: the validity record ends before it begins");
  EXPECT_EQ(ErrorOf("validity v line=1 from=1.1.2026 days=Mo-Fx\n"),
            "t.txt:10: unknown weekdays 'Mo-Fx' (Mo..Su, ranges such as Mo-Fr, joined by ',')");
  EXPECT_EQ(ErrorOf("train Bus 1\n  validity v\n  A 8:00\n  B 8:10\n"),
            "t.txt:11: unknown validity record v");
  EXPECT_EQ(ErrorOf("version 17\nvalidity v line=1 from=1.1.2026\n"),
            "t.txt:11: a line validity record needs format version 18 or later (the source "
            "gives 17)");
}

}  // namespace
}  // namespace qo::test
