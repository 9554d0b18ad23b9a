// Saves that lose nothing, run as a user runs the program: two runs on one bank at once, a bank
// the user may not write, what a run killed while it saved leaves, a workbook another program
// changes while a run has it open, a settings file far too large, and command lines that could
// only fail once the work was done.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
#include "host/xlsx/xlsx_files.h"
#include "support/scripted_ui.h"

extern char** environ;

namespace tarquel::app {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr char kBankSheet[] = "ミラヴォ 同音・同訓";
constexpr char kTest40[] = "テスト用紙 【40】";

using Started = StartedProgram;

class SavesTest : public ::testing::Test {
 protected:
  SavesTest() {
    char pattern[] = "/tmp/tarquel-saves-XXXXXX";
    home_ = mkdtemp(pattern);
    const ProgramRun version = Tarquel({"version"});
    EXPECT_EQ(version.status, 0) << version.err;
    data_ = home_ / "Documents" / "ソルネア保存データ";
    sample_ = data_ / "同音同訓【サンプルデータ】.xlsx";
  }
  ~SavesTest() override { fs::remove_all(home_); }

  void SetUp() override { app_.SetWorkbookFiles(&files_); }

  std::vector<std::string> Environment() const { return ProgramEnvironment(home_); }

  Started Start(const std::vector<std::string>& args, const std::string& tag = "run") {
    return StartProgram(home_, args, tag);
  }

  ProgramRun Wait(const Started& started) { return WaitForProgram(started); }

  ProgramRun Tarquel(const std::vector<std::string>& args) { return Wait(Start(args)); }

  fs::path CopyOfSample(const std::string& name) {
    const fs::path copy = home_ / name;
    fs::copy_file(sample_, copy);
    return copy;
  }

  host::Workbook& Open(const fs::path& path) { return app_.Workbooks().Open(path.string()); }

  // The names in `folder` that look like a save's temporary file.
  static std::vector<std::string> TemporaryFiles(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string name = entry.path().filename().string();
      if (name.find(".tmp-") != std::string::npos) names.push_back(name);
    }
    return names;
  }

  fs::path home_;
  fs::path data_;
  fs::path sample_;
  testing::ScriptedUi ui_;
  host::PosixPlatform platform_;
  host::xlsx::XlsxFiles files_{platform_};
  host::Application app_{ui_};
};

// The bank row whose question (column D) is `question`, or 0.
int32_t BankRowOf(host::Worksheet& bank, const std::string& question) {
  for (int32_t row = 1; row <= bank.LastRowWithCells(); ++row) {
    if (bank.Cells(row, 4).Text() == question) return row;
  }
  return 0;
}

// The times each question of the bank has been set (column Q), added up.
long TimesSet(host::Worksheet& bank) {
  long total = 0;
  for (int32_t row = 1; row <= bank.LastRowWithCells(); ++row) {
    const std::string count = bank.Cells(row, 17).Text();
    if (!count.empty() && count.find_first_not_of("0123456789") == std::string::npos) {
      total += std::stol(count);
    }
  }
  return total;
}

int MadeQuestions(const std::string& out) {
  std::smatch match;
  return std::regex_search(out, match, std::regex(", (\\d+) questions, ")) ? std::stoi(match.str(1))
                                                                           : -1;
}

// Two runs on one bank at once each keep their work: the second waits for the first to save and
// then works on what it saved. Both used to say "Saved", and one run's work was gone: the
// times set of one test, or the X a mark-wrong had recorded.
TEST_F(SavesTest, TwoRunsOnOneBankAtOnceBothKeepTheirWork) {
  CopyOfSample("bank.xlsx");
  ASSERT_EQ(Tarquel({"make-test", "bank.xlsx", "--per-page", "40", "--code", "8"}).status, 0);
  std::string question;
  int32_t row = 0;
  long set_before = 0;
  {
    host::Workbook& book = Open(home_ / "bank.xlsx");
    question = book.Sheets().Item(kTest40).Range("T2").Text();
    row = BankRowOf(book.Sheets().Item(kBankSheet), question);
    set_before = TimesSet(book.Sheets().Item(kBankSheet));
    app_.Workbooks().Close(book);
  }
  ASSERT_GT(row, 0);

  // Two tests made at once, then a test beside a mark.
  const Started first =
      Start({"make-test", "bank.xlsx", "--per-page", "20", "--count", "5", "--code", "11"}, "a");
  const Started second =
      Start({"make-test", "bank.xlsx", "--per-page", "40", "--count", "7", "--code", "12"}, "b");
  const ProgramRun a = Wait(first);
  const ProgramRun b = Wait(second);
  ASSERT_EQ(a.status, 0) << a.err;
  ASSERT_EQ(b.status, 0) << b.err;
  EXPECT_THAT(a.out, HasSubstr("Saved "));
  EXPECT_THAT(b.out, HasSubstr("Saved "));
  long set_after_both = 0;
  {
    host::Workbook& book = Open(home_ / "bank.xlsx");
    set_after_both = TimesSet(book.Sheets().Item(kBankSheet));
    EXPECT_EQ(set_after_both, set_before + MadeQuestions(a.out) + MadeQuestions(b.out))
        << "the questions of both tests are counted as set";
    app_.Workbooks().Close(book);
  }

  const Started made =
      Start({"make-test", "bank.xlsx", "--per-page", "20", "--count", "5", "--code", "13"}, "c");
  const Started marked = Start(
      {"mark-wrong", "bank.xlsx", "--cell", std::string(kBankSheet) + "!D" + std::to_string(row)},
      "d");
  const ProgramRun c = Wait(made);
  const ProgramRun d = Wait(marked);
  ASSERT_EQ(c.status, 0) << c.err;
  ASSERT_EQ(d.status, 0) << d.err;
  host::Workbook& book = Open(home_ / "bank.xlsx");
  host::Worksheet& bank = book.Sheets().Item(kBankSheet);
  int32_t marks = 0;
  for (int32_t column = 6; column <= 15; ++column) {
    if (bank.Cells(row, column).Text() == "X") ++marks;
  }
  EXPECT_EQ(marks, 1) << "the X of mark-wrong in row " << row;
  EXPECT_EQ(TimesSet(bank), set_after_both + MadeQuestions(c.out)) << "the test of make-test";
  EXPECT_EQ(TemporaryFiles(home_), std::vector<std::string>{});
}

