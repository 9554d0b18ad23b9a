// The tarquel program run as a user runs it: a process with its own home folder, real
// workbook files, its output and exit status. The sample bank is the one the program installs
// into the data folder on its first run.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/tarquel/program_process.h"
#include "host/application.h"
#include "host/platform/posix_platform.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "host/xlsx/compound_file.h"
#include "host/xlsx/xlsx_files.h"
#include "model/bank_sheet.h"
#include "support/scripted_ui.h"
#include "support/sheet_dump.h"

extern char** environ;

namespace tarquel::app {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr char kBankSheet[] = "ミラヴォ 同音・同訓";
constexpr char kTest40[] = "テスト用紙 【40】";

// A home folder of its own for each test, and the program run in it.
class TarquelProgramTest : public ::testing::Test {
 protected:
  TarquelProgramTest() {
    char pattern[] = "/tmp/tarquel-e2e-XXXXXX";
    home_ = mkdtemp(pattern);
    // The first run puts the sample bank into the data folder.
    const ProgramRun version = Tarquel({"version"});
    EXPECT_EQ(version.status, 0) << version.err;
    sample_ = home_ / "Documents" / "ソルネア保存データ" / "同音同訓【サンプルデータ】.xlsx";
  }
  ~TarquelProgramTest() override { fs::remove_all(home_); }

  ProgramRun Tarquel(const std::vector<std::string>& args) { return RunProgram(home_, args); }

  // Runs the program at a terminal of its own (a pseudo-terminal), typing `input` into it;
  // what the terminal showed comes back as `out`.
  ProgramRun TarquelAtTerminal(const std::vector<std::string>& args, const std::string& input) {
    std::vector<std::string> argv_text = {TARQUEL_PROGRAM};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argv_text) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string home = "HOME=" + home_.string();
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
      if (chdir(home_.c_str()) != 0) _exit(126);
      putenv(const_cast<char*>(home.c_str()));
      execv(argv[0], argv.data());
      _exit(127);
    }
    ProgramRun run;
    if (pid < 0) return run;
    if (write(master, input.data(), input.size()) != static_cast<ssize_t>(input.size())) {
      ADD_FAILURE() << "could not type into the terminal";
    }
    char buffer[4096];
    pollfd ready{master, POLLIN, 0};
    while (poll(&ready, 1, 60000) > 0) {
      const ssize_t n = read(master, buffer, sizeof buffer);
      if (n <= 0) break;  // the program has ended and closed the terminal
      run.out.append(buffer, static_cast<std::size_t>(n));
    }
    close(master);
    int wait_status = 0;
    waitpid(pid, &wait_status, 0);
    run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
    return run;
  }

  // A copy of the sample bank in the home folder.
  fs::path CopyOfSample(const std::string& name) {
    const fs::path copy = home_ / name;
    fs::copy_file(sample_, copy);
    return copy;
  }

  // Opens a workbook the program wrote, as another session of the host would.
  host::Workbook& Open(const fs::path& path) { return app_.Workbooks().Open(path.string()); }

  fs::path home_;
  fs::path sample_;
  testing::ScriptedUi ui_;
  host::PosixPlatform platform_;
  host::xlsx::XlsxFiles files_{platform_};
  host::Application app_{ui_};

 private:
  void SetUp() override { app_.SetWorkbookFiles(&files_); }
};

// The bank row whose question (column D) is `question`, or 0.
int32_t BankRowOf(host::Worksheet& bank, const std::string& question) {
  for (int32_t row = 1; row <= bank.LastRowWithCells(); ++row) {
    if (bank.Cells(row, 4).Text() == question) return row;
  }
  return 0;
}

