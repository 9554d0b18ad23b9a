// The whole `tarquel make-test` process on a generated bank of 2,000 and 65,535 rows, from
// spawning the program to its exit, beside Debian's python3-openpyxl loading and saving the same
// file as a whole process too, so that both sides pay their start-up. Each bank lives in a
// private folder that is also the runs' HOME, so the settings, the history and the sample
// workbook the first run installs stay there. The ratios are printed once all have run.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "host/application.h"
#include "host/xlsx/xlsx_files.h"
#include "support/bank_package.h"

namespace tarquel {
namespace {

// Builds the bank in a child process. A spawned program's peak resident size starts from that of
// the process spawning it (the kernel carries the larger over at exec), so the benchmark itself
// must stay small for peak_MiB to be the program's own.
void WriteBank(int rows, const std::filesystem::path& file) {
  const pid_t pid = fork();
  if (pid == 0) {
    bool written = false;
    {
      std::ofstream out(file, std::ios::binary);
      out << BankPackage(rows);
      written = static_cast<bool>(out.flush());
    }
    _exit(written ? 0 : 1);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "could not write the %d-row bank to %s\n", rows, file.c_str());
    std::exit(1);
  }
}

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
    WriteBank(rows, workspace.dir / "bank.xlsx");
  }
  return workspace;
}

struct Run {
  bool ok = false;  // started and exited with status 0
  double seconds = 0;
  double peak_mib = 0;
};

// Runs `argv` in `dir` with `dir` as HOME and nothing on the standard streams, timing it from
// spawn to exit.
Run RunProcess(const std::vector<std::string>& argv, const std::filesystem::path& dir) {
  const char* path = std::getenv("PATH");
  const std::vector<std::string> env = {
      "HOME=" + dir.string(), "XDG_CONFIG_HOME=" + (dir / ".config").string(),
      std::string("PATH=") + (path != nullptr ? path : "/usr/bin:/bin"), "LANG=C.UTF-8"};
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& entry : env) envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());

  Run run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  rusage usage{};
  const pid_t waited = wait4(pid, &status, 0, &usage);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.ok = waited == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  run.peak_mib = static_cast<double>(usage.ru_maxrss) / 1024;  // ru_maxrss is in KiB
  return run;
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
    const Run run = RunProcess(argv, workspace.dir);
    if (!run.ok) {
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
    if (!RunProcess(argv, workspace.dir).ok) {
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
  if (!RunProcess({"/usr/bin/python3", "-c", "import openpyxl"}, workspace.dir).ok) {
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
