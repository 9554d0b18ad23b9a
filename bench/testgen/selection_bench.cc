// Question selection on the largest bank a sheet holds: scanning 65,535 rows into groups and
// choosing the groups of a test. Both run on every generation, so together they should stay
// well under 100 ms.
#include <benchmark/benchmark.h>

#include "support/quiet_ui.h"

#include <optional>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/cell_value.h"
#include "host/range.h"
#include "host/ui.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "model/bank_sheet.h"
#include "model/generation_state.h"
#include "testgen/random.h"
#include "testgen/selection.h"

namespace tarquel::testgen {
namespace {

constexpr int32_t kBankRows = 65535;

// A full bank: group marks in runs of 1 to 4 rows, one or two attempts per row with an X on
// about a third of them, a keep-out mark now and then, and a must-appear row every 500.
class FullBank {
 public:
  FullBank() : app_(ui_), sheet_(&app_.Workbooks().Add().ActiveSheet()) {
    Random random(20240401);
    int32_t group = 0;
    int32_t left_in_group = 0;
    for (int32_t row = 1; row <= kBankRows; ++row) {
      if (left_in_group == 0) {
        ++group;
        left_in_group = random.Uniform(1, 4);
      }
      --left_in_group;
      sheet_->Cells(row, model::kGroupMark).SetValue(std::to_string(group));
      sheet_->Cells(row, model::kQuestion).SetValue("問題文");
      sheet_->Cells(row, model::kAnswer).SetValue("答");
      sheet_->Cells(row, model::kFirstAttempt).SetValue(random.Uniform(1, 3) == 1 ? "X" : "O");
      if (random.Uniform(1, 50) == 1) sheet_->Cells(row, model::kFirstAttempt + 1).SetValue("除");
      if (row % 500 == 0) sheet_->Cells(row, model::kMustAppear).SetValue("必出");
    }
  }

  host::Worksheet& sheet() { return *sheet_; }

 private:
  QuietUi ui_;
  host::Application app_;
  host::Worksheet* sheet_;
};

void BM_ScanAndSelectFullBank(benchmark::State& state) {
  FullBank bank;
  model::GenerationState generation;
  generation.options.consider_must_appear = true;
  int32_t seed = 1;
  for (auto _ : state) {
    ScanBank(bank.sheet(), generation);
    generation.requested_group_count = 40;
    SelectGroups(generation, 1, generation.bank_group_count, seed++);
    benchmark::DoNotOptimize(generation.selected_groups.data());
  }
  state.counters["groups"] = generation.bank_group_count;
  state.counters["eligible"] = generation.eligible_group_count;
}
BENCHMARK(BM_ScanAndSelectFullBank)->Unit(benchmark::kMillisecond);

void BM_SelectFromFullBank(benchmark::State& state) {
  FullBank bank;
  model::GenerationState generation;
  ScanBank(bank.sheet(), generation);
  generation.requested_group_count = 40;
  int32_t seed = 1;
  for (auto _ : state) {
    SelectGroups(generation, 1, generation.bank_group_count, seed++);
    benchmark::DoNotOptimize(generation.selected_groups.data());
  }
}
BENCHMARK(BM_SelectFromFullBank)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarquel::testgen
