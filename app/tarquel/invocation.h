// What the user asked the tarquel program for: the subcommand, the workbook, and the options
// that answer the dialogs and questions on their behalf. Parsing checks only the shape of the
// command line; values typed into a dialog are checked by the dialog, as when typed by hand.
#ifndef TARQUEL_APP_TARQUEL_INVOCATION_H_
#define TARQUEL_APP_TARQUEL_INVOCATION_H_

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tarquel::cli {

// A command line that cannot be run: exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class Command {
  kHelp,
  kMakeTest,
  kShowAnswers,
  kEraseAnswers,
  kMarkWrong,
  kMarkMust,
  kJump,
  kReport,
  kFurigana,
  kPaper,
  kKanjiGrade,
  kNewBank,
  kHistory,
  kVersion,
  kMacro,
  kPrint,
  kAnswerKey,
  kCheck,
};

enum class ReportKind { kWrong, kMust, kDuplicates };

struct Invocation {
  Command command = Command::kHelp;
  std::string help_topic = {};  // kHelp: a subcommand's name, or "" for the overview

  // The workbook to open ("" when the data file dialog is to offer one); the file a new bank
  // is written to.
  std::string bank = {};
  bool sample = false;                     // --sample: open the sample workbook of the data folder
  std::optional<std::string> output = {};  // -o: save here instead of in place
  std::optional<std::string> pdf = {};     // --pdf, --preview; -o of print and answer-key

  // make-test: the texts typed into the dialog's boxes, and the options to set.
  std::optional<std::string> first_group = {};
  std::optional<std::string> last_group = {};
  std::optional<std::string> group_count = {};
  std::optional<std::string> code = {};
  std::optional<bool> ignore_wrong = {};
  std::optional<bool> exclude_set = {};
  std::optional<bool> must_appear = {};
  std::optional<bool> per_page40 = {};  // also show-answers, erase-answers, paper

  // --cell, --cells, --select: 'SHEET!RANGE' or a range of the active sheet. Only mark-wrong
  // and mark-must take several, marked in order; the other commands take one.
  std::vector<std::string> cells = {};
  ReportKind report = ReportKind::kWrong;
  std::optional<std::string> reading = {};                         // furigana
  std::vector<std::pair<std::string, std::string>> settings = {};  // paper --set KEY=VALUE
  bool reset = false;                                              // paper
  bool force = false;                     // save even where another program holds the workbook open
  bool missing = false;                   // kanji-grade
  bool clear = false;                     // history
  std::string macro = {};                 // macro NAME
  std::optional<std::string> sheet = {};  // print --sheet
  std::optional<std::string> printer = {};  // print --printer
  std::optional<int> grade = {};            // check --grade: a school year, 1 to 9
  bool json = false;                        // check --json

  std::vector<bool> answers = {};  // --yes (true) and --no (false), in order
};

// Reads the arguments after the program's name. Throws UsageError saying what is wrong.
Invocation ParseArguments(const std::vector<std::string>& args);

// BANK when the command may save the workbook over it (it saves what it changes and has no -o),
// so that a file the user cannot write is refused before the command runs.
std::optional<std::string> BankSavedInPlace(const Invocation& inv);

// `tarquel --help`, and `tarquel help COMMAND`; UsageError for an unknown command.
std::string OverviewHelp();
std::string CommandHelp(const std::string& command);

}  // namespace tarquel::cli

#endif  // TARQUEL_APP_TARQUEL_INVOCATION_H_
