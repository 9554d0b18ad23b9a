#include "tarquel/commands.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <ostream>
#include <typeindex>

#include "datafiles/file_sentaku.h"
#include "host/host_error.h"
#include "host/range.h"
#include "host/workbook.h"
#include "kanjigrade/form1.h"
#include "macros/data_workbook_macros.h"
#include "model/body.h"
#include "model/test_sheet.h"
#include "paper/geometry.h"
#include "paper/print_form.h"
#include "shell/front_end_queries.h"
#include "shell/macro_names.h"
#include "tarquel/check_command.h"
#include "tarquel/print_pdf.h"
#include "tarquel/session.h"
#include "tarquel/terminal_ui.h"
#include "testgen/user_form1.h"

namespace tarquel::cli {

namespace {

using paper::PrintForm;
using testgen::UserForm1;

// How a subcommand works on the workbook: what it does once start-up has opened it, and
// whether what it changed is saved.
struct WorkbookCommand {
  std::function<void(Session&)> run = {};
  bool saves = true;
  std::optional<std::string> output = {};  // -o
  bool force = false;                      // save over another program's lock
  // Runs just before the workbook is saved, once the command has run to its end and the save
  // is known to be wanted: prints what is about to be saved. When it fails, the workbook is
  // not saved, so that what the print would record is not recorded without it.
  std::function<ExitStatus(Session&)> before_save = {};
};

// A file name as the history should keep it: absolute and without "." or "..".
std::string FullPath(const std::string& path) {
  return std::filesystem::absolute(path).lexically_normal().string();
}

void PrintHostError(const Terminal& terminal, const host::HostError& error) {
  terminal.err << TerminalText(error.Display()) << "\n";
}

// Answers the data file dialog of start-up: the workbook named goes through ファイルを開く,
// the sample through サンプルデータを開く; without either, a person at a terminal chooses.
void ScriptOpening(TerminalUi& ui, const Invocation& inv) {
  if (inv.sample) {
    ui.SetScript(typeid(datafiles::FILE_Sentaku), {Press(&datafiles::FILE_Sentaku::Sample)});
    return;
  }
  if (!inv.bank.empty()) {
    ui.QueueFileName(FullPath(inv.bank));
    ui.SetScript(typeid(datafiles::FILE_Sentaku), {Press(&datafiles::FILE_Sentaku::Command3)});
    return;
  }
  if (!ui.terminal().interactive) {
    throw UsageError(
        "give the workbook to work on (BANK): without a terminal there is no one to choose it "
        "in the data file dialog");
  }
}

// A workbook that was never saved gets a name from the person at the terminal, if any.
std::optional<std::string> SaveTarget(Session& session, const WorkbookCommand& command,
                                      const Terminal& terminal) {
  if (command.output) return FullPath(*command.output);
  if (!session.workbook()->Path().empty()) return std::nullopt;  // in place
  if (terminal.interactive) {
    const std::optional<std::string> name = terminal.Ask("Save the new workbook as: ");
    if (name && !name->empty()) return FullPath(*name);
  }
  return "";
}

// Saves what the command changed, where it belongs; says so, or why it could not.
ExitStatus SaveChanges(Session& session, const WorkbookCommand& command, const Terminal& terminal) {
  if (!session.Changed()) {
    if (command.before_save) {
      if (const ExitStatus status = command.before_save(session); status != kExitOk) return status;
    }
    if (command.output) {
      terminal.out << "Nothing changed: " << *command.output << " was not written.\n";
    }
    return kExitOk;
  }
  const std::optional<std::string> target = SaveTarget(session, command, terminal);
  if (target && target->empty()) {
    terminal.err << "The new workbook was not saved: give -o OUT.xlsx to save it.\n";
    return kExitFile;
  }
  // Another program's next save of its open copy would drop what this command wrote.
  const std::string path = target.value_or(session.workbook()->FullName());
  if (!command.force) {
    if (const auto lock = session.platform().FindOtherProgramLock(path)) {
      terminal.err << "Not saved: " << path << " is open in another program (" << lock->lock_path
                   << ": " << lock->description
                   << ").\nClose it there and run the command again, or give --force to save "
                      "anyway.\n";
      return kExitFile;
    }
  }
  if (command.before_save) {
    if (const ExitStatus status = command.before_save(session); status != kExitOk) {
      terminal.err << "Not saved: the PDF was not written, so " << path
                   << " was not written either and the test is not recorded; run the command "
                      "again once the PDF can be written.\n";
      return status;
    }
  }
  try {
    session.Save(target);
  } catch (const host::HostError& error) {
    PrintHostError(terminal, error);
    return kExitFile;
  }
  terminal.out << "Saved " << session.workbook()->FullName() << "\n";
  return kExitOk;
}

// Says that what the command changed stays unsaved, when it changed anything.
void SayNotSaved(Session& session, const Terminal& terminal) {
  if (!session.Changed()) return;
  terminal.err << "Not saved: the command stopped before its end, so "
               << (session.workbook()->Path().empty() ? std::string("the new workbook")
                                                      : session.workbook()->FullName())
               << " was not written.\n";
}

// Closing the workbook records it in the history; a history that cannot take it does not undo
// what the command did, so that is only a warning.
void EndSession(Session& session, const Terminal& terminal) {
  try {
    session.End();
  } catch (const host::HostError& error) {
    terminal.err << "warning: the history of recent workbooks was not updated: "
                 << TerminalText(error.description()) << "\n";
  }
}

ExitStatus RunOnWorkbook(TerminalUi& ui, host::Platform& platform, const WorkbookCommand& command) {
  const Terminal& terminal = ui.terminal();
  Session session(ui, platform);
  try {
    session.Start();
  } catch (const host::HostError& error) {
    // A file that cannot be opened is the user's to put right: what is wrong, not an error
    // number.
    terminal.err << TerminalText(error.description()) << "\n";
    return kExitFile;
  }
  if (session.workbook() == nullptr || ui.stopped()) {
    terminal.err << "The data file dialog opened no workbook.\n";
    return kExitStopped;
  }
  ExitStatus status = kExitOk;
  try {
    command.run(session);
    if (ui.stopped()) {
      // Work done before a check stopped the command is not what the user asked for.
      status = kExitStopped;
      if (command.saves) SayNotSaved(session, terminal);
    } else if (command.saves) {
      status = SaveChanges(session, command, terminal);
    }
  } catch (const host::HostError& error) {
    // A command cut short by a run-time error leaves its work half done: the file keeps what
    // it had, as when the user closes the workbook without saving.
    PrintHostError(terminal, error);
    if (command.saves) SayNotSaved(session, terminal);
    status = kExitStopped;
  }
  EndSession(session, terminal);
  return status;
}

// True when `a` and `b` name the same file, through links too.
bool SameFile(const std::string& a, const std::string& b) {
  if (FullPath(a) == FullPath(b)) return true;
  std::error_code ignored;
  return std::filesystem::equivalent(a, b, ignored);
}

// Prints `sheets` of the session's workbook into one PDF file at `pdf_path` and says what was
// printed, or why nothing was: kExitFile when the file could not be written, kExitStopped when
// a sheet could not be printed.
ExitStatus PrintPdf(host::Platform& platform, const std::vector<const host::Worksheet*>& sheets,
                    const std::string& pdf_path, const Terminal& terminal) {
  const host::Workbook& book = sheets.front()->workbook();
  const std::string workbook = book.FullName();
  if (!book.Path().empty() && SameFile(pdf_path, workbook)) {
    terminal.err << "Not printed: " << pdf_path << " is the workbook " << workbook
                 << " itself; give the PDF another name.\n";
    return kExitFile;
  }
  const app::PrintResult result = app::PrintSheetsToPdf(sheets, FullPath(pdf_path), platform);
  if (result.error) {
    terminal.err << TerminalText(result.error->message) << "\n";
    return result.error->file_problem ? kExitFile : kExitStopped;
  }
  for (const std::string& note : result.notes) {
    terminal.err << "note: " << TerminalText(note) << "\n";
  }
  std::string names;
  for (const host::Worksheet* sheet : sheets) names += (names.empty() ? "" : ", ") + sheet->Name();
  terminal.out << "Printed " << names << " to " << pdf_path << " (" << result.pages
               << (result.pages == 1 ? " page)\n" : " pages)\n");
  return kExitOk;
}

ExitStatus PrintPdf(Session& session, const std::string& sheet_name, const std::string& pdf_path,
                    const Terminal& terminal) {
  const host::Worksheet* sheet = session.workbook()->FindSheet(sheet_name);
  if (sheet == nullptr) {
    terminal.err << "\"" << session.workbook()->Name() << "\" has no sheet \"" << sheet_name
                 << "\" to print.\n";
    return kExitStopped;
  }
  return PrintPdf(session.platform(), std::vector{sheet}, pdf_path, terminal);
}

// --- make-test --------------------------------------------------------------------------------

// The test the dialog made, once it has made one.
using TestSummary = std::optional<shell::GenerationSummary>;

// Notes the test the dialog has made, once 作成 has made one (it then reads 再作成).
void NoteMadeTest(host::Form& form, Session& session, TestSummary& summary) {
  const bool made = static_cast<testgen::UserForm1&>(form).CommandButton1.caption() == "再作成";
  if (made) {
    if (TestSummary last = shell::LastGeneration(session.body(), *session.workbook())) {
      summary = std::move(last);
    }
  }
}

bool ChoosesInTheDialog(const Invocation& inv) {
  return inv.first_group || inv.last_group || inv.group_count || inv.code || inv.ignore_wrong ||
         inv.exclude_set || inv.must_appear || inv.per_page40;
}

DialogScript MakeTestScript(const Invocation& inv, Session& session, TestSummary& summary) {
  DialogScript script;
  if (inv.first_group) script.push_back(TypeInto(&UserForm1::T1, *inv.first_group));
  if (inv.last_group) script.push_back(TypeInto(&UserForm1::T2, *inv.last_group));
  if (inv.group_count) script.push_back(TypeInto(&UserForm1::T3, *inv.group_count));
  if (inv.code) script.push_back(TypeInto(&UserForm1::T4, *inv.code));
  if (inv.ignore_wrong) script.push_back(SetTicked(&UserForm1::CBox, *inv.ignore_wrong));
  if (inv.exclude_set) script.push_back(SetTicked(&UserForm1::CheckBox1, *inv.exclude_set));
  if (inv.must_appear) script.push_back(SetTicked(&UserForm1::CheckBox2, *inv.must_appear));
  if (inv.per_page40) script.push_back(SetTicked(&UserForm1::TB1, *inv.per_page40));
  script.push_back(Press(&UserForm1::CommandButton1));  // 作成
  script.push_back(
      Inspect([&session, &summary](host::Form& form) { NoteMadeTest(form, session, summary); }));
  script.push_back(Press(&UserForm1::CommandButton2));  // 閉じる
  return script;
}

// A person at a terminal who gave none of the dialog's choices fills the dialog themselves;
// otherwise the options are typed into it.
void AnswerTestDialog(const Invocation& inv, TerminalUi& ui, Session& session,
                      TestSummary& summary) {
  if (!ChoosesInTheDialog(inv) && ui.terminal().interactive) {
    ui.SetWatcher(typeid(testgen::UserForm1),
                  [&session, &summary](host::Form& form) { NoteMadeTest(form, session, summary); });
    return;
  }
  ui.NameOption(&UserForm1::T1, "--range");
  ui.NameOption(&UserForm1::T2, "--range");
  ui.NameOption(&UserForm1::T3, "--count");
  ui.NameOption(&UserForm1::T4, "--code");
  ui.SetScript(typeid(testgen::UserForm1), MakeTestScript(inv, session, summary));
}

// When a stored paper setting stopped the test, tells how to put it right from here.
void HintAtPaperSettings(const Invocation& inv, Session& session, const Terminal& terminal) {
  const std::optional<shell::RefusedPaperSetting> refused =
      shell::RefusedPaperSettingInUse(session.body());
  if (!refused) return;
  const std::string bank = inv.sample ? "--sample" : "'" + inv.bank + "'";
  const std::string per_page = refused->per_page40 ? "40" : "20";
  terminal.err << "The paper setting " << refused->key << " holds \"" << refused->value
               << "\". Put the defaults back with: tarquel paper " << bank << " --per-page "
               << per_page << " --reset\n(or set one value with --set " << refused->key
               << "=VALUE; the paper command needs the test sheet, else edit "
               << refused->settings_path << ")\n";
}

ExitStatus MakeTest(const Invocation& inv, TerminalUi& ui, host::Platform& platform) {
  TestSummary summary;
  WorkbookCommand command{.output = inv.output, .force = inv.force};
  command.run = [&](Session& session) {
    session.ActivateBankSheet();
    AnswerTestDialog(inv, ui, session, summary);
    session.RunMacro(shell::MacroId::kStart);
    if (!summary) {
      HintAtPaperSettings(inv, session, ui.terminal());
      ui.MarkStopped();
      return;
    }
    ui.terminal().out << "Made " << summary->sheet << " in " << session.workbook()->Name() << ": "
                      << summary->pages << (summary->pages == 1 ? " page, " : " pages, ")
                      << summary->questions << " questions, test code " << summary->code << "\n";
  };
  if (inv.pdf) {
    // Printed before the save: a test whose PDF is missing is not counted as set.
    command.before_save = [&](Session& session) {
      return PrintPdf(session, summary ? summary->sheet : std::string(), *inv.pdf, ui.terminal());
    };
  }
  return RunOnWorkbook(ui, platform, command);
}

// --- the review commands ----------------------------------------------------------------------

// The test sheet asked for with --per-page must exist: the command never falls back to the
// other sheet, which may be the one the students get.
bool ActivateTestSheetOrSay(Session& session, const Invocation& inv, TerminalUi& ui) {
  if (session.ActivateTestSheet(inv.per_page40)) return true;
  ui.terminal().err << "\"" << session.workbook()->Name() << "\" has no sheet \""
                    << model::TestSheetName(*inv.per_page40) << "\" (--per-page "
                    << (*inv.per_page40 ? "40" : "20") << "): nothing was done.\n";
  ui.MarkStopped();
  return false;
}

ExitStatus OnTestSheet(const Invocation& inv, TerminalUi& ui, host::Platform& platform,
                       shell::MacroId macro) {
  WorkbookCommand command{.output = inv.output, .force = inv.force};
  command.run = [&](Session& session) {
    if (ActivateTestSheetOrSay(session, inv, ui)) session.RunMacro(macro);
  };
  return RunOnWorkbook(ui, platform, command);
}

// Says what a marking command did with `cell`; false when it recorded nothing.
bool ReportMark(const model::MarkOutcome& mark, const std::string& cell, bool wrong_answer,
                const Terminal& terminal) {
  using Kind = model::MarkOutcome::Kind;
  const std::string row = std::to_string(mark.bank_row);
  switch (mark.kind) {
    case Kind::kMarked:
      terminal.out << "row " << row << ": "
                   << (wrong_answer ? "X in attempt " + std::to_string(mark.attempt)
                                    : std::string("必出"))
                   << "\n";
      return true;
    case Kind::kAttemptsFull:
      terminal.err << "no free attempt column in row " << row << ": nothing recorded\n";
      return false;
    case Kind::kBeyondSlots:
      terminal.err << cell << " is right of the question columns (A to T): nothing to mark\n";
      return false;
    case Kind::kEmptySlot:
      terminal.err << cell << " holds no question: nothing to mark\n";
      return false;
    case Kind::kEmptyBankRow:
      terminal.err << "row " << row << " holds no question: nothing to mark\n";
      return false;
    case Kind::kNone:
      break;  // the command has shown why
  }
  return false;
}

// Marks each cell in order and says what each mark did; the first cell with nothing to mark
// stops the command, and then nothing is saved.
ExitStatus Mark(const Invocation& inv, TerminalUi& ui, host::Platform& platform,
                shell::MacroId macro) {
  const bool wrong_answer = inv.command == Command::kMarkWrong;
  WorkbookCommand command{.output = inv.output, .force = inv.force};
  command.run = [&](Session& session) {
    for (const std::string& cell : inv.cells) {
      session.Select(cell);
      session.RunMacro(macro);
      if (ui.stopped()) return;
      if (!ReportMark(session.LastMark(), cell, wrong_answer, ui.terminal())) {
        ui.MarkStopped();
        return;
      }
    }
  };
  return RunOnWorkbook(ui, platform, command);
}

ExitStatus OnSelectedCell(const Invocation& inv, TerminalUi& ui, host::Platform& platform,
                          shell::MacroId macro) {
  WorkbookCommand command{.output = inv.output, .force = inv.force};
  command.run = [&](Session& session) {
    session.Select(inv.cells.front());
    session.RunMacro(macro);
  };
  return RunOnWorkbook(ui, platform, command);
}

ExitStatus Jump(const Invocation& inv, TerminalUi& ui, host::Platform& platform) {
  WorkbookCommand command{.saves = false};
  command.run = [&](Session& session) {
    session.Select(inv.cells.front());
    session.RunMacro(shell::MacroId::kGoJump);
    if (!ui.stopped()) ui.terminal().out << session.ActiveCellReference() << "\n";
  };
  return RunOnWorkbook(ui, platform, command);
}

ExitStatus Report(const Invocation& inv, TerminalUi& ui, host::Platform& platform) {
  WorkbookCommand command{.saves = false};
  command.run = [&](Session& session) {
    session.ActivateBankSheet();
    switch (inv.report) {
      case ReportKind::kWrong:
        session.RunMacro(shell::MacroId::kNgReport);
        break;
      case ReportKind::kMust:
        session.RunMacro(shell::MacroId::kHituReport);
        break;
      case ReportKind::kDuplicates:
        session.RunMacro(shell::MacroId::kRepeatKanji);
        break;
    }
  };
  return RunOnWorkbook(ui, platform, command);
}

ExitStatus Furigana(const Invocation& inv, TerminalUi& ui, host::Platform& platform) {
  if (!inv.reading && !ui.terminal().interactive) {
    throw UsageError("furigana needs --reading TEXT: there is no terminal to ask for it");
  }
  ui.SetReading(inv.reading);
  return OnSelectedCell(inv, ui, platform, shell::MacroId::kEditFurigana);
}

// --- print and answer-key ---------------------------------------------------------------------

// The sheet `print` prints: the one --sheet names, else the test sheet in use, else the active
// sheet. UsageError for a name the workbook has no sheet of, naming those it has.
const host::Worksheet& SheetToPrint(Session& session, const Invocation& inv) {
  host::Workbook& book = *session.workbook();
  if (!inv.sheet) {
    session.ActivateTestSheet(std::nullopt);
    return book.ActiveSheet();
  }
  if (const host::Worksheet* sheet = book.FindSheet(*inv.sheet)) return *sheet;
  std::string names;
  for (int index = 1; index <= book.SheetCount(); ++index) {
    names += (index == 1 ? "\"" : ", \"") + book.SheetAt(index).Name() + "\"";
  }
  throw UsageError("\"" + book.Name() + "\" has no sheet named \"" + *inv.sheet +
                   "\"; its sheets are " + names);
}

// BANK's name with .pdf, in BANK's folder.
std::string PdfBesideWorkbook(const host::Workbook& book) {
  if (book.Path().empty()) {
    throw UsageError("\"" + book.Name() +
                     "\" has never been saved, so there is no folder to print beside it: give -o "
                     "OUT.pdf");
  }
  return std::filesystem::path(book.FullName()).replace_extension(".pdf").string();
}

// Prints `sheet` on the printer named `printer`.
ExitStatus PrintOnPrinter(const host::Worksheet& sheet, const std::string& printer,
                          const Terminal& terminal) {
  const app::PrintResult result = app::PrintSheetsOnPrinter({&sheet}, printer);
  if (result.error) {
    terminal.err << "Not printed: " << TerminalText(result.error->message) << "\n";
    return kExitStopped;
  }
  for (const std::string& note : result.notes) {
    terminal.err << "note: " << TerminalText(note) << "\n";
  }
  terminal.out << "Printed " << sheet.Name() << " on " << printer << " (" << result.pages
               << (result.pages == 1 ? " page)\n" : " pages)\n");
  return kExitOk;
}

ExitStatus Print(const Invocation& inv, TerminalUi& ui, host::Platform& platform) {
  ExitStatus printed = kExitOk;
  WorkbookCommand command{.saves = false};
  command.run = [&](Session& session) {
    const host::Worksheet& sheet = SheetToPrint(session, inv);
    if (inv.printer) {
      printed = PrintOnPrinter(sheet, *inv.printer, ui.terminal());
      return;
    }
    const std::string pdf = inv.pdf ? *inv.pdf : PdfBesideWorkbook(*session.workbook());
    printed = PrintPdf(session.platform(), std::vector{&sheet}, pdf, ui.terminal());
  };
  const ExitStatus status = RunOnWorkbook(ui, platform, command);
  return status == kExitOk ? printed : status;
}

// The answers are shown on the loaded workbook only, and it is never saved: the file keeps the
// test as the students get it.
ExitStatus AnswerKey(const Invocation& inv, TerminalUi& ui, host::Platform& platform) {
  ExitStatus printed = kExitOk;
  WorkbookCommand command{.saves = false};
  command.run = [&](Session& session) {
    if (!ActivateTestSheetOrSay(session, inv, ui)) return;
    session.RunMacro(shell::MacroId::kInPutAns);  // 解答表示
    if (ui.stopped()) return;
    const host::Worksheet* sheet = &session.workbook()->ActiveSheet();
    printed = PrintPdf(session.platform(), std::vector{sheet}, *inv.pdf, ui.terminal());
  };
  const ExitStatus status = RunOnWorkbook(ui, platform, command);
  return status == kExitOk ? printed : status;
}

// --- paper ------------------------------------------------------------------------------------

void PrintPaperValues(paper::PrintForm& form, std::ostream& out) {
  const int page = form.MultiPage1.value();
  out << form.MultiPage1.page(page).caption << " (" << form.caption() << ")\n";
  for (const paper::PrintForm::Setting& setting : paper::PrintForm::kSettings) {
    if (setting.page != page) continue;
    out << "  " << setting.key.name << " = " << form.BoxForSetting(setting.key.name).first->value()
        << "\n";
  }
}

DialogScript PaperScript(const Invocation& inv, TerminalUi& ui) {
  std::ostream& out = ui.terminal().out;
  DialogScript script;
  for (const auto& [key, value] : inv.settings) {
    script.push_back([key, value, &ui](host::Form& form) {
      std::ostream& err = ui.terminal().err;
      auto& paper = static_cast<paper::PrintForm&>(form);
      auto [box, page] = paper.BoxForSetting(key);
      ui.NameOption(*box, "--set " + key);
      if (paper.MultiPage1.value() != page && !paper.SelectPage(paper.MultiPage1, page)) {
        err << key << " is on the page \"" << paper.MultiPage1.page(page).caption
            << "\", which cannot be chosen: the workbook has no such test sheet.\n";
        return false;
      }
      return paper.Type(*box, value);
    });
  }
  // The last box typed into is checked when it is left, before anything is shown or pressed.
  if (!inv.settings.empty()) script.push_back([](host::Form& form) { return form.Tab(); });
  if (inv.reset) script.push_back(Press(&PrintForm::CommandButton2));  // 設定値リセット
  script.push_back(Inspect(
      [&out](host::Form& form) { PrintPaperValues(static_cast<paper::PrintForm&>(form), out); }));
  if (inv.pdf) script.push_back(Press(&PrintForm::CommandButton1));  // 印刷プレビュー
  const bool store = !inv.settings.empty() || inv.reset;
  script.push_back(Press(store ? &PrintForm::CommandButton4
                               : &PrintForm::CommandButton3));  // 保存して / せずに閉じる
  return script;
}

ExitStatus Paper(const Invocation& inv, TerminalUi& ui, host::Platform& platform) {
  for (const auto& [key, value] : inv.settings) {
    const auto& settings = paper::PrintForm::kSettings;
    if (std::ranges::none_of(settings, [&](const auto& s) { return key == s.key.name; })) {
      std::string keys;
      for (const auto& setting : settings) keys += std::string(" ") + setting.key.name;
      throw UsageError("paper has no setting \"" + key + "\"; the keys are" + keys);
    }
  }
  ExitStatus printed = kExitOk;
  WorkbookCommand command{.output = inv.output, .force = inv.force};
  command.run = [&](Session& session) {
    if (inv.pdf) {
      ui.SetPrintPreview([&](const std::vector<host::Worksheet*>& sheets) {
        printed =
            PrintPdf(session.platform(), {sheets.begin(), sheets.end()}, *inv.pdf, ui.terminal());
      });
    }
    if (!ActivateTestSheetOrSay(session, inv, ui)) return;
    ui.SetScript(typeid(paper::PrintForm), PaperScript(inv, ui));
    session.RunMacro(shell::MacroId::kSetPaper);
  };
  const ExitStatus status = RunOnWorkbook(ui, platform, command);
  return status == kExitOk ? printed : status;
}

// --- kanji grades -----------------------------------------------------------------------------

ExitStatus KanjiGrade(const Invocation& inv, TerminalUi& ui, host::Platform& platform) {
  std::ostream& out = ui.terminal().out;
  auto print = Inspect([&out](host::Form& form) {
    auto& grades = static_cast<kanjigrade::Form1&>(form);
    out << "== " << grades.caption() << " ==\n" << TerminalText(grades.Text1.value()) << "\n";
  });
  DialogScript script;
  if (inv.missing) script.push_back(Press(&kanjigrade::Form1::CD1));
  script.push_back(print);
  script.push_back(Press(&kanjigrade::Form1::Command1));  // 閉じる
  WorkbookCommand command{.saves = false};
  command.run = [&](Session& session) {
    session.Select(inv.cells.front());
    ui.SetScript(typeid(kanjigrade::Form1), std::move(script));
    session.RunMacro(shell::MacroId::kCommand2);
  };
  return RunOnWorkbook(ui, platform, command);
}

// --- data files -------------------------------------------------------------------------------

ExitStatus NewBank(const Invocation& inv, TerminalUi& ui, host::Platform& platform) {
  const std::string target = FullPath(inv.bank);
  if (platform.FileExists(target) || platform.FolderExists(target)) {
    ui.terminal().err << target << " exists already; it was not overwritten.\n";
    return kExitFile;
  }
  ui.SetScript(typeid(datafiles::FILE_Sentaku),
               {Press(&datafiles::FILE_Sentaku::Command1)});  // 空白テンプレート
  WorkbookCommand command{.output = target};
  command.run = [](Session&) {};
  return RunOnWorkbook(ui, platform, command);
}

void PrintHistory(datafiles::FILE_Sentaku& dialog, std::ostream& out) {
  out << "History:\n";
  for (int i = 0; i < datafiles::FILE_Sentaku::kHistorySize; ++i) {
    const host::CommandButton& entry = dialog.CMD[i];
    out << "  " << (i + 1) << "  " << entry.caption();
    if (!entry.tooltip().empty()) {
      out << "  " << entry.tooltip() << (entry.enabled() ? "" : "  (missing)");
    }
    out << "\n";
  }
  out << "Sample: " << (dialog.Sample.enabled() ? dialog.sample_path() : dialog.Sample.caption())
      << "\n";
}

ExitStatus History(const Invocation& inv, TerminalUi& ui, host::Platform& platform) {
  std::ostream& out = ui.terminal().out;
  auto print = Inspect(
      [&out](host::Form& form) { PrintHistory(static_cast<datafiles::FILE_Sentaku&>(form), out); });
  DialogScript script{print};
  if (inv.clear) {
    script.push_back(Press(&datafiles::FILE_Sentaku::Command2));  // 履歴クリア
    script.push_back(print);
  }
  // Closing the dialog builds a blank bank, which is left unsaved.
  ui.SetScript(typeid(datafiles::FILE_Sentaku), std::move(script));
  WorkbookCommand command{.saves = false};
  command.run = [](Session&) {};
  return RunOnWorkbook(ui, platform, command);
}

ExitStatus Version(TerminalUi& ui, host::Platform& platform) {
  ui.SetScript(typeid(datafiles::FILE_Sentaku), {});  // closed at once
  WorkbookCommand command{.saves = false};
  command.run = [](Session& session) { session.RunMacro(shell::MacroId::kQVersion); };
  return RunOnWorkbook(ui, platform, command);
}

ExitStatus Macro(const Invocation& inv, TerminalUi& ui, host::Platform& platform) {
  const auto macros = app::DataWorkbookMacros();
  if (std::ranges::none_of(macros, [&](const app::Macro& m) { return inv.macro == m.name; })) {
    std::string names;
    for (const app::Macro& m : macros) names += std::string(names.empty() ? "" : " ") + m.name;
    throw UsageError("the workbook has no macro \"" + inv.macro + "\"; it has " + names);
  }
  WorkbookCommand command{.output = inv.output, .force = inv.force};
  command.run = [&](Session& session) {
    if (!inv.cells.empty()) session.Select(inv.cells.front());
    session.RunMacro(inv.macro);
  };
  return RunOnWorkbook(ui, platform, command);
}

// The check reads the bank and saves nothing; its findings decide the exit status once the
// workbook opened.
ExitStatus Check(const Invocation& inv, TerminalUi& ui, host::Platform& platform) {
  ExitStatus found = kExitOk;
  WorkbookCommand command{.saves = false};
  command.run = [&](Session& session) { found = CheckBankSheet(inv, session, ui.terminal()); };
  const ExitStatus status = RunOnWorkbook(ui, platform, command);
  return status == kExitOk ? found : status;
}

// The print preview at a terminal: the person names a PDF file to print the sheets to, as the
// preview cannot be shown here; without a terminal it is only announced.
void PreviewAtTerminal(TerminalUi& ui, host::Platform& platform,
                       const std::vector<host::Worksheet*>& sheets) {
  const Terminal& terminal = ui.terminal();
  std::string names;
  for (const host::Worksheet* sheet : sheets) names += (names.empty() ? "" : ", ") + sheet->Name();
  if (!terminal.interactive || sheets.empty()) {
    terminal.out << "(print preview of " << names << ": paper --preview OUT.pdf prints it)\n";
    return;
  }
  const std::optional<std::string> path =
      terminal.Ask("Print preview of " + names + ": PDF file to print it to (empty to skip): ");
  if (!path || path->empty()) return;
  PrintPdf(platform, {sheets.begin(), sheets.end()}, *path, terminal);
}

bool OpensBank(Command command) {
  return command != Command::kNewBank && command != Command::kHistory &&
         command != Command::kVersion && command != Command::kHelp;
}

}  // namespace

ExitStatus RunCommand(const Invocation& inv, const Terminal& terminal, host::Platform& platform) {
  if (inv.command == Command::kHelp) {
    terminal.out << (inv.help_topic.empty() ? OverviewHelp() : CommandHelp(inv.help_topic));
    return kExitOk;
  }
  TerminalUi ui(terminal);
  ui.QueueAnswers(inv.answers);
  ui.SetPrintPreview([&ui, &platform](const std::vector<host::Worksheet*>& sheets) {
    PreviewAtTerminal(ui, platform, sheets);
  });
  if (OpensBank(inv.command)) ScriptOpening(ui, inv);
  switch (inv.command) {
    case Command::kMakeTest:
      return MakeTest(inv, ui, platform);
    case Command::kShowAnswers:
      return OnTestSheet(inv, ui, platform, shell::MacroId::kInPutAns);
    case Command::kEraseAnswers:
      return OnTestSheet(inv, ui, platform, shell::MacroId::kAnsDel);
    case Command::kMarkWrong:
      return Mark(inv, ui, platform, shell::MacroId::kThisQSisNG);
    case Command::kMarkMust:
      return Mark(inv, ui, platform, shell::MacroId::kThisQSisHitu);
    case Command::kJump:
      return Jump(inv, ui, platform);
    case Command::kReport:
      return Report(inv, ui, platform);
    case Command::kFurigana:
      return Furigana(inv, ui, platform);
    case Command::kPaper:
      return Paper(inv, ui, platform);
    case Command::kKanjiGrade:
      return KanjiGrade(inv, ui, platform);
    case Command::kNewBank:
      return NewBank(inv, ui, platform);
    case Command::kHistory:
      return History(inv, ui, platform);
    case Command::kVersion:
      return Version(ui, platform);
    case Command::kMacro:
      return Macro(inv, ui, platform);
    case Command::kPrint:
      return Print(inv, ui, platform);
    case Command::kAnswerKey:
      return AnswerKey(inv, ui, platform);
    case Command::kCheck:
      return Check(inv, ui, platform);
    case Command::kHelp:
      break;
  }
  return kExitOk;
}

}  // namespace tarquel::cli
