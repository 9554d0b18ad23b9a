// `tarquel check` run as a user runs it: a process with its own home folder and real workbook
// files, its output and exit status. The banks are built here, one holding every kind of
// finding the check lists.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/tarquel/program_process.h"
#include "bankcheck/finding.h"
#include "host/application.h"
#include "host/platform/posix_platform.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "host/xlsx/xlsx_files.h"
#include "support/bank_builder.h"
#include "support/scripted_ui.h"
#include "tarquel/invocation.h"

extern char** environ;

namespace tarquel::app {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

int Occurrences(const std::string& text, const std::string& piece) {
  int count = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos;
       at = text.find(piece, at + piece.size())) {
    ++count;
  }
  return count;
}

class CheckProgramTest : public ::testing::Test {
 protected:
  CheckProgramTest() {
    char pattern[] = "/tmp/tarquel-check-XXXXXX";
    home_ = mkdtemp(pattern);
    app_.SetWorkbookFiles(&files_);
  }
  ~CheckProgramTest() override { fs::remove_all(home_); }

  ProgramRun Tarquel(const std::vector<std::string>& args) { return RunProgram(home_, args); }

  // A workbook whose bank sheet is filled by `fill`, saved in the home folder as `name`.
  template <typename Fill>
  fs::path SaveBank(const std::string& name, Fill&& fill) {
    host::Workbook& book = app_.Workbooks().Add();
    host::Worksheet& bank = book.ActiveSheet();
    bank.SetName("ミラヴォ 同音・同訓");
    fill(bank);
    const fs::path path = home_ / name;
    book.SaveAs(path.string());
    return path;
  }

  fs::path home_;
  tarquel::testing::ScriptedUi ui_;
  host::PosixPlatform platform_;
  host::xlsx::XlsxFiles files_{platform_};
  host::Application app_{ui_};
};

// A bank with one or more findings of every kind but the empty bank and the missing underline:
// a header row, groups of one, a repeated mark, a group of 21, an open end, rows below the end,
// a repeated sentence, answers empty, in their sentence, late or in no table, and marks that
// are not read.
void FillTroubledBank(host::Worksheet& bank) {
  using tarquel::testing::BankRow;
  std::vector<BankRow> rows = {
      {"組", "問題文", "答え"},
      {"カイシン", "試合でカイシンのシュートを決めた。", "会心"},
      {"カイシン", "悪い行いを反省し、カイシンする。", ""},
      {"つとめる", "父は銀行に勤めている。", "勤めて"},
      {"つとめる", "会長の役目をつとめる。", "務める", {"X "}, "二回", "x"},
      {"カイシン", "カイシンの笑み。", "会心"},
      {"ヨウイ", "遠足のヨウイを済ませた。", "用意"},
      {"ヨウイ", "遠足のヨウイを済ませた。", "用意"},
      {"おか", "オカに登る。", "岡"},
  };
  for (int i = 1; i <= 21; ++i) rows.push_back({"おおい", "文" + std::to_string(i), "多"});
  rows.push_back({"", "終わりのはかる。", "計る"});
  tarquel::testing::FillBank(bank, rows);
  bank.Cells(2, 16).SetValue(host::CellValue("必出"));
  bank.Cells(33, 4).SetValue(host::CellValue("下に離れた問題。"));
}

TEST(CheckArgumentsTest, TakesABankOrTheSampleASchoolYearAndJson) {
  const cli::Invocation plain = cli::ParseArguments({"check", "bank.xlsx"});
  EXPECT_EQ(plain.command, cli::Command::kCheck);
  EXPECT_EQ(plain.bank, "bank.xlsx");
  EXPECT_EQ(plain.grade, std::nullopt);
  EXPECT_FALSE(plain.json);
  const cli::Invocation full = cli::ParseArguments({"check", "--sample", "--grade=9", "--json"});
  EXPECT_TRUE(full.sample);
  EXPECT_EQ(full.grade, 9);
  EXPECT_TRUE(full.json);
  for (const char* grade : {"0", "10", "4年", "", "-1"}) {
    EXPECT_THROW(cli::ParseArguments({"check", "bank.xlsx", "--grade", grade}), cli::UsageError)
        << grade;
  }
  EXPECT_THROW(cli::ParseArguments({"check", "bank.xlsx", "-o", "out.xlsx"}), cli::UsageError)
      << "check saves nothing, so it has nowhere to save to";
  EXPECT_THAT(cli::OverviewHelp(), HasSubstr("  check "));
}

TEST_F(CheckProgramTest, TheSampleBankHasNothingToReport) {
  const ProgramRun run = Tarquel({"check", "--sample"});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_THAT(run.out, HasSubstr("見つかった問題はありません。"));
}

TEST_F(CheckProgramTest, ListsEveryKindOfFindingAndSavesNothing) {
  const fs::path bank = SaveBank("bank.xlsx", FillTroubledBank);
  const std::string before = ReadAll(bank);
  const ProgramRun run = Tarquel({"check", "bank.xlsx", "--grade", "4"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_THAT(run.out, StartsWith("ミラヴォ 同音・同訓: 問題 31 題（1〜31 行目）"));
  for (const bankcheck::FindingKind kind : bankcheck::kAllFindingKinds) {
    if (kind == bankcheck::FindingKind::kNoQuestions ||
        kind == bankcheck::FindingKind::kNoUnderline) {
      EXPECT_THAT(run.out, ::testing::Not(HasSubstr(std::string(bankcheck::KindTitle(kind)))));
      continue;
    }
    EXPECT_THAT(run.out, HasSubstr("■ " + std::string(bankcheck::KindTitle(kind))))
        << bankcheck::KindName(kind);
  }
  EXPECT_THAT(run.out, HasSubstr("  33 行目: 32 行目の D 列が空"));
  EXPECT_THAT(run.out, HasSubstr("  7〜8 行目: 問題文「遠足のヨウイを済ませた。」"));
  EXPECT_THAT(run.out, HasSubstr("    → "));
  EXPECT_EQ(ReadAll(bank), before) << "check never saves";
}

TEST_F(CheckProgramTest, PrintsJsonForTools) {
  SaveBank("bank.xlsx", FillTroubledBank);
  const ProgramRun run = Tarquel({"check", "bank.xlsx", "--json"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_THAT(run.out,
              StartsWith("{\"sheet\": \"ミラヴォ 同音・同訓\", \"last_question_row\": 31, "));
  EXPECT_THAT(run.out, HasSubstr("{\"kind\": \"rows_after_end\", \"title\": "));
  EXPECT_THAT(run.out, HasSubstr("\"rows\": [33], \"reason\": \"32 行目の D 列が空"));
  EXPECT_THAT(run.out, HasSubstr("\"kind\": \"open_last_group\", "));
  EXPECT_THAT(run.out, ::testing::EndsWith("]}\n"));
  // Without --grade no kanji are looked at.
  EXPECT_THAT(run.out, ::testing::Not(HasSubstr("kanji_")));
  const std::size_t count_at = run.out.find("\"finding_count\": ");
  ASSERT_NE(count_at, std::string::npos);
  EXPECT_EQ(std::atoi(run.out.c_str() + count_at + 17), Occurrences(run.out, "{\"kind\": "));
}

TEST_F(CheckProgramTest, ExitStatusSaysWhetherThereIsAnythingToReport) {
  SaveBank("clean.xlsx", [](host::Worksheet& bank) {
    tarquel::testing::FillBank(
        bank, {{"イギ", "イギをとなえる。", "異議"}, {"イギ", "人生のイギを考える。", "意義"}});
  });
  SaveBank("empty.xlsx", [](host::Worksheet&) {});
  {
    std::ofstream junk(home_ / "junk.xlsx", std::ios::binary);
    junk << "not a workbook";
  }
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
  };
  const std::vector<Case> cases = {
      {{"check", "clean.xlsx"}, 0, "見つかった問題はありません。"},
      {{"check", "clean.xlsx", "--json"}, 0, "\"finding_count\": 0, \"findings\": []}"},
      {{"check", "empty.xlsx"}, 1, "問題が１題もない"},
      {{"check", "junk.xlsx"}, 3, ""},
      {{"check", "missing.xlsx"}, 3, ""},
      {{"check", "clean.xlsx", "--grade", "0"}, 2, ""},
      {{"check", "clean.xlsx", "--grade", "ten"}, 2, ""},
      {{"help", "check"}, 0, "tarquel check [BANK] [--grade N] [--json]"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = Tarquel(c.args);
    EXPECT_EQ(run.status, c.status) << c.args[1] << "\n" << run.out << run.err;
    EXPECT_THAT(run.out, HasSubstr(c.out)) << c.args[1];
  }
}

TEST_F(CheckProgramTest, AWorkbookWithoutABankSheetIsSaidSo) {
  host::Workbook& book = app_.Workbooks().Add();
  book.ActiveSheet().SetName("名簿");
  book.SaveAs((home_ / "other.xlsx").string());
  const ProgramRun run = Tarquel({"check", "other.xlsx"});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.out + run.err, HasSubstr("出題文シートがありません。"));
}

}  // namespace
}  // namespace tarquel::app
