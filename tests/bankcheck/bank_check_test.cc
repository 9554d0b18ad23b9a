// The bank check on small banks built in each test: one case per kind of finding, each on an
// otherwise clean bank, so that a finding appears where the commands misread the bank and
// nowhere else; and the sample bank, which a new user starts from.
#include "bankcheck/bank_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "datafiles/sample_workbook.h"
#include "host/range.h"
#include "model/generation_state.h"
#include "support/bank_builder.h"
#include "support/host_fixture.h"
#include "testgen/selection.h"

namespace tarquel::bankcheck {
namespace {

using testing::BankRow;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Rows = std::vector<int32_t>;

// Three closed groups of two, no underlines, nothing the commands misread.
std::vector<BankRow> CleanBank() {
  return {
      {"カイシン", "試合でカイシンのシュートを決めた。", "会心"},
      {"カイシン", "悪い行いを反省し、カイシンする。", "改心"},
      {"つとめる", "会長の役目をつとめる。", "務める"},
      {"つとめる", "父は銀行につとめている。", "勤めて"},
      {"ヨウイ", "遠足のヨウイを済ませた。", "用意"},
      {"ヨウイ", "この問題はヨウイではない。", "容易"},
  };
}

// Rows of the findings of `kind`, one entry per finding.
std::vector<Rows> RowsOf(const CheckResult& result, FindingKind kind) {
  std::vector<Rows> rows;
  for (const Finding& finding : result.findings) {
    if (finding.kind == kind) rows.push_back(finding.rows);
  }
  return rows;
}

void Underline(host::Worksheet& sheet, int32_t row, uint32_t start, uint32_t length) {
  sheet.Cells(row, 4).Characters(start, length).Font().SetUnderline(host::Underline::kSingle);
}

struct KindCase {
  const char* name;
  FindingKind kind;
  // Builds the bank on the sheet.
  std::function<void(host::Worksheet&)> build;
  std::vector<Rows> expected;
  CheckOptions options = {};
};

class BankCheckTest : public testing::HostTest {};

TEST_F(BankCheckTest, ACleanBankHasNoFindings) {
  testing::FillBank(*sheet_, CleanBank());
  const CheckResult result = CheckBank(*sheet_, {.grade = 6});
  EXPECT_THAT(result.findings, ::testing::IsEmpty());
  EXPECT_EQ(result.last_question_row, 6);
  EXPECT_EQ(result.group_count, 3);
}

TEST_F(BankCheckTest, EachKindIsFoundWhereTheCommandsMisreadTheBank) {
  const std::vector<KindCase> cases = {
      {"empty sheet", FindingKind::kNoQuestions, [](host::Worksheet&) {}, {{1}}},
      {"questions below an empty D",
       FindingKind::kRowsAfterEnd,
       [](host::Worksheet& sheet) {
         testing::FillBank(sheet, CleanBank());
         sheet.Cells(8, 3).SetValue(host::CellValue("はかる"));
         sheet.Cells(8, 4).SetValue(host::CellValue("タイムをはかる。"));
         sheet.Cells(10, 4).SetValue(host::CellValue("長さをはかる。"));
         sheet.Cells(11, 5).SetValue(host::CellValue("答えだけの行"));
       },
       {{8, 10}}},
      {"last rows without a mark",
       FindingKind::kOpenLastGroup,
       [](host::Worksheet& sheet) {
         std::vector<BankRow> rows = CleanBank();
         rows.push_back({"", "タイムをはかる。", "計る"});
         rows.push_back({"", "長さをはかる。", "測る"});
         testing::FillBank(sheet, rows);
       },
       {{7, 8}}},
      {"last group's mark repeated in the empty row below",
       FindingKind::kOpenLastGroup,
       [](host::Worksheet& sheet) {
         testing::FillBank(sheet, CleanBank());
         sheet.Cells(7, 3).SetValue(host::CellValue("ヨウイ"));
       },
       {{5, 6}}},
      {"a group of 21 rows",
       FindingKind::kOversizeGroup,
       [](host::Worksheet& sheet) {
         testing::FillBank(sheet, CleanBank());
         for (int32_t row = 7; row <= 27; ++row) {
           sheet.Cells(row, 3).SetValue(host::CellValue("おおい"));
           sheet.Cells(row, 4).SetValue(host::CellValue("文" + std::to_string(row)));
           sheet.Cells(row, 5).SetValue(host::CellValue("多"));
         }
       },
       {Rows{7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27}}},
      {"a mark used again lower down",
       FindingKind::kRepeatedGroupMark,
       [](host::Worksheet& sheet) {
         std::vector<BankRow> rows = CleanBank();
         rows.push_back({"カイシン", "心をカイシンする。", "改心"});
         rows.push_back({"カイシン", "カイシンの笑み。", "会心"});
         testing::FillBank(sheet, rows);
       },
       {{7, 8}}},
      {"a group of one row",
       FindingKind::kSingleRowGroup,
       [](host::Worksheet& sheet) {
         std::vector<BankRow> rows = CleanBank();
         rows.insert(rows.begin() + 2, {"イギ", "イギをとなえる。", "異議"});
         testing::FillBank(sheet, rows);
       },
       {{3}}},
      {"a sentence twice",
       FindingKind::kDuplicateSentence,
       [](host::Worksheet& sheet) {
         std::vector<BankRow> rows = CleanBank();
         rows[4].question = rows[1].question;
         testing::FillBank(sheet, rows);
       },
       {{2, 5}}},
      {"no answer",
       FindingKind::kEmptyAnswer,
       [](host::Worksheet& sheet) {
         std::vector<BankRow> rows = CleanBank();
         rows[2].answer = "";
         rows[5].answer = "　";
         testing::FillBank(sheet, rows);
       },
       {{3}, {6}}},
      {"the answer in its sentence",
       FindingKind::kAnswerInSentence,
       [](host::Worksheet& sheet) {
         std::vector<BankRow> rows = CleanBank();
         rows[3].question = "父は銀行に勤めている。";
         testing::FillBank(sheet, rows);
       },
       {{4}}},
      {"attempt marks with a space, a cross, after a gap",
       FindingKind::kUnreadAttemptMark,
       [](host::Worksheet& sheet) {
         std::vector<BankRow> rows = CleanBank();
         rows[0].attempts = {"X", "X "};
         rows[1].attempts = {"×"};
         rows[2].attempts = {"", "X"};
         rows[3].attempts = {"x", "Ｘ", "s", "除", "○"};  // all read, or not meant as a mark
         rows[4].attempts = {"　除"};
         testing::FillBank(sheet, rows);
       },
       {{1}, {2}, {3}, {5}}},
      {"must-appear column holding something else",
       FindingKind::kUnreadMustAppearMark,
       [](host::Worksheet& sheet) {
         std::vector<BankRow> rows = CleanBank();
         rows[0].must = "必出";
         rows[1].must = "x";
         rows[2].must = "必出 ";
         testing::FillBank(sheet, rows);
       },
       {{2}, {3}}},
      {"必出 outside column R",
       FindingKind::kMustAppearElsewhere,
       [](host::Worksheet& sheet) {
         testing::FillBank(sheet, CleanBank());
         sheet.Cells(2, 16).SetValue(host::CellValue("必出"));
         sheet.Cells(4, 6).SetValue(host::CellValue("必出"));
         sheet.Cells(5, 19).SetValue(host::CellValue(" 必出"));
         sheet.Cells(6, 5).SetValue(host::CellValue("必出"));  // an answer, though odd
       },
       {{2}, {4}, {5}}},
      {"text in the times-set column",
       FindingKind::kTextTimesSet,
       [](host::Worksheet& sheet) {
         std::vector<BankRow> rows = CleanBank();
         rows[0].times_set = "3";
         testing::FillBank(sheet, rows);
         sheet.Cells(2, 17).SetValue(host::CellValue("３"));  // full-width digits read
         sheet.Cells(3, 17).SetValue(host::CellValue("二回"));
       },
       {{3}}},
      {"a header in row 1",
       FindingKind::kHeaderRow,
       [](host::Worksheet& sheet) {
         std::vector<BankRow> rows = CleanBank();
         rows.insert(rows.begin(), {"組", "問題文", "答え"});
         testing::FillBank(sheet, rows);
       },
       {{1}}},
      {"a sentence without an underline where most have one",
       FindingKind::kNoUnderline,
       [](host::Worksheet& sheet) {
         testing::FillBank(sheet, CleanBank());
         Underline(sheet, 1, 4, 4);
         Underline(sheet, 2, 9, 4);
         Underline(sheet, 3, 7, 4);
         Underline(sheet, 5, 4, 3);
         sheet.Cells(6, 4).Font().SetUnderline(host::Underline::kSingle);  // all of it
       },
       {{4}, {6}}},
      {"answer kanji taught after year 4",
       FindingKind::kKanjiAboveGrade,
       [](host::Worksheet& sheet) { testing::FillBank(sheet, CleanBank()); },
       {{3}, {4}, {6}},
       {.grade = 4}},
      {"answer kanji in no table",
       FindingKind::kKanjiInNoTable,
       [](host::Worksheet& sheet) {
         std::vector<BankRow> rows = CleanBank();
         rows[2].answer = "岡";
         rows[4].answer = "用意ABCかな";
         testing::FillBank(sheet, rows);
       },
       {{3}},
       {.grade = 9}},
  };
  for (const KindCase& c : cases) {
    SCOPED_TRACE(c.name);
    host::Worksheet& sheet = book_->Sheets().Add();
    c.build(sheet);
    const CheckResult result = CheckBank(sheet, c.options);
    EXPECT_EQ(RowsOf(result, c.kind), c.expected);
    for (const Finding& finding : result.findings) {
      EXPECT_FALSE(finding.reason.empty());
      EXPECT_FALSE(finding.action.empty());
      EXPECT_EQ(finding.reason.find('\n'), std::string::npos) << "one line";
    }
  }
}

TEST_F(BankCheckTest, GroupsAreThoseTestGenerationForms) {
  // A mark repeated lower down, an unmarked pair in the middle and an open end: the check's
  // group count and open rows agree with the generator's scan.
  std::vector<BankRow> rows = CleanBank();
  rows.push_back({"", "一", "一"});
  rows.push_back({"", "二", "二"});
  rows.push_back({"カイシン", "三", "三"});
  rows.push_back({"", "四", "四"});
  testing::FillBank(*sheet_, rows);
  const CheckResult result = CheckBank(*sheet_);
  model::GenerationState state;
  testgen::ScanBank(*sheet_, state);
  EXPECT_EQ(result.group_count, state.bank_group_count);
  EXPECT_EQ(result.group_count, 5);
  EXPECT_THAT(RowsOf(result, FindingKind::kOpenLastGroup), ElementsAre(Rows{10}));
  EXPECT_THAT(RowsOf(result, FindingKind::kRepeatedGroupMark), ElementsAre(Rows{9}));
  EXPECT_THAT(RowsOf(result, FindingKind::kSingleRowGroup), ElementsAre(Rows{9}));
}

TEST_F(BankCheckTest, FindingsComeByKindThenByRow) {
  std::vector<BankRow> rows = CleanBank();
  rows[5].answer = "";
  rows[1].answer = "";
  rows[3].must = "x";
  rows.push_back({"", "はかる", ""});
  testing::FillBank(*sheet_, rows);
  const CheckResult result = CheckBank(*sheet_);
  std::vector<std::pair<FindingKind, int32_t>> order;
  for (const Finding& finding : result.findings) order.emplace_back(finding.kind, finding.rows[0]);
  EXPECT_THAT(order, ElementsAre(std::pair{FindingKind::kOpenLastGroup, 7},
                                 std::pair{FindingKind::kEmptyAnswer, 2},
                                 std::pair{FindingKind::kEmptyAnswer, 6},
                                 std::pair{FindingKind::kEmptyAnswer, 7},
                                 std::pair{FindingKind::kUnreadMustAppearMark, 4}));
}

TEST_F(BankCheckTest, ReasonsNameTheRowsAndMarksInvolved) {
  std::vector<BankRow> rows = CleanBank();
  rows.push_back({"カイシン", "心をカイシンする。", "改心"});
  testing::FillBank(*sheet_, rows);
  sheet_->Cells(9, 4).SetValue(host::CellValue("下の問題"));
  const CheckResult result = CheckBank(*sheet_);
  ASSERT_EQ(RowsOf(result, FindingKind::kRowsAfterEnd).size(), 1u);
  for (const Finding& finding : result.findings) {
    if (finding.kind == FindingKind::kRowsAfterEnd) {
      EXPECT_THAT(finding.reason, HasSubstr("8 行目の D 列が空"));
    }
    if (finding.kind == FindingKind::kRepeatedGroupMark) {
      EXPECT_THAT(finding.reason, HasSubstr("「カイシン」は 1〜2 行目"));
    }
    if (finding.kind == FindingKind::kOpenLastGroup) {
      FAIL() << "row 7's mark differs from the empty row below: the group is closed";
    }
  }
}

TEST_F(BankCheckTest, AnUnreadMarkSaysHowToWriteIt) {
  std::vector<BankRow> rows = CleanBank();
  rows[0].attempts = {"除　"};
  rows[1].attempts = {"✕"};
  testing::FillBank(*sheet_, rows);
  std::vector<std::string> actions;
  for (const Finding& finding : CheckBank(*sheet_).findings) actions.push_back(finding.action);
  EXPECT_THAT(actions, ElementsAre("空白を消して「除」とだけ書いて下さい。",
                                   "間違いの印は「X」と書いて下さい。"));
}

TEST_F(BankCheckTest, KanjiAreCheckedOnlyWithASchoolYear) {
  std::vector<BankRow> rows = CleanBank();
  rows[0].answer = "岡";
  testing::FillBank(*sheet_, rows);
  EXPECT_THAT(RowsOf(CheckBank(*sheet_), FindingKind::kKanjiInNoTable), ::testing::IsEmpty());
  EXPECT_THAT(RowsOf(CheckBank(*sheet_, {.grade = 9}), FindingKind::kKanjiInNoTable),
              ElementsAre(Rows{1}));
}

TEST_F(BankCheckTest, TheSampleBankIsClean) {
  host::Workbook& sample = datafiles::BuildSampleWorkbook(app_);
  const CheckResult result = CheckBank(sample.ActiveSheet());
  std::string found;
  for (const Finding& finding : result.findings) {
    found += std::string(KindName(finding.kind)) + " " + std::to_string(finding.rows[0]) + ": " +
             finding.reason + "\n";
  }
  EXPECT_TRUE(result.findings.empty()) << found;
  EXPECT_GT(result.last_question_row, 0);
}

}  // namespace
}  // namespace tarquel::bankcheck
