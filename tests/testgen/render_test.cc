// Whole generations, from 作成 in the dialog to the written test sheet and the bank's counts.
#include "testgen/render.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "settings/settings_file.h"
#include "support/sheet_dump.h"
#include "testgen/generation_fixture.h"

namespace tarquel::testgen {
namespace {

using host::BorderIndex;
using host::LineStyle;
using testing::MessageRecord;

class RenderTest : public testing::GenerationTest {
 protected:
  // The bank row whose question stands in `cell` of the test sheet.
  int BankRowOf(host::Worksheet& test, const std::string& cell) {
    const std::string text = test.Range(cell).Value().AsText();
    for (int row = 1; row <= 1000; ++row) {
      if (bank_->Cells(row, 4).Value().AsText() == text) return row;
    }
    return 0;
  }
};

TEST_F(RenderTest, AThreePageTestOnTheFortySheet) {
  testing::FillNumberedBank(*bank_, std::vector<int>(100, 1));
  MakeTest("1", "100", "100", "1234", true);
  host::Worksheet* test = Sheet(true);
  ASSERT_NE(test, nullptr);
  EXPECT_EQ(test->Range("U1").Text(), "No.1");
  EXPECT_EQ(test->Range("U9").Value().AsText(), "2");
  EXPECT_EQ(test->Range("U17").Text(), "No.3");
  for (const char* cell : {"U8", "U16", "U24"}) {
    EXPECT_EQ(test->Range(cell).Value().AsText(), "1234[1-100]100") << cell;
  }
  EXPECT_TRUE(test->Range("U25").Value().IsEmpty());
  EXPECT_EQ(test->PrintArea(), "$A$1:$U$24");
  EXPECT_EQ(test->Range("U2").Value().AsText(), "ミラヴォ 同音・同訓");
  EXPECT_EQ(test->Range("U11").Value().AsText(), "制限時間５分") << "page 1 copied to page 2";
  // 100 questions: two full pages, and 20 on the upper band of page 3.
  EXPECT_FALSE(test->Range("A18").Value().IsEmpty());
  EXPECT_TRUE(test->Range("T22").Value().IsEmpty());
  EXPECT_EQ(test->Range("T22").Borders(BorderIndex::kEdgeBottom).LineStyle(),
            LineStyle::kContinuous);
  EXPECT_EQ(test->page_setup().orientation, host::PageOrientation::kLandscape);
  EXPECT_FALSE(test->view().show_gridlines);
  EXPECT_EQ(ui_.TakeMessages(), std::vector<MessageRecord>{});
  EXPECT_EQ(std::get<testing::SoundRecord>(ui_.log().back()).sound, host::SystemSound::kBeep);
  EXPECT_EQ(&app_.ActiveSheet(), test);
}

TEST_F(RenderTest, AFirstGroupOfFourTakesTheRightmostSlotsUnderItsOrdinal) {
  testing::FillNumberedBank(*bank_, {4});
  MakeTest("1", "2", "1", "77", false);
  host::Worksheet* test = Sheet(false);
  ASSERT_NE(test, nullptr);
  std::vector<int> rows;
  for (const char* cell : {"T2", "S2", "R2", "Q2"}) rows.push_back(BankRowOf(*test, cell));
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_TRUE(test->Range("P2").Value().IsEmpty());
  EXPECT_EQ(test->Range("R1").MergeArea().Address(), "$Q$1:$T$1");
  EXPECT_EQ(test->Range("Q1").Value().AsText(), "1");
  EXPECT_EQ(test->Range("Q1:T1").Borders(BorderIndex::kEdgeTop).LineStyle(),
            LineStyle::kContinuous);
  host::Range t2 = test->Range("T2");
  EXPECT_EQ(t2.Orientation(), host::Orientation::kVertical);
  EXPECT_EQ(t2.VerticalAlignment(), host::VerticalAlignment::kTop);
  EXPECT_TRUE(t2.ShrinkToFit());
  EXPECT_EQ(test->Range("U4").Value().AsText(), "77[1-1]1") << "range and count clamped";
  EXPECT_EQ(test->Range("U2").Value().AsText(), "ミラヴォ 同音・同訓　   制限時間３分");
  EXPECT_EQ(test->Range("U2").Characters(1, 9).Font().FontStyle(), "太字");
  EXPECT_EQ(test->Range("U3").Value().AsText(), "氏名　　　　　　　　　　得点");
}

TEST_F(RenderTest, AGroupThatDoesNotFitStartsTheNextBand) {
  testing::FillNumberedBank(*bank_, {12, 9, 8});
  MakeTest("1", "3", "3", "5", false, [](UserForm1& f) { f.Toggle(f.CBox); });
  host::Worksheet* test = Sheet(false);
  ASSERT_NE(test, nullptr);
  EXPECT_EQ(body().generation.test_page_count, 2);
  // Whichever order the groups came in, each band starts at column T, no group is split and
  // a group that does not fit leaves the rest of its band empty.
  auto used = [&](int row) {
    int count = 0;
    for (int column = 1; column <= 20; ++column)
      count += !test->Cells(row, column).Value().IsEmpty();
    return count;
  };
  EXPECT_FALSE(test->Range("T2").Value().IsEmpty());
  EXPECT_FALSE(test->Range("T6").Value().IsEmpty());
  EXPECT_EQ(used(2) + used(6), 29);
  const std::set<std::pair<int, int>> possible{{12, 17}, {20, 9}, {9, 20}, {17, 12}};
  EXPECT_TRUE(possible.contains({used(2), used(6)})) << used(2) << "/" << used(6);
  EXPECT_EQ(test->PrintArea(), "$A$1:$U$8");
}

TEST_F(RenderTest, EveryQuestionSetIsCountedInTheBank) {
  testing::FillBank(
      *bank_, {{"a", "問1", "答1", {}, "abc"}, {"b", "問2", "答2", {}, "3"}, {"c", "問3", "答3"}});
  MakeTest("1", "3", "3", "9", true);
  EXPECT_EQ(bank_->Range("Q1").Value().AsText(), "1") << "a text is replaced by 1";
  EXPECT_EQ(bank_->Range("Q2").Value().AsText(), "4");
  EXPECT_EQ(bank_->Range("Q3").Value().AsText(), "1");
}

TEST_F(RenderTest, TheTestEndsWhereTheLineUnderTheQuestionsEnds) {
  testing::FillNumberedBank(*bank_, std::vector<int>(25, 1));
  MakeTest("1", "25", "25", "3", false);
  host::Worksheet* test = Sheet(false);
  for (int column = 1; column <= 20; ++column) {
    EXPECT_EQ(test->Cells(2, column).Borders(BorderIndex::kEdgeBottom).LineStyle(),
              LineStyle::kContinuous);
    EXPECT_EQ(test->Cells(6, column).Borders(BorderIndex::kEdgeBottom).LineStyle(),
              LineStyle::kContinuous)
        << "also in the empty slots of the last page";
    EXPECT_EQ(test->Cells(10, column).Borders(BorderIndex::kEdgeBottom).LineStyle(),
              LineStyle::kNone);
  }
}

TEST_F(RenderTest, ASmallerTestClearsWhatTheLargerOneLeftBelow) {
  testing::FillNumberedBank(*bank_, std::vector<int>(60, 1));
  MakeTest("1", "60", "60", "11", false);
  host::Worksheet* test = Sheet(false);
  ASSERT_FALSE(test->Range("T10").Value().IsEmpty());
  ASSERT_TRUE(test->Range("T9").MergeCells() || !test->Range("T9").Value().IsEmpty());
  MakeTest("1", "60", "5", "11", false);
  EXPECT_EQ(test->PrintArea(), "$A$1:$U$4");
  EXPECT_TRUE(test->Range("T10").Value().IsEmpty());
  EXPECT_TRUE(test->Range("U5").Value().IsEmpty());
  EXPECT_FALSE(test->Range("T9").MergeCells());
  EXPECT_EQ(test->Range("T10").Borders(BorderIndex::kEdgeBottom).LineStyle(), LineStyle::kNone);
  EXPECT_EQ(test->Range("U2").Value().AsText(), "ミラヴォ 同音・同訓　   制限時間３分")
      << "the side column of page 1 stays";
}

TEST_F(RenderTest, TheOtherSizeIsCreatedOnALaterGeneration) {
  testing::FillNumberedBank(*bank_, std::vector<int>(10, 1));
  MakeTest("1", "10", "10", "8", false);
  MakeTest("1", "10", "10", "8", true);
  ASSERT_NE(Sheet(false), nullptr);
  ASSERT_NE(Sheet(true), nullptr);
  EXPECT_EQ(Sheet(true)->Range("U8").Value().AsText(), "8[1-10]10");
  EXPECT_EQ(Sheet(false)->Range("U4").Value().AsText(), "8[1-10]10");
}

TEST_F(RenderTest, NothingToSetLeavesSheetAndBankAsTheyWere) {
  testing::FillNumberedBank(*bank_, std::vector<int>(3, 1));
  MakeTest("1", "3", "3", "1", true);
  const std::string before = testing::DumpSheet(*Sheet(true));
  const std::string bank_before = testing::DumpSheet(*bank_);
  MakeTest("1", "3", "3", "1", true, [](UserForm1& f) { f.Toggle(f.CheckBox1); });
  const std::vector<MessageRecord> expected{
      {"全て既出されています。", host::MessageButtons::kOk, "設定を変えて下さい。"}};
  EXPECT_EQ(ui_.TakeMessages(), expected);
  EXPECT_EQ(testing::DumpSheet(*Sheet(true)), before);
  EXPECT_EQ(testing::DumpSheet(*bank_), bank_before);
}

// A bank with one group too large for a band used to refuse every test, whatever its range.
TEST_F(RenderTest, AGroupOfMoreThanTwentyOutsideTheRangeNoLongerBlocksTheTest) {
  // Groups 1..5 of 2, 21, 3, 25 and 1 rows: group 2 starts in row 3, group 4 in row 27.
  testing::FillNumberedBank(*bank_, {2, 21, 3, 25, 1});
  struct Case {
    const char* first;
    const char* last;
    const char* count;
    int big_group_row;  // the group refused, by its first row; 0: the test is made
  };
  const Case cases[] = {
      {"1", "2", "2", 3},     {"2", "3", "1", 3},   {"3", "3", "1", 0}, {"5", "3", "5", 27},
      {"5", "9", "9", 0},     {"1", "99", "1", 3},  {"3", "2", "1", 3}, {"4", "4", "1", 27},
      {"1.4", "2.5", "1", 3}, {"2.6", "3", "3", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.first) + ".." + c.last);
    const std::string bank_before = testing::DumpSheet(*bank_);
    host::Worksheet* test = Sheet(true);
    const std::string test_before = test ? testing::DumpSheet(*test) : "";
    const std::optional<std::string> settings_before = SettingsFile();
    MakeTest(c.first, c.last, c.count, "1", true);
    const std::vector<MessageRecord> messages = ui_.TakeMessages();
    if (c.big_group_row == 0) {
      EXPECT_EQ(messages, std::vector<MessageRecord>{});
      ASSERT_NE(Sheet(true), nullptr);
      EXPECT_NE(testing::DumpSheet(*bank_), bank_before) << "the questions set were counted";
      continue;
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "エラー");
    EXPECT_EQ(messages[0].buttons, host::MessageButtons::kOk);
    const int rows = c.big_group_row == 3 ? 21 : 25;
    EXPECT_NE(messages[0].prompt.find(" " + std::to_string(c.big_group_row) + " 行目"),
              std::string::npos)
        << messages[0].prompt;
    EXPECT_NE(messages[0].prompt.find(std::to_string(rows) + " 題"), std::string::npos);
    EXPECT_EQ(testing::DumpSheet(*bank_), bank_before);
    EXPECT_EQ(Sheet(true) ? testing::DumpSheet(*Sheet(true)) : "", test_before);
    EXPECT_EQ(SettingsFile(), settings_before);
  }
}

TEST_F(RenderTest, AGroupOfMoreThanTwentyIsRefusedBeforeAnythingChanges) {
  testing::FillNumberedBank(*bank_, {2, 21});
  MakeTest("1", "2", "2", "1", true);
  const std::vector<MessageRecord> messages = ui_.TakeMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, "エラー");
  EXPECT_NE(messages[0].prompt.find("3 行目"), std::string::npos) << messages[0].prompt;
  EXPECT_NE(messages[0].prompt.find("21 題"), std::string::npos);
  EXPECT_EQ(Sheet(true), nullptr);
  EXPECT_FALSE(SettingsFile().has_value());
  EXPECT_TRUE(bank_->Range("Q1").Value().IsEmpty());
}

