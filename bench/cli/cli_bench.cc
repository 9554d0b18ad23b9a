// The whole `tarquel make-test` process on a generated bank of 2,000 and 65,535 rows, from
// spawning the program to its exit, beside Debian's python3-openpyxl loading and saving the same
// file as a whole process too, so that both sides pay their start-up. Each bank lives in a
// private folder that is also the runs' HOME, so the settings, the history and the sample
// workbook the first run installs stay there. The ratios are printed once all have run.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/xlsx/xlsx_files.h"
#include "support/bank_package.h"
#include "support/process.h"

namespace tarquel {
namespace {

// The private folder of one bank size: bank.xlsx, and HOME for every run on it.
struct Workspace {
  std::filesystem::path dir;
  bool program_ran = false;  // the untimed first run, which installs the sample workbook
};

std::map<int, Workspace>& Workspaces() {
  static auto* workspaces = new std::map<int, Workspace>;
  return *workspaces;
}

Workspace& WorkspaceFor(int rows) {
  Workspace& workspace = Workspaces()[rows];
  if (workspace.dir.empty()) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tarquel_cli_bench.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::exit(1);
    }
    workspace.dir = pattern;
    if (!WriteBankFile(rows, workspace.dir / "bank.xlsx")) {
      std::fprintf(stderr, "could not write the %d-row bank to %s\n", rows, workspace.dir.c_str());
      std::exit(1);
    }
  }
  return workspace;
}

// The mean wall-clock seconds of each side's last run, by bank size, for the closing summary.
std::map<int, double> tarquel_means;
std::map<int, double> openpyxl_means;

// Runs each iteration's process, reporting its time as the iteration's and the largest peak
// resident size of the children.
void TimeProcess(benchmark::State& state, const std::vector<std::string>& argv,
                 const Workspace& workspace, const std::filesystem::path& output,
                 std::map<int, double>& means, const char* failure) {
  double total = 0;
  double peak_mib = 0;
  for (auto _ : state) {
    // Outside the process's time: every run writes its output anew rather than over the last.
    std::filesystem::remove(workspace.dir / output);
    const ProcessRun run = RunProcess(argv, workspace.dir);
    if (!run.ok()) {
      state.SkipWithError(failure);
      break;
    }
    state.SetIterationTime(run.seconds);
    total += run.seconds;
    peak_mib = std::max(peak_mib, run.peak_mib);
  }
  if (state.error_occurred()) return;
  state.counters["peak_MiB"] = peak_mib;
  means[static_cast<int>(state.range(0))] = total / static_cast<double>(state.iterations());
}

void BM_MakeTest(benchmark::State& state) {
  Workspace& workspace = WorkspaceFor(static_cast<int>(state.range(0)));
  const std::vector<std::string> argv = {
      TARQUEL_PROGRAM, "make-test", "bank.xlsx", "--per-page", "40", "--count", "40",
      "--code",        "7",         "-o",        "out.xlsx"};
  if (!workspace.program_ran) {
    if (!RunProcess(argv, workspace.dir).ok()) {
      state.SkipWithError("the first tarquel make-test failed");
      return;
    }
    workspace.program_ran = true;
  }
  TimeProcess(state, argv, workspace, "out.xlsx", tarquel_means, "tarquel make-test failed");
}
BENCHMARK(BM_MakeTest)->Arg(2000)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeTest)->Arg(65535)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_OpenpyxlLoadSave(benchmark::State& state) {
  Workspace& workspace = WorkspaceFor(static_cast<int>(state.range(0)));
  if (!RunProcess({"/usr/bin/python3", "-c", "import openpyxl"}, workspace.dir).ok()) {
    state.SkipWithError("python3-openpyxl is not installed");
    return;
  }
  const std::vector<std::string> argv = {
      "/usr/bin/python3", "-c",
      "import sys, openpyxl; wb = openpyxl.load_workbook(sys.argv[1]); wb.save(sys.argv[2])",
      "bank.xlsx", "py_out.xlsx"};
  TimeProcess(state, argv, workspace, "py_out.xlsx", openpyxl_means,
              "python3-openpyxl did not load and save the bank");
}
BENCHMARK(BM_OpenpyxlLoadSave)
    ->Arg(2000)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenpyxlLoadSave)
    ->Arg(65535)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void PrintRatios() {
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  std::printf("The benchmark's own peak, the floor of every peak_MiB: %.1f MiB\n",
              static_cast<double>(self.ru_maxrss) / 1024);
  for (const auto& [rows, tarquel] : tarquel_means) {
    const auto openpyxl = openpyxl_means.find(rows);
    if (openpyxl == openpyxl_means.end()) continue;
    std::printf("%d rows: tarquel make-test %.1f ms, openpyxl load+save %.1f ms, Y/X = %.1f\n",
                rows, tarquel * 1e3, openpyxl->second * 1e3, openpyxl->second / tarquel);
  }
}

}  // namespace
}  // namespace tarquel

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  tarquel::PrintRatios();
  for (const auto& [rows, workspace] : tarquel::Workspaces()) {
    std::error_code ignored;
    std::filesystem::remove_all(workspace.dir, ignored);
  }
  return 0;
}
