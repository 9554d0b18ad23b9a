// A started add-in over a generated bank, for benchmarks: a quiet Ui, an in-memory platform,
// and a bank of `rows` questions in groups of 1 to 4 rows with underlined words and some
// wrong marks, scanned as the test dialog scans it.
#ifndef TARQUEL_BENCH_SUPPORT_STARTED_ADD_IN_H_
#define TARQUEL_BENCH_SUPPORT_STARTED_ADD_IN_H_

#include <string>

#include "host/application.h"
#include "host/platform/memory_platform.h"
#include "host/workbook.h"
#include "model/body.h"
#include "shell/add_in.h"
#include "shell/commands.h"
#include "support/quiet_ui.h"
#include "testgen/selection.h"

namespace tarquel {

// A started add-in over a bank of `rows` questions in groups of 1 to 4 rows.
struct StartedAddIn {
  explicit StartedAddIn(int rows) : app(ui), add_in(app, platform) {
    host::Workbook& book = app.Workbooks().Add();
    bank = &book.ActiveSheet();
    bank->SetName("ミラヴォ 同音・同訓");
    shell::Auto_Open(add_in.body());
    int group = 0;
    for (int row = 1; row <= rows;) {
      const int size = 1 + group % 4;
      for (int i = 0; i < size && row <= rows; ++i, ++row) {
        bank->Cells(row, 3).SetValue(host::CellValue("g" + std::to_string(group)));
        host::Range question = bank->Cells(row, 4);
        question.SetValue(host::CellValue("試合にカツために練習する。" + std::to_string(row)));
        question.Characters(4, 2).Font().SetUnderline(host::Underline::kSingle);
        bank->Cells(row, 5).SetValue(host::CellValue("勝"));
        if (row % 7 == 0) bank->Cells(row, 6).SetValue(host::CellValue("X"));
      }
      ++group;
    }
    model::Body& body = add_in.body();
    body.bank_sheet_name = body.start_sheet_name = bank->Name();
    body.use_sheet40 = true;
    testgen::ScanBank(*bank, body.generation);
  }

  QuietUi ui;
  host::MemoryPlatform platform;
  host::Application app;
  shell::AddIn add_in;
  host::Worksheet* bank = nullptr;
};

}  // namespace tarquel

#endif  // TARQUEL_BENCH_SUPPORT_STARTED_ADD_IN_H_
