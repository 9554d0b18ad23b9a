// The review commands on the largest test: every question of a 65,535-row bank.
#include <benchmark/benchmark.h>

#include "review/answers.h"
#include "review/marking.h"
#include "review/reports.h"
#include "support/started_add_in.h"
#include "testgen/generate.h"

namespace tarquel {
namespace {

StartedAddIn& LargestTest() {
  static StartedAddIn* bench = [] {
    auto* b = new StartedAddIn(65535);
    b->add_in.body().use_sheet40 = false;
    testgen::Generate(b->add_in.body(), {1, 100000, 100000});
    return b;
  }();
  return *bench;
}

void BM_ShowAnswersOfEveryQuestion(benchmark::State& state) {
  StartedAddIn& bench = LargestTest();
  host::Worksheet& test = bench.app.ActiveSheet();
  for (auto _ : state) {
    test.Activate();
    review::InPutAns(bench.add_in.body());
  }
}
BENCHMARK(BM_ShowAnswersOfEveryQuestion)->Unit(benchmark::kMillisecond);

void BM_JumpFromTheLastBankRowToItsQuestion(benchmark::State& state) {
  StartedAddIn& bench = LargestTest();
  host::Worksheet& test = *bench.bank->workbook().FindSheet("テスト用紙 【20】");
  // The question placed last on the test: the walk from the bank visits every slot before it.
  const int32_t last_band_row = 4 * (bench.add_in.body().generation.test_page_count - 1) + 2;
  std::string question;
  for (int32_t column = 1; column <= 20 && question.empty(); ++column) {
    question = test.Cells(last_band_row, column).Value().AsText();
  }
  int32_t bank_row = 1;
  while (bench.bank->Cells(bank_row, 4).Value().AsText() != question) ++bank_row;
  for (auto _ : state) {
    bench.bank->Activate();
    bench.bank->Cells(bank_row, 4).Select();
    review::GoJUMP(bench.add_in.body());
  }
}
BENCHMARK(BM_JumpFromTheLastBankRowToItsQuestion)->Unit(benchmark::kMillisecond);

void BM_JumpFromAQuestionToItsBankRow(benchmark::State& state) {
  StartedAddIn& bench = LargestTest();
  host::Worksheet& test = *bench.bank->workbook().FindSheet("テスト用紙 【20】");
  for (auto _ : state) {
    test.Activate();
    test.Range("T2").Select();
    review::GoJUMP(bench.add_in.body());
  }
}
BENCHMARK(BM_JumpFromAQuestionToItsBankRow)->Unit(benchmark::kMillisecond);

void BM_DuplicateCheckOfTheLargestBank(benchmark::State& state) {
  StartedAddIn bench(65535);
  // A few duplicates among otherwise distinct answers.
  for (int32_t row = 1; row <= 65535; ++row) {
    bench.bank->Cells(row, 5).SetValue(host::CellValue("答" + std::to_string(row % 65000)));
  }
  for (auto _ : state) {
    bench.bank->Activate();
    review::RepeatKanji(bench.add_in.body());
  }
}
BENCHMARK(BM_DuplicateCheckOfTheLargestBank)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarquel
