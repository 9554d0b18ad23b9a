// Reading the command line: what each subcommand's arguments mean, and the usage errors that
// name what is wrong.
#include "tarquel/invocation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarquel::cli {
namespace {

using ::testing::HasSubstr;

TEST(InvocationTest, MakeTestOptionsBecomeWhatIsTypedIntoTheDialog) {
  const Invocation inv =
      ParseArguments({"make-test", "bank.xlsx", "--range", "3-60", "--count=12", "--code", "-5",
                      "--per-page", "20", "--no-ignore-wrong", "--exclude-set", "-o", "o.xlsx",
                      "--pdf", "o.pdf", "--yes", "--no"});
  EXPECT_EQ(inv.command, Command::kMakeTest);
  EXPECT_EQ(inv.bank, "bank.xlsx");
  EXPECT_EQ(inv.first_group, "3");
  EXPECT_EQ(inv.last_group, "60");
  EXPECT_EQ(inv.group_count, "12");
  EXPECT_EQ(inv.code, "-5") << "a value may start with a dash; the dialog refuses it";
  EXPECT_EQ(inv.per_page40, false);
  EXPECT_EQ(inv.ignore_wrong, false);
  EXPECT_EQ(inv.exclude_set, true);
  EXPECT_FALSE(inv.must_appear.has_value()) << "left out: the dialog keeps what it loaded";
  EXPECT_EQ(inv.output, "o.xlsx");
  EXPECT_EQ(inv.pdf, "o.pdf");
  EXPECT_EQ(inv.answers, (std::vector<bool>{true, false}));
}

TEST(InvocationTest, EachCommandReadsItsOwnArguments) {
  Invocation report = ParseArguments({"report", "duplicates", "b.xlsx"});
  EXPECT_EQ(report.report, ReportKind::kDuplicates);
  EXPECT_EQ(report.bank, "b.xlsx");

  Invocation paper = ParseArguments({"paper", "--set", "Qs=200", "--set", "C1-20=6.5", "--reset"});
  EXPECT_EQ(paper.settings.size(), 2u);
  EXPECT_EQ(paper.settings[1].first, "C1-20");
  EXPECT_EQ(paper.settings[1].second, "6.5");
  EXPECT_TRUE(paper.reset);

  Invocation macro = ParseArguments({"macro", "b.xlsx", "M_GoJUMP", "--select", "Sheet!A1"});
  EXPECT_EQ(macro.macro, "M_GoJUMP");
  EXPECT_EQ(macro.cells, std::vector<std::string>{"Sheet!A1"});

  // Marks take several cells, in order; the other commands one.
  Invocation marks = ParseArguments({"mark-wrong", "b.xlsx", "--cell", "A!T2", "--cell", "A!S2"});
  EXPECT_EQ(marks.cells, (std::vector<std::string>{"A!T2", "A!S2"}));
  EXPECT_THROW(ParseArguments({"jump", "b.xlsx", "--cell", "A!T2", "--cell", "A!S2"}), UsageError);
  EXPECT_TRUE(ParseArguments({"make-test", "b.xlsx", "--force"}).force);

  Invocation sample = ParseArguments({"kanji-grade", "--sample", "--cells", "E:E", "--missing"});
  EXPECT_TRUE(sample.sample);
  EXPECT_TRUE(sample.missing);

  // print and answer-key write a PDF with -o; no workbook is saved.
  Invocation print =
      ParseArguments({"print", "b.xlsx", "--sheet", "テスト用紙 【20】", "-o", "t.pdf"});
  EXPECT_EQ(print.command, Command::kPrint);
  EXPECT_EQ(print.sheet, "テスト用紙 【20】");
  EXPECT_EQ(print.pdf, "t.pdf");
  EXPECT_FALSE(print.output.has_value());
  EXPECT_EQ(ParseArguments({"print", "--sample", "--printer", "lp0"}).printer, "lp0");
  Invocation key = ParseArguments({"answer-key", "b.xlsx", "--per-page", "20", "-o", "k.pdf"});
  EXPECT_EQ(key.command, Command::kAnswerKey);
  EXPECT_EQ(key.per_page40, false);
  EXPECT_EQ(key.pdf, "k.pdf");

  EXPECT_EQ(ParseArguments({"help", "paper"}).help_topic, "paper");
  EXPECT_EQ(ParseArguments({"jump", "--help"}).command, Command::kHelp);
  EXPECT_EQ(ParseArguments({"new-bank", "--", "-odd.xlsx"}).bank, "-odd.xlsx");
}

TEST(InvocationTest, AWrongCommandLineSaysWhatIsWrong) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{}, "no command given"},
      {{"make-tests"}, "unknown command \"make-tests\""},
      {{"make-test", "--range", "12"}, "--range takes FIRST-LAST"},
      {{"make-test", "--per-page", "30"}, "--per-page takes 20 or 40"},
      {{"make-test", "--count"}, "--count needs a value"},
      {{"make-test", "--pdf=x", "--bogus"}, "make-test has no option --bogus"},
      {{"make-test", "a.xlsx", "b.xlsx"}, "does not take \"b.xlsx\""},
      {{"make-test", "a.xlsx", "--sample"}, "either BANK or --sample"},
      {{"mark-wrong", "a.xlsx"}, "mark-wrong needs --cell"},
      {{"kanji-grade"}, "kanji-grade needs --cells"},
      {{"report", "all"}, "report takes wrong, must or duplicates"},
      {{"report"}, "report needs KIND"},
      {{"new-bank"}, "new-bank needs OUT"},
      {{"new-bank", "x.xlsx", "--sample"}, "new-bank does not open a workbook"},
      {{"paper", "--set", "=3"}, "--set takes KEY=VALUE"},
      {{"history", "--clear=yes"}, "--clear takes no value"},
      {{"help", "nothing"}, "unknown command \"nothing\""},
      {{"answer-key", "b.xlsx"}, "answer-key needs -o KEY.pdf"},
      {{"print", "-o", "a.pdf", "--printer", "lp0"}, "either -o OUT.pdf or --printer NAME"},
      {{"print", "--printer="}, "--printer needs the name of a printer"},
      {{"make-test", "--pdf", ""}, "the name of the PDF file to write is empty"},
      {{"print", "--pdf", "a.pdf"}, "print has no option --pdf"},
      {{"make-test", "-o", "t.xlsx", "--pdf", "./t.xlsx"}, "--pdf and -o name the same file"},
      {{"answer-key", "-o", "k.pdf", "--sheet", "A"}, "answer-key has no option --sheet"},
  };
  for (const auto& [args, message] : cases) {
    try {
      ParseArguments(args);
      ADD_FAILURE() << "accepted: " << ::testing::PrintToString(args);
    } catch (const UsageError& error) {
      EXPECT_THAT(error.what(), HasSubstr(message)) << ::testing::PrintToString(args);
    }
  }
}

TEST(InvocationTest, HelpCoversEveryCommand) {
  const std::string overview = OverviewHelp();
  for (const char* name : {"make-test", "show-answers", "erase-answers", "mark-wrong", "mark-must",
                           "jump", "report", "furigana", "paper", "kanji-grade", "new-bank",
                           "history", "version", "macro", "print", "answer-key"}) {
    EXPECT_THAT(overview, HasSubstr(std::string("  ") + name + " ")) << name;
    const std::string help = CommandHelp(name);
    EXPECT_THAT(help, HasSubstr(std::string("Usage: tarquel ") + name)) << name;
    EXPECT_THAT(help, HasSubstr("Example: tarquel " + std::string(name))) << name;
  }
}

}  // namespace
}  // namespace tarquel::cli
