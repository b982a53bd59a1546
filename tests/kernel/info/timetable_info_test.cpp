// What the kernel tells of a loaded timetable: the information record,
// kind, languages, decorations, attached files and validity.
#include "info/timetable_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Qo.h"
#include "frame/error_codes.h"
#include "kernel/loading/loading_test_support.h"
#include "writer/model_text.h"

namespace qo::test {
namespace {

std::string Cp(std::string const& utf8) { return w::ToCp1250(utf8, "expected text"); }

std::vector<std::string> Texts(char** texts, int n) {
  std::vector<std::string> out;
  for (int i = 0; i < n; ++i) out.push_back(texts[i] ? texts[i] : "(null)");
  return out;
}

std::string Date(DMY_REC const& d) {
  return std::to_string(d.day) + "." + std::to_string(d.month) + "." + std::to_string(d.year);
}

// A rail timetable with every field of the record set, the decoration in
// two of its three languages.
w::TimetableModel FullModel() {
  w::TimetableModel m = SmallModel(1001, 1, 3, 3);
  m.variant = 7;
  m.languages = "CEG";
  m.names = {"Železnice 2025", "Railways 2025", "Eisenbahn 2025"};
  m.decorations = {"Vzorová data", "", "Beispieldaten"};
  m.descriptions = {"Vzorový řád|Platí celý rok", "Sample|All year", "Beispiel"};
  m.code = "ZJR25";
  m.resource_name = "zjr25.dll";
  m.creation_date = w::DayNumberOf(2024, 11, 30);
  m.data_from = w::DayNumberOf(2024, 12, 15);
  m.data_to = w::DayNumberOf(2025, 12, 13);
  m.first_day = w::DayNumberOf(2025, 1, 1);
  m.last_day = w::DayNumberOf(2025, 6, 30);
  m.stations[0].remark = "{I}a.htm";
  m.stations[1].change_time = 4;
  m.trains[0].stops[1].distance = 12000;
  m.trains[0].stops[0].distance = 0;
  m.station_remarks = {{.station = 1, .code = "A", .text = {"Zastavuje na znamení"}}};
  return m;
}

using TimetableInformation = LoadingTest;

TEST_F(TimetableInformation, TheRecordDescribesTheTimetable) {
  std::string path = dir_.Write("rail.qo", FullModel());
  w::TimetableModel plain = SmallModel(2, 2, 0, 2);
  plain.first_day = w::DayNumberOf(2026, 1, 1);
  plain.last_day = w::DayNumberOf(2026, 1, 31);
  ASSERT_EQ(Load({path, dir_.Write("plain.qo", plain)}), 2);
  int const r = At(0).TimetableId == 1001 ? 0 : 1;

  TIMETABLEINFO_REC* info = QoQoInfo(r);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(std::string(info->path), path);
  EXPECT_EQ(info->id, 1001);
  EXPECT_EQ(info->kind, 1);
  EXPECT_EQ(info->area, 3);
  EXPECT_EQ(info->variant, 7);
  EXPECT_EQ(Date(info->created), "30.11.2024");
  EXPECT_EQ(Date(info->data_from), "15.12.2024");
  EXPECT_EQ(Date(info->data_to), "13.12.2025");
  EXPECT_EQ(Date(info->first_day), "1.1.2025");
  EXPECT_EQ(Date(info->last_day), "30.6.2025");
  ASSERT_EQ(info->language_count, 3);
  EXPECT_STREQ(info->letters, "CEG");
  EXPECT_EQ(Texts(info->names, 3),
            (std::vector<std::string>{Cp("Železnice 2025"), "Railways 2025", "Eisenbahn 2025"}));
  EXPECT_EQ(
      Texts(info->descriptions, 3),
      (std::vector<std::string>{Cp("Vzorový řád|Platí celý rok"), "Sample|All year", "Beispiel"}));
  EXPECT_EQ(Texts(info->decorations, 3),
            (std::vector<std::string>{Cp("Vzorová data"), Cp("Vzorová data"), "Beispieldaten"}));
  EXPECT_EQ(std::string(info->code, 8), std::string("ZJR25\0\0\0", 8));
  EXPECT_EQ(info->station_count, 3);
  EXPECT_EQ(info->train_count, 1);
  EXPECT_EQ(info->has_distances, 1);
  EXPECT_EQ(info->has_station_remarks, 1);
  EXPECT_EQ(info->has_train_station_remarks, 1);
  EXPECT_EQ(info->has_change_times, 1);

  // One record for every call, rebuilt for the timetable asked for.
  TIMETABLEINFO_REC* other = QoQoInfo(1 - r);
  EXPECT_EQ(other, info);
  EXPECT_EQ(info->id, 2);
  EXPECT_EQ(info->kind, 2);
  EXPECT_EQ(Texts(info->decorations, 1), std::vector<std::string>{"(null)"});
  EXPECT_EQ(info->has_distances + info->has_station_remarks + info->has_train_station_remarks +
                info->has_change_times,
            0);
  EXPECT_EQ(Date(info->first_day), "1.1.2026");

  QoSetDia(4);
  EXPECT_STREQ(QoQoInfo(r)->names[0], "Zeleznice 2025");
  QoSetDia(3);
  EXPECT_EQ(QoQoInfo(2), nullptr);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
}

TEST_F(TimetableInformation, KindLanguagesAndDecorations) {
  w::TimetableModel m = FullModel();
  m.decorations = {std::string(100, 'D'), "", "Beispieldaten"};
  ASSERT_EQ(Load({dir_.Write("rail.qo", m), dir_.Write("plain.qo", SmallModel(2, 4, 9, 2))}), 2);
  int const r = At(0).TimetableId == 1001 ? 0 : 1, p = 1 - r;

  int area = -1;
  EXPECT_EQ(QoTrCategory(p, &area), 4);
  EXPECT_EQ(area, 9);
  EXPECT_EQ(QoTrCategory(r, nullptr), 1);
  EXPECT_EQ(QoTrCategory(2, &area), 0);
  EXPECT_EQ(QoError(), ErrTimetableIndex);

  struct Case {
    char letter;
    int index;
  };
  for (Case c : {Case{'C', 0}, Case{'E', 1}, Case{'G', 2}, Case{'P', 0}, Case{'e', 0}})
    EXPECT_EQ(QoGetLangIndex(r, c.letter), c.index) << c.letter;
  EXPECT_EQ(QoGetLangIndex(-1, 'E'), 0);
  EXPECT_EQ(QoError(), ErrTimetableIndex);

  EXPECT_EQ(std::string(QoGetDecoration(r, 0)), std::string(79, 'D'));
  EXPECT_EQ(std::string(QoGetDecoration(r, 1)), std::string(79, 'D')) << "language 0's";
  EXPECT_STREQ(QoGetDecoration(r, 2), "Beispieldaten");
  EXPECT_STREQ(QoGetDecoration(p, 0), "");
  EXPECT_EQ(QoError(), 0);
  EXPECT_EQ(QoGetDecoration(r, 3), nullptr);
  EXPECT_EQ(QoError(), ErrLanguageIndex);
  EXPECT_EQ(QoGetDecoration(p, -1), nullptr);
  EXPECT_EQ(QoError(), ErrLanguageIndex);
  EXPECT_EQ(QoGetDecoration(2, 0), nullptr);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
}

TEST_F(TimetableInformation, AttachedFilesAndTheResourceLibrary) {
  w::TimetableModel m = SmallModel(1);
  m.extension_names = {"t.qof", "t.gis", "t.qok", "t.qmap"};
  m.resource_name = "zjr.dll";
  dir_.Save("t.qof", w::WriteExtension({.type = w::ExtensionType::kFares}).bytes);
  dir_.Save("t.gis", w::WriteExtension({.type = w::ExtensionType::kGis}).bytes);
  dir_.Save("t.qok", w::WriteExtension({.type = w::ExtensionType::kStationKeys}).bytes);
  dir_.Save("t.qmap", w::WriteExtension({.type = w::ExtensionType::kQMap}).bytes);
  ASSERT_EQ(Load({dir_.Write("t.qo", m), dir_.Write("u.qo", SmallModel(2))}), 2);
  int const t = At(0).TimetableId == 1 ? 0 : 1;
  ASSERT_EQ(At(t).LoadedExtensions.size(), 4u);

  char** list = nullptr;  // an empty out still receives the list
  ASSERT_EQ(QoGetExtensions(t, &list), 4);
  ASSERT_NE(list, nullptr);
  std::vector<int> types;
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(std::string(list[i]), At(t).LoadedExtensions[static_cast<size_t>(i)]);
    types.push_back(QoGetExtensionType(t, i));
  }
  EXPECT_EQ(types, (std::vector<int>{2, 3, 4, 0}));
  EXPECT_EQ(QoGetExtensions(t, nullptr), 4);
  list = reinterpret_cast<char**>(&m);
  EXPECT_EQ(QoGetExtensions(1 - t, &list), 0);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(QoGetExtensionType(t, 4), 0);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);
  EXPECT_EQ(QoGetExtensionType(t, -1), 0);
  EXPECT_EQ(QoError(), ErrIndexOutOfRange);
  EXPECT_EQ(QoGetExtensions(2, &list), 0);
  EXPECT_EQ(QoError(), ErrTimetableIndex);

