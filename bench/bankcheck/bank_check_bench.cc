// The bank check on the largest bank a sheet holds: 65,535 questions, every column in use, read
// from its package as `tarquel check` reads it. The check alone, and with the school-year check
// of every answer against year 4 (with_grade:1); the findings are counted so that a check that
// stopped early would show. And the whole `tarquel check` process on the same bank's file.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bankcheck/bank_check.h"
#include "host/application.h"
#include "host/workbook.h"
#include "host/xlsx/xlsx_files.h"
#include "support/bank_package.h"
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

// `tarquel check bank.xlsx` runs in `home` as HOME, its output thrown away; its exit status.
int RunCheck(const std::filesystem::path& home) {
  std::vector<std::string> env = {"HOME=" + home.string(), "LANG=C.UTF-8"};
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = {TARQUEL_PROGRAM, "check", "bank.xlsx"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, home.c_str());
  pid_t pid = 0;
  int status = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
    int wait_status = 0;
    waitpid(pid, &wait_status, 0);
    status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return status;
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
  {
    std::ofstream out(home / "bank.xlsx", std::ios::binary);
    out << BankPackage(kRows);
  }
  if (RunCheck(home) != 1) {
    state.SkipWithError("tarquel check did not report the bank's findings");
    return;
  }
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const int status = RunCheck(home);
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (status != 1) state.SkipWithError("tarquel check failed");
  }
  std::filesystem::remove_all(home);
}
BENCHMARK(BM_TarquelCheckProcess)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarquel
