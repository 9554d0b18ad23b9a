// The package bytes of a teacher's question bank of `rows` questions in groups of three, every
// column in use: a source and page, the group, a question with an underlined word, the answer,
// some wrong marks, a note, how often it was set and now and then 必出. The file benchmarks open.
#ifndef TARQUEL_BENCH_SUPPORT_BANK_PACKAGE_H_
#define TARQUEL_BENCH_SUPPORT_BANK_PACKAGE_H_

#include <string>

#include "host/application.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/xlsx/xlsx_files.h"
#include "support/quiet_ui.h"

namespace tarquel {

inline std::string BankPackage(int rows) {
  QuietUi ui;
  host::Application app(ui);
  host::Worksheet& sheet = app.Workbooks().Add().ActiveSheet();
  sheet.SetName("ミラヴォ 同音・同訓");
  for (int row = 1; row <= rows; ++row) {
    sheet.Cells(row, 1).SetValue(host::CellValue("教科書" + std::to_string(row % 50)));
    sheet.Cells(row, 2).SetValue(host::CellValue("p." + std::to_string(row % 300)));
    sheet.Cells(row, 3).SetValue(host::CellValue("g" + std::to_string(row / 3)));
    host::Range question = sheet.Cells(row, 4);
    question.SetValue(host::CellValue("試合にカツために毎日練習する。" + std::to_string(row)));
    question.Characters(4, 2).Font().SetUnderline(host::Underline::kSingle);
    sheet.Cells(row, 5).SetValue(host::CellValue("勝"));
    for (int column = 6; column <= 8; ++column) {
      if ((row + column) % 5 == 0) sheet.Cells(row, column).SetValue(host::CellValue("X"));
    }
    sheet.Cells(row, 16).SetValue(host::CellValue("勝利の勝"));
    sheet.Cells(row, 17).SetValue(row % 7);
    if (row % 500 == 0) sheet.Cells(row, 18).SetValue(host::CellValue("必出"));
  }
  return host::xlsx::XlsxFiles::WritePackage(app.ActiveSheet().workbook());
}

}  // namespace tarquel

#endif  // TARQUEL_BENCH_SUPPORT_BANK_PACKAGE_H_
