// Extension files found from a timetable, the lone extension load, the
// CRC checks and the remaining small exports of loading.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/byte_order.h"
#include "core/counted_array.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"
#include "load/load_timetables.h"

namespace qo::test {
namespace {

std::vector<uint8_t> GisFile(int32_t owner = -1) {
  return w::WriteExtension({.type = w::ExtensionType::kGis, .owner_id = owner}).bytes;
}

TEST(ExtensionPath, NamesResolveAgainstTheTimetable) {
  struct Case {
    char const* timetable;
    char const* name;
    char const* path;
  };
  const Case cases[] = {
      {"/d/X.qo", ".gis", "/d/X.gis"},
      {"/d/v1.2/X", ".gis", "/d/v1.2/X.gis"},  // a dot in the directory is no extension
      {"/d/X.qo", "map.gis", "/d/map.gis"},
      {"/d/X.qo", "sub\\m.gis", "sub/m.gis"},  // with a separator: as it is
      {"/d/X.qo", "/e/m.gis", "/e/m.gis"},
      {"X.qo", "m.gis", "m.gis"},  // no directory to put in front
      {"X.qo", ".gis", "X.gis"},
      {"C:\\d\\X.qo", ".gis", "C:/d/X.gis"},
  };
  for (Case const& c : cases)
    EXPECT_EQ(ResolveExtensionPath(c.timetable, c.name), c.path) << c.timetable << " + " << c.name;
}

using Extensions = LoadingTest;

TEST_F(Extensions, NamedFilesAttachDespiteSeparatorsAndLetterCase) {
  dir_.Save("t.gis", GisFile());
  dir_.Save("sub/m.gis", GisFile());
  std::string absolute = dir_ / "SUB\\M.GIS";
  struct Case {
    std::string name;
  };
  const Case cases[] = {{".GIS"}, {absolute}};
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    Clear();
    w::TimetableModel m = SmallModel(1);
    m.extension_names = {c.name};
    LoadLog::Reset();
    ASSERT_EQ(Load({dir_.Write("t.qo", m)}, LoadLog::Callback), 1);
    EXPECT_NE(At(0).Gis, nullptr);
    EXPECT_EQ(LoadLog::Sequence(), "0 1 2 6 7 8 9 4 5");
    EXPECT_EQ(QoPeekError(), 0);
  }

  // A skipped type is not even announced.
  Clear();
  QoSkipExtension(3);
  w::TimetableModel m = SmallModel(1);
  m.extension_names = {".gis"};
  LoadLog::Reset();
  ASSERT_EQ(Load({dir_.Write("t.qo", m)}, LoadLog::Callback), 1);
  EXPECT_EQ(At(0).Gis, nullptr);
  EXPECT_EQ(LoadLog::Sequence(), "0 1 2 4 5");
}

TEST_F(Extensions, LoneExtensionReplacesTheSet) {
  struct Case {
    char const* name;
    std::vector<uint8_t> bytes;
    int result;
    int error;
  };
  const Case cases[] = {
      {"any owner", GisFile(-1), 1, 0},
      {"owner 0", GisFile(0), 1, 0},
      {"another owner", GisFile(5), 0, 0},
      {"no extension file", std::vector<uint8_t>(200, 'x'), 0, ErrExtensionHeader},
  };
  std::string timetable = dir_.Write("t.qo", SmallModel(1));
  for (Case const& c : cases) {
    SCOPED_TRACE(c.name);
    Clear();
    ASSERT_EQ(Load({timetable}), 1);
    std::string path = dir_.Save("x.gis", c.bytes);
    EXPECT_EQ(QoLoadExtension(path.c_str(), nullptr), c.result);
    EXPECT_EQ(QoError(), c.error);
    ASSERT_EQ(QoQoCount(), c.result);
    if (c.result) {
      EXPECT_EQ(At(0).TimetableId, 0u);
      EXPECT_NE(At(0).Gis, nullptr);
      EXPECT_EQ(QoVerifyCrc(0, nullptr), 0);  // the record has no image of its own
      EXPECT_EQ(QoError(), ErrNotLoaded);
    }
  }
}

TEST_F(Extensions, CrcOfLoadedTimetablesAndOfImages) {
  w::WrittenFile file = w::WriteTimetable(SmallModel(1));
  ASSERT_EQ(Load({dir_.Save("good.qo", file.bytes), dir_.Save("bad.qo", w::BreakCrc(file))}), 2);
  const uint32_t stored = LoadLE<uint32_t>(file.bytes.data() + file.bytes.size() - 4);
  int const good = At(0).FilePath == dir_ / "good.qo" ? 0 : 1;
  int crc = 0;
  EXPECT_EQ(QoVerifyCrc(good, &crc), 1);
  EXPECT_EQ(static_cast<uint32_t>(crc), stored);
  EXPECT_EQ(QoVerifyCrc(1 - good, &crc), 0) << "a damaged checksum still loads";
  EXPECT_EQ(static_cast<uint32_t>(crc), stored) << "the content is the same";
  EXPECT_EQ(QoVerifyCrc(2, &crc), 0);
  EXPECT_EQ(QoError(), ErrTimetableIndex);

  // Images of 4 bytes or fewer hold no checksum.
  for (int32_t size : {0, 1, 4}) {
    ArrayHandle image = nullptr;
    AllocArray(&image, size, 1);
    crc = 123;
    EXPECT_EQ(QoVerifyBuffer(image, &crc), 0) << size;
    EXPECT_EQ(crc, 0);
    EXPECT_EQ(QoError(), ErrNotLoaded);
    FreeArray(&image);
  }
  EXPECT_EQ(QoVerifyBuffer(nullptr, nullptr), 0);
  EXPECT_EQ(QoError(), ErrNotLoaded);

  // A byte and its CRC-32 make the smallest sound image.
  ArrayHandle image = nullptr;
  AllocArray(&image, 5, 1);
  image[0] = 'a';
  StoreLE<uint32_t>(image + 1, 0xE8B7BE43);  // CRC-32 of "a"
  EXPECT_EQ(QoVerifyBuffer(image, nullptr), 1);
  FreeArray(&image);
}

TEST_F(Extensions, CloseAndNetworkQueriesCheckTheIndex) {
  ASSERT_EQ(Load({dir_.Write("t.qo", SmallModel(1))}), 1);
  EXPECT_EQ(QoLoadedFromNetwork(0), 0);
  for (int bad : {-1, 1}) {
    EXPECT_EQ(QoLoadedFromNetwork(bad), 0);
    EXPECT_EQ(QoError(), ErrTimetableIndex);
    EXPECT_EQ(QoCloseQo(bad, 1), 0);
    EXPECT_EQ(QoError(), ErrTimetableIndex);
  }
  QoCloseData();
  QoCloseData();  // on an empty set: nothing
  EXPECT_EQ(QoQoCount(), 0);
  EXPECT_EQ(QoPeekError(), 0);
}

}  // namespace
}  // namespace qo::test
