// Whole test generations as 作成 runs them (sheet creation, selection, layout, placement,
// geometry), on banks of the sizes teachers keep.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "host/application.h"
#include "host/platform/memory_platform.h"
#include "host/workbook.h"
#include "model/body.h"
#include "shell/add_in.h"
#include "shell/commands.h"
#include "testgen/generate.h"
#include "testgen/selection.h"

namespace tarquel {
namespace {

class QuietUi : public host::Ui {
 public:
  host::MessageAnswer MessageBox(const std::string&, host::MessageButtons,
                                 const std::optional<std::string>&) override {
    return host::MessageAnswer::kOk;
  }
  std::string GetOpenFilename(const std::vector<host::FileFilter>&) override { return "False"; }
  void PlaySound(host::SystemSound) override {}
  void EditPhonetics(host::Range&) override {}
  void PrintPreview(const std::vector<host::Worksheet*>&) override {}
  void ShowModal(host::Form&) override {}
};

// A started add-in over a bank of `rows` questions in groups of 1 to 4 rows.
struct Bench {
  explicit Bench(int rows) : app(ui), add_in(app, platform) {
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

void BM_FortyQuestionTestFromTenThousandRows(benchmark::State& state) {
  Bench bench(10000);
  for (auto _ : state) {
    bench.bank->Activate();
    benchmark::DoNotOptimize(testgen::Generate(bench.add_in.body(), {1, 100000, 16}));
  }
}
BENCHMARK(BM_FortyQuestionTestFromTenThousandRows)->Unit(benchmark::kMillisecond);

void BM_EveryGroupOfTheLargestBank(benchmark::State& state) {
  Bench bench(65535);
  for (auto _ : state) {
    bench.bank->Activate();
    benchmark::DoNotOptimize(testgen::Generate(bench.add_in.body(), {1, 100000, 100000}));
  }
}
BENCHMARK(BM_EveryGroupOfTheLargestBank)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace tarquel
