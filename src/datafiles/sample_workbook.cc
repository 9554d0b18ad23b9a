#include "datafiles/sample_workbook.h"

#include <cstdint>
#include <string>

#include "datafiles/bank_columns.h"
#include "datafiles/sample_bank_text.h"
#include "host/application.h"
#include "host/cell_format.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "model/bank_sheet.h"

namespace tarquel::datafiles {

namespace {

void LayOutSheet(host::Worksheet& sheet) {
  LayOutBankColumns(sheet);
  // A test sheet takes each question cell with its fonts, and D1's font for its answer rows.
  host::Range text = sheet.Columns("D:E");
  text.Font().SetName(kSampleFontName);
  text.Font().SetSize(kSampleFontSize);
  // Whole sentences stay readable in the narrow column; test sheets shrink their slots anyway.
  sheet.Columns("D").SetShrinkToFit(true);
  sheet.Rows().SetRowHeight(kSampleRowHeight);
}

void PutText(host::Worksheet& sheet, int32_t row, int column, const std::string& text) {
  if (!text.empty()) sheet.Cells(row, column).SetValue(host::CellValue(text));
}

void WriteQuestion(host::Worksheet& sheet, int32_t row, const SampleQuestion& question) {
  PutText(sheet, row, model::kSourceMemo, question.source_memo);
  PutText(sheet, row, model::kSecondMemo, question.second_memo);
  PutText(sheet, row, model::kGroupMark, question.group_mark);
  host::Range sentence = sheet.Cells(row, model::kQuestion);
  sentence.SetValue(host::CellValue(question.sentence));
  sentence.Characters(question.word_start + 1, question.word_length)
      .Font()
      .SetUnderline(host::Underline::kSingle);
  PutText(sheet, row, model::kAnswer, question.answer);
  for (std::size_t i = 0; i < question.attempts.size(); ++i) {
    PutText(sheet, row, model::kFirstAttempt + static_cast<int>(i), question.attempts[i]);
  }
  PutText(sheet, row, model::kRemarks, question.remarks);
  if (question.times_set) {
    sheet.Cells(row, model::kTimesSet).SetValue(static_cast<double>(*question.times_set));
  }
  if (question.must_appear) PutText(sheet, row, model::kMustAppear, model::kMustAppearMark);
}

}  // namespace

host::Workbook& BuildSampleWorkbook(host::Application& app,
                                    const std::vector<SampleQuestion>& questions) {
  host::Workbook& book = app.Workbooks().Add();
  host::Worksheet& sheet = book.ActiveSheet();
  sheet.SetName(model::kBankSheetBaseName);
  LayOutSheet(sheet);
  int32_t row = 1;
  for (const SampleQuestion& question : questions) WriteQuestion(sheet, row++, question);
  sheet.Range("A1").Select();
  return book;
}

host::Workbook& BuildSampleWorkbook(host::Application& app) {
  return BuildSampleWorkbook(app, ParseSampleBank(SampleBankText()));
}

}  // namespace tarquel::datafiles