// A row height or column width the host refuses, stored by hand, used to stop every test with
// the host's run-time error halfway through the sheet.
TEST_F(RenderTest, APaperValueTheHostWouldRefuseStopsTheTestBeforeTheSheetIsTouched) {
  testing::FillNumberedBank(*bank_, std::vector<int>(30, 1));
  MakeTest("1", "30", "30", "5", true);
  MakeTest("1", "30", "30", "5", false);
  ASSERT_EQ(ui_.TakeMessages(), std::vector<MessageRecord>{});
  struct Case {
    bool sheet40;
    const char* key;
    const char* value;
    const char* limits;  // nullptr: the host takes it, the test is made
  };
  const Case cases[] = {
      {true, "C1", "300", "列の幅に使えません（0 から 255 "},
      {true, "Qs", "500", "行の高さに使えません（0 から 409 "},
      {true, "Qs", "abc", "行の高さに使えません（0 から 409 "},
      {true, "Bi2", "", "行の高さに使えません（0 から 409 "},
      {true, "C2", "-1", "列の幅に使えません（0 から 255 "},
      {false, "Bi2-20", "409.5", "行の高さに使えません（0 から 409 "},
      {false, "C2-20", "２５６", "列の幅に使えません（0 から 255 "},
      {false, "No20", "高い", "行の高さに使えません（0 から 409 "},
      {true, "Qs", "409", nullptr},
      {true, "C2", "0", nullptr},
      {true, "Qs20", "abc", nullptr},  // the other sheet's
      {false, "C1", "300", nullptr},
  };
  int code = 100;  // each test its own code, so that a test made shows on the sheet
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + ":" + c.value);
    ++code;
    settings::WriteSetting(body().Settings(), c.key, c.value, false);
    host::Worksheet& sheet = *Sheet(c.sheet40);
    const std::string sheet_before = testing::DumpSheet(sheet);
    const std::string bank_before = testing::DumpSheet(*bank_);
    const std::map<int32_t, double> heights_before = testing::RowHeightsSet(sheet);
    const std::optional<std::string> settings_before = SettingsFile();
    MakeTest("1", "30", "30", std::to_string(code), c.sheet40);
    const std::vector<MessageRecord> messages = ui_.TakeMessages();
    const std::optional<std::string> settings_after = SettingsFile();
    settings::WriteSetting(body().Settings(), c.key, "", true);
    if (!c.limits) {
      EXPECT_EQ(messages, std::vector<MessageRecord>{});
      EXPECT_NE(testing::DumpSheet(sheet), sheet_before) << "a test with a new code";
      continue;
    }
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "エラー");
    EXPECT_EQ(messages[0].buttons, host::MessageButtons::kOk);
    const std::string& prompt = messages[0].prompt;
    EXPECT_NE(prompt.find(std::string("「") + c.key + "」の値「" + c.value + "」"),
              std::string::npos)
        << prompt;
    EXPECT_NE(prompt.find(c.limits), std::string::npos) << prompt;
    EXPECT_NE(prompt.find("設定値リセット"), std::string::npos) << prompt;
    EXPECT_EQ(testing::DumpSheet(sheet), sheet_before);
    EXPECT_EQ(testing::DumpSheet(*bank_), bank_before);
    EXPECT_EQ(testing::RowHeightsSet(sheet), heights_before);
    EXPECT_EQ(settings_after, settings_before) << "not even the code is stored";
  }
}

