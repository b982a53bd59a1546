#include "shell/text_formats.h"

#include <gtest/gtest.h>

#include <vector>

#include "shell/program_dates.h"
#include "shell/string_table.h"
#include "shell/text_fields.h"

namespace vemo {
namespace {

TEST(StringTable, LookupAndInserts) {
  EXPECT_TRUE(StringTableIsSorted());
  EXPECT_EQ(LoadResString(4006), "Iitem ID ");
  EXPECT_EQ(LoadResString(4002), "Presets\\%d\\%d\\%d");
  EXPECT_EQ(LoadResString(1), "");
  EXPECT_EQ(GetResStringChar(500), 'C');
  EXPECT_EQ(GetResStringChar(600), 'E');
  EXPECT_EQ(GetResStringChar(1), 0);
  EXPECT_EQ(FormatResString(378, {"Vlaky", "12.12.2026"}),
            "Jízdní řád 'Vlaky' platí pouze do 12.12.2026.\nMá se přesto zavést ?  ");
  EXPECT_EQ(FormatInserts("%2!d!/%1!d!/%3!d! %4", {5, 12, 2026, "x"}), "12/5/2026 x");
  EXPECT_EQ(FormatInserts("%1!02d!-%1%%", {7}), "07-7%");
  // Conversions without an argument, or of another kind, read nothing.
  EXPECT_EQ(FormatText("%d|%s|%d", {1}), "1||");
  EXPECT_EQ(FormatText("%s:%02d", {int64_t{8}, int64_t{5}}), "8:05");
  EXPECT_EQ(FormatText("%x %c %5", {255, 'A'}), "ff A %5");
  EXPECT_EQ(FormatInserts("%3!d! %9", {1}), " ");
}

TEST(TextFormats, TimesDurationsDistances) {
  EXPECT_EQ(FormatTimeOfDay(5), "0:05");
  EXPECT_EQ(FormatTimeOfDay(1440), "24:00");
  EXPECT_EQ(FormatTimeOfDay(-1), "");
  EXPECT_EQ(FormatTimeOfDay(1441), "");

  EXPECT_EQ(FormatDuration(45, false, 0), "45 min");
  EXPECT_EQ(FormatDuration(120, false, 0), "2 hod");
  EXPECT_EQ(FormatDuration(125, false, 0), "2 hod 5 min");
  EXPECT_EQ(FormatDuration(0, false, 0), "");
  EXPECT_EQ(FormatDuration(0, true, 0), "0 min");
  EXPECT_EQ(FormatDuration(-5, true, 0), "");
  EXPECT_EQ(FormatDuration(125, false, 1), "2 hours 5 min.");

  EXPECT_EQ(FormatDistance(3000), "3 km");
  EXPECT_EQ(FormatDistance(3500), "3500 m");
  EXPECT_EQ(FormatDistance(0), "");
  EXPECT_EQ(FormatKilometres(62300, 1), "62.3");
  EXPECT_EQ(FormatKilometres(62300, 0), "62");
  EXPECT_EQ(FormatKilometres(-1, 2), "");

  struct Case {
    std::vector<int> metres;
    int decimals;
  };
  Case const cases[] = {{{1000, 25000}, 0}, {{1500}, 1}, {{1230, 1000}, 2}, {{1234}, 3}, {{1}, 3}};
  for (Case const& c : cases) EXPECT_EQ(GetKmDecimals(c.metres), c.decimals) << c.metres[0];
  EXPECT_FALSE(HasDistances(std::vector<int>{0, 0}));
  EXPECT_TRUE(HasDistances(std::vector<int>{0, 10}));
}

TEST(TextFormats, Dates) {
  int day = DmyToDayNumber(14, 12, 2025);
  EXPECT_EQ(FormatDayNumberText(day), "14.12.2025");
  EXPECT_EQ(FormatDayMonth(day), "14.12.");
  EXPECT_EQ(FormatDmy(5, 3, 2026, "So", 0), "5.3.2026 So");
  EXPECT_EQ(FormatDmy(5, 3, 2026, "", 1), "3/5/2026");
  EXPECT_EQ(FormatValidity(day, day + 1, 0), "platí od 14.12.2025 do 15.12.2025");
  EXPECT_EQ(FormatValidity(day, 0, 1), "valid from 14.12.2025");
  EXPECT_EQ(FormatValidity(0, day, 0), "");
}

TEST(TextFormats, ShiftSearchDay) {
  int day = 100, mask = 0x40;
  ShiftSearchDay(&day, 2, &mask, true, 1);
  EXPECT_EQ(mask, 0x01);
  EXPECT_EQ(day, 100);
  ShiftSearchDay(&day, 2, &mask, true, -1);
  EXPECT_EQ(mask, 0x40);
  mask = 0x03;
  ShiftSearchDay(&day, 2, &mask, true, -8);
  EXPECT_EQ(mask, 0x41);
  ShiftSearchDay(&day, 2, &mask, false, -3);
  EXPECT_EQ(day, 97);
}

TEST(TextFields, FieldsAndLabels) {
  std::string text = "a|bb||d";
  EXPECT_EQ(CountFields(text), 4);
  EXPECT_EQ(CountFields(""), 1);
  EXPECT_EQ(GetField(text, 1), "bb");
  EXPECT_EQ(GetField(text, 2), "");
  EXPECT_EQ(GetField(text, 3), "d");
  EXPECT_EQ(GetField(text, 4), "");
  EXPECT_EQ(GetField(text, -1), "");
  size_t position = 0;
  std::vector<std::string> walked;
  while (position < text.size()) walked.push_back(NextField(text, &position));
  EXPECT_EQ(walked, (std::vector<std::string>{"a", "bb", "", "d"}));

  EXPECT_EQ(CountDigitRuns("R 12 a 3-45"), 3);
  EXPECT_EQ(LeftOfLast("a.b.c", '.'), "a.b");
  EXPECT_EQ(LeftOfLast("abc", '.'), "abc");
  EXPECT_EQ(LeftOfFirst("a.b.c", '.'), "a");
  EXPECT_EQ(LeftOfFirst("abc", '.'), "");
  EXPECT_EQ(RightOfFirst("a.b.c", '.'), "b.c");
  EXPECT_EQ(RightOfFirst("abc", '.'), "");

  EXPECT_TRUE(HasColonLabel("Od: Praha"));
  EXPECT_EQ(GetColonLabel(" Od : Praha "), "Od");
  EXPECT_EQ(GetColonValue(" Od : Praha "), "Praha ");
  EXPECT_FALSE(HasColonLabel(":Praha"));
  EXPECT_EQ(GetColonLabel(":Praha"), ":Praha");
  EXPECT_EQ(GetColonValue(":Praha"), ":Praha");
  EXPECT_FALSE(HasColonLabel(""));

  EXPECT_EQ(NamePart("C:\\data\\rail.qo"), "rail.qo");
  EXPECT_EQ(NamePart("/home/u/data/bus.qo"), "bus.qo");
  EXPECT_EQ(NamePart("bus.qo"), "bus.qo");
}

}  // namespace
}  // namespace vemo