  EXPECT_EQ(std::string(QoGetResExtension(t)), dir_ / "zjr.dll");
  EXPECT_EQ(QoGetResExtension(2), nullptr);
  EXPECT_EQ(QoError(), ErrTimetableIndex);
  struct Case {
    char const* file;
    char const* resource;
  };
  for (Case c : {Case{"C:\\data\\rail.qo", "C:\\data\\zjr.dll"},
                 Case{"d/x\\rail.qo", "d/x\\zjr.dll"}, Case{"rail.qo", "zjr.dll"}}) {
    TimetableRecord record;
    record.FilePath = c.file;
    record.ResourceName = "zjr.dll";
    EXPECT_EQ(ResourcePath(record), c.resource);
  }
}

TEST_F(TimetableInformation, ValidityOverTimetablesOfAKind) {
  DMY_REC from{9, 9, 9}, to{9, 9, 9};
  QoGetValidityRange(0, 0, &from, &to);
  EXPECT_EQ(Date(from) + " " + Date(to), "0.0.0 0.0.0");

  auto model = [](uint32_t id, uint8_t kind, uint8_t area, uint16_t first, uint16_t last) {
    w::TimetableModel m = SmallModel(id, kind, area, 2);
    m.first_day = first;
    m.last_day = last;
    return m;
  };
  ASSERT_EQ(
      Load({dir_.Write("a.qo",
                       model(1, 1, 0, w::DayNumberOf(2025, 3, 1), w::DayNumberOf(2025, 5, 31))),
            dir_.Write("b.qo",
                       model(2, 1, 0, w::DayNumberOf(2025, 1, 1), w::DayNumberOf(2025, 4, 30))),
            dir_.Write("c.qo",
                       model(3, 1, 2, w::DayNumberOf(2024, 1, 1), w::DayNumberOf(2024, 1, 2))),
            dir_.Write("d.qo",
                       model(4, 3, 0, w::DayNumberOf(2025, 1, 1), w::DayNumberOf(2026, 12, 31)))}),
      4);
  struct Case {
    int kind, area;
    char const* range;
  };
  const Case cases[] = {
      {1, 0, "1.1.2025 31.5.2025"},
      {1, 2, "1.1.2024 2.1.2024"},
      {0, 7, "1.1.2024 31.12.2026"},  // every timetable, whatever the area
      {2, 0, "0.0.0 0.0.0"},
  };
  for (Case const& c : cases) {
    QoGetValidityRange(c.kind, c.area, &from, &to);
    EXPECT_EQ(Date(from) + " " + Date(to), c.range) << c.kind << " " << c.area;
  }
  QoGetValidityRange(1, 0, nullptr, &to);
  EXPECT_EQ(Date(to), "31.5.2025");
}

}  // namespace
}  // namespace qo::test