TEST_F(RenderTest, APaperValueTheHostWouldRefuseStopsTheFirstTestBeforeTheSheetIsMade) {
  testing::FillNumberedBank(*bank_, std::vector<int>(3, 1));
  for (const bool sheet40 : {true, false}) {
    settings::WriteSetting(body().Settings(), sheet40 ? "As" : "As20", "1000", false);
    const std::string bank_before = testing::DumpSheet(*bank_);
    MakeTest("1", "3", "3", "5", sheet40);
    const std::vector<MessageRecord> messages = ui_.TakeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "エラー");
    EXPECT_EQ(Sheet(sheet40), nullptr);
    EXPECT_EQ(testing::DumpSheet(*bank_), bank_before);
  }
  EXPECT_EQ(book_->Sheets().Count(), 1);
}

TEST_F(RenderTest, TheSameCodeMakesTheSameTest) {
  testing::FillNumberedBank(*bank_, {3, 1, 2, 4, 1, 1, 5, 2, 3, 1, 2, 2});
  MakeTest("1", "12", "8", "2024", true);
  const std::string first = testing::DumpSheet(*Sheet(true));
  MakeTest("1", "12", "8", "2024", true);
  EXPECT_EQ(testing::DumpSheet(*Sheet(true)), first);
  // The whole sheet is pinned: which question in which cell, ordinals, merges, pages, code.
  testing::ExpectGolden("testgen/golden/test40_seed2024.txt", first);
}

}  // namespace
}  // namespace tarquel::testgen
