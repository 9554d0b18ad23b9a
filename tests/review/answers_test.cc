// Showing and erasing answers, run through the macros with a selection, as the host runs them.
#include "review/answers.h"

#include <gtest/gtest.h>

#include "support/sheet_dump.h"
#include "testgen/generation_fixture.h"

namespace tarquel::review {
namespace {

using testing::MessageRecord;

class AnswersTest : public testing::GenerationTest {
 protected:
  // The answer cell under every question of the sheet holds the question's bank answer.
  void ExpectAnswersShown(host::Worksheet& test, int last_row, int questions) {
    int seen = 0;
    for (int row = 2; row <= last_row; row += 4) {
      for (int column = 1; column <= 20; ++column) {
        const std::string question = test.Cells(row, column).Value().AsText();
        if (question.empty()) continue;
        ++seen;
        EXPECT_EQ(test.Cells(row + 1, column).Value().AsText(), "答" + question.substr(3))
            << question;
      }
    }
    EXPECT_EQ(seen, questions);
  }
};

TEST_F(AnswersTest, AOnePageFortySheetGetsAllItsAnswersAndStopsAtRowTen) {
  testing::FillNumberedBank(*bank_, std::vector<int>(40, 1));
  MakeTest("1", "40", "40", "5", true);
  host::Worksheet& test = *Sheet(true);
  test.Cells(10, 20).SetValue("問1");  // beyond the laid-out page: must stay unanswered
  test.Activate();
  Run("M_InPutAns");
  ExpectAnswersShown(test, 8, 40);
  EXPECT_TRUE(test.Cells(11, 20).Value().IsEmpty());
  ui_.ExpectNoMessages();
  // Twice is the same as once.
  const std::string once = testing::DumpSheet(test);
  Run("M_InPutAns");
  EXPECT_EQ(testing::DumpSheet(test), once);
}

TEST_F(AnswersTest, EmptySlotsAndEditedQuestionsOnTheTwentySheet) {
  testing::FillNumberedBank(*bank_, {3, 4});
  bank_->Range("E8").SetValue("空欄の行の答え");  // the first empty row's answer
  MakeTest("1", "2", "2", "5", false);
  host::Worksheet& test = *Sheet(false);
  // A question edited in the bank after the test keeps its answer cell as it was.
  const std::string edited = test.Range("T2").Value().AsText();
  for (int row = 1; row <= 7; ++row) {
    if (bank_->Cells(row, 4).Value().AsText() == edited) bank_->Cells(row, 4).SetValue("書き換え");
  }
  test.Range("T3").SetValue("元のまま");
  test.Activate();
  Run("M_InPutAns");
  EXPECT_EQ(test.Range("T3").Value().AsText(), "元のまま");
  EXPECT_EQ(test.Range("A3").Value().AsText(), "空欄の行の答え")
      << "an empty slot finds the first empty bank row";
  EXPECT_EQ(test.Range("A7").Value().AsText(), "") << "no second page: nothing there";
}

TEST_F(AnswersTest, TwoBankRowsWithOneSentenceGiveTheUpperAnswer) {
  testing::FillBank(*bank_, {{"a", "同じ文", "上"}, {"b", "別の文", "別"}, {"c", "同じ文", "下"}});
  MakeTest("1", "3", "3", "5", false, [](testgen::UserForm1& f) { f.Toggle(f.CBox); });
  host::Worksheet& test = *Sheet(false);
  test.Activate();
  Run("M_InPutAns");
  int upper = 0;
  for (int column = 18; column <= 20; ++column) {
    if (test.Cells(2, column).Value().AsText() == "同じ文") {
      EXPECT_EQ(test.Cells(3, column).Value().AsText(), "上");
      ++upper;
    }
  }
  EXPECT_EQ(upper, 2);
}

TEST_F(AnswersTest, EraseClearsAnswerRowsAndSelectsTheCellAgain) {
  testing::FillNumberedBank(*bank_, std::vector<int>(25, 1));
  MakeTest("1", "25", "25", "5", false);
  host::Worksheet& test = *Sheet(false);
  test.Activate();
  Run("M_InPutAns");
  test.Cells(11, 20).SetValue("次のページの下");  // row 11: the answer row of page 3
  test.Range("K3").Select();
  Run("M_ANS_DEL");
  for (int column = 1; column <= 20; ++column) {
    EXPECT_TRUE(test.Cells(3, column).Value().IsEmpty());
    EXPECT_TRUE(test.Cells(7, column).Value().IsEmpty());
  }
  EXPECT_TRUE(test.Cells(11, 20).Value().IsEmpty())
      << "on the 20 sheet the answer row after the test goes too";
  EXPECT_EQ(test.Cells(3, 1).Borders(host::BorderIndex::kEdgeTop).LineStyle(),
            host::LineStyle::kContinuous)
      << "formats and borders stay";
  EXPECT_EQ(&app_.ActiveSheet(), &test);
  EXPECT_EQ(app_.ActiveCell().Address(), "$K$3");
}

TEST_F(AnswersTest, EraseWithoutAQuestionInColumnTOnlySelectsAgain) {
  testing::FillNumberedBank(*bank_, {1});
  MakeTest("1", "2", "1", "5", false);
  host::Worksheet& test = *Sheet(false);
  test.Range("T2").ClearContents();
  test.Range("S3").SetValue("残る");
  test.Activate();
  test.Range("B7").Select();
  Run("M_ANS_DEL");
  EXPECT_EQ(test.Range("S3").Value().AsText(), "残る");
  EXPECT_EQ(app_.ActiveCell().Address(), "$B$7");
}

TEST_F(AnswersTest, BothCommandsWantATestSheet) {
  testing::FillNumberedBank(*bank_, {1});
  body().use_sheet40 = true;
  bank_->Activate();
  Run("M_InPutAns");
  Run("M_ANS_DEL");
  const MessageRecord wrong_sheet{"表示させたいテスト用紙を選んでから実行して下さい。",
                                  host::MessageButtons::kOk, "テスト用紙選択"};
  EXPECT_EQ(ui_.TakeMessages(), (std::vector<MessageRecord>{wrong_sheet, wrong_sheet}));
  EXPECT_TRUE(body().use_sheet40) << "unchanged";
  book_->Sheets().Add().SetName("ミラヴォ 同音・同訓 2");
  Run("M_InPutAns");
  EXPECT_EQ(ui_.TakeMessages(),
            (std::vector<MessageRecord>{
                {"出題文シートが複数あります。", host::MessageButtons::kOk, "特定不能"}}));
}

}  // namespace
}  // namespace tarquel::review
