#include "host/workbook.h"

#include <gtest/gtest.h>

#include "host/utf16.h"
#include "support/host_fixture.h"

namespace tarquel::host {
namespace {

using testing::HostErrorOf;

class WorkbookTest : public testing::HostTest {};

TEST_F(WorkbookTest, ANewWorkbookIsUnsavedWithOneActiveSheet) {
  EXPECT_EQ(book_->Path(), "");
  EXPECT_EQ(book_->Name(), "Book1");
  EXPECT_EQ(book_->Sheets().Count(), 1);
  EXPECT_EQ(&app_.ActiveSheet(), sheet_);
  EXPECT_EQ(app_.Workbooks().Count(), 1);
  Workbook& second = app_.Workbooks().Add();
  EXPECT_EQ(second.Name(), "Book2");
  EXPECT_EQ(app_.ActiveWorkbook(), &second);
}

TEST_F(WorkbookTest, SheetsAreAddedBeforeTheActiveSheetAndBecomeActive) {
  sheet_->SetName("ミラヴォ 同音・同訓");
  Worksheet& test = book_->Sheets().Add();
  EXPECT_EQ(test.Name(), "Sheet1");
  EXPECT_EQ(test.Index(), 1);
  EXPECT_EQ(sheet_->Index(), 2);
  EXPECT_EQ(&app_.ActiveSheet(), &test);
  test.SetName("テスト用紙 【20】");
  EXPECT_EQ(&book_->Sheets().Item("テスト用紙 【20】"), &test);
  EXPECT_EQ(&book_->Sheets().Item(2), sheet_);
}

TEST_F(WorkbookTest, SheetNamesCompareExactlyAndMissingOnesAreRunTimeErrors) {
  sheet_->SetName("テスト用紙 【40】");
  EXPECT_EQ(book_->FindSheet("テスト用紙 【40】"), sheet_);
  EXPECT_EQ(book_->FindSheet("テスト用紙【40】"), nullptr);
  EXPECT_EQ(book_->FindSheet("テスト用紙 【40】 "), nullptr);
  EXPECT_EQ(HostErrorOf([&] { book_->Sheets().Item("テスト用紙 【20】"); }),
            HostError::kSubscriptOutOfRange);
  EXPECT_EQ(HostErrorOf([&] { book_->Sheets().Item(2); }), HostError::kSubscriptOutOfRange);
}

TEST_F(WorkbookTest, InvalidOrTakenSheetNamesAreRefusedAndChangeNothing) {
  book_->Sheets().Add().SetName("Bank");
  Worksheet& other = book_->Sheets().Item(2);
  for (const char* name : {"", "a:b", "a/b", "a\\b", "a?b", "a*b", "[x]", "'quoted'", "bank",
                           "BANK", "1234567890123456789012345678901x"}) {
    EXPECT_EQ(HostErrorOf([&] { other.SetName(name); }), HostError::kApplicationDefined) << name;
    EXPECT_EQ(other.Name(), "Sheet1") << name;
  }
  other.SetName("ミラヴォ 同音・同訓 2024年度 第一学期の問題集");  // 31 characters is the limit
  EXPECT_EQ(Utf16Length(other.Name()), 26u);
  other.SetName("sheet1");  // its own name in another letter case
  EXPECT_EQ(other.Name(), "sheet1");
}

TEST_F(WorkbookTest, ActivatingAnotherSheetAnnouncesIt) {
  std::vector<std::string> activated;
  app_.SetSheetActivateListener([&](Worksheet& s) { activated.push_back(s.Name()); });
  Worksheet& test = book_->Sheets().Add();
  sheet_->Activate();
  sheet_->Activate();  // already active: no announcement
  test.Select();
  EXPECT_EQ(activated, (std::vector<std::string>{"Sheet2", "Sheet1", "Sheet2"}));
}

TEST_F(WorkbookTest, HiddenSheetsCannotBeSelected) {
  Worksheet& hidden = book_->Sheets().Add();
  sheet_->Activate();
  hidden.SetVisibility(SheetVisibility::kHidden);
  EXPECT_EQ(HostErrorOf([&] { hidden.Select(); }), HostError::kApplicationDefined);
  EXPECT_EQ(&app_.ActiveSheet(), sheet_);
}

}  // namespace
}  // namespace tarquel::host