// A bank the user may not write is refused before the command runs, with what is wrong and
// what to do, and stays as it was; the commands that do not save still work on it, and -o
// saves elsewhere. Its mode used to be passed over and the bank replaced.
TEST_F(SavesTest, AReadOnlyBankIsRefusedBeforeTheCommandRuns) {
  if (geteuid() == 0) {
    GTEST_SKIP() << "running as root, who may write any file: run the tests as a user to check "
                    "that a read-only bank is refused";
  }
  const fs::path bank = CopyOfSample("bank.xlsx");
  ASSERT_EQ(chmod(bank.c_str(), 0444), 0);
  const std::string before = ReadAll(bank);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"make-test", "bank.xlsx", "--code", "4"},
        std::vector<std::string>{"mark-must", "bank.xlsx", "--cell", "ミラヴォ 同音・同訓!D2"}}) {
    SCOPED_TRACE(args[0]);
    const ProgramRun run = Tarquel(args);
    EXPECT_EQ(run.status, 3);
    EXPECT_THAT(run.err, HasSubstr("nothing was done"));
    EXPECT_THAT(run.err, HasSubstr("bank.xlsx"));
    EXPECT_THAT(run.err, HasSubstr("read-only for this user (mode 0444)"));
    EXPECT_THAT(run.out, Not(HasSubstr("Made ")));
  }
  EXPECT_EQ(Tarquel({"report", "must", "bank.xlsx"}).status, 0);
  const ProgramRun elsewhere =
      Tarquel({"make-test", "bank.xlsx", "--code", "4", "-o", "copy.xlsx"});
  EXPECT_EQ(elsewhere.status, 0) << elsewhere.err;
  EXPECT_EQ(ReadAll(bank), before);
  struct stat st {};
  ASSERT_EQ(stat(bank.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
}

// What a run killed between writing its temporary file and renaming it left, beside the bank
// and beside the settings file, is removed by the next run's saves of those files; a running
// process's is left. Such bank-sized files used to pile up.
TEST_F(SavesTest, TemporaryFilesOfAKilledRunAreRemovedByTheNextSave) {
  CopyOfSample("bank.xlsx");
  const pid_t ended = fork();
  if (ended == 0) _exit(0);
  ASSERT_EQ(waitpid(ended, nullptr, 0), ended);
  const std::string dead = std::to_string(ended);
  const std::string alive = std::to_string(getpid());
  const std::string settings = "ミラヴォ 同音・同訓_設定値.ini";
  std::ofstream(home_ / ("bank.xlsx.tmp-" + dead + "-0")) << "half a bank";
  std::ofstream(home_ / ("bank.xlsx.tmp-" + alive + "-0")) << "a save under way";
  std::ofstream(data_ / (settings + ".tmp-" + dead + "-2")) << "half the settings";

  const ProgramRun run = Tarquel({"make-test", "bank.xlsx", "--per-page", "40", "--code", "21"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(TemporaryFiles(home_), std::vector<std::string>{"bank.xlsx.tmp-" + alive + "-0"});
  EXPECT_EQ(TemporaryFiles(data_), std::vector<std::string>{});
}

// A person at a terminal answers the furigana question while another program replaces the
// bank: the run saves nothing, says why, and the other program's file stays. The run used to
// save over it and report success.
TEST_F(SavesTest, ABankChangedByAnotherProgramSinceItWasOpenedIsNotSavedOver) {
  const fs::path bank = CopyOfSample("bank.xlsx");
  const fs::path other = CopyOfSample("other.xlsx");
  const std::vector<std::string> env = Environment();
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) {
    if (chdir(home_.c_str()) != 0) _exit(126);
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    execl(TARQUEL_PROGRAM, TARQUEL_PROGRAM, "furigana", "bank.xlsx", "--cell",
          "ミラヴォ 同音・同訓!E3", static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(pid, 0);
  // Waits until the terminal shows `text`, collecting what it shows.
  std::string shown;
  auto wait_for = [&](const std::string& text) {
    char buffer[4096];
    pollfd ready{master, POLLIN, 0};
    while (shown.find(text) == std::string::npos && poll(&ready, 1, 60000) > 0) {
      const ssize_t n = read(master, buffer, sizeof buffer);
      if (n <= 0) return false;
      shown.append(buffer, static_cast<std::size_t>(n));
    }
    return shown.find(text) != std::string::npos;
  };
  const bool asked = wait_for("(empty keeps it): ");
  // Another program saves its own copy in the bank's place, as a spreadsheet program does.
  fs::rename(other, bank);
  const std::string theirs = ReadAll(bank);
  const std::string answer = "かいしん\n";
  EXPECT_EQ(write(master, answer.data(), answer.size()), static_cast<ssize_t>(answer.size()));
  wait_for("\x04never shown");  // everything until the program ends
  close(master);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(asked) << shown;
  EXPECT_EQ(WEXITSTATUS(status), 3) << shown;
  EXPECT_THAT(shown, HasSubstr("開いた後でほかのプログラムによって変更されたため、何も保存"));
  EXPECT_THAT(shown, Not(HasSubstr("Saved ")));
  EXPECT_EQ(ReadAll(bank), theirs);
}

// A save puts a new file in place of the bank: another name of the old file (a hard link)
// keeps what it held, and the run says so instead of parting them silently.
TEST_F(SavesTest, ASaveThatPartsABankFromItsHardLinkSaysSo) {
  const fs::path bank = CopyOfSample("bank.xlsx");
  const std::string before = ReadAll(bank);
  fs::create_hard_link(bank, home_ / "link.xlsx");
  const ProgramRun run = Tarquel({"mark-must", "bank.xlsx", "--cell", "ミラヴォ 同音・同訓!D2"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("ほかに 1 個の名前（ハードリンク）がありました"));
  EXPECT_THAT(run.out, HasSubstr("Saved "));
  EXPECT_EQ(ReadAll(home_ / "link.xlsx"), before);
  EXPECT_NE(ReadAll(bank), before);
  const ProgramRun again = Tarquel({"mark-must", "bank.xlsx", "--cell", "ミラヴォ 同音・同訓!D3"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_THAT(again.out, Not(HasSubstr("ハードリンク"))) << "parted, the bank has one name";
}

// A settings file of 50 MB is refused at once with its name and size, and left as it was; it
// used to hang the program for minutes.
TEST_F(SavesTest, ASettingsFileOf50MbIsRefusedWithItsSize) {
  CopyOfSample("bank.xlsx");
  const fs::path settings = data_ / "ミラヴォ 同音・同訓_設定値.ini";
  {
    std::ofstream out(settings, std::ios::binary);
    out << "RND:5\r\n" << std::string(50 << 20, 'x');
  }
  const auto size = fs::file_size(settings);
  const ProgramRun run = Tarquel({"make-test", "bank.xlsx", "--code", "3"});
  EXPECT_EQ(run.status, 3);
  EXPECT_THAT(run.err, HasSubstr(settings.string()));
  EXPECT_THAT(run.err, HasSubstr(std::to_string(size) + " バイト、上限 1048576 バイト"));
  EXPECT_EQ(fs::file_size(settings), size);
}

// Command lines that could only fail once the work was done are refused before anything runs:
// an empty -o, and a number no box of the dialog takes, which the dialog called "not a whole
// number of at least 1".
TEST_F(SavesTest, ACommandLineThatCannotBeSavedOrTypedIsAUsageError) {
  const fs::path bank = CopyOfSample("bank.xlsx");
  const std::string before = ReadAll(bank);
  struct Case {
    std::vector<std::string> args;
    std::string says;
  } cases[] = {
      {{"make-test", "bank.xlsx", "-o", ""},
       "the name of the workbook file to write (-o) is empty"},
      {{"mark-wrong", "bank.xlsx", "--cell", "A1", "-o", ""}, "(-o) is empty"},
      {{"make-test", "bank.xlsx", "--count", "99999999999"},
       "--count 99999999999 is too large: the number can be at most 2147483647"},
      {{"make-test", "bank.xlsx", "--range", "1-2147483648"}, "--range 2147483648 is too large"},
      {{"make-test", "bank.xlsx", "--code", "00000000000099999999999"}, "--code"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[2]);
    const ProgramRun run = Tarquel(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, HasSubstr(c.says));
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(ReadAll(bank), before);
  const ProgramRun largest =
      Tarquel({"make-test", "bank.xlsx", "--count", "2147483647", "--code", "5"});
  EXPECT_NE(largest.status, 2) << "the largest number is the dialog's to judge";
  EXPECT_THAT(largest.err, Not(HasSubstr("too large")));
}

}  // namespace
}  // namespace tarquel::app
