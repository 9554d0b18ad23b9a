#include "tarquel/invocation.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <span>
#include <string_view>

namespace tarquel::cli {

namespace {

using Apply = std::function<void(Invocation&, const std::string&)>;

struct OptionSpec {
  const char* name;  // "--range", "-o"
  bool takes_value;
  Apply apply;
};

struct CommandSpec {
  const char* name;
  Command command;
  const char* synopsis;  // after "tarquel NAME "
  const char* summary;   // one line for the overview
  const char* details;   // the rest of `tarquel help NAME`
  std::vector<OptionSpec> options;
  // Names of the positional arguments; those in [brackets] may be left out.
  std::vector<const char*> positionals;
};

Apply Store(std::optional<std::string> Invocation::*field) {
  return [field](Invocation& inv, const std::string& value) { inv.*field = value; };
}

// The largest whole number a box of the dialogs takes; a longer run of digits would be refused
// there as "not a whole number of at least 1", which is not what is wrong with it.
constexpr std::string_view kLargestNumber = "2147483647";

// Stores a number typed into a dialog's box, refusing one too large for any box to take.
Apply StoreNumber(std::optional<std::string> Invocation::*field, const char* option) {
  return [field, option](Invocation& inv, const std::string& value) {
    std::string_view digits = value;
    while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
    while (!digits.empty() && digits.back() == ' ') digits.remove_suffix(1);
    if (digits.starts_with('+')) digits.remove_prefix(1);
    while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
    const bool whole =
        !digits.empty() && std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; });
    if (whole && (digits.size() > kLargestNumber.size() ||
                  (digits.size() == kLargestNumber.size() && digits > kLargestNumber))) {
      throw UsageError(std::string(option) + " " + value +
                       " is too large: the number can be at most " + std::string(kLargestNumber));
    }
    inv.*field = value;
  };
}

Apply Flag(std::optional<bool> Invocation::*field, bool on) {
  return [field, on](Invocation& inv, const std::string&) { inv.*field = on; };
}

OptionSpec PerPage() {
  return {"--per-page", true, [](Invocation& inv, const std::string& value) {
            if (value != "20" && value != "40") {
              throw UsageError("--per-page takes 20 or 40, not \"" + value + "\"");
            }
            inv.per_page40 = value == "40";
          }};
}

// A cell or range option; given again, it is refused unless the command takes `several`.
OptionSpec Cell(const char* name, bool several = false) {
  return {name, true, [name, several](Invocation& inv, const std::string& value) {
            if (!several && !inv.cells.empty()) {
              throw UsageError(std::string(name) + " is given twice: this command works on one " +
                               "selection");
            }
            inv.cells.push_back(value);
          }};
}

OptionSpec Output() { return {"-o", true, Store(&Invocation::output)}; }

OptionSpec Force() {
  return {"--force", false, [](Invocation& inv, const std::string&) { inv.force = true; }};
}

