#include "model/bank_sheet.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"

namespace tarquel::model {
namespace {

class BankSheetTest : public testing::HostTest {
 protected:
  void Name(std::initializer_list<const char*> names) {
    sheet_->SetName(*names.begin());
    for (auto it = names.begin() + 1; it != names.end(); ++it) book_->Sheets().Add().SetName(*it);
  }
};

TEST_F(BankSheetTest, OnlyTheFirstTenCharactersDecide) {
  EXPECT_TRUE(IsBankSheetName("ミラヴォ 同音・同訓"));
  EXPECT_TRUE(IsBankSheetName("ミラヴォ 同音・同訓 三年"));
  EXPECT_FALSE(IsBankSheetName("ミラヴォ 同音・同"));     // nine characters
  EXPECT_FALSE(IsBankSheetName("ミラヴォ　同音・同訓"));  // a full-width space
  EXPECT_FALSE(IsBankSheetName(""));
}

TEST_F(BankSheetTest, TheOneBankSheetIsFoundWhateverItsPlace) {
  Name({"テスト用紙 【20】", "ミラヴォ 同音・同訓 二年", "メモ"});
  EXPECT_EQ(LocateBankSheet(app_), "ミラヴォ 同音・同訓 二年");
  ui_.ExpectNoMessages();
}

TEST_F(BankSheetTest, NoneOrSeveralBankSheetsAreReported) {
  Name({"ミラヴォ 同音・同", "Sheet9"});
  EXPECT_EQ(LocateBankSheet(app_), "");
  book_->Sheets().Add().SetName("ミラヴォ 同音・同訓");
  book_->Sheets().Add().SetName("ミラヴォ 同音・同訓2");
  EXPECT_EQ(LocateBankSheet(app_), "");
  const std::vector<testing::MessageRecord> expected{
      {"出題文シートがありません。", host::MessageButtons::kOk, "エラー"},
      {"出題文シートが複数あります。", host::MessageButtons::kOk, "特定不能"},
  };
  EXPECT_EQ(ui_.TakeMessages(), expected);
}

TEST_F(BankSheetTest, SheetExistsComparesNamesExactly) {
  Name({"テスト用紙 【20】"});
  EXPECT_TRUE(SheetExists(book_->Sheets(), "テスト用紙 【20】"));
  EXPECT_FALSE(SheetExists(book_->Sheets(), "テスト用紙 【40】"));
  EXPECT_FALSE(SheetExists(book_->Sheets(), "テスト用紙【20】"));
}

}  // namespace
}  // namespace tarquel::model
