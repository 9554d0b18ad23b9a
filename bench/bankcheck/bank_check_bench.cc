// The bank check on the largest bank a sheet holds: 65,535 questions, every column in use, read
// from its package as `tarquel check` reads it. The check alone, and with the school-year check
// of every answer against year 4 (with_grade:1); the findings are counted so that a check that
// stopped early would show. And the whole `tarquel check` process on the same bank's file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bankcheck/bank_check.h"
#include "host/application.h"
#include "host/workbook.h"
#include "host/xlsx/xlsx_files.h"
#include "support/bank_package.h"
#include "support/process.h"
#include "support/quiet_ui.h"

namespace tarquel {
namespace {

constexpr int kRows = 65535;

struct LoadedBank {
  QuietUi ui;
  host::Application app{ui};
  host::Workbook book{app, "bank.xlsx"};
  LoadedBank() { host::xlsx::XlsxFiles::ReadPackage(BankPackage(kRows), "bank.xlsx", book); }
};

LoadedBank& Bank() {
  static LoadedBank* bank = new LoadedBank;
  return *bank;
}

void BM_CheckBank(benchmark::State& state) {
  host::Worksheet& sheet = Bank().book.SheetAt(1);
  const bankcheck::CheckOptions options =
      state.range(0) == 0 ? bankcheck::CheckOptions{} : bankcheck::CheckOptions{.grade = 4};
  std::size_t findings = 0;
  for (auto _ : state) {
    const bankcheck::CheckResult result = bankcheck::CheckBank(sheet, options);
    findings = result.findings.size();
    benchmark::DoNotOptimize(findings);
  }
  state.counters["rows"] = kRows;
  state.counters["findings"] = static_cast<double>(findings);
}
BENCHMARK(BM_CheckBank)->Arg(0)->Arg(1)->ArgName("with_grade")->Unit(benchmark::kMillisecond);

// What the command does after start-up: read the package, then check it.
void BM_ReadAndCheckBank(benchmark::State& state) {
  const std::string package = BankPackage(kRows);
  for (auto _ : state) {
    QuietUi ui;
    host::Application app(ui);
    host::Workbook book(app, "bank.xlsx");
    host::xlsx::XlsxFiles::ReadPackage(package, "bank.xlsx", book);
    benchmark::DoNotOptimize(bankcheck::CheckBank(book.SheetAt(1)).findings.size());
  }
}
BENCHMARK(BM_ReadAndCheckBank)->Unit(benchmark::kMillisecond);

// `tarquel check bank.xlsx` in `home`, its output thrown away.
ProcessRun RunCheck(const std::filesystem::path& home) {
  return RunProcess({TARQUEL_PROGRAM, "check", "bank.xlsx"}, home);
}

// The whole program, from spawning it to its exit: start-up, reading the file, the check and
// printing its 26,000 findings. The first, untimed run installs the sample workbook in HOME.
void BM_TarquelCheckProcess(benchmark::State& state) {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "tarquel_check_bench.XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    state.SkipWithError("mkdtemp failed");
    return;
  }
  const std::filesystem::path home = pattern;
  if (!WriteBankFile(kRows, home / "bank.xlsx") || RunCheck(home).status != 1) {
    state.SkipWithError("tarquel check did not report the bank's findings");
    return;
  }
  for (auto _ : state) {
    const ProcessRun run = RunCheck(home);
    state.SetIterationTime(run.seconds);
    if (run.status != 1) state.SkipWithError("tarquel check failed");
  }
  std::filesystem::remove_all(home);
}
BENCHMARK(BM_TarquelCheckProcess)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarquel
