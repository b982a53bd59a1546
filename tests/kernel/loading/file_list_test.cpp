// The list of timetable files: the depth rule, what an entry shows, both
// orders.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "kernel/loading/loading_test_support.h"
#include "text/cp1250.h"

namespace qo::test {
namespace {

std::vector<std::string> ListedPaths(std::string const& pattern, int depth, int decoration = 0) {
  TIMETABLEFILE_REC* list = nullptr;
  int n = QoMakeListExt(pattern.c_str(), 'C', &list, depth, decoration);
  std::vector<std::string> paths;
  for (int i = 0; i < n; ++i) paths.push_back(list[i].path);
  return paths;
}

using FileList = LoadingTest;

TEST_F(FileList, SubdirectoriesAreSearchedUntilALevelFindsFiles) {
  dir_.MakeDirectory("root/a");
  std::string y = dir_.Write("root/a/deep/y.qo", SmallModel(1));
  std::string z = dir_.Write("root/b/z.qo", SmallModel(2));
  dir_.Write("root/b/sub/w.qo", SmallModel(3));
  struct Case {
    int depth;
    std::vector<std::string> found;
  };
  const Case cases[] = {{0, {}}, {1, {z}}, {2, {y, z}}, {3, {y, z}}};
  for (Case const& c : cases) {
    EXPECT_EQ(ListedPaths(dir_ / "root/*.qo", c.depth), c.found) << "depth " << c.depth;
  }
  // '\' separates, and the mask ignores case.
  std::string windows = dir_ / "root\\B\\*.QO";
  std::replace(windows.begin(), windows.end(), '/', '\\');
  EXPECT_EQ(ListedPaths(windows, 0), std::vector<std::string>{z});
}

TEST_F(FileList, EntriesShowNameDecorationDatesAndDescription) {
  w::TimetableModel m = SmallModel(9, 2, 3);
  m.languages = "CE";
  m.names = {"Jízdní řád", "Timetable"};
  m.decorations = {"ČD", "CD"};
  m.description = "Popis";
  m.description_value = 77;
  m.data_from = w::DayNumberOf(2025, 2, 3);
  std::string path = dir_.Write("list/t.qo", m);
  w::TimetableModel old = SmallModel(10);
  old.format_version = 1;
  dir_.Write("list/u.qo", old);
  dir_.Save("list/junk.qo", std::vector<uint8_t>(300, 'x'));
  dir_.Write("list/.hidden.qo", SmallModel(11));
  std::string pattern = dir_ / "list/*.qo";

  TIMETABLEFILE_REC* list = nullptr;
  ASSERT_EQ(QoMakeListExt(pattern.c_str(), 'E', &list, 0, 1), 2);
  const TIMETABLEFILE_REC& t = list[1].id == 9 ? list[1] : list[0];
  const TIMETABLEFILE_REC& u = list[1].id == 9 ? list[0] : list[1];
  EXPECT_EQ(t.path, path);
  EXPECT_STREQ(t.name, "CD - Timetable");
  EXPECT_EQ(t.kind, 2);
  EXPECT_EQ(t.area, 3);
  EXPECT_EQ(t.dates[1].day, 3);
  EXPECT_EQ(t.dates[1].month, 2);
  EXPECT_EQ(t.dates[1].year, 2025);
  ASSERT_NE(t.description, nullptr);
  EXPECT_STREQ(t.description, "Popis");
  EXPECT_EQ(t.description_value, 77);
  EXPECT_EQ(u.description, nullptr) << "format 1 has no description block";

  struct Case {
    char language;
    int decoration;
    char const* name;  // UTF-8
    bool description;
  };
  const Case cases[] = {
      {'C', 0, "Jízdní řád", true},
      {'G', 1, "ČD - Jízdní řád", true},  // no German: the first language
      {'E', -1, "CD - Timetable", false},
  };
  for (Case const& c : cases) {
    ASSERT_EQ(QoMakeListExt(pattern.c_str(), c.language, &list, 0, c.decoration), 2);
    const TIMETABLEFILE_REC& entry = list[0].id == 9 ? list[0] : list[1];
    EXPECT_EQ(entry.name, Utf8ToCp1250(c.name)) << c.language << c.decoration;
    EXPECT_EQ(entry.description != nullptr, c.description) << c.language << c.decoration;
  }

  // Names cross in the text mode.
  QoSetDia(4);
  ASSERT_EQ(QoMakeListExt(pattern.c_str(), 'C', &list, 0, 0), 2);
  QoSetDia(3);
  EXPECT_STREQ((list[0].id == 9 ? list[0] : list[1]).name, "Jizdni rad");
}

TEST_F(FileList, BothOrders) {
  auto model = [](uint32_t id, uint8_t kind, uint8_t area, char const* decoration) {
    w::TimetableModel m = SmallModel(id, kind, area);
    if (*decoration) m.decorations = {decoration};
    return m;
  };
  dir_.Write("s/p1.qo", model(1, 2, 0, ""));
  dir_.Write("s/p2.qo", model(2, 1, 1, ""));
  dir_.Write("s/p3.qo", model(3, 1, 0, "Zeta"));
  dir_.Write("s/p4.qo", model(4, 3, 0, ""));
  auto ids = [&]() {
    TIMETABLEFILE_REC* list = nullptr;
    int n = QoMakeListExt((dir_ / "s/*.qo").c_str(), 'C', &list, 0, 1);
    std::vector<int> out;
    for (int i = 0; i < n; ++i) out.push_back(list[i].id);
    return out;
  };
  // A decorated name ("Zeta - ...") groups with city transport.
  EXPECT_EQ(ids(), (std::vector<int>{2, 1, 3, 4}));
  EXPECT_EQ(QoNameCompare(1), 1);
  EXPECT_EQ(ids(), (std::vector<int>{2, 1, 4, 3}));
  EXPECT_EQ(QoNameCompare(0), 0);
}

TEST_F(FileList, LoadedSetSortsInBothOrders) {
  auto model = [](uint32_t id, uint8_t kind, uint8_t area, uint16_t from, char const* decoration) {
    w::TimetableModel m = SmallModel(id, kind, area);
    m.data_from = from;
    if (*decoration) m.decorations = {decoration};
    return m;
  };
  const uint16_t d1 = w::DayNumberOf(2025, 1, 1), d2 = w::DayNumberOf(2025, 6, 1);
  std::vector<std::string> paths = {
      dir_.Write("a_bus.qo", model(1, 2, 0, d1, "")),
      dir_.Write("b_rail.qo", model(2, 1, 1, d1, "Zebra")),
      dir_.Write("c_rail.qo", model(3, 1, 0, d2, "")),
      dir_.Write("d_rail.qo", model(4, 1, 0, d1, "Alpha")),
      dir_.Write("e_city.qo", model(5, 3, 0, d1, "")),
  };
  auto ids = []() {
    std::vector<uint32_t> out;
    for (int i = 0; i < QoQoCount(); ++i) out.push_back(TimetableAt(i)->TimetableId);
    return out;
  };
  ASSERT_EQ(Load(paths), 5);
  EXPECT_EQ(ids(), (std::vector<uint32_t>{4, 3, 2, 1, 5}));  // kind, area, first day, path

  Clear();
  QoNameCompare(1);
  ASSERT_EQ(Load(paths), 5);
  // Kind for the undecorated, group 3 for the decorated (by decoration),
  // an undecorated city timetable after them.
  EXPECT_EQ(ids(), (std::vector<uint32_t>{3, 1, 4, 2, 5}));
}

}  // namespace
}  // namespace qo::test