TEST_F(TarquelProgramTest, MakesATestFromTheSampleBank) {
  const fs::path bank = CopyOfSample("bank.xlsx");
  const std::string before = ReadAll(bank);
  const ProgramRun run = Tarquel({"make-test", "bank.xlsx", "--per-page", "40", "--count", "10",
                                  "--code", "2024", "-o", "test.xlsx"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("Made テスト用紙 【40】 in bank.xlsx: "));
  EXPECT_THAT(run.out, HasSubstr("test code 2024[1-85]10"));
  EXPECT_EQ(ReadAll(bank), before) << "-o leaves the bank's own file alone";

  host::Workbook& made = Open(home_ / "test.xlsx");
  host::Worksheet& test = made.Sheets().Item(kTest40);
  host::Worksheet& sheet = made.Sheets().Item(kBankSheet);
  const std::string first_question = test.Range("T2").Text();
  ASSERT_FALSE(first_question.empty());
  const int32_t row = BankRowOf(sheet, first_question);
  ASSERT_GT(row, 0) << "the question comes from the bank";
  EXPECT_EQ(test.Range("U8").Text(), "2024[1-85]10") << "the test code on the page";
  EXPECT_FALSE(sheet.Cells(row, 17).Text().empty()) << "the question was counted as set";
}

// What a shell command prints on its standard output.
std::string ShellOutput(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

bool HavePoppler() {
  return std::system(
             "command -v pdftotext >/dev/null 2>&1 && command -v pdfinfo >/dev/null 2>&1") == 0;
}

// pdfinfo's answer for the whole document.
std::string PdfInfo(const fs::path& pdf) { return ShellOutput("pdfinfo '" + pdf.string() + "'"); }

int PdfPages(const fs::path& pdf) {
  std::smatch match;
  const std::string info = PdfInfo(pdf);
  return std::regex_search(info, match, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(match.str(1))
                                                                        : -1;
}

// The text of a PDF as pdftotext gives it, without its line breaks: stacked text comes out a
// character a line.
std::string PdfText(const fs::path& pdf) {
  std::string text = ShellOutput("pdftotext '" + pdf.string() + "' -");
  std::erase(text, '\n');
  return text;
}

// How often `piece` occurs in `text`.
int Occurrences(const std::string& text, const std::string& piece) {
  int count = 0;
  for (std::size_t at = text.find(piece); at != std::string::npos;
       at = text.find(piece, at + piece.size())) {
    ++count;
  }
  return count;
}

// The characters of UTF-8 text, each as its bytes.
std::vector<std::string> Characters(const std::string& text) {
  std::vector<std::string> characters;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = at + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    characters.push_back(text.substr(at, end - at));
    at = end;
  }
  return characters;
}

// The question cells of a test sheet's print area that hold a question, as (row, column).
std::vector<std::pair<int32_t, int32_t>> QuestionCells(host::Worksheet& test) {
  std::vector<std::pair<int32_t, int32_t>> cells;
  for (int32_t row = 2; row <= test.LastRowWithCells(); row += 4) {
    for (int32_t column = 1; column <= 20; ++column) {
      if (!test.Cells(row, column).Text().empty()) cells.emplace_back(row, column);
    }
  }
  return cells;
}

// The page count "Made ..." reports.
int MadePages(const std::string& out) {
  std::smatch match;
  return std::regex_search(out, match, std::regex(": (\\d+) pages?, ")) ? std::stoi(match.str(1))
                                                                        : -1;
}

TEST_F(TarquelProgramTest, MakeTestPrintsTheTestBeforeSavingItOnASheetOfA4ForEachPage) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
  const ProgramRun no_folder = Tarquel({"make-test", "--sample", "--per-page", "40", "--code", "11",
                                        "-o", "out/test.xlsx", "--pdf", "out/test.pdf"});
  EXPECT_EQ(no_folder.status, 3) << "the folder to print in must exist";
  EXPECT_THAT(no_folder.err, HasSubstr("out/test.pdf"));
  EXPECT_THAT(no_folder.err, HasSubstr("Not saved"));
  EXPECT_THAT(no_folder.err, HasSubstr("out/test.xlsx"));
  EXPECT_FALSE(fs::exists(home_ / "out"));

  fs::create_directory(home_ / "out");
  const ProgramRun printed = Tarquel({"make-test", "--sample", "--per-page", "40", "--code", "11",
                                      "-o", "out/test.xlsx", "--pdf", "out/test.pdf"});
  ASSERT_EQ(printed.status, 0) << printed.err;
  const int pages = MadePages(printed.out);
  ASSERT_GE(pages, 2) << printed.out;
  EXPECT_THAT(printed.out, HasSubstr("Printed テスト用紙 【40】 to out/test.pdf (" +
                                     std::to_string(pages) + " pages)\nSaved "))
      << "printed first, then saved";
  const fs::path pdf = home_ / "out" / "test.pdf";
  EXPECT_EQ(PdfPages(pdf), pages);
  EXPECT_THAT(PdfInfo(pdf), HasSubstr("Page size:       841.89 x 595.276 pts (A4)"));

  const std::string text = PdfText(pdf);
  host::Worksheet& test = Open(home_ / "out" / "test.xlsx").Sheets().Item(kTest40);
  const auto questions = QuestionCells(test);
  EXPECT_GE(questions.size(), 40u);
  for (const auto& [row, column] : questions) {
    const std::string question = test.Cells(row, column).Text();
    EXPECT_THAT(text, HasSubstr(question)) << "row " << row << ", column " << column;
  }
  EXPECT_THAT(text, HasSubstr(test.Range("U8").Text())) << "the test code";
}

TEST_F(TarquelProgramTest, APdfThatCannotBeWrittenLeavesTheTestUncountedSoARerunCountsItOnce) {
  const fs::path bank = CopyOfSample("bank.xlsx");
  const std::string before = ReadAll(bank);
  const std::vector<std::string> make = {"make-test", "bank.xlsx", "--per-page", "40",
                                         "--count",   "6",         "--code",     "31"};
  std::vector<std::string> failing = make;
  failing.insert(failing.end(), {"--pdf", "no such folder/test.pdf"});
  const ProgramRun failed = Tarquel(failing);
  EXPECT_EQ(failed.status, 3);
  EXPECT_THAT(failed.err, HasSubstr("no such folder/test.pdf"));
  EXPECT_THAT(failed.err, HasSubstr("Not saved: the PDF was not written, so " + bank.string() +
                                    " was not written either"));
  EXPECT_THAT(failed.out, Not(HasSubstr("Saved")));
  EXPECT_EQ(ReadAll(bank), before) << "the test is not counted in column Q";

  std::vector<std::string> working = make;
  working.insert(working.end(), {"--pdf", "test.pdf"});
  const ProgramRun run = Tarquel(working);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(home_ / "test.pdf"));

  // Each question of the test counted once, from the counts the bank had.
  const fs::path original = home_ / "original.xlsx";
  std::ofstream(original, std::ios::binary) << before;
  host::Worksheet& was = Open(original).Sheets().Item(kBankSheet);
  host::Workbook& book = Open(bank);
  host::Worksheet& test = book.Sheets().Item(kTest40);
  host::Worksheet& now = book.Sheets().Item(kBankSheet);
  const auto questions = QuestionCells(test);
  ASSERT_FALSE(questions.empty());
  for (const auto& [row, column] : questions) {
    const int32_t bank_row = BankRowOf(now, test.Cells(row, column).Text());
    ASSERT_GT(bank_row, 0);
    const host::CellValue old_count = was.Cells(bank_row, 17).Value();
    const double expected = old_count.IsNumber() ? old_count.number() + 1 : 1;
    EXPECT_EQ(now.Cells(bank_row, 17).Value().number(), expected) << "bank row " << bank_row;
  }
}

TEST_F(TarquelProgramTest, PrintWritesASheetToPdfAndNeverChangesTheWorkbook) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
  const fs::path bank = CopyOfSample("bank.xlsx");
  const ProgramRun made =
      Tarquel({"make-test", "bank.xlsx", "--per-page", "20", "--count", "8", "--code", "4"});
  ASSERT_EQ(made.status, 0) << made.err;
  const int pages = MadePages(made.out);
  const std::string before = ReadAll(bank);

  // Without --sheet: the test sheet; without -o: beside the workbook.
  const ProgramRun test = Tarquel({"print", "bank.xlsx"});
  ASSERT_EQ(test.status, 0) << test.err;
  const fs::path pdf = home_ / "bank.pdf";
  EXPECT_EQ(test.out, "Printed テスト用紙 【20】 to " + pdf.string() + " (" +
                          std::to_string(pages) + (pages == 1 ? " page)\n" : " pages)\n"));
  EXPECT_EQ(PdfPages(pdf), pages);
  const std::string text = PdfText(pdf);
  {
    host::Workbook& book = Open(bank);
    host::Worksheet& sheet = book.Sheets().Item("テスト用紙 【20】");
    for (const auto& [row, column] : QuestionCells(sheet)) {
      EXPECT_THAT(text, HasSubstr(sheet.Cells(row, column).Text()));
    }
    app_.Workbooks().Close(book);
  }

  const ProgramRun named =
      Tarquel({"print", "bank.xlsx", "--sheet", kBankSheet, "-o", "questions.pdf"});
  ASSERT_EQ(named.status, 0) << named.err;
  EXPECT_THAT(named.out, HasSubstr("Printed " + std::string(kBankSheet) + " to questions.pdf ("));
  EXPECT_GE(PdfPages(home_ / "questions.pdf"), 1);

  const ProgramRun missing = Tarquel({"print", "bank.xlsx", "--sheet", "Sheet9"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_THAT(missing.err,
              HasSubstr("\"bank.xlsx\" has no sheet named \"Sheet9\"; its sheets are "));
  EXPECT_THAT(missing.err, HasSubstr("\"テスト用紙 【20】\""));

  const ProgramRun no_printer = Tarquel({"print", "bank.xlsx", "--printer", "無いプリンター"});
  EXPECT_EQ(no_printer.status, 1);
  EXPECT_THAT(no_printer.err, HasSubstr("Not printed: "));
  EXPECT_THAT(no_printer.err, HasSubstr("無いプリンター"));

  const ProgramRun onto_bank = Tarquel({"print", "bank.xlsx", "-o", "./bank.xlsx"});
  EXPECT_EQ(onto_bank.status, 3);
  EXPECT_THAT(onto_bank.err, HasSubstr("is the workbook"));

  EXPECT_EQ(ReadAll(bank), before) << "printing saves nothing";
}

TEST_F(TarquelProgramTest, AnswerKeyPrintsTheAnswersAndLeavesTheBankAsItWas) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
  const fs::path bank = CopyOfSample("bank.xlsx");
  const ProgramRun no_test = Tarquel({"answer-key", "bank.xlsx", "-o", "key.pdf"});
  EXPECT_EQ(no_test.status, 1) << "no test sheet to show the answers on";
  EXPECT_THAT(no_test.err, HasSubstr("表示させたいテスト用紙を選んでから実行して下さい。"));
  EXPECT_FALSE(fs::exists(home_ / "key.pdf"));
  EXPECT_EQ(Tarquel({"answer-key", "bank.xlsx"}).status, 2) << "no -o";

  ASSERT_EQ(Tarquel({"make-test", "bank.xlsx", "--per-page", "40", "--count", "12", "--code", "6"})
                .status,
            0);
  const std::string before = ReadAll(bank);
  const ProgramRun sheet = Tarquel({"print", "bank.xlsx", "-o", "test.pdf"});
  ASSERT_EQ(sheet.status, 0) << sheet.err;
  const ProgramRun key = Tarquel({"answer-key", "bank.xlsx", "-o", "key.pdf"});
  ASSERT_EQ(key.status, 0) << key.err;
  EXPECT_THAT(key.out, HasSubstr("Printed テスト用紙 【40】 to key.pdf ("));
  EXPECT_EQ(ReadAll(bank), before) << "the file stays byte for byte as it was";
  EXPECT_EQ(PdfPages(home_ / "key.pdf"), PdfPages(home_ / "test.pdf"));

  // Each character of the answers stands once more in the key than on the test sheet for each
  // time it is in an answer. Characters, not words: pdftotext reads the big answer glyphs of a
  // row across the columns.
  std::map<std::string, int> characters;
  host::Workbook& book = Open(bank);
  host::Worksheet& test = book.Sheets().Item(kTest40);
  host::Worksheet& questions = book.Sheets().Item(kBankSheet);
  EXPECT_EQ(test.Range("T3").Text(), "") << "the saved sheet has no answers";
  for (const auto& [row, column] : QuestionCells(test)) {
    const int32_t bank_row = BankRowOf(questions, test.Cells(row, column).Text());
    ASSERT_GT(bank_row, 0);
    for (const std::string& character : Characters(questions.Cells(bank_row, 5).Text())) {
      ++characters[character];
    }
  }
  ASSERT_FALSE(characters.empty());
  const std::string key_text = PdfText(home_ / "key.pdf");
  const std::string test_text = PdfText(home_ / "test.pdf");
  for (const auto& [character, times] : characters) {
    EXPECT_EQ(Occurrences(key_text, character) - Occurrences(test_text, character), times)
        << character;
  }
}