const std::vector<CommandSpec>& Commands() {
  static const std::vector<CommandSpec> commands = {
      {"make-test",
       Command::kMakeTest,
       "[BANK] [--range FIRST-LAST] [--count N] [--code CODE] [--per-page 20|40]\n"
       "          [--ignore-wrong|--no-ignore-wrong] [--exclude-set|--no-exclude-set]\n"
       "          [--must-appear|--no-must-appear] [-o OUT.xlsx] [--pdf OUT.pdf]",
       "make a test sheet from the question bank",
       "Opens BANK, makes its question bank sheet active and runs 漢字テスト作成. Each option\n"
       "is typed into the test creation dialog and checked when it is left, as the dialog\n"
       "does; an option left out keeps what the dialog loaded (the last test's choices).\n"
       "Then 作成 and 閉じる are pressed and the workbook is saved. With --pdf the test\n"
       "sheet is printed first: when the PDF cannot be written, the workbook is not saved\n"
       "either, so the questions are not counted as set and a second run counts them once.\n\n"
       "  --range FIRST-LAST   the question groups to choose from (出題範囲)\n"
       "  --count N            how many groups to set (出題数)\n"
       "  --code CODE          the random code (乱数コード); the same code, range and count\n"
       "                       make the same test again\n"
       "  --per-page 20|40     the test sheet: 20 or 40 questions a page\n"
       "  --ignore-wrong       間違い度数を無視する (--no-ignore-wrong: untick it)\n"
       "  --exclude-set        一度出題された問題を除く (--no-exclude-set: untick it)\n"
       "  --must-appear        「必出」問題を考慮する (--no-must-appear: untick it)\n"
       "  -o OUT.xlsx          save to OUT.xlsx instead of in place\n"
       "  --pdf OUT.pdf        also print the test sheet to OUT.pdf, one sheet of A4 for\n"
       "                       each page of the test\n\n"
       "Example: tarquel make-test bank.xlsx --range 1-40 --count 20 --code 2024 --per-page 40",
       {{"--range", true,
         [](Invocation& inv, const std::string& value) {
           const std::size_t dash = value.find('-', 1);
           if (dash == std::string::npos) {
             throw UsageError("--range takes FIRST-LAST, such as 1-40, not \"" + value + "\"");
           }
           StoreNumber(&Invocation::first_group, "--range")(inv, value.substr(0, dash));
           StoreNumber(&Invocation::last_group, "--range")(inv, value.substr(dash + 1));
         }},
        {"--count", true, StoreNumber(&Invocation::group_count, "--count")},
        {"--code", true, StoreNumber(&Invocation::code, "--code")},
        PerPage(),
        {"--ignore-wrong", false, Flag(&Invocation::ignore_wrong, true)},
        {"--no-ignore-wrong", false, Flag(&Invocation::ignore_wrong, false)},
        {"--exclude-set", false, Flag(&Invocation::exclude_set, true)},
        {"--no-exclude-set", false, Flag(&Invocation::exclude_set, false)},
        {"--must-appear", false, Flag(&Invocation::must_appear, true)},
        {"--no-must-appear", false, Flag(&Invocation::must_appear, false)},
        Output(),
        Force(),
        {"--pdf", true, Store(&Invocation::pdf)}},
       {"[BANK]"}},
      {"print",
       Command::kPrint,
       "[BANK] [--sheet NAME] [-o OUT.pdf] [--printer NAME]",
       "print a sheet to PDF or on a printer",
       "Prints a sheet of BANK as its print area and page setup say: a test sheet one sheet\n"
       "of paper for each page of the test. The workbook is never changed or saved.\n\n"
       "  --sheet NAME      the sheet to print; without it, the test sheet in use (the one\n"
       "                    the workbook shows, else the only one it has, else the one the\n"
       "                    last test was made on), and in a workbook without a test sheet\n"
       "                    the sheet it shows\n"
       "  -o OUT.pdf        the PDF file to write; without it, BANK's name with .pdf, in\n"
       "                    BANK's folder\n"
       "  --printer NAME    print on the printer NAME instead of to a PDF file\n\n"
       "Example: tarquel print bank.xlsx --sheet 'テスト用紙 【20】' -o test20.pdf",
       {{"--sheet", true, Store(&Invocation::sheet)},
        {"-o", true, Store(&Invocation::pdf)},
        {"--printer", true, Store(&Invocation::printer)}},
       {"[BANK]"}},
      {"show-answers",
       Command::kShowAnswers,
       "[BANK] [--per-page 20|40] [-o OUT.xlsx]",
       "write the answers onto the test sheet (解答表示)",
       "Runs 解答表示 on the test sheet of --per-page; without it, on the test sheet in use\n"
       "(the one the workbook shows, else the one the last test was made on).\n\n"
       "Example: tarquel show-answers bank.xlsx --per-page 40",
       {PerPage(), Output(), Force()},
       {"[BANK]"}},
      {"erase-answers",
       Command::kEraseAnswers,
       "[BANK] [--per-page 20|40] [-o OUT.xlsx]",
       "erase the answers from the test sheet (解答消去)",
       "Runs 解答消去 on the test sheet of --per-page, or on the test sheet in use.\n\n"
       "Example: tarquel erase-answers bank.xlsx",
       {PerPage(), Output(), Force()},
       {"[BANK]"}},
      {"answer-key",
       Command::kAnswerKey,
       "[BANK] [--per-page 20|40] -o KEY.pdf",
       "print the test sheet with its answers, without saving them",
       "Runs 解答表示 on the test sheet of --per-page (or the one in use), as show-answers\n"
       "does, and prints the sheet with the answers to KEY.pdf. The answers are shown only\n"
       "in the loaded workbook, which is not saved: its file stays byte for byte as it was.\n\n"
       "Example: tarquel answer-key bank.xlsx --per-page 40 -o key.pdf",
       {PerPage(), {"-o", true, Store(&Invocation::pdf)}},
       {"[BANK]"}},
      {"mark-wrong",
       Command::kMarkWrong,
       "[BANK] --cell 'SHEET!A1' [--cell ...] [-o OUT.xlsx]",
       "record a wrong answer for a question (この問題は不正解です)",
       "Selects the cell, a question on a test sheet or its row on the bank sheet, and runs\n"
       "この問題は不正解です: the next attempt column of the question's bank row gets \"X\".\n"
       "Each --cell is marked in order, and each bank row marked is printed. When a cell\n"
       "has nothing to mark (no question there, or all ten attempts recorded), the program\n"
       "says so, stops there and saves nothing.\n\n"
       "Example: tarquel mark-wrong bank.xlsx --cell 'テスト用紙 【40】!T2' --cell "
       "'テスト用紙 【40】!S2'",
       {Cell("--cell", true), Output(), Force()},
       {"[BANK]"}},
      {"mark-must",
       Command::kMarkMust,
       "[BANK] --cell 'SHEET!A1' [--cell ...] [-o OUT.xlsx]",
       "flag a question as must-appear (この問題を必出とする)",
       "Selects the cell and runs この問題を必出とする: the question's bank row is flagged\n"
       "必出. Each --cell is flagged in order, as mark-wrong marks them.\n\n"
       "Example: tarquel mark-must bank.xlsx --cell 'テスト用紙 【40】!S2'",
       {Cell("--cell", true), Output(), Force()},
       {"[BANK]"}},
      {"jump",
       Command::kJump,
       "[BANK] --cell 'SHEET!A1'",
       "go from a test question to its bank row, or back (問題へ飛ぶ)",
       "Selects the cell, runs 問題へ飛ぶ and prints the sheet and cell it lands on.\n\n"
       "Example: tarquel jump bank.xlsx --cell 'テスト用紙 【40】!T2'",
       {Cell("--cell")},
       {"[BANK]"}},
      {"report",
       Command::kReport,
       "wrong|must|duplicates [BANK]",
       "report on the question bank",
       "  wrong        間違い数の報告: the wrong answers of each attempt; after each count a\n"
       "               question asks whether to go on (--yes to answer Yes)\n"
       "  must         必出問題の総数: how many questions are flagged 必出\n"
       "  duplicates   漢字重複チェック: answers that occur more than once\n\n"
       "Example: tarquel report wrong bank.xlsx --yes --yes",
       {},
       {"KIND", "[BANK]"}},
      {"furigana",
       Command::kFurigana,
       "[BANK] --cell REF --reading TEXT [-o OUT.xlsx]",
       "set the furigana of a cell (振り仮名編集)",
       "Selects the cell and runs 振り仮名編集: the furigana are shown and the cell's reading\n"
       "becomes TEXT. On a terminal, without --reading, the reading is asked for.\n\n"
       "Example: tarquel furigana bank.xlsx --cell 'ミラヴォ 同音・同訓!D3' --reading "
       "いぎ",
       {Cell("--cell"), {"--reading", true, Store(&Invocation::reading)}, Output(), Force()},
       {"[BANK]"}},
      {"paper",
       Command::kPaper,
       "[BANK] [--per-page 20|40] [--set KEY=VALUE ...] [--reset] [--preview OUT.pdf]\n"
       "          [-o OUT.xlsx]",
       "adjust row heights and column widths of a test sheet (用紙調整)",
       "Opens 用紙調整 on the test sheet of --per-page (or the one in use) and prints the\n"
       "page's values. --set types VALUE into the box of KEY, --reset puts the defaults\n"
       "back (設定値リセット); either saves the values (保存して閉じる). --preview applies\n"
       "them and prints the sheet to OUT.pdf (印刷プレビュー).\n\n"
       "Keys of the 40-question page: No Qs As Bi1 Bi2 C1 C2\n"
       "Keys of the 20-question page: No20 Qs20 As20 Bi2-20 C1-20 C2-20\n\n"
       "Example: tarquel paper bank.xlsx --per-page 40 --set Qs=200 --preview paper.pdf",
       {PerPage(),
        {"--set", true,
         [](Invocation& inv, const std::string& value) {
           const std::size_t equals = value.find('=');
           if (equals == std::string::npos || equals == 0) {
             throw UsageError("--set takes KEY=VALUE, such as Qs=200, not \"" + value + "\"");
           }
           inv.settings.emplace_back(value.substr(0, equals), value.substr(equals + 1));
         }},
        {"--reset", false, [](Invocation& inv, const std::string&) { inv.reset = true; }},
        {"--preview", true, Store(&Invocation::pdf)},
        Output(),
        Force()},
       {"[BANK]"}},
      {"kanji-grade",
       Command::kKanjiGrade,
       "[BANK] --cells 'SHEET!RANGE' [--missing]",
       "sort the kanji of cells by the school year they are taught in (漢字の学年検索)",
       "Selects the cells and runs 漢字の学年検索; prints which kanji of each school year\n"
       "they hold, or with --missing the kanji of each year they lack.\n\n"
       "Example: tarquel kanji-grade bank.xlsx --cells 'ミラヴォ 同音・同訓!E:E'",
       {Cell("--cells"),
        {"--missing", false, [](Invocation& inv, const std::string&) { inv.missing = true; }}},
       {"[BANK]"}},
      {"new-bank",
       Command::kNewBank,
       "OUT.xlsx",
       "make a blank question bank (空白テンプレート)",
       "Builds the blank question bank with its column notes and saves it as OUT.xlsx; an\n"
       "existing file is not overwritten.\n\n"
       "Example: tarquel new-bank mybank.xlsx",
       {},
       {"OUT"}},
      {"history",
       Command::kHistory,
       "[--clear]",
       "list the recently used workbooks",
       "Prints the five history entries of the data file dialog and the sample workbook.\n"
       "--clear clears the history (履歴クリア) after asking; --yes answers the question.\n\n"
       "Example: tarquel history --clear --yes",
       {{"--clear", false, [](Invocation& inv, const std::string&) { inv.clear = true; }}},
       {}},
      {"version",
       Command::kVersion,
       "",
       "show the version (ﾊﾞｰｼﾞｮﾝ情報)",
       "Example: tarquel version",
       {},
       {}},
      {"check",
       Command::kCheck,
       "[BANK] [--grade N] [--json]",
       "list what in the question bank the tests will skip or get wrong",
       "Reads the question bank sheet as 漢字テスト作成 and the review commands read it and\n"
       "lists, by kind and row, what they would silently skip or get wrong: questions below\n"
       "the first empty sentence (D), a last group never closed, groups of more than 20\n"
       "rows, a group mark used again lower down, groups of one row, the same sentence\n"
       "twice, empty answers or answers standing in their sentence, marks that are not read\n"
       "(\"X \" with a space, R holding other than 必出, 必出 outside R, text in Q), a header\n"
       "in row 1 and sentences without an underlined word. Each finding says what to do.\n"
       "The workbook is never changed or saved.\n\n"
       "  --grade N   also list answers using kanji taught after school year N (1 to 6;\n"
       "              7 to 9 for the three junior-high groups) and kanji in no grade table\n"
       "  --json      print the findings as JSON for other tools\n\n"
       "Exit status: 0 nothing to report; 1 findings (or no single bank sheet); 3 the\n"
       "workbook cannot be read.\n\n"
       "Example: tarquel check bank.xlsx --grade 4",
       {{"--grade", true,
         [](Invocation& inv, const std::string& value) {
           if (value.size() != 1 || value[0] < '1' || value[0] > '9') {
             throw UsageError("--grade takes a school year from 1 to 9, not \"" + value + "\"");
           }
           inv.grade = value[0] - '0';
         }},
        {"--json", false, [](Invocation& inv, const std::string&) { inv.json = true; }}},
       {"[BANK]"}},
      {"macro",
       Command::kMacro,
       "BANK NAME [--select 'SHEET!RANGE'] [-o OUT.xlsx]",
       "run one of the workbook's macros, as the host does",
       "Opens BANK, selects the range and runs the macro NAME: M_START, M_InPutAns,\n"
       "M_ANS_DEL, M_ThisQSisNG, M_ThisQSisHITU, M_GoJUMP, M_Edit_Furigana, M_RepeatKanji,\n"
       "M_NG_Report, M_HITU_Report, M_SetPaper, M_QVersion, M_Command1, M_Command2.\n"
       "A dialog it shows is presented on a terminal and closed otherwise.\n\n"
       "Example: tarquel macro bank.xlsx M_HITU_Report",
       {Cell("--select"), Output(), Force()},
       {"BANK", "NAME"}},
  };
  return commands;
}

