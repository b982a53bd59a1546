#include "shell/timetable_dialogs_model.h"

#include <gtest/gtest.h>

namespace vemo {
namespace {

TEST(TimetableChoice, RowsAndChosen) {
  std::vector<TimetableFileEntry> entries(3);
  entries[0].name = "Vlaky";
  entries[0].dates[3] = {14, 12, 2025};
  entries[1].name = "Vlaky";
  entries[1].dates[3] = {5, 7, 2026};
  entries[2].name = "Autobusy";
  EXPECT_EQ(ChoiceRowTexts(entries),
            (std::vector<std::string>{"Vlaky (14.12.2025)", "Vlaky (05.07.2026)", "Autobusy"}));
  EXPECT_EQ(ChosenRows({false, true, true}, {true, false, false}), (std::vector<int>{1, 2}));
  EXPECT_EQ(ChosenRows({false, false, false}, {true, false, true}), (std::vector<int>{0, 2}));
  EXPECT_TRUE(ChosenRows({false, false}, {false, false}).empty());
}

TEST(TimetableInformation, Texts) {
  TimetableFacts facts;
  facts.name = "Železnice";
  facts.description = "Vzorová data|http://example.cz/jr info|Platí celý rok";
  facts.first_day = facts.data_from = {14, 12, 2025};
  facts.last_day = facts.data_to = {12, 12, 2026};
  facts.created = {1, 12, 2025};
  facts.id = 0x3E9;
  facts.path = "/data/rail.qo";
  TimetableInfoTexts texts = MakeTimetableInfoTexts(facts);
  EXPECT_EQ(texts.caption, "Železnice");
  EXPECT_EQ(texts.description, "Vzorová data\nPlatí celý rok");
  EXPECT_EQ(texts.link, "http://example.cz/jr");
  EXPECT_EQ(texts.validity, "14.12.2025 - 12.12.2026");
  EXPECT_EQ(texts.data_validity, "");
  EXPECT_EQ(texts.created, "1.12.2025 [     3e9]");
  EXPECT_EQ(texts.files, "/data/rail.qo");

  facts.data_to = {31, 12, 2026};
  facts.description = "Jen text";
  facts.extensions = {"/data/rail.qof"};
  facts.resource_path = "/data/rail.res";
  texts = MakeTimetableInfoTexts(facts);
  EXPECT_EQ(texts.data_validity, "14.12.2025 - 31.12.2026");
  EXPECT_EQ(texts.link, "");
  EXPECT_EQ(texts.files, "/data/rail.qo\n/data/rail.qof\n/data/rail.res");
}

}  // namespace
}  // namespace vemo
