#include "review/marking.h"

#include <optional>
#include <string>

#include "host/application.h"
#include "host/range.h"
#include "host/worksheet.h"
#include "model/bank_sheet.h"
#include "model/body.h"
#include "model/test_sheet.h"
#include "review/bank_lookup.h"

namespace tarquel::review {

namespace {

constexpr char kNotFound[] = "該当する問題がありません。";

bool IsTestSheetName(const std::string& name) {
  return name == model::kTestSheet40Name || name == model::kTestSheet20Name;
}

bool SingleCellSelected(host::Application& app) {
  if (app.Selection().CellCount() > 1) {
    app.ui().MessageBox(host::MessageKind::kStop, "複数セル選択では実行出来ません。",
                        host::MessageButtons::kOk, "注意");
    return false;
  }
  return true;
}

// Where a mark goes: the bank row of the selected question.
struct Target {
  host::Worksheet* bank = nullptr;
  int32_t row = 0;
  bool from_test_sheet = false;
};

// The common start of the two marking commands; nullopt when the command ends there (the user
// has been told why, or there is silently nothing to mark: body.last_mark says which).
std::optional<Target> FindMarkTarget(model::Body& body) {
  using Kind = model::MarkOutcome::Kind;
  body.last_mark = {};
  host::Application& app = body.HostApp();
  const std::string bank_name = model::LocateBankSheet(app);
  if (bank_name.empty()) return std::nullopt;
  body.bank_sheet_name = bank_name;
  const int32_t row = app.Selection().Row();
  const int32_t column = app.Selection().Column();
  if (!SingleCellSelected(app)) return std::nullopt;
  host::Worksheet& active = app.ActiveSheet();
  host::Worksheet& bank = active.workbook().Sheets().Item(bank_name);
  if (active.Name() == bank_name) {
    // A mark on a row without a question would never be read and only mislead later.
    if (bank.Cells(row, model::kQuestion).Value().AsText().empty()) {
      body.last_mark = {Kind::kEmptyBankRow, row};
      return std::nullopt;
    }
    return Target{&bank, row, false};
  }
  if (!IsTestSheetName(active.Name())) {
    app.ui().MessageBox(host::MessageKind::kStop, "このシートでは無効です。",
                        host::MessageButtons::kOk, "エラー");
    return std::nullopt;
  }
  if (column > model::kLastSlotColumn) {
    body.last_mark.kind = Kind::kBeyondSlots;
    return std::nullopt;
  }
  const std::string question = active.Cells(model::BandQuestionRow(row), column).Value().AsText();
  if (question.empty()) {
    body.last_mark.kind = Kind::kEmptySlot;
    return std::nullopt;
  }
  const std::optional<int32_t> bank_row = FindQuestionRow(bank, question);
  if (!bank_row) {
    app.ui().MessageBox(host::MessageKind::kStop, kNotFound, host::MessageButtons::kOk,
                        "メッセージ");
    return std::nullopt;
  }
  return Target{&bank, *bank_row, true};
}

void ShowBankRow(host::Worksheet& bank, int32_t row) {
  bank.Activate();
  bank.Cells(row, model::kQuestion).Select();
}

}  // namespace

void ThisQSisNG(model::Body& body) {
  using Kind = model::MarkOutcome::Kind;
  const std::optional<Target> target = FindMarkTarget(body);
  if (!target) return;
  for (int32_t column = model::kFirstAttempt; column <= model::kLastAttempt; ++column) {
    host::Range attempt = target->bank->Cells(target->row, column);
    if (attempt.Value().AsText().empty()) {
      attempt.SetValueFromText(model::kWrongMark);
      body.last_mark = {Kind::kMarked, target->row, column - model::kFirstAttempt + 1};
      return;
    }
  }
  body.last_mark = {Kind::kAttemptsFull, target->row};
  // All ten attempts are recorded: show the row, so the user sees why nothing was added.
  if (target->from_test_sheet) ShowBankRow(*target->bank, target->row);
}

void ThisQSisHITU(model::Body& body) {
  const std::optional<Target> target = FindMarkTarget(body);
  if (!target) return;
  target->bank->Cells(target->row, model::kMustAppear).SetValueFromText(model::kMustAppearMark);
  body.last_mark = {model::MarkOutcome::Kind::kMarked, target->row};
  if (target->from_test_sheet) ShowBankRow(*target->bank, target->row);
}

namespace {

// The question cell of `test` that holds `question`, walking band by band from column T to
// column A. Each cell is compared before its bottom edge is looked at, so a question whose
// border was removed by hand is still found; the first cell that matches no question and lacks
// the edge ends the laid-out pages.
std::optional<host::Range> FindOnTestSheet(host::Worksheet& test, const std::string& question) {
  for (int32_t band = 0; model::QuestionRow(band) < test.RowCount(); ++band) {
    for (int32_t slot = 1; slot <= model::kSlotsPerBand; ++slot) {
      host::Range cell = test.Cells(model::QuestionRow(band), model::SlotColumn(slot));
      if (cell.Value().AsText() == question) return cell;
      if (cell.Borders(host::BorderIndex::kEdgeBottom).LineStyle() !=
          host::LineStyle::kContinuous) {
        return std::nullopt;
      }
    }
  }
  return std::nullopt;
}

// From a bank row to its question on the test sheet `test`.
void JumpToTest(host::Application& app, host::Worksheet& bank, host::Worksheet& test,
                int32_t bank_row) {
  const std::string question = bank.Cells(bank_row, model::kQuestion).Value().AsText();
  if (question.empty()) return;
  std::optional<host::Range> cell = FindOnTestSheet(test, question);
  if (!cell) {
    app.ui().MessageBox(host::MessageKind::kStop, kNotFound, host::MessageButtons::kOk,
                        test.Name());
    return;
  }
  test.Activate();
  cell->Select();
}

}  // namespace

void GoJUMP(model::Body& body) {
  host::Application& app = body.HostApp();
  const std::string bank_name = model::LocateBankSheet(app);
  if (bank_name.empty()) return;
  body.bank_sheet_name = bank_name;
  const int32_t row = app.Selection().Row();
  const int32_t column = app.Selection().Column();
  host::Worksheet& active = app.ActiveSheet();
  if (active.Name() == model::kTestSheet40Name) {
    body.use_sheet40 = true;
  } else if (active.Name() == model::kTestSheet20Name) {
    body.use_sheet40 = false;
  }
  host::Workbook& book = active.workbook();
  const bool has20 = model::SheetExists(book.Sheets(), model::kTestSheet20Name);
  const bool has40 = model::SheetExists(book.Sheets(), model::kTestSheet40Name);
  // Follow the sheet that exists when only one of them does, whichever way round.
  if (!body.use_sheet40 && !has20 && has40) {
    body.use_sheet40 = true;
  } else if (body.use_sheet40 && !has40 && has20) {
    body.use_sheet40 = false;
  } else if (active.Name() == bank_name && !has20 && !has40) {
    app.ui().MessageBox(host::MessageKind::kStop, "テスト用紙が作成されていません。",
                        host::MessageButtons::kOk, "エラー");
    return;
  }
  const std::string test_name(model::TestSheetName(body.use_sheet40));
  if (!SingleCellSelected(app)) return;
  host::Worksheet& bank = book.Sheets().Item(bank_name);
  if (active.Name() != test_name) {
    if (active.Name() != bank_name) return;
    JumpToTest(app, bank, book.Sheets().Item(test_name), row);
    return;
  }
  if (column > model::kLastSlotColumn) return;
  const std::string question = active.Cells(model::BandQuestionRow(row), column).Value().AsText();
  if (question.empty()) return;
  const std::optional<int32_t> bank_row = FindQuestionRow(bank, question);
  if (!bank_row) {
    app.ui().MessageBox(host::MessageKind::kStop, kNotFound, host::MessageButtons::kOk, test_name);
    return;
  }
  ShowBankRow(bank, *bank_row);
}

void Edit_Furigana(model::Body& body) {
  host::Application& app = body.HostApp();
  host::Range selection = app.Selection();
  selection.SetPhoneticsVisible(true);
  app.ui().EditPhonetics(selection);
}

}  // namespace tarquel::review
