// Benchmarks of the host engine's sparse sheet: the operations a test generation and the
// review commands lean on, on the sheet sizes they meet.
#include <benchmark/benchmark.h>

#include "support/quiet_ui.h"

#include <string>

#include "host/application.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"

namespace tarquel::host {
namespace {

// A test sheet of 1,000 filled cells: 50 bands of 20 question slots with borders under them.
void FillTestSheet(Worksheet& sheet) {
  for (int band = 0; band < 50; ++band) {
    const int row = band * 4 + 2;
    for (int column = 1; column <= 20; ++column) {
      sheet.Cells(row, column).SetValue(CellValue("問題文の例" + std::to_string(column)));
    }
    sheet.Range(sheet.Cells(row + 1, 1), sheet.Cells(row + 1, 20))
        .Borders(BorderIndex::kEdgeTop)
        .SetLineStyle(LineStyle::kContinuous);
  }
}

void BM_ClearBordersAndContentsOfWholeTestArea(benchmark::State& state) {
  QuietUi ui;
  Application app(ui);
  Worksheet& sheet = app.Workbooks().Add().ActiveSheet();
  for (auto _ : state) {
    state.PauseTiming();
    FillTestSheet(sheet);
    state.ResumeTiming();
    Range all = sheet.Range("A1:U65536");
    for (BorderIndex index :
         {BorderIndex::kDiagonalDown, BorderIndex::kDiagonalUp, BorderIndex::kEdgeLeft,
          BorderIndex::kEdgeTop, BorderIndex::kEdgeBottom, BorderIndex::kEdgeRight,
          BorderIndex::kInsideVertical, BorderIndex::kInsideHorizontal}) {
      all.Borders(index).SetLineStyle(LineStyle::kNone);
    }
    sheet.Range("A5:U65536,A1:T4").ClearContents();
    sheet.Range("A5:U65536,A1:T4").UnMerge();
  }
}
BENCHMARK(BM_ClearBordersAndContentsOfWholeTestArea)->Unit(benchmark::kMicrosecond);

void BM_ReadFullColumnOfValues(benchmark::State& state) {
  QuietUi ui;
  Application app(ui);
  Worksheet& sheet = app.Workbooks().Add().ActiveSheet();
  for (int row = 1; row <= kSheetRows; ++row) {
    sheet.Cells(row, 4).SetValue(CellValue("これは問題文の例です。" + std::to_string(row)));
  }
  for (auto _ : state) {
    std::size_t total = 0;
    for (int row = 1; row <= sheet.RowCount(); ++row) {
      total += sheet.Cells(row, 4).Value().AsText().size();
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_ReadFullColumnOfValues)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarquel::host