const CommandSpec* FindCommand(const std::string& name) {
  for (const CommandSpec& spec : Commands()) {
    if (name == spec.name) return &spec;
  }
  return nullptr;
}

const CommandSpec& CommandOrThrow(const std::string& name) {
  const CommandSpec* spec = FindCommand(name);
  if (spec == nullptr) throw UsageError("unknown command \"" + name + "\"");
  return *spec;
}

const OptionSpec* FindOption(std::span<const OptionSpec> options, const std::string& name) {
  for (const OptionSpec& option : options) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

// Options every command takes.
const std::vector<OptionSpec>& CommonOptions() {
  static const std::vector<OptionSpec> options = {
      {"--yes", false, [](Invocation& inv, const std::string&) { inv.answers.push_back(true); }},
      {"--no", false, [](Invocation& inv, const std::string&) { inv.answers.push_back(false); }},
      {"--sample", false, [](Invocation& inv, const std::string&) { inv.sample = true; }},
  };
  return options;
}

void StorePositional(const CommandSpec& spec, std::size_t index, const std::string& value,
                     Invocation& inv) {
  const std::string name = spec.positionals[index];
  if (name == "KIND") {
    if (value == "wrong") {
      inv.report = ReportKind::kWrong;
    } else if (value == "must") {
      inv.report = ReportKind::kMust;
    } else if (value == "duplicates") {
      inv.report = ReportKind::kDuplicates;
    } else {
      throw UsageError("report takes wrong, must or duplicates, not \"" + value + "\"");
    }
  } else if (name == "NAME") {
    inv.macro = value;
  } else {  // BANK, [BANK], OUT
    inv.bank = value;
  }
}

void CheckRequired(const CommandSpec& spec, std::size_t given, const Invocation& inv) {
  for (std::size_t i = given; i < spec.positionals.size(); ++i) {
    if (spec.positionals[i][0] != '[') {
      throw UsageError(std::string(spec.name) + " needs " + spec.positionals[i]);
    }
  }
  const bool needs_cell = spec.command == Command::kMarkWrong ||
                          spec.command == Command::kMarkMust || spec.command == Command::kJump ||
                          spec.command == Command::kFurigana ||
                          spec.command == Command::kKanjiGrade;
  if (needs_cell && inv.cells.empty()) {
    throw UsageError(std::string(spec.name) + " needs " +
                     (spec.command == Command::kKanjiGrade ? "--cells" : "--cell"));
  }
  if (spec.command == Command::kAnswerKey && !inv.pdf) {
    throw UsageError("answer-key needs -o KEY.pdf, the file to print the answer key to");
  }
  if (spec.command == Command::kPrint && inv.pdf && inv.printer) {
    throw UsageError("print takes either -o OUT.pdf or --printer NAME, not both");
  }
  if (inv.output && inv.output->empty()) {
    throw UsageError(std::string(spec.name) +
                     ": the name of the workbook file to write (-o) is empty");
  }
  if (inv.pdf && inv.pdf->empty()) {
    throw UsageError(std::string(spec.name) + ": the name of the PDF file to write is empty");
  }
  if (inv.pdf && inv.output &&
      std::filesystem::absolute(*inv.pdf).lexically_normal() ==
          std::filesystem::absolute(*inv.output).lexically_normal()) {
    throw UsageError("--pdf and -o name the same file, " + *inv.pdf +
                     ": the workbook would be saved over the PDF");
  }
  if (inv.printer && inv.printer->empty()) {
    throw UsageError("--printer needs the name of a printer");
  }
}

}  // namespace