TEST_F(TarquelProgramTest, ThePrintPreviewPrintsTheSheetsToAPdfFile) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
  CopyOfSample("bank.xlsx");
  const ProgramRun made =
      Tarquel({"make-test", "bank.xlsx", "--per-page", "40", "--count", "10", "--code", "8"});
  ASSERT_EQ(made.status, 0) << made.err;
  const int pages = MadePages(made.out);

  const ProgramRun paper = Tarquel({"paper", "bank.xlsx", "--preview", "paper.pdf"});
  ASSERT_EQ(paper.status, 0) << paper.err;
  EXPECT_THAT(paper.out, HasSubstr("Printed テスト用紙 【40】 to paper.pdf ("));
  EXPECT_EQ(PdfPages(home_ / "paper.pdf"), pages);

  // At a terminal the dialog's 印刷プレビュー asks where to print; without a terminal the
  // preview is only announced.
  const ProgramRun asked =
      TarquelAtTerminal({"macro", "bank.xlsx", "M_SetPaper"}, "8\npreview.pdf\n\n");
  EXPECT_EQ(asked.status, 0) << asked.out;
  EXPECT_THAT(asked.out, HasSubstr("Print preview of テスト用紙 【40】: PDF file to print it to"));
  EXPECT_THAT(asked.out, HasSubstr("Printed テスト用紙 【40】 to preview.pdf ("));
  EXPECT_EQ(PdfPages(home_ / "preview.pdf"), pages);
}

TEST_F(TarquelProgramTest, TheSameTestCodeMakesTheSameSheetTwice) {
  CopyOfSample("bank.xlsx");
  for (const char* out : {"a.xlsx", "b.xlsx"}) {
    const ProgramRun run = Tarquel({"make-test", "bank.xlsx", "--per-page", "20", "--range", "3-60",
                                    "--count", "12", "--code", "99", "-o", out});
    ASSERT_EQ(run.status, 0) << run.err;
  }
  const std::string a =
      testing::DumpSheet(Open(home_ / "a.xlsx").Sheets().Item("テスト用紙 【20】"));
  const std::string b =
      testing::DumpSheet(Open(home_ / "b.xlsx").Sheets().Item("テスト用紙 【20】"));
  EXPECT_THAT(a, HasSubstr("99[3-60]12"));
  EXPECT_EQ(a, b);
}

TEST_F(TarquelProgramTest, ShowsAndErasesTheAnswers) {
  CopyOfSample("bank.xlsx");
  ASSERT_EQ(Tarquel({"make-test", "bank.xlsx", "--per-page", "40", "--code", "5"}).status, 0);

  const ProgramRun shown = Tarquel({"show-answers", "bank.xlsx"});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_THAT(shown.out, HasSubstr("Saved "));
  {
    host::Workbook& book = Open(home_ / "bank.xlsx");
    host::Worksheet& test = book.Sheets().Item(kTest40);
    host::Worksheet& bank = book.Sheets().Item(kBankSheet);
    const int32_t row = BankRowOf(bank, test.Range("T2").Text());
    ASSERT_GT(row, 0);
    EXPECT_EQ(test.Range("T3").Text(), bank.Cells(row, 5).Text()) << "the answer under it";
    app_.Workbooks().Close(book);
  }
  const ProgramRun erased = Tarquel({"erase-answers", "bank.xlsx", "--per-page", "40"});
  ASSERT_EQ(erased.status, 0) << erased.err;
  host::Workbook& book = Open(home_ / "bank.xlsx");
  EXPECT_EQ(book.Sheets().Item(kTest40).Range("T3").Text(), "");
}

TEST_F(TarquelProgramTest, MarksAQuestionWrongFromTheTestSheet) {
  CopyOfSample("bank.xlsx");
  ASSERT_EQ(Tarquel({"make-test", "bank.xlsx", "--per-page", "40", "--code", "8"}).status, 0);
  std::string question;
  int32_t row = 0;
  {
    host::Workbook& book = Open(home_ / "bank.xlsx");
    question = book.Sheets().Item(kTest40).Range("T2").Text();
    row = BankRowOf(book.Sheets().Item(kBankSheet), question);
    app_.Workbooks().Close(book);
  }
  ASSERT_GT(row, 0);
  const ProgramRun run = Tarquel({"mark-wrong", "bank.xlsx", "--cell", "テスト用紙 【40】!T2"});
  ASSERT_EQ(run.status, 0) << run.err;

  host::Worksheet& bank = Open(home_ / "bank.xlsx").Sheets().Item(kBankSheet);
  // The X goes into the first attempt column (F ..) that was empty.
  int32_t marks = 0;
  for (int32_t column = 6; column <= 15; ++column) {
    if (bank.Cells(row, column).Text() == "X") ++marks;
  }
  EXPECT_GE(marks, 1) << "row " << row << " holds an X";

  const ProgramRun jump = Tarquel({"jump", "bank.xlsx", "--cell", "テスト用紙 【40】!T2"});
  ASSERT_EQ(jump.status, 0) << jump.err;
  EXPECT_EQ(jump.out, std::string(kBankSheet) + "!D" + std::to_string(row) + "\n");
}

TEST_F(TarquelProgramTest, ReportsChangeNothingAndAnswerQuestionsFromTheCommandLine) {
  const fs::path bank = CopyOfSample("bank.xlsx");
  const std::string before = ReadAll(bank);

  const ProgramRun must = Tarquel({"report", "must", "bank.xlsx"});
  EXPECT_EQ(must.status, 0) << must.err;
  EXPECT_EQ(must.out, "[必出総数] 必出に設定している問題数は、3 題です。\n");

  const ProgramRun wrong = Tarquel({"report", "wrong", "bank.xlsx", "--yes"});
  EXPECT_EQ(wrong.status, 0) << wrong.err;
  EXPECT_THAT(wrong.out, HasSubstr("第 1 回目の間違い総数は"));
  EXPECT_THAT(wrong.out, HasSubstr("第 2 回目の間違い総数は"));
  EXPECT_THAT(wrong.err, HasSubstr("answered No: there is no terminal to ask"))
      << "the second question had no answer";

  const ProgramRun duplicates = Tarquel({"report", "duplicates", "bank.xlsx"});
  EXPECT_EQ(duplicates.status, 0) << duplicates.err;
  EXPECT_THAT(duplicates.out, HasSubstr(" 行目："));
  EXPECT_EQ(ReadAll(bank), before) << "a report writes nothing";
}

