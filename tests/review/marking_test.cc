// Marking and jumping, from the bank sheet and from the test sheets, through the macros.
#include "review/marking.h"

#include <gtest/gtest.h>

#include "testgen/generation_fixture.h"

namespace tarquel::review {
namespace {

using testing::MessageRecord;

class MarkingTest : public testing::GenerationTest {
 protected:
  // Selects `cell` on `sheet` (activating it) and runs the macro.
  void RunAt(host::Worksheet& sheet, const std::string& cell, const std::string& macro) {
    sheet.Activate();
    sheet.Range(cell).Select();
    Run(macro);
  }

  // The bank row whose question stands in `cell` of `test`.
  int BankRowOf(host::Worksheet& test, const std::string& cell) {
    const std::string text = test.Range(cell).Value().AsText();
    for (int row = 1; row <= 100; ++row) {
      if (bank_->Cells(row, 4).Value().AsText() == text) return row;
    }
    return 0;
  }

  std::string Attempts(int row) {
    std::string marks;
    for (int column = 6; column <= 15; ++column) {
      const std::string mark = bank_->Cells(row, column).Value().AsText();
      marks += mark.empty() ? "." : mark;
    }
    return marks;
  }
};

TEST_F(MarkingTest, WrongMarksFillTheNextAttemptFromAnyRowOfTheBand) {
  testing::FillNumberedBank(*bank_, std::vector<int>(30, 1));
  bank_->Range("F1:H1").SetValue("X");
  MakeTest("1", "30", "30", "5", false);
  host::Worksheet& test = *Sheet(false);
  const int row = BankRowOf(test, "K2");
  for (const char* cell : {"K1", "K2", "K3", "K4"}) RunAt(test, cell, "M_ThisQSisNG");
  EXPECT_EQ(Attempts(row), row == 1 ? "XXXXXXX..." : "XXXX......");
  EXPECT_EQ(&app_.ActiveSheet(), &test) << "the test sheet stays active";
  const int second_page = BankRowOf(test, "T6");
  RunAt(test, "T8", "M_ThisQSisNG");
  EXPECT_EQ(Attempts(second_page).substr(0, 1), "X");
  ui_.ExpectNoMessages();

  // From the bank sheet: the selected row, whatever the column.
  RunAt(*bank_, "P1", "M_ThisQSisNG");
  EXPECT_EQ(Attempts(1).substr(0, 4), "XXXX");
}

TEST_F(MarkingTest, TenRecordedAttemptsLeaveTheRowAsItIs) {
  testing::FillNumberedBank(*bank_, {1, 1});
  bank_->Range("F1:O1").SetValue("S");
  bank_->Range("F2:O2").SetValue("X");
  MakeTest("1", "2", "2", "5", true, [](testgen::UserForm1& f) { f.Toggle(f.CBox); });
  RunAt(*bank_, "D1", "M_ThisQSisNG");
  EXPECT_EQ(&app_.ActiveSheet(), bank_);
  EXPECT_EQ(Attempts(1), "SSSSSSSSSS");
  // From the 40 sheet: the bank row is shown with its question selected.
  host::Worksheet& test = *Sheet(true);
  const std::string cell = test.Range("T2").Value().AsText() == "問2" ? "T2" : "S2";
  RunAt(test, cell, "M_ThisQSisNG");
  EXPECT_EQ(Attempts(2), "XXXXXXXXXX");
  EXPECT_EQ(&app_.ActiveSheet(), bank_);
  EXPECT_EQ(app_.ActiveCell().Address(), "$D$2");
  ui_.ExpectNoMessages();
}

TEST_F(MarkingTest, MustAppearFromTheTestSheetShowsTheBankRow) {
  testing::FillNumberedBank(*bank_, {1, 1, 1});
  MakeTest("1", "3", "3", "5", false);
  host::Worksheet& test = *Sheet(false);
  const int row = BankRowOf(test, "S2");
  RunAt(test, "S4", "M_ThisQSisHITU");
  EXPECT_EQ(bank_->Cells(row, 18).Value().AsText(), "必出");
  EXPECT_EQ(&app_.ActiveSheet(), bank_);
  EXPECT_EQ(app_.ActiveCell().Address(), "$D$" + std::to_string(row));
  RunAt(*bank_, "A3", "M_ThisQSisHITU");
  EXPECT_EQ(bank_->Range("R3").Value().AsText(), "必出");
  EXPECT_EQ(app_.ActiveCell().Address(), "$A$3") << "from the bank the selection stays";
}

TEST_F(MarkingTest, GuardsAndSilentStops) {
  testing::FillNumberedBank(*bank_, {1, 1});
  body().use_sheet40 = false;
  MakeTest("1", "2", "2", "5", true);
  host::Worksheet& test = *Sheet(true);
  RunAt(test, "A2:B2", "M_ThisQSisNG");
  RunAt(test, "U1", "M_ThisQSisNG");    // right of the slots: nothing
  RunAt(test, "A2", "M_ThisQSisHITU");  // an empty slot: nothing
  host::Worksheet& other = book_->Sheets().Add();
  RunAt(other, "A1", "M_ThisQSisNG");
  // A question edited in the bank after the test.
  const std::string question = test.Range("T2").Value().AsText();
  for (int row = 1; row <= 2; ++row) {
    if (bank_->Cells(row, 4).Value().AsText() == question) bank_->Cells(row, 4).SetValue("変更");
  }
  RunAt(test, "T3", "M_ThisQSisNG");
  const std::vector<MessageRecord> expected{
      {"複数セル選択では実行出来ません。", host::MessageButtons::kOk, "注意"},
      {"このシートでは無効です。", host::MessageButtons::kOk, "エラー"},
      {"該当する問題がありません。", host::MessageButtons::kOk, "メッセージ"},
  };
  EXPECT_EQ(ui_.TakeMessages(), expected);
  EXPECT_EQ(Attempts(1), "..........");
  EXPECT_EQ(Attempts(2), "..........");
}

// The marking commands stop silently in several places; what each did is kept so that a front
// end can say it.
TEST_F(MarkingTest, TheLastMarkSaysWhatWasRecordedOrWhyNothingWas) {
  using Kind = model::MarkOutcome::Kind;
  testing::FillNumberedBank(*bank_, {1, 1, 1});
  bank_->Range("F2:H2").SetValue("X");
  bank_->Range("F3:O3").SetValue("X");
  MakeTest("1", "3", "3", "5", true);
  host::Worksheet& test = *Sheet(true);
  struct Case {
    host::Worksheet* sheet;
    std::string cell;
    std::string macro;
    model::MarkOutcome expected;
  };
  const std::string row2_cell = test.Range("T2").Value().AsText() == "問2"   ? "T2"
                                : test.Range("S2").Value().AsText() == "問2" ? "S2"
                                                                             : "R2";
  const std::vector<Case> cases{
      {bank_, "B2", "M_ThisQSisNG", {Kind::kMarked, 2, 4}},
      {&test, row2_cell, "M_ThisQSisNG", {Kind::kMarked, 2, 5}},
      {bank_, "D3", "M_ThisQSisNG", {Kind::kAttemptsFull, 3, 0}},
      {bank_, "D1", "M_ThisQSisHITU", {Kind::kMarked, 1, 0}},
      {bank_, "D9", "M_ThisQSisNG", {Kind::kEmptyBankRow, 9, 0}},
      {bank_, "D9", "M_ThisQSisHITU", {Kind::kEmptyBankRow, 9, 0}},
      {&test, "U2", "M_ThisQSisNG", {Kind::kBeyondSlots, 0, 0}},
      {&test, "A2", "M_ThisQSisNG", {Kind::kEmptySlot, 0, 0}},
      {&test, "A1:B1", "M_ThisQSisNG", {Kind::kNone, 0, 0}},
  };
  for (const Case& c : cases) {
    RunAt(*c.sheet, c.cell, c.macro);
    const model::MarkOutcome& got = body().last_mark;
    EXPECT_EQ(got.kind, c.expected.kind) << c.macro << " at " << c.cell;
    EXPECT_EQ(got.bank_row, c.expected.bank_row) << c.macro << " at " << c.cell;
    EXPECT_EQ(got.attempt, c.expected.attempt) << c.macro << " at " << c.cell;
  }
  // A row without a question gets no mark: it would never be read.
  EXPECT_EQ(Attempts(9), "..........");
  EXPECT_EQ(bank_->Range("R9").Value().AsText(), "");
  EXPECT_EQ(Attempts(2), "XXXXX.....");
}

TEST_F(MarkingTest, JumpFindsAQuestionWhoseBorderWasRemovedByHand) {
  testing::FillNumberedBank(*bank_, std::vector<int>(3, 1));
  MakeTest("1", "3", "3", "5", false);
  host::Worksheet& test = *Sheet(false);
  const int row = BankRowOf(test, "S2");
  test.Range("S2").Borders(host::BorderIndex::kEdgeBottom).SetLineStyle(host::LineStyle::kNone);
  RunAt(*bank_, "D" + std::to_string(row), "M_GoJUMP");
  EXPECT_EQ(&app_.ActiveSheet(), &test);
  EXPECT_EQ(app_.ActiveCell().Address(), "$S$2");
  ui_.ExpectNoMessages();
  // Beyond the cell without its edge the walk ends: the question after it is not reached.
  const int after = BankRowOf(test, "R2");
  RunAt(*bank_, "D" + std::to_string(after), "M_GoJUMP");
  EXPECT_EQ(ui_.TakeMessages(),
            (std::vector<MessageRecord>{
                {"該当する問題がありません。", host::MessageButtons::kOk, "テスト用紙 【20】"}}));
}

TEST_F(MarkingTest, JumpGoesBothWays) {
  testing::FillNumberedBank(*bank_, std::vector<int>(25, 1));
  MakeTest("1", "25", "25", "5", false);
  host::Worksheet& test = *Sheet(false);
  const int row = BankRowOf(test, "Q6");
  RunAt(test, "Q8", "M_GoJUMP");
  EXPECT_EQ(&app_.ActiveSheet(), bank_);
  EXPECT_EQ(app_.ActiveCell().Address(), "$D$" + std::to_string(row));
  RunAt(*bank_, "B" + std::to_string(row), "M_GoJUMP");
  EXPECT_EQ(&app_.ActiveSheet(), &test);
  EXPECT_EQ(app_.ActiveCell().Address(), "$Q$6");
  // A bank question that is not on the test.
  bank_->Range("D26").SetValue("出題されていない");
  RunAt(*bank_, "D26", "M_GoJUMP");
  EXPECT_EQ(ui_.TakeMessages(),
            (std::vector<MessageRecord>{
                {"該当する問題がありません。", host::MessageButtons::kOk, "テスト用紙 【20】"}}));
}

TEST_F(MarkingTest, JumpFromTheBankFollowsTheOnlyTestSheetThatExists) {
  testing::FillNumberedBank(*bank_, {1, 1});
  RunAt(*bank_, "D1", "M_GoJUMP");
  EXPECT_EQ(ui_.TakeMessages(),
            (std::vector<MessageRecord>{
                {"テスト用紙が作成されていません。", host::MessageButtons::kOk, "エラー"}}));
  MakeTest("1", "2", "2", "5", false);
  body().use_sheet40 = true;  // the 40 sheet does not exist
  RunAt(*bank_, "D2", "M_GoJUMP");
  EXPECT_FALSE(body().use_sheet40);
  EXPECT_EQ(app_.ActiveSheet().Name(), "テスト用紙 【20】");
  ui_.ExpectNoMessages();
}

TEST_F(MarkingTest, FuriganaShowsThePhoneticsAndOpensTheEditor) {
  testing::FillNumberedBank(*bank_, {1});
  int edits = 0;
  ui_.on_edit_phonetics = [&](host::Range& selection) {
    EXPECT_EQ(selection.Address(), "$D$1");
    selection.SetPhoneticRuns({{0, 1, "もん"}});
    ++edits;
  };
  RunAt(*bank_, "D1", "M_Edit_Furigana");
  EXPECT_EQ(edits, 1);
  EXPECT_TRUE(bank_->Range("D1").PhoneticsVisible());
  EXPECT_EQ(bank_->Range("D1").PhoneticRuns().at(0).text, "もん");
}

}  // namespace
}  // namespace tarquel::review