Invocation ParseArguments(const std::vector<std::string>& args) {
  Invocation inv;
  if (args.empty()) throw UsageError("no command given");
  const std::string& first = args[0];
  if (first == "--help" || first == "-h" || first == "help") {
    if (args.size() > 2) throw UsageError("help takes one command name");
    inv.command = Command::kHelp;
    if (args.size() == 2) inv.help_topic = CommandOrThrow(args[1]).name;
    return inv;
  }
  if (first == "--version") {
    inv.command = Command::kVersion;
    return inv;
  }
  const CommandSpec& spec = CommandOrThrow(first);
  inv.command = spec.command;
  std::size_t positional = 0;
  bool options_ended = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string arg = args[i];
    if (!options_ended && arg == "--") {
      options_ended = true;
      continue;
    }
    if (!options_ended && arg.size() > 1 && arg[0] == '-') {
      if (arg == "--help" || arg == "-h") {
        return Invocation{.command = Command::kHelp, .help_topic = spec.name};
      }
      std::optional<std::string> inline_value;
      if (const std::size_t equals = arg.find('='); arg.starts_with("--") && equals != arg.npos) {
        inline_value = arg.substr(equals + 1);
        arg.resize(equals);
      }
      const OptionSpec* option = FindOption(spec.options, arg);
      if (option == nullptr) option = FindOption(CommonOptions(), arg);
      if (option == nullptr) {
        throw UsageError(std::string(spec.name) + " has no option " + arg);
      }
      std::string value;
      if (option->takes_value) {
        if (inline_value) {
          value = *inline_value;
        } else if (i + 1 < args.size()) {
          value = args[++i];
        } else {
          throw UsageError(arg + " needs a value");
        }
      } else if (inline_value) {
        throw UsageError(arg + " takes no value");
      }
      option->apply(inv, value);
      continue;
    }
    if (positional >= spec.positionals.size()) {
      throw UsageError(std::string(spec.name) + " does not take \"" + arg + "\"");
    }
    StorePositional(spec, positional++, arg, inv);
  }
  CheckRequired(spec, positional, inv);
  if (inv.sample) {
    const bool takes_bank =
        !spec.positionals.empty() && std::string_view(spec.positionals.back()) == "[BANK]";
    if (!takes_bank) throw UsageError(std::string(spec.name) + " does not open a workbook");
    if (!inv.bank.empty()) throw UsageError("give either BANK or --sample, not both");
  }
  return inv;
}