TEST_F(TarquelProgramTest, SortsTheAnswerColumnsKanjiByGrade) {
  CopyOfSample("bank.xlsx");
  const ProgramRun found =
      Tarquel({"kanji-grade", "bank.xlsx", "--cells", "ミラヴォ 同音・同訓!E:E"});
  ASSERT_EQ(found.status, 0) << found.err;
  EXPECT_THAT(found.out, HasSubstr("【出題している漢字一覧】"));
  EXPECT_THAT(found.out, HasSubstr("【小学 1 年生で習う漢字】"));

  const ProgramRun missing =
      Tarquel({"kanji-grade", "bank.xlsx", "--cells", "ミラヴォ 同音・同訓!E:E", "--missing"});
  ASSERT_EQ(missing.status, 0) << missing.err;
  EXPECT_THAT(missing.out, HasSubstr("【出題していない漢字一覧】"));

  const ProgramRun areas =
      Tarquel({"kanji-grade", "bank.xlsx", "--cells", "ミラヴォ 同音・同訓!E1:E3,F1"});
  EXPECT_EQ(areas.status, 1);
  EXPECT_THAT(areas.err, HasSubstr("「選択範囲」を複数回選んでいます。"));
}

TEST_F(TarquelProgramTest, MakesABlankBankAndNeverOverwritesAFile) {
  const ProgramRun made = Tarquel({"new-bank", "mine.xlsx"});
  ASSERT_EQ(made.status, 0) << made.err;
  host::Workbook& book = Open(home_ / "mine.xlsx");
  ASSERT_EQ(book.SheetCount(), 1);
  host::Worksheet& bank = book.SheetAt(1);
  EXPECT_TRUE(model::IsBankSheetName(bank.Name())) << bank.Name();
  EXPECT_TRUE(bank.Range("D1").Comment().has_value()) << "the column notes";

  const std::string before = ReadAll(home_ / "mine.xlsx");
  const ProgramRun again = Tarquel({"new-bank", "mine.xlsx"});
  EXPECT_EQ(again.status, 3);
  EXPECT_THAT(again.err, HasSubstr("exists already"));
  EXPECT_EQ(ReadAll(home_ / "mine.xlsx"), before);
}

TEST_F(TarquelProgramTest, TheHistoryHoldsTheLastWorkbooksNewestFirst) {
  for (const char* name : {"one.xlsx", "two.xlsx", "three.xlsx"}) {
    CopyOfSample(name);
    ASSERT_EQ(Tarquel({"report", "must", name}).status, 0);
  }
  const ProgramRun history = Tarquel({"history"});
  ASSERT_EQ(history.status, 0) << history.err;
  const std::string home = home_.string();
  EXPECT_THAT(history.out, HasSubstr("1  three.xlsx  " + home +
                                     "/three.xlsx\n"
                                     "  2  two.xlsx  " +
                                     home +
                                     "/two.xlsx\n"
                                     "  3  one.xlsx  " +
                                     home +
                                     "/one.xlsx\n"
                                     "  4  履歴なし\n"));

  const ProgramRun kept = Tarquel({"history", "--clear"});
  EXPECT_THAT(kept.err, HasSubstr("answered No")) << "clearing asks first";
  EXPECT_THAT(Tarquel({"history"}).out, HasSubstr("three.xlsx"));
  ASSERT_EQ(Tarquel({"history", "--clear", "--yes"}).status, 0);
  EXPECT_THAT(Tarquel({"history"}).out, Not(HasSubstr("three.xlsx")));
}

