#include "review/answers.h"

#include <string>

#include "host/application.h"
#include "model/bank_sheet.h"
#include "model/body.h"
#include "model/test_sheet.h"
#include "review/bank_lookup.h"
#include "review/test_sheet_walk.h"

namespace tarquel::review {

void InPutAns(model::Body& body) {
  host::Application& app = body.HostApp();
  app.SetScreenUpdating(false);
  const std::string bank_name = model::LocateBankSheet(app);
  if (bank_name.empty()) return;
  body.bank_sheet_name = bank_name;
  if (!TakeTestSheetInUse(body)) return;
  host::Workbook& book = app.ActiveSheet().workbook();
  host::Worksheet& test = book.Sheets().Item(std::string(model::TestSheetName(body.use_sheet40)));
  host::Worksheet& bank = book.Sheets().Item(body.bank_sheet_name);
  const QuestionIndex index(bank);
  WalkQuestionCells(test, [&](int32_t row, int32_t column) {
    const std::string question = test.Cells(row, column).Text();
    const int32_t bank_row = index.FirstRowOrEmpty(question);
    if (bank.Cells(bank_row, model::kQuestion).Value().AsText() == question) {
      test.Cells(row + 1, column).SetValueFromText(bank.Cells(bank_row, model::kAnswer).Text());
    }
    return true;
  });
}

void ANS_DEL(model::Body& body) {
  host::Application& app = body.HostApp();
  app.SetScreenUpdating(false);
  const std::string remembered_sheet = app.ActiveSheet().Name();
  const int32_t remembered_row = app.Selection().Row();
  const int32_t remembered_column = app.Selection().Column();
  if (!TakeTestSheetInUse(body)) return;
  host::Workbook& book = app.ActiveSheet().workbook();
  host::Worksheet& test = book.Sheets().Item(std::string(model::TestSheetName(body.use_sheet40)));
  test.Select();
  const int32_t rows_per_page = model::RowsPerPage(body.use_sheet40);
  for (int32_t top = 0;; top += rows_per_page) {
    const int32_t band = top / model::kRowsPerBand;
    if (model::AnswerRow(band + 1) > test.RowCount() ||
        test.Cells(model::QuestionRow(band), model::kLastSlotColumn).Value().AsText().empty()) {
      host::Worksheet& sheet = book.Sheets().Item(remembered_sheet);
      sheet.Select();
      sheet.Cells(remembered_row, remembered_column).Select();
      return;
    }
    // The answer rows of this band and the next: both of a 40 page; on the 20 sheet this
    // page's and the next page's.
    for (int32_t row : {model::AnswerRow(band), model::AnswerRow(band + 1)}) {
      host::Range answers = test.Range(test.Cells(row, 1), test.Cells(row, model::kLastSlotColumn));
      answers.Select();
      answers.ClearContents();
    }
  }
}

}  // namespace tarquel::review
