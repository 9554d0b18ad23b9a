#include "review/marking.h"

#include <optional>
#include <string>

#include "host/application.h"
#include "model/bank_sheet.h"
#include "model/body.h"
#include "model/test_sheet.h"
#include "review/bank_lookup.h"
#include "review/test_sheet_walk.h"

namespace tarquel::review {

namespace {

constexpr char kNotFound[] = "該当する問題がありません。";

bool IsTestSheetName(const std::string& name) {
  return name == model::kTestSheet40Name || name == model::kTestSheet20Name;
}

bool SingleCellSelected(host::Application& app) {
  if (app.Selection().CellCount() > 1) {
    app.ui().MessageBox("複数セル選択では実行出来ません。", host::MessageButtons::kOk, "注意");
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
// has been told why, or there is silently nothing to mark).
std::optional<Target> FindMarkTarget(model::Body& body) {
  host::Application& app = body.HostApp();
  const std::string bank_name = model::LocateBankSheet(app);
  if (bank_name.empty()) return std::nullopt;
  body.bank_sheet_name = bank_name;
  const int32_t row = app.Selection().Row();
  const int32_t column = app.Selection().Column();
  if (!SingleCellSelected(app)) return std::nullopt;
  host::Worksheet& active = app.ActiveSheet();
  host::Worksheet& bank = active.workbook().Sheets().Item(bank_name);
  if (active.Name() == bank_name) return Target{&bank, row, false};
  if (!IsTestSheetName(active.Name())) {
    app.ui().MessageBox("このシートでは無効です。", host::MessageButtons::kOk, "エラー");
    return std::nullopt;
  }
  if (column > model::kLastSlotColumn) return std::nullopt;
  const std::string question = active.Cells(model::BandQuestionRow(row), column).Value().AsText();
  if (question.empty()) return std::nullopt;
  const std::optional<int32_t> bank_row = FindQuestionRow(bank, question);
  if (!bank_row) {
    app.ui().MessageBox(kNotFound, host::MessageButtons::kOk, "メッセージ");
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
  const std::optional<Target> target = FindMarkTarget(body);
  if (!target) return;
  for (int32_t column = model::kFirstAttempt; column <= model::kLastAttempt; ++column) {
    host::Range attempt = target->bank->Cells(target->row, column);
    if (attempt.Value().AsText().empty()) {
      attempt.SetValueFromText(model::kWrongMark);
      return;
    }
  }
  // All ten attempts are recorded: show the row, so the user sees why nothing was added.
  if (target->from_test_sheet) ShowBankRow(*target->bank, target->row);
}

void ThisQSisHITU(model::Body& body) {
  const std::optional<Target> target = FindMarkTarget(body);
  if (!target) return;
  target->bank->Cells(target->row, model::kMustAppear).SetValueFromText(model::kMustAppearMark);
  if (target->from_test_sheet) ShowBankRow(*target->bank, target->row);
}

namespace {

// From a bank row to its question on the test sheet `test`.
void JumpToTest(host::Application& app, host::Worksheet& bank, host::Worksheet& test,
                int32_t bank_row) {
  const std::string question = bank.Cells(bank_row, model::kQuestion).Value().AsText();
  if (question.empty()) return;
  bool found = false;
  WalkQuestionCells(test, [&](int32_t row, int32_t column) {
    if (test.Cells(row, column).Value().AsText() != question) return true;
    test.Activate();
    test.Cells(row, column).Select();
    found = true;
    return false;
  });
  if (!found) app.ui().MessageBox(kNotFound, host::MessageButtons::kOk, test.Name());
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
    app.ui().MessageBox("テスト用紙が作成されていません。", host::MessageButtons::kOk, "エラー");
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
    app.ui().MessageBox(kNotFound, host::MessageButtons::kOk, test_name);
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
