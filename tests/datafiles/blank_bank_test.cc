// The blank question bank: built by start-up's data file dialog closed without a workbook, then
// examined cell by cell and used as the add-in's commands use a bank.
#include "datafiles/blank_bank.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "datafiles/file_sentaku.h"
#include "host/range.h"
#include "host/worksheet.h"
#include "model/bank_sheet.h"
#include "support/add_in_fixture.h"

namespace tarquel::datafiles {
namespace {

using testing::MessageRecord;

// Lines joined as a comment joins them.
std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i == 0 ? "" : "\n") + lines[i];
  return text;
}

class BlankBankTest : public testing::AddInTest {
 protected:
  // Start-up with the user pressing 空白テンプレート; the blank bank stays open and active.
  void SetUp() override {
    app_.SetScreenUpdating(true);
    ui_.QueueFormScriptFor<FILE_Sentaku>([](FILE_Sentaku& f) { f.Press(f.Command1); });
    app::WorkbookOpen(add_in_);
    ASSERT_EQ(app_.Workbooks().Count(), 1);
    sheet_ = &app_.ActiveSheet();
    ui_.TakeLog();
  }

  host::Worksheet* sheet_ = nullptr;
};

TEST_F(BlankBankTest, TheNewWorkbookHoldsOneEmptyBankSheet) {
  EXPECT_EQ(sheet_->Name(), "ミラヴォ 同音・同訓");
  EXPECT_EQ(sheet_->workbook().SheetCount(), 1) << "the host's one sheet of a new workbook";
  EXPECT_EQ(sheet_->workbook().Path(), "") << "unsaved";
  EXPECT_EQ(sheet_->LastRowWithCells(), 0) << "no cell holds anything, row 1 included";
  EXPECT_FALSE(app_.ScreenUpdating()) << "not turned back on";
  EXPECT_EQ(sheet_->selection(), std::vector<host::CellRect>{host::CellRect::Cell(1, 1)});
  for (int32_t row : {1, 2, 1000, sheet_->RowCount()}) {
    EXPECT_EQ(sheet_->RowHeightOf(row), 26) << "row " << row;
  }
}

TEST_F(BlankBankTest, ColumnsAreSizedAndAlignedForWhatTheyHold) {
  using H = host::HorizontalAlignment;
  using V = host::VerticalAlignment;
  struct Case {
    int32_t first;
    int32_t last;
    double width;
    H horizontal;
    V vertical;
  };
  const Case cases[] = {
      {1, 3, 4, H::kGeneral, V::kCenter},                            // A:C memos and group mark
      {4, 4, 40, H::kGeneral, V::kCenter},                           // D question
      {5, 5, 15, H::kGeneral, V::kCenter},                           // E answer
      {6, 15, 4, H::kCenter, V::kCenter},                            // F:O attempts
      {16, 16, 50, H::kGeneral, V::kCenter},                         // P remarks
      {17, 18, 5, H::kCenter, V::kCenter},                           // Q times set, R must appear
      {19, 21, host::kDefaultColumnWidth, H::kGeneral, V::kBottom},  // S on: the host's own
  };
  for (const Case& c : cases) {
    for (int32_t column = c.first; column <= c.last; ++column) {
      SCOPED_TRACE("column " + std::to_string(column));
      EXPECT_EQ(sheet_->ColumnWidthOf(column), c.width);
      for (int32_t row : {1, 300, sheet_->RowCount()}) {
        const host::Range cell = sheet_->Cells(row, column);
        EXPECT_EQ(cell.HorizontalAlignment(), c.horizontal) << "row " << row;
        EXPECT_EQ(cell.VerticalAlignment(), c.vertical) << "row " << row;
      }
    }
  }
}

TEST_F(BlankBankTest, RowOneCarriesANoteForEachBankColumn) {
  const std::string memo = Joined({"【自己メモ用】", "出典先が分かるように入力します。"});
  // Widths spelt out: full-width letters, brackets, middle dots and spaces as escapes; the
  // half-width X and space as themselves.
  const std::string attempt = Joined({
      "問題を間違えると、「X」を入力します。",
      "列\uFF26から順番に入力して空白セルを作らないようにして下さい。",
      "",
      "間違えた時\u3000\u3000\u30FB\u30FB\u30FB\u30FB\u3000X \uFF08エックス\uFF09",
      "出題から外す時\u30FB\u30FB\u30FB\uFF33\u3001\uFF25\u3001除\u3001止\u3001修\u3001外",
  });
  struct Case {
    const char* cell;
    std::string text;
    double height;
    double width;
  };
  constexpr double h = host::kDefaultCommentHeight;
  constexpr double w = host::kDefaultCommentWidth;
  std::vector<Case> cases = {
      {"A1", memo, h, w},
      {"B1", memo, h, w},
      {"C1", Joined({"【重要項目】", "同じグループにする問題は同じ記号にします。"}), h, w},
      {"D1",
       Joined({"【重要項目】", "問題文を入力します。", "",
               "ここで設定したフォントがテスト用紙に用いられます。"}),
       h * 1.3, w},
      {"E1",
       Joined({"【重要項目】", "答えを入力します。", "",
               "ここで設定したフォントがテスト用紙に用いられます。"}),
       h * 1.3, w},
      {"P1", Joined({"【自己メモ用】", "備考欄です。", "", "漢字の意味などを書いて下さい。"}), h,
       w},
      {"Q1", "出題回数が自動的に記載されます。", h, w},
      {"R1", "必出問題には「必出」と表示されます。", h, w},
  };
  for (const char* cell : {"F1", "G1", "H1", "I1", "J1", "K1", "L1", "M1", "N1", "O1"}) {
    cases.push_back({cell, attempt, h * 1.3, w * 1.75});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cell);
    const std::optional<host::CommentAccess> comment = sheet_->Range(c.cell).Comment();
    ASSERT_TRUE(comment.has_value());
    EXPECT_EQ(comment->Text(), c.text);
    EXPECT_DOUBLE_EQ(comment->Height(), c.height);
    EXPECT_DOUBLE_EQ(comment->Width(), c.width);
    EXPECT_FALSE(comment->Visible()) << "shown only while the pointer rests on the cell";
  }
  EXPECT_EQ(sheet_->CommentCount(), static_cast<int>(cases.size()));
  EXPECT_FALSE(sheet_->Range("S1").Comment().has_value());
  EXPECT_FALSE(sheet_->Range("D2").Comment().has_value());
  EXPECT_EQ(app_.DisplayCommentIndicator(), host::CommentIndicator::kIndicatorOnly);
}

TEST_F(BlankBankTest, IsFoundAsTheBankButHoldsNoQuestionYet) {
  EXPECT_EQ(model::LocateBankSheet(app_), "ミラヴォ 同音・同訓");
  ui_.ExpectNoMessages();
  Run("M_START");
  const std::vector<MessageRecord> expected{
      {"問題文が１題もありません。", host::MessageButtons::kOk, "エラー"}};
  EXPECT_EQ(ui_.TakeMessages(), expected);
  EXPECT_EQ(body().bank_sheet_name, "ミラヴォ 同音・同訓");
  EXPECT_EQ(app_.Workbooks().Count(), 1) << "no test sheet, no other workbook";
  EXPECT_EQ(sheet_->workbook().SheetCount(), 1);
}

}  // namespace
}  // namespace tarquel::datafiles
