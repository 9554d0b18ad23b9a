#include "host/range.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"

namespace tarquel::host {
namespace {

using testing::HostErrorOf;

class RangeTest : public testing::HostTest {};

TEST_F(RangeTest, TextShowsTheValueUnderItsNumberFormat) {
  struct Case {
    CellValue value;
    const char* format;
    const char* text;
  };
  const Case cases[] = {
      {3.0, "General", "3"},     {10.5, "General", "10.5"},   {2.5, "0", "3"},
      {3.0, "\"No.\"0", "No.3"}, {12.0, "\"No.\"0", "No.12"}, {1.25, "0.0", "1.3"},
      {"漢字", "@", "漢字"},     {true, "General", "TRUE"},   {CellValue(), "0", ""},
  };
  for (const Case& c : cases) {
    Range cell = At("B2");
    cell.SetNumberFormat(c.format);
    cell.SetValue(c.value);
    EXPECT_EQ(cell.Text(), c.text) << c.format;
  }
  // Value keeps the number itself.
  EXPECT_EQ(At("B2").Value().kind(), ValueKind::kEmpty);
  At("C3").SetNumberFormatLocal("\"No.\"0");
  At("C3").SetValue(3);
  EXPECT_DOUBLE_EQ(At("C3").Value().number(), 3);
  EXPECT_EQ(At("C3").NumberFormatLocal(), "\"No.\"0");
  EXPECT_EQ(At("D4").NumberFormatLocal(), "G/標準");
}

TEST_F(RangeTest, TextEnteredIsConvertedAsTheHostConvertsIt) {
  At("A1").SetValueFromText("12");
  At("A2").SetValueFromText("必出");
  At("A3").SetNumberFormat("@");
  At("A3").SetValueFromText("12");
  EXPECT_TRUE(At("A1").Value().IsNumber());
  EXPECT_EQ(At("A2").Value().AsText(), "必出");
  EXPECT_TRUE(At("A3").Value().IsText());
  EXPECT_EQ(At("A1").Value().AsText(), "12");
}

TEST_F(RangeTest, AnEmptyCellReadsAsEmptyText) {
  EXPECT_TRUE(At("D1").Value().IsEmpty());
  EXPECT_EQ(At("D1").Value().AsText(), "");
  EXPECT_EQ(At("D1").Text(), "");
}

TEST_F(RangeTest, GeometryOfRangesAndSelections) {
  Range area = At("A3:T3,A7:T7");
  EXPECT_EQ(area.AreaCount(), 2);
  EXPECT_EQ(area.CellCount(), 40);
  EXPECT_EQ(area.RowCount(), 1);
  EXPECT_EQ(area.ColumnCount(), 20);
  EXPECT_EQ(area.Address(ReferenceStyle::kR1C1), "R3C1:R3C20,R7C1:R7C20");
  EXPECT_EQ(sheet_->Rows(2).Address(ReferenceStyle::kR1C1), "R2");
  EXPECT_EQ(sheet_->Columns("A:C").Address(ReferenceStyle::kR1C1), "C1:C3");
  EXPECT_EQ(sheet_->Columns(4).RowCount(), 65536);
  EXPECT_EQ(sheet_->Rows().RowCount(), 65536);
  EXPECT_EQ(At("F1").Offset(0, 9).Address(), "$O$1");
  EXPECT_EQ(At("B2:C3").Cells(2, 2).Address(), "$C$3");
  EXPECT_EQ(HostErrorOf([&] { At("A1").Offset(-1, 0); }), HostError::kApplicationDefined);
  EXPECT_EQ(HostErrorOf([&] { At("A65537"); }), HostError::kApplicationDefined);

  At("K3").Select();
  EXPECT_EQ(app_.Selection().Row(), 3);
  EXPECT_EQ(app_.Selection().Column(), 11);
  EXPECT_EQ(app_.ActiveCell().Address(), "$K$3");
}

TEST_F(RangeTest, SelectingOnASheetThatIsNotActiveIsARunTimeError) {
  Worksheet& other = book_->Sheets().Add();
  sheet_->Activate();
  EXPECT_EQ(HostErrorOf([&] { other.Range("A1").Select(); }), HostError::kApplicationDefined);
  other.Activate();
  other.Range("B2").Select();
  EXPECT_EQ(app_.ActiveCell().Address(), "$B$2");
}

// The bottom edge of a question cell and the top edge of its answer cell are one line.
TEST_F(RangeTest, NeighboursShareOneBorderLine) {
  At("A3").Borders(BorderIndex::kEdgeTop).SetLineStyle(LineStyle::kContinuous);
  EXPECT_EQ(At("A2").Borders(BorderIndex::kEdgeBottom).LineStyle(), LineStyle::kContinuous);

  At("B2").Borders(BorderIndex::kEdgeBottom).SetLineStyle(LineStyle::kDouble);
  EXPECT_EQ(At("B3").Borders(BorderIndex::kEdgeTop).LineStyle(), LineStyle::kDouble);

  // Removing through either neighbour removes it for both.
  At("A2").Borders(BorderIndex::kEdgeBottom).SetLineStyle(LineStyle::kNone);
  EXPECT_EQ(At("A3").Borders(BorderIndex::kEdgeTop).LineStyle(), LineStyle::kNone);
  At("B3").Borders(BorderIndex::kEdgeTop).SetLineStyle(LineStyle::kNone);
  EXPECT_EQ(At("B2").Borders(BorderIndex::kEdgeBottom).LineStyle(), LineStyle::kNone);

  // Redrawing through the other cell reads the new line on both sides.
  At("C3").Borders(BorderIndex::kEdgeTop).SetLineStyle(LineStyle::kDash);
  At("C2").Borders(BorderIndex::kEdgeBottom).SetLineStyle(LineStyle::kContinuous);
  EXPECT_EQ(At("C3").Borders(BorderIndex::kEdgeTop).LineStyle(), LineStyle::kContinuous);
}

TEST_F(RangeTest, RangeBordersReachEdgesAndInsideLines) {
  Range answers = At("A3:T3");
  for (BorderIndex edge : {BorderIndex::kEdgeLeft, BorderIndex::kEdgeTop, BorderIndex::kEdgeBottom,
                           BorderIndex::kEdgeRight, BorderIndex::kInsideVertical}) {
    answers.Borders(edge).SetLineStyle(LineStyle::kContinuous);
    answers.Borders(edge).SetWeight(BorderWeight::kThin);
    answers.Borders(edge).SetColorIndex(kColorIndexAutomatic);
  }
  for (int column = 1; column <= 20; ++column) {
    Range cell = sheet_->Cells(3, column);
    for (BorderIndex edge : {BorderIndex::kEdgeLeft, BorderIndex::kEdgeTop,
                             BorderIndex::kEdgeBottom, BorderIndex::kEdgeRight}) {
      EXPECT_EQ(cell.Borders(edge).LineStyle(), LineStyle::kContinuous) << column;
    }
    EXPECT_EQ(sheet_->Cells(2, column).Borders(BorderIndex::kEdgeBottom).LineStyle(),
              LineStyle::kContinuous);
  }
  EXPECT_EQ(At("A3").Borders(BorderIndex::kInsideHorizontal).LineStyle(), std::nullopt)
      << "a single row has no inside horizontal line";
  EXPECT_EQ(At("U3").Borders(BorderIndex::kEdgeLeft).LineStyle(), LineStyle::kContinuous);
  EXPECT_EQ(At("A3:U3").Borders(BorderIndex::kEdgeBottom).LineStyle(), std::nullopt)
      << "U3 has no bottom line, so the range's lines differ";
  EXPECT_EQ(At("A3").Borders(BorderIndex::kDiagonalDown).LineStyle(), LineStyle::kNone);
  // Giving a weight to a missing line draws it.
  At("E5").Borders(BorderIndex::kEdgeRight).SetWeight(BorderWeight::kMedium);
  EXPECT_EQ(At("F5").Borders(BorderIndex::kEdgeLeft).LineStyle(), LineStyle::kContinuous);
  EXPECT_EQ(At("F5").Borders(BorderIndex::kEdgeLeft).Weight(), BorderWeight::kMedium);
}

TEST_F(RangeTest, ClearingBordersOfWholeColumnsRemovesEveryLine) {
  At("A3:T3").Borders(BorderIndex::kEdgeTop).SetLineStyle(LineStyle::kContinuous);
  At("A3:T3").Borders(BorderIndex::kInsideVertical).SetLineStyle(LineStyle::kContinuous);
  At("A40000:C40000").Borders(BorderIndex::kEdgeBottom).SetLineStyle(LineStyle::kContinuous);
  At("V7").Borders(BorderIndex::kEdgeLeft).SetLineStyle(LineStyle::kContinuous);   // U7|V7
  At("V8").Borders(BorderIndex::kEdgeRight).SetLineStyle(LineStyle::kContinuous);  // outside
  Range all = At("A1:U65536");
  for (BorderIndex index :
       {BorderIndex::kDiagonalDown, BorderIndex::kDiagonalUp, BorderIndex::kEdgeLeft,
        BorderIndex::kEdgeTop, BorderIndex::kEdgeBottom, BorderIndex::kEdgeRight,
        BorderIndex::kInsideVertical, BorderIndex::kInsideHorizontal}) {
    all.Borders(index).SetLineStyle(LineStyle::kNone);
  }
  EXPECT_EQ(At("A2:T3").Borders(BorderIndex::kInsideHorizontal).LineStyle(), LineStyle::kNone);
  EXPECT_EQ(At("B3").Borders(BorderIndex::kEdgeLeft).LineStyle(), LineStyle::kNone);
  EXPECT_EQ(At("A40001").Borders(BorderIndex::kEdgeTop).LineStyle(), LineStyle::kNone);
  EXPECT_EQ(At("U7").Borders(BorderIndex::kEdgeRight).LineStyle(), LineStyle::kNone);
  EXPECT_EQ(At("V8").Borders(BorderIndex::kEdgeRight).LineStyle(), LineStyle::kContinuous);
}

// A pasted question keeps the line under it that the answer cell below set.
TEST_F(RangeTest, PasteReplacesOwnEdgesAndKeepsTheNeighboursLine) {
  At("T3").Borders(BorderIndex::kEdgeTop).SetLineStyle(LineStyle::kContinuous);
  At("S2").Borders(BorderIndex::kEdgeBottom).SetLineStyle(LineStyle::kContinuous);
  At("S2").Borders(BorderIndex::kEdgeLeft).SetLineStyle(LineStyle::kDouble);
  At("D1").SetValue("問題文");
  At("D1").Copy();
  EXPECT_TRUE(app_.CutCopyMode());
  At("T2").Select();
  sheet_->Paste();
  At("S2").Select();
  sheet_->Paste();
  app_.SetCutCopyMode(false);
  EXPECT_FALSE(app_.CutCopyMode());

  EXPECT_EQ(At("T2").Value().AsText(), "問題文");
  EXPECT_EQ(At("T2").Borders(BorderIndex::kEdgeBottom).LineStyle(), LineStyle::kContinuous)
      << "T3 set that line";
  EXPECT_EQ(At("S2").Borders(BorderIndex::kEdgeBottom).LineStyle(), LineStyle::kNone)
      << "S2 set that line itself, and the copy has none";
  EXPECT_EQ(At("S2").Borders(BorderIndex::kEdgeLeft).LineStyle(), LineStyle::kNone);
  EXPECT_EQ(HostErrorOf([&] { sheet_->Paste(); }), HostError::kApplicationDefined)
      << "nothing left to paste";
}

TEST_F(RangeTest, CopyAndPasteCarryRunsPhoneticsAndComments) {
  Worksheet& bank = *sheet_;
  Range question = bank.Range("D2");
  question.SetValue("試合にカツ。");
  question.Font().SetName("ＭＳ 明朝");
  question.Characters(4, 2).Font().SetUnderline(Underline::kSingle);
  question.SetPhoneticRuns({{0, 2, "しあい"}});
  question.AddComment("出典");

  Worksheet& test = book_->Sheets().Add();
  bank.Activate();
  question.Copy();
  test.Activate();
  test.Range("T2").Select();
  test.Paste();

  Range pasted = test.Range("T2");
  EXPECT_EQ(pasted.Value().AsText(), "試合にカツ。");
  EXPECT_EQ(pasted.Font().Name(), "ＭＳ 明朝");
  EXPECT_EQ(pasted.Characters(4, 2).Font().Underline(), Underline::kSingle);
  EXPECT_EQ(pasted.Characters(4, 2).Text(), "カツ");
  EXPECT_EQ(pasted.Characters(1, 3).Font().Underline(), Underline::kNone);
  EXPECT_EQ(pasted.Characters(6, 1).Font().Underline(), Underline::kNone);
  EXPECT_EQ(pasted.PhoneticRuns(), (std::vector<PhoneticRun>{{0, 2, "しあい"}}));
  ASSERT_TRUE(pasted.Comment().has_value());
  EXPECT_EQ(pasted.Comment()->Text(), "出典");
  EXPECT_EQ(test.CommentCount(), 1);
  EXPECT_EQ(pasted.Value(), question.Value()) << "same text and same character formatting";
}

TEST_F(RangeTest, PasteIntoPartOfAMergedAreaIsRefused) {
  At("A1:C1").Merge();
  At("E5").SetValue("x");
  At("E5:F5").Copy();
  At("B1").Select();
  EXPECT_EQ(HostErrorOf([&] { sheet_->Paste(); }), HostError::kApplicationDefined);
  EXPECT_TRUE(At("B1").MergeCells()) << "the refused paste changed nothing";
  EXPECT_TRUE(At("B1").Value().IsEmpty());
}

TEST_F(RangeTest, FontOfCellsAndCharacters) {
  Range u2 = At("U2");
  u2.Font().SetSize(11);
  u2.SetValue("ミラヴォ 同音・同訓　   制限時間３分");
  u2.Characters(1, 9).Font().SetName("ＭＳ Ｐゴシック");
  u2.Characters(1, 9).Font().SetFontStyle("太字");
  u2.Characters(1, 9).Font().SetSize(16);
  EXPECT_EQ(u2.Characters(1, 1).Font().FontStyle(), "太字");
  EXPECT_DOUBLE_EQ(u2.Characters(9, 1).Font().Size(), 16);
  EXPECT_DOUBLE_EQ(u2.Characters(10, 1).Font().Size(), 11);
  EXPECT_EQ(u2.Characters(10, 1).Font().FontStyle(), "標準");
  EXPECT_EQ(u2.Characters(1, 9).Text(), "ミラヴォ 同音・同");

  // A font set on the whole cell reaches every run.
  u2.Font().SetName("ＭＳ 明朝");
  EXPECT_EQ(u2.Characters(1, 1).Font().Name(), "ＭＳ 明朝");
  EXPECT_EQ(u2.Characters(12, 1).Font().Name(), "ＭＳ 明朝");
  EXPECT_DOUBLE_EQ(u2.Characters(1, 1).Font().Size(), 16) << "other run properties stay";

  EXPECT_EQ(HostErrorOf([&] { u2.Font().SetFontStyle("極太"); }), HostError::kApplicationDefined);
  EXPECT_EQ(HostErrorOf([&] { u2.Font().SetSize(0); }), HostError::kApplicationDefined);
  u2.Font().SetSuperscript(true);
  u2.Font().SetSubscript(true);
  EXPECT_FALSE(u2.Font().Superscript());
}

TEST_F(RangeTest, AlignmentOrientationAndFlags) {
  Range rows = At("A3:T3,A7:T7");
  rows.SetHorizontalAlignment(HorizontalAlignment::kCenter);
  rows.SetVerticalAlignment(VerticalAlignment::kTop);
  rows.SetOrientation(Orientation::kVertical);
  rows.SetShrinkToFit(true);
  for (const char* cell : {"A3", "T3", "K7"}) {
    EXPECT_EQ(At(cell).HorizontalAlignment(), HorizontalAlignment::kCenter);
    EXPECT_EQ(At(cell).VerticalAlignment(), VerticalAlignment::kTop);
    EXPECT_EQ(At(cell).Orientation(), Orientation::kVertical);
    EXPECT_TRUE(At(cell).ShrinkToFit());
  }
  EXPECT_EQ(At("A5").Orientation(), Orientation::kHorizontal);
  EXPECT_EQ(HostErrorOf([&] { At("A1").SetIndentLevel(16); }), HostError::kApplicationDefined);
}

TEST_F(RangeTest, WholeColumnFormatsReachEmptyAndFilledCells) {
  At("D100").SetValue("既存");
  sheet_->Columns("D").SetVerticalAlignment(VerticalAlignment::kCenter);
  EXPECT_EQ(At("D100").VerticalAlignment(), VerticalAlignment::kCenter);
  EXPECT_EQ(At("D60000").VerticalAlignment(), VerticalAlignment::kCenter);
  EXPECT_EQ(At("E1").VerticalAlignment(), VerticalAlignment::kBottom);
  // A cell written later in that column starts with the column's format.
  At("D5").SetValue("新規");
  EXPECT_EQ(At("D5").VerticalAlignment(), VerticalAlignment::kCenter);
}

TEST_F(RangeTest, RowHeightsAndColumnWidthsTakeStoredTexts) {
  sheet_->Rows(16).SetRowHeight(std::string_view("10.5"));
  EXPECT_DOUBLE_EQ(sheet_->Rows(16).RowHeight(), 10.5);
  sheet_->Columns("A:T").SetColumnWidth(std::string_view("6.4"));
  EXPECT_DOUBLE_EQ(At("T1").ColumnWidth(), 6.4);
  EXPECT_DOUBLE_EQ(At("U1").ColumnWidth(), kDefaultColumnWidth);

  sheet_->Rows().SetRowHeight(26);
  EXPECT_DOUBLE_EQ(At("A60000").RowHeight(), 26);
  EXPECT_DOUBLE_EQ(At("A16").RowHeight(), 26) << "all rows take the height";
}

TEST_F(RangeTest, AHeightThatIsNoNumberIsRefusedAndChangesNothing) {
  sheet_->Rows(2).SetRowHeight(20);
  struct Case {
    const char* text;
    int error;
  };
  for (const Case c :
       {Case{"abc", HostError::kTypeMismatch}, Case{"", HostError::kTypeMismatch},
        Case{"-1", HostError::kApplicationDefined}, Case{"410", HostError::kApplicationDefined}}) {
    EXPECT_EQ(HostErrorOf([&] { sheet_->Rows(2).SetRowHeight(std::string_view(c.text)); }), c.error)
        << c.text;
    EXPECT_DOUBLE_EQ(sheet_->Rows(2).RowHeight(), 20) << c.text;
  }
  EXPECT_EQ(HostErrorOf([&] { sheet_->Columns(21).SetColumnWidth(std::string_view("7,0x")); }),
            HostError::kTypeMismatch);
  EXPECT_DOUBLE_EQ(sheet_->Columns(21).ColumnWidth(), kDefaultColumnWidth);
}

TEST_F(RangeTest, MergingKeepsTheFirstValueInTheTopLeftCell) {
  // The group's ordinal is written into its rightmost cell, then the cells are merged.
  At("Q1").Borders(BorderIndex::kEdgeTop).SetLineStyle(LineStyle::kContinuous);
  At("T1").SetValue(1);
  Range group = sheet_->Range(sheet_->Cells(1, 20), sheet_->Cells(1, 17));
  group.SetHorizontalAlignment(HorizontalAlignment::kCenter);
  group.SetMergeCells(true);
  EXPECT_TRUE(At("R1").MergeCells());
  EXPECT_EQ(At("R1").MergeArea().Address(), "$Q$1:$T$1");
  EXPECT_EQ(At("Q1").Value().AsText(), "1");
  EXPECT_TRUE(At("T1").Value().IsEmpty());

  // Reading order decides between several values.
  At("B4").SetValue("second");
  At("C3").SetValue("first");
  At("A3:C4").Merge();
  EXPECT_EQ(At("A3").Value().AsText(), "first");
  EXPECT_TRUE(At("B4").Value().IsEmpty());

  // Merging over a merged area absorbs it; unmerging leaves the value top-left.
  At("A3:D4").Merge();
  EXPECT_EQ(sheet_->MergeCount(), 2u);
  At("A3:D4").UnMerge();
  EXPECT_FALSE(At("B3").MergeCells());
  EXPECT_EQ(At("A3").Value().AsText(), "first");
}

TEST_F(RangeTest, ClearContentsKeepsFormatsBordersAndComments) {
  At("A3").SetValue("答え");
  At("A3").Font().SetSize(30);
  At("A3").Borders(BorderIndex::kEdgeTop).SetLineStyle(LineStyle::kContinuous);
  At("A3").AddComment("メモ");
  At("A5:U65536,A1:T4").ClearContents();
  EXPECT_TRUE(At("A3").Value().IsEmpty());
  EXPECT_DOUBLE_EQ(At("A3").Font().Size(), 30);
  EXPECT_EQ(At("A2").Borders(BorderIndex::kEdgeBottom).LineStyle(), LineStyle::kContinuous);
  EXPECT_EQ(sheet_->CommentCount(), 1);

  At("B1:C1").Merge();
  EXPECT_EQ(HostErrorOf([&] { At("A1:B1").ClearContents(); }), HostError::kApplicationDefined)
      << "a range that cuts a merged area";
}

TEST_F(RangeTest, CommentsCountScaleAndDelete) {
  CommentAccess d1 = At("D1").AddComment("【重要項目】\n問題文を入力します。");
  const double height = d1.Height();
  const double width = d1.Width();
  d1.ScaleHeight(1.3);
  d1.ScaleWidth(1.75);
  d1.ScaleHeight(2);  // relative to the current size, not the first one
  EXPECT_DOUBLE_EQ(d1.Height(), height * 1.3 * 2);
  EXPECT_DOUBLE_EQ(d1.Width(), width * 1.75);
  for (int offset = 0; offset < 10; ++offset) At("F1").Offset(0, offset).AddComment("X");
  EXPECT_EQ(sheet_->CommentCount(), 11);
  EXPECT_EQ(HostErrorOf([&] { At("F1").AddComment("again"); }), HostError::kApplicationDefined);
  At("G1").Comment()->Delete();
  EXPECT_EQ(sheet_->CommentCount(), 10);
  EXPECT_FALSE(At("G1").Comment().has_value());
  EXPECT_EQ(HostErrorOf([&] {
              d1.Delete();
              d1.Text();
            }),
            HostError::kApplicationDefined);
}

TEST_F(RangeTest, PhoneticsVisibilityAndRuns) {
  At("D2").SetValue("漢字");
  At("D2").SetPhoneticsVisible(true);
  EXPECT_TRUE(At("D2").PhoneticsVisible());
  At("D2").SetPhoneticRuns({{0, 2, "かんじ"}});
  EXPECT_EQ(At("D2").PhoneticRuns().at(0).text, "かんじ");
  EXPECT_EQ(HostErrorOf([&] {
              At("D2").SetPhoneticRuns({{1, 3, "x"}});
            }),
            HostError::kApplicationDefined);
  EXPECT_EQ(HostErrorOf([&] {
              At("E2").SetPhoneticRuns({{0, 1, "x"}});
            }),
            HostError::kApplicationDefined);
}

}  // namespace
}  // namespace tarquel::host
