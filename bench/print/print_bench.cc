// Printing tests to PDF as a teacher does, the whole `tarquel print` process from spawning the
// program to its exit: the sample's 40-a-page test, and 100 pages of a 20-a-page test made from
// a generated bank of 2,000 rows. Beside them, where it is installed, the office suite converting
// the same sample test to PDF as a whole process too, as the program printed before it had its
// own printer. Each workbook lives in a private folder that is also the runs' HOME. The tests
// are made once, untimed, with `tarquel make-test`.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/bank_package.h"
#include "support/process.h"

namespace tarquel {
namespace {

namespace fs = std::filesystem;

// The pages "Made ..." reports, or 0.
int MadePages(const std::string& out) {
  std::smatch match;
  return std::regex_search(out, match, std::regex(": ([0-9]+) pages?, ")) ? std::stoi(match.str(1))
                                                                          : 0;
}

// A private folder holding test.xlsx, a test made once by `make`: the folder's path, or an error
// for the benchmark to report.
struct Workspace {
  fs::path dir;
  int pages = 0;
  std::string error;
};

Workspace MakeWorkspace(const char* name, const std::vector<std::string>& make, int bank_rows = 0) {
  Workspace workspace;
  std::string pattern = (fs::temp_directory_path() / (std::string(name) + ".XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) {
    workspace.error = "cannot make a temporary folder";
    return workspace;
  }
  workspace.dir = pattern;
  if (bank_rows > 0) {
    if (!WriteBankFile(bank_rows, workspace.dir / "bank.xlsx")) {
      workspace.error = "could not write the bank";
      return workspace;
    }
  }
  std::vector<std::string> argv = {TARQUEL_PROGRAM};
  argv.insert(argv.end(), make.begin(), make.end());
  const ProcessRun made = RunProcess(argv, workspace.dir, workspace.dir / "make.out");
  workspace.pages = MadePages(made.out);
  if (!made.ok() || workspace.pages == 0) workspace.error = "tarquel make-test failed";
  return workspace;
}

// Each made on first use, so that a filter that leaves a benchmark out does not make its test.
Workspace* sample_space = nullptr;
Workspace* hundred_space = nullptr;

const Workspace& SampleSpace() {
  if (sample_space == nullptr) {
    sample_space = new Workspace(
        MakeWorkspace("tarquel_print_bench_sample",
                      {"make-test", "--sample", "--per-page", "40", "-o", "test.xlsx"}));
  }
  return *sample_space;
}

const Workspace& HundredSpace() {
  if (hundred_space == nullptr) {
    // Groups of three, six to a band of 20 slots, one band a page: 600 groups are 100 pages.
    hundred_space =
        new Workspace(MakeWorkspace("tarquel_print_bench_hundred",
                                    {"make-test", "bank.xlsx", "--per-page", "20", "--range",
                                     "1-660", "--count", "600", "--code", "7", "-o", "test.xlsx"},
                                    2000));
  }
  return *hundred_space;
}

double tarquel_sample_mean = 0;
double office_sample_mean = 0;

// The pages of a PDF file: its page objects, "/Type /Page" but not "/Type /Pages", with or
// without the space.
int PdfPageCount(const fs::path& pdf) {
  std::ifstream in(pdf, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::string text = bytes.str();
  const std::regex page("/Type ?/Page[^s]");
  return static_cast<int>(
      std::distance(std::sregex_iterator(text.begin(), text.end(), page), std::sregex_iterator()));
}

// Times each iteration's process; every run writes its output anew rather than over the last.
// Our own PDF must have a page for each page of the test; the office suite's is taken as it is.
void TimeProcess(benchmark::State& state, const std::vector<std::string>& argv,
                 const Workspace& workspace, const fs::path& output, const char* failure,
                 double* mean, bool check_pages = true) {
  if (!workspace.error.empty()) {
    state.SkipWithError(workspace.error.c_str());
    return;
  }
  double total = 0;
  double peak_mib = 0;
  for (auto _ : state) {
    fs::remove(workspace.dir / output);
    const ProcessRun run = RunProcess(argv, workspace.dir);
    if (!run.ok() || !fs::exists(workspace.dir / output)) {
      state.SkipWithError(failure);
      break;
    }
    state.SetIterationTime(run.seconds);
    total += run.seconds;
    peak_mib = std::max(peak_mib, run.peak_mib);
  }
  if (state.error_occurred()) return;
  const int printed = PdfPageCount(workspace.dir / output);
  if (check_pages && printed != workspace.pages) {
    state.SkipWithError(("the PDF has " + std::to_string(printed) + " pages, the test " +
                         std::to_string(workspace.pages))
                            .c_str());
    return;
  }
  state.counters["pages"] = printed;
  state.counters["peak_MiB"] = peak_mib;
  if (mean != nullptr) *mean = total / static_cast<double>(state.iterations());
}

void BM_PrintSampleTest40(benchmark::State& state) {
  TimeProcess(state, {TARQUEL_PROGRAM, "print", "test.xlsx", "-o", "test.pdf"}, SampleSpace(),
              "test.pdf", "tarquel print failed", &tarquel_sample_mean);
}
BENCHMARK(BM_PrintSampleTest40)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PrintHundredPagesOf20(benchmark::State& state) {
  if (HundredSpace().error.empty() && HundredSpace().pages < 100) {
    state.SkipWithError("the test made has fewer than 100 pages");
    return;
  }
  TimeProcess(state, {TARQUEL_PROGRAM, "print", "test.xlsx", "-o", "test.pdf"}, HundredSpace(),
              "test.pdf", "tarquel print failed", nullptr);
}
BENCHMARK(BM_PrintHundredPagesOf20)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// The office suite's converter on the same sample test, with a profile of its own in the folder.
void BM_OfficeSuiteSampleTest40(benchmark::State& state) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
    state.SkipWithError("soffice is not installed");
    return;
  }
  const Workspace& workspace = SampleSpace();
  const std::vector<std::string> argv = {
      "soffice",      "--headless",
      "--norestore",  "-env:UserInstallation=file://" + (workspace.dir / "office-profile").string(),
      "--convert-to", "pdf",
      "test.xlsx"};
  if (workspace.error.empty() && !fs::exists(workspace.dir / "office-profile")) {
    RunProcess(argv, workspace.dir);  // the first run makes the profile
  }
  TimeProcess(state, argv, workspace, "test.pdf", "soffice did not convert the test",
              &office_sample_mean, false);
}
BENCHMARK(BM_OfficeSuiteSampleTest40)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarquel

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (tarquel::tarquel_sample_mean > 0 && tarquel::office_sample_mean > 0) {
    std::printf("The sample's 40-a-page test to PDF: tarquel print %.1f ms, office suite %.1f ms\n",
                tarquel::tarquel_sample_mean * 1e3, tarquel::office_sample_mean * 1e3);
  }
  for (const tarquel::Workspace* workspace : {tarquel::sample_space, tarquel::hundred_space}) {
    std::error_code ignored;
    if (workspace != nullptr && !workspace->dir.empty()) {
      std::filesystem::remove_all(workspace->dir, ignored);
    }
  }
  return 0;
}