std::optional<std::string> BankSavedInPlace(const Invocation& inv) {
  constexpr Command kSaving[] = {Command::kMakeTest,  Command::kShowAnswers, Command::kEraseAnswers,
                                 Command::kMarkWrong, Command::kMarkMust,    Command::kFurigana,
                                 Command::kPaper,     Command::kMacro};
  if (inv.output || inv.bank.empty() ||
      std::ranges::find(kSaving, inv.command) == std::end(kSaving)) {
    return std::nullopt;
  }
  return inv.bank;
}

std::string OverviewHelp() {
  std::string text =
      "Usage: tarquel COMMAND [ARGUMENTS]\n\n"
      "Makes drill tests of kanji homophones (同音・同訓) from a question bank workbook\n"
      "(.xlsx) and works with them. BANK is the workbook; without it, on a terminal, the data\n"
      "file dialog offers the recent workbooks, the sample, a path to type or a blank bank.\n\n"
      "Commands:\n";
  for (const CommandSpec& spec : Commands()) {
    std::string name = spec.name;
    name.resize(std::max<std::size_t>(name.size(), 15), ' ');
    text += "  " + name + spec.summary + "\n";
  }
  text +=
      "\nA command that takes BANK takes --sample instead to open the sample workbook of the\n"
      "data folder (サンプルデータを開く).\n"
      "Every command takes --yes and --no: the answers, in order, to the questions it asks.\n"
      "Without a terminal an unanswered question is answered No.\n"
      "A command that changed the workbook saves it, unless it stopped at a check or an error\n"
      "(then nothing is saved). It does not save over a workbook that another program has\n"
      "open (its lock file lies beside it): close it there, or give --force. Two runs on one\n"
      "workbook take turns: the second waits up to a minute for the first to end, then works\n"
      "on what it saved. A workbook another program changed while the run had it open is\n"
      "not saved over, and a workbook the user may not write is refused before the command\n"
      "runs (give -o OUT.xlsx to save elsewhere).\n\n"
      "Exit status: 0 the command ran to its end; 1 it stopped at a check or an error\n"
      "message; 2 the command line was wrong; 3 a file could not be read or written.\n\n"
      "`tarquel help COMMAND` tells more of one command.\n";
  return text;
}

std::string CommandHelp(const std::string& command) {
  const CommandSpec& spec = CommandOrThrow(command);
  std::string text = "Usage: tarquel " + std::string(spec.name);
  if (*spec.synopsis != '\0') text += " " + std::string(spec.synopsis);
  text += "\n\n" + std::string(1, static_cast<char>(std::toupper(spec.summary[0]))) +
          (spec.summary + 1) + ".\n\n" + spec.details + "\n";
  return text;
}

}  // namespace tarquel::cli
