// What a front end asks the add-in: the test sheet in use, and the last test made.
#include "shell/front_end_queries.h"

#include <gtest/gtest.h>

#include <string>

#include "model/test_sheet.h"
#include "settings/keys.h"
#include "settings/settings_file.h"
#include "testgen/generation_fixture.h"

namespace tarquel::testing {
namespace {

class FrontEndQueriesTest : public GenerationTest {};

TEST_F(FrontEndQueriesTest, TheTestSheetInUseFollowsTheActiveSheetThenTheOnlyOneThenTheSetting) {
  struct Case {
    const char* name;
    bool add40;
    bool add20;
    const char* stored;  // the dialog's stored choice; nullptr: none stored
    const char* active;  // the sheet made active; nullptr: the bank
    const char* expected;
  };
  const Case cases[] = {
      {"neither, nothing stored", false, false, nullptr, nullptr, model::kTestSheet40Name},
      {"neither, 20 stored", false, false, "False", nullptr, model::kTestSheet20Name},
      {"only the 20", false, true, "True", nullptr, model::kTestSheet20Name},
      {"only the 40", true, false, "0", nullptr, model::kTestSheet40Name},
      {"both, 20 stored", true, true, "0", nullptr, model::kTestSheet20Name},
      {"both, the 20 active", true, true, "True", model::kTestSheet20Name, model::kTestSheet20Name},
      {"only the 40, active", true, false, "False", model::kTestSheet40Name,
       model::kTestSheet40Name},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host::Workbook& book = app_.Workbooks().Add();
    book.ActiveSheet().SetName("ミラヴォ 同音・同訓");
    if (c.add40) book.Sheets().Add().SetName(model::kTestSheet40Name);
    if (c.add20) book.Sheets().Add().SetName(model::kTestSheet20Name);
    book.Sheets().Item("ミラヴォ 同音・同訓").Activate();
    if (c.active) book.Sheets().Item(c.active).Activate();
    if (c.stored) {
      settings::WriteSetting(body().Settings(), settings::kUseSheet40.name, c.stored, false);
    } else {
      static_cast<void>(platform_.RemoveFile(kSettingsPath));
    }
    EXPECT_EQ(shell::TestSheetInUse(body(), book), c.expected);
  }
}

TEST_F(FrontEndQueriesTest, TheLastGenerationSaysWhatWasMadeAndNothingBefore) {
  EXPECT_FALSE(shell::LastGeneration(body(), *book_).has_value()) << "no test made yet";
  std::vector<BankRow> rows;
  for (int i = 1; i <= 30; ++i)
    rows.push_back({"g" + std::to_string(i), "q" + std::to_string(i), "a"});
  FillBank(*bank_, rows);
  MakeTest("1", "30", "30", "7", /*sheet40=*/false);
  const std::optional<shell::GenerationSummary> made = shell::LastGeneration(body(), *book_);
  ASSERT_TRUE(made.has_value());
  EXPECT_EQ(made->sheet, model::kTestSheet20Name);
  EXPECT_EQ(made->questions, 30);
  EXPECT_EQ(made->pages, 2) << "20 questions a page";
  host::Worksheet& test = *Sheet(false);
  EXPECT_EQ(made->code, test.Cells(model::RowsPerPage(false), model::kSideColumn).Text());
  EXPECT_FALSE(made->code.empty());
}

}  // namespace
}  // namespace tarquel::testing