TEST_F(TarquelProgramTest, ExitStatusesTellHowTheRunEnded) {
  CopyOfSample("bank.xlsx");
  // 0: ran to its end.
  EXPECT_EQ(Tarquel({"version"}).out, "[ミラヴォ 同音異義 バージョン情報] バージョン 1.0.6\n");
  EXPECT_EQ(Tarquel({"macro", "bank.xlsx", "M_HITU_Report"}).status, 0);
  // 1: a check or an error message stopped it.
  const ProgramRun no_test = Tarquel({"show-answers", "bank.xlsx"});
  EXPECT_EQ(no_test.status, 1);
  EXPECT_THAT(no_test.err, HasSubstr("[テスト用紙選択] 表示させたいテスト用紙を選んでから"));
  const ProgramRun refused = Tarquel({"make-test", "bank.xlsx", "--count", "0"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_THAT(refused.err, HasSubstr("1以上の整数を入力して下さい。"));
  // 2: the command line was wrong.
  EXPECT_EQ(Tarquel({"make-tests"}).status, 2);
  EXPECT_EQ(Tarquel({"mark-wrong", "bank.xlsx"}).status, 2) << "no --cell";
  EXPECT_EQ(Tarquel({"macro", "bank.xlsx", "M_Nothing"}).status, 2);
  const ProgramRun no_bank = Tarquel({"make-test"});
  EXPECT_EQ(no_bank.status, 2);
  EXPECT_THAT(no_bank.err, HasSubstr("give the workbook"));
  EXPECT_EQ(Tarquel({"jump", "bank.xlsx", "--cell", "No such sheet!A1"}).status, 2);
  // 3: a file could not be read or written.
  EXPECT_EQ(Tarquel({"report", "must", "missing.xlsx"}).status, 3);
}

TEST_F(TarquelProgramTest, AFileThatIsNoWorkbookIsRefusedAndLeftAlone) {
  const fs::path text = home_ / "notes.xlsx";
  std::ofstream(text) << "not a workbook\n";
  const ProgramRun run = Tarquel({"make-test", "notes.xlsx", "--code", "3"});
  EXPECT_EQ(run.status, 3);
  EXPECT_THAT(run.err, HasSubstr("notes.xlsx"));
  EXPECT_EQ(ReadAll(text), "not a workbook\n");
  EXPECT_THAT(Tarquel({"history"}).out, Not(HasSubstr("notes.xlsx")));
}

TEST_F(TarquelProgramTest, PaperSettingsAreCheckedWhenTheBoxIsLeft) {
  CopyOfSample("bank.xlsx");
  ASSERT_EQ(Tarquel({"make-test", "bank.xlsx", "--per-page", "40"}).status, 0);
  const fs::path settings =
      home_ / "Documents" / "ソルネア保存データ" / "ミラヴォ 同音・同訓_設定値.ini";

  const ProgramRun stored = Tarquel({"paper", "bank.xlsx", "--set", "Qs=200", "--set", "C1=7"});
  ASSERT_EQ(stored.status, 0) << stored.err;
  EXPECT_THAT(stored.out, HasSubstr("  Qs = 200\n"));
  EXPECT_THAT(ReadAll(settings), HasSubstr("Qs:200\r\n"));
  EXPECT_THAT(ReadAll(settings), HasSubstr("C1:7\r\n"));

  const ProgramRun no_sheet = Tarquel({"paper", "bank.xlsx", "--set", "Qs20=300"});
  EXPECT_EQ(no_sheet.status, 1) << "the 20-question page needs its test sheet";
  EXPECT_THAT(no_sheet.err, HasSubstr("Qs20 is on the page"));

  const ProgramRun refused = Tarquel({"paper", "bank.xlsx", "--set", "Qs=abc"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_THAT(refused.err, HasSubstr("--set Qs: 1以上の整数を入力して下さい。(既定値：190)"));
  EXPECT_THAT(refused.out, Not(HasSubstr("Qs = abc")));
  EXPECT_THAT(ReadAll(settings), HasSubstr("Qs:200\r\n"));
  EXPECT_EQ(Tarquel({"paper", "bank.xlsx", "--set", "Width=3"}).status, 2);
}

TEST_F(TarquelProgramTest, FuriganaAndMustAppearAreWrittenToTheBank) {
  CopyOfSample("bank.xlsx");
  const ProgramRun reading = Tarquel(
      {"furigana", "bank.xlsx", "--cell", "ミラヴォ 同音・同訓!E3", "--reading", "かいしん"});
  ASSERT_EQ(reading.status, 0) << reading.err;
  const ProgramRun must = Tarquel({"mark-must", "bank.xlsx", "--cell", "ミラヴォ 同音・同訓!D2"});
  ASSERT_EQ(must.status, 0) << must.err;
  EXPECT_EQ(Tarquel({"report", "must", "bank.xlsx"}).out,
            "[必出総数] 必出に設定している問題数は、4 題です。\n");

  host::Worksheet& bank = Open(home_ / "bank.xlsx").Sheets().Item(kBankSheet);
  ASSERT_EQ(bank.Range("E3").PhoneticRuns().size(), 1u);
  EXPECT_EQ(bank.Range("E3").PhoneticRuns()[0].text, "かいしん");
  EXPECT_TRUE(bank.Range("E3").PhoneticsVisible());
}

TEST_F(TarquelProgramTest, ATestSheetNamedByPerPageMustExistAndIsNeverSwappedForTheOther) {
  CopyOfSample("bank.xlsx");
  ASSERT_EQ(Tarquel({"make-test", "bank.xlsx", "--per-page", "40", "--code", "5"}).status, 0);
  const std::string before = ReadAll(home_ / "bank.xlsx");
  for (const char* command : {"show-answers", "erase-answers", "paper"}) {
    const ProgramRun run = Tarquel({command, "bank.xlsx", "--per-page", "20"});
    EXPECT_EQ(run.status, 1) << command;
    EXPECT_THAT(run.err, HasSubstr("has no sheet \"テスト用紙 【20】\" (--per-page 20)"))
        << command;
    EXPECT_EQ(ReadAll(home_ / "bank.xlsx"), before) << command << " saved nothing";
  }
}

TEST_F(TarquelProgramTest, EveryCellMarkedIsReportedAndACellWithNothingToMarkSavesNothing) {
  CopyOfSample("bank.xlsx");
  ASSERT_EQ(Tarquel({"make-test", "bank.xlsx", "--per-page", "40", "--code", "8"}).status, 0);
  int32_t first = 0;
  int32_t second = 0;
  {
    host::Workbook& book = Open(home_ / "bank.xlsx");
    host::Worksheet& test = book.Sheets().Item(kTest40);
    first = BankRowOf(book.Sheets().Item(kBankSheet), test.Range("T2").Text());
    second = BankRowOf(book.Sheets().Item(kBankSheet), test.Range("S2").Text());
    app_.Workbooks().Close(book);
  }
  ASSERT_GT(first, 0);
  ASSERT_GT(second, 0);
  const ProgramRun both = Tarquel({"mark-wrong", "bank.xlsx", "--cell", "テスト用紙 【40】!T2",
                                   "--cell", "テスト用紙 【40】!S6"});
  ASSERT_EQ(both.status, 0) << both.err;
  const std::string third_row = [&] {
    host::Workbook& book = Open(home_ / "bank.xlsx");
    const std::string question = book.Sheets().Item(kTest40).Range("S6").Text();
    const int32_t row = BankRowOf(book.Sheets().Item(kBankSheet), question);
    app_.Workbooks().Close(book);
    return std::to_string(row);
  }();
  EXPECT_THAT(both.out, HasSubstr("row " + std::to_string(first) + ": X in attempt "));
  EXPECT_THAT(both.out, HasSubstr("row " + third_row + ": X in attempt "));

  // Each of these records nothing: the program says why, exits 1 and the file stays as it was,
  // the marks made before the refused cell included.
  const std::string before = ReadAll(home_ / "bank.xlsx");
  const std::string full_row = std::to_string(second);
  struct Case {
    std::vector<std::string> args;
    std::string said;
  };
  const std::vector<Case> cases{
      {{"mark-wrong", "bank.xlsx", "--cell", "テスト用紙 【40】!T2", "--cell",
        "テスト用紙 【40】!U2"},
       "テスト用紙 【40】!U2 is right of the question columns (A to T): nothing to mark"},
      {{"mark-wrong", "bank.xlsx", "--cell", "ミラヴォ 同音・同訓!D999"},
       "row 999 holds no question: nothing to mark"},
      {{"mark-must", "bank.xlsx", "--cell", "ミラヴォ 同音・同訓!B999"},
       "row 999 holds no question: nothing to mark"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = Tarquel(c.args);
    EXPECT_EQ(run.status, 1) << c.said;
    EXPECT_THAT(run.err, HasSubstr(c.said));
    EXPECT_EQ(ReadAll(home_ / "bank.xlsx"), before) << c.said;
  }

  // Marking one question eleven times fills its ten attempts, then finds none free.
  std::vector<std::string> eleven = {"mark-wrong", "bank.xlsx"};
  for (int i = 0; i < 11; ++i) {
    eleven.push_back("--cell");
    eleven.push_back("テスト用紙 【40】!S2");
  }
  const ProgramRun overfull = Tarquel(eleven);
  EXPECT_EQ(overfull.status, 1);
  EXPECT_THAT(overfull.out, HasSubstr("row " + full_row + ": X in attempt 10\n"));
  EXPECT_THAT(overfull.err,
              HasSubstr("no free attempt column in row " + full_row + ": nothing recorded"));
  EXPECT_EQ(ReadAll(home_ / "bank.xlsx"), before);
}

TEST_F(TarquelProgramTest, ACommandThatStopsAtACheckSavesNothing) {
  CopyOfSample("bank.xlsx");
  ASSERT_EQ(Tarquel({"make-test", "bank.xlsx", "--per-page", "40", "--count", "85"}).status, 0);
  const std::string before = ReadAll(home_ / "bank.xlsx");
  // Every question has been set once, so none is left.
  const ProgramRun none_left =
      Tarquel({"make-test", "bank.xlsx", "--per-page", "20", "--exclude-set"});
  EXPECT_EQ(none_left.status, 1);
  EXPECT_THAT(none_left.err, HasSubstr("全て既出されています。"));
  EXPECT_THAT(none_left.err, HasSubstr("Not saved"));
  EXPECT_THAT(none_left.out, Not(HasSubstr("Saved")));
  EXPECT_EQ(ReadAll(home_ / "bank.xlsx"), before) << "no empty test sheet was added";
}

TEST_F(TarquelProgramTest, ABankNameTheSettingsFileCannotHoldLeavesTheHistoryWhole) {
  CopyOfSample("one.xlsx");
  ASSERT_EQ(Tarquel({"report", "must", "one.xlsx"}).status, 0);
  const fs::path settings =
      home_ / "Documents" / "ソルネア保存データ" / "ミラヴォ 同音・同訓_設定値.ini";
  const std::string before = ReadAll(settings);
  // 剝 has no code in the file's code page; 〜 would come back as ～, another file's name.
  for (const char* name : {"剝.xlsx", "頰.xlsx", "𠮟.xlsx", "鷗.xlsx", "波〜線.xlsx"}) {
    CopyOfSample(name);
    const ProgramRun run = Tarquel({"report", "must", name});
    EXPECT_EQ(run.status, 0) << name << ": " << run.err;
    EXPECT_THAT(run.err, HasSubstr("warning: the history of recent workbooks was not updated"));
    EXPECT_THAT(run.err, HasSubstr(name));
    EXPECT_EQ(ReadAll(settings), before) << name;
  }
  EXPECT_THAT(Tarquel({"history"}).out, HasSubstr("1  one.xlsx  "));
}

TEST_F(TarquelProgramTest, ASettingsFileSavedAsUtf8IsReadAndKeptInUtf8) {
  CopyOfSample("bank.xlsx");
  CopyOfSample("先生の問題.xlsx");
  const fs::path settings =
      home_ / "Documents" / "ソルネア保存データ" / "ミラヴォ 同音・同訓_設定値.ini";
  const std::string earlier = "PATH1:" + (home_ / "先生の問題.xlsx").string() + "\r\n";
  std::ofstream(settings, std::ios::binary) << "RND:77\r\n" << earlier << "メモ:テスト\r\n";
  const ProgramRun run = Tarquel({"report", "must", "bank.xlsx"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadAll(settings), "RND:77\r\nPATH1:" + (home_ / "bank.xlsx").string() +
                                   "\r\nメモ:テスト\r\nPATH2:" + earlier.substr(6))
      << "the new entry and the moved one in UTF-8, the other lines as they were";
  EXPECT_THAT(Tarquel({"history"}).out, HasSubstr("2  先生の問題.xlsx  "));
}

TEST_F(TarquelProgramTest, AStoredPaperValueTheHostRefusesIsNamedWithTheWayToResetIt) {
  CopyOfSample("bank.xlsx");
  ASSERT_EQ(Tarquel({"make-test", "bank.xlsx", "--per-page", "40", "--count", "3"}).status, 0);
  const fs::path settings =
      home_ / "Documents" / "ソルネア保存データ" / "ミラヴォ 同音・同訓_設定値.ini";
  std::ofstream(settings, std::ios::binary | std::ios::app) << "Qs:500\r\n";
  const std::string before = ReadAll(home_ / "bank.xlsx");
  const ProgramRun refused = Tarquel({"make-test", "bank.xlsx", "--code", "9"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_THAT(refused.err, HasSubstr("「Qs」の値「500」は行の高さに使えません（0 から 409"));
  EXPECT_THAT(refused.err, HasSubstr("tarquel paper 'bank.xlsx' --per-page 40 --reset"));
  EXPECT_EQ(ReadAll(home_ / "bank.xlsx"), before);

  // The box refuses it too, with the host's limit, and the reset puts the default back.
  const ProgramRun typed = Tarquel({"paper", "bank.xlsx", "--set", "C1=300"});
  EXPECT_EQ(typed.status, 1);
  EXPECT_THAT(typed.err, HasSubstr("列の幅は 255 以下にして下さい。"));
  ASSERT_EQ(Tarquel({"paper", "bank.xlsx", "--per-page", "40", "--reset"}).status, 0);
  EXPECT_EQ(Tarquel({"make-test", "bank.xlsx", "--code", "9"}).status, 0);
}

TEST_F(TarquelProgramTest, AFileThatCannotBeOpenedIsNamedWithWhatToDo) {
  const ProgramRun missing = Tarquel({"report", "must", "nosuch.xlsx"});
  EXPECT_EQ(missing.status, 3);
  EXPECT_EQ(missing.err, "「" + (home_ / "nosuch.xlsx").string() + "」が見つかりません。\n");
  // A workbook of the old binary format, named as if it were new.
  std::ofstream(home_ / "old.xlsx", std::ios::binary)
      << host::xlsx::cfb::CompoundFile({"Workbook"});
  const ProgramRun old = Tarquel({"report", "must", "old.xlsx"});
  EXPECT_EQ(old.status, 3);
  EXPECT_THAT(old.err, HasSubstr("古い形式（.xls）のブックのため開けません。"));
  EXPECT_THAT(old.err, HasSubstr(".xlsx"));
  EXPECT_THAT(old.err, Not(HasSubstr("実行時エラー")));
}

TEST_F(TarquelProgramTest, AWorkbookAnotherProgramHasOpenIsNotSavedOverUnlessForced) {
  const fs::path bank = CopyOfSample("bank.xlsx");
  const std::string before = ReadAll(bank);
  struct Lock {
    fs::path path;
    std::string content;
    std::string said;
  };
  const std::vector<Lock> locks{
      {home_ / ".~lock.bank.xlsx#", "Hanako,desk-pc,hanako,08.12.2026 09:00,file:///x;", "Hanako"},
      {home_ / "~$bank.xlsx", "", "~$bank.xlsx"},
  };
  for (const Lock& lock : locks) {
    std::ofstream(lock.path, std::ios::binary) << lock.content;
    const ProgramRun run = Tarquel({"make-test", "bank.xlsx", "--count", "3"});
    EXPECT_EQ(run.status, 3) << lock.said;
    EXPECT_THAT(run.err, HasSubstr("is open in another program"));
    EXPECT_THAT(run.err, HasSubstr(lock.said));
    EXPECT_THAT(run.err, HasSubstr("--force"));
    EXPECT_EQ(ReadAll(bank), before) << lock.said;
    fs::remove(lock.path);
  }
  std::ofstream(home_ / "~$bank.xlsx") << "";
  const ProgramRun forced = Tarquel({"make-test", "bank.xlsx", "--count", "3", "--force"});
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_NE(ReadAll(bank), before);
}

TEST_F(TarquelProgramTest, ASaveTargetThatIsNotAFileIsRefusedAndLeftAsItWas) {
  CopyOfSample("bank.xlsx");
  const fs::path fifo = home_ / "pipe.xlsx";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"make-test", "bank.xlsx", "--count", "3", "-o", "pipe.xlsx"},
        std::vector<std::string>{"make-test", "bank.xlsx", "--count", "3", "-o", "t.xlsx", "--pdf",
                                 "pipe.xlsx"}}) {
    const ProgramRun run = Tarquel(args);
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_THAT(run.err, HasSubstr("named pipe (FIFO)"));
    EXPECT_TRUE(fs::is_fifo(fifo)) << "the pipe is still a pipe";
  }
}

TEST_F(TarquelProgramTest, MakeTestAtATerminalWithoutChoicesPresentsTheDialog) {
  CopyOfSample("bank.xlsx");
  // The person sets the count to 5, presses 作成 and then 閉じる.
  const ProgramRun run = TarquelAtTerminal({"make-test", "bank.xlsx"}, "4=5\n11\n12\n");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_THAT(run.out, HasSubstr("== 漢字テスト作成 ==\r\n"
                                 "  出題範囲 1)[1] ～ 2)[85]   3)<リセット>\r\n"
                                 "  出題数 4)[40] 題\r\n"));
  EXPECT_THAT(run.out, HasSubstr("11)<再作成>")) << "drawn again after 作成";
  EXPECT_THAT(run.out, HasSubstr("test code 1234[1-85]5"));
  host::Workbook& book = Open(home_ / "bank.xlsx");
  EXPECT_EQ(book.Sheets().Item(kTest40).Range("U8").Text(), "1234[1-85]5");
}

TEST_F(TarquelProgramTest, AValueTheTestDialogRefusesNamesTheOptionItCameFrom) {
  const fs::path bank = CopyOfSample("bank.xlsx");
  const std::string before = ReadAll(bank);
  const ProgramRun range = Tarquel({"make-test", "bank.xlsx", "--range", "10-1"});
  EXPECT_EQ(range.status, 1);
  EXPECT_THAT(range.err, HasSubstr("--range: 2以上の整数を入力して下さい。"));
  const ProgramRun code = Tarquel({"make-test", "bank.xlsx", "--code", "abc"});
  EXPECT_EQ(code.status, 1);
  EXPECT_THAT(code.err, HasSubstr("--code: "));
  EXPECT_EQ(ReadAll(bank), before);
}

}  // namespace
}  // namespace tarquel::app
