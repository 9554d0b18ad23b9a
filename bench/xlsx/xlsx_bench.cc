// Opening and saving a full question bank (65,535 rows, 18 columns, a rich-text sentence in
// every row), untouched (given back as read) and after an edit (written anew), beside the floor of
// the work: inflating every part and parsing it through the safe XML gate into a DOM, and deflating
// the same parts into a new package. BM_Openpyxl times Debian's python3-openpyxl loading and saving
// the same file in the same run (bench/xlsx/compare_openpyxl.sh does the same on its own).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "host/application.h"
#include "host/xlsx/package.h"
#include "host/xlsx/xlsx_files.h"
#include "host/xlsx/xml_document.h"
#include "support/bank_package.h"

namespace tarquel {
namespace {

constexpr int kRows = 65535;

const std::string& BankFile() {
  static const std::string* bytes = [] {
    auto* file = new std::string(BankPackage(kRows));
    std::ofstream("/tmp/tarquel_bench_bank.xlsx", std::ios::binary) << *file;
    return file;
  }();
  return *bytes;
}

void ReportPeakMemory(benchmark::State& state) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}

void BM_FloorRead(benchmark::State& state) {
  const std::string& file = BankFile();
  for (auto _ : state) {
    auto reader = host::xlsx::PackageReader::Open(file, "bank.xlsx");
    for (const std::string& entry : reader.EntryNames()) {
      if (entry.ends_with("/")) continue;
      pugi::xml_document doc;
      host::xlsx::ParseXml(reader.Read(entry), entry, doc);
      benchmark::DoNotOptimize(doc.first_child());
    }
  }
}
BENCHMARK(BM_FloorRead)->Unit(benchmark::kMillisecond);

void BM_FloorWrite(benchmark::State& state) {
  const std::string& file = BankFile();
  auto reader = host::xlsx::PackageReader::Open(file, "bank.xlsx");
  std::vector<std::pair<std::string, std::string>> parts;
  for (const std::string& entry : reader.EntryNames())
    parts.emplace_back(entry, reader.Read(entry));
  for (auto _ : state) {
    host::xlsx::PackageWriter writer;
    for (const auto& [name, bytes] : parts) writer.Add(name, bytes);
    benchmark::DoNotOptimize(writer.Finish());
  }
}
BENCHMARK(BM_FloorWrite)->Unit(benchmark::kMillisecond);

void BM_Load(benchmark::State& state) {
  const std::string& file = BankFile();
  for (auto _ : state) {
    QuietUi ui;
    host::Application app(ui);
    host::Workbook book(app, "bank.xlsx");
    host::xlsx::XlsxFiles::ReadPackage(file, "bank.xlsx", book);
    benchmark::DoNotOptimize(book.SheetCount());
  }
  ReportPeakMemory(state);
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

// Saves the bank as opened, or after one count in it changed (a test was made), so that every
// modelled part is written anew.
void SaveBank(benchmark::State& state, bool edited) {
  QuietUi ui;
  host::Application app(ui);
  host::Workbook book(app, "bank.xlsx");
  host::xlsx::XlsxFiles::ReadPackage(BankFile(), "bank.xlsx", book);
  if (edited) book.SheetAt(1).Cells(1, 17).SetValue(99);
  for (auto _ : state) {
    benchmark::DoNotOptimize(host::xlsx::XlsxFiles::WritePackage(book));
  }
  ReportPeakMemory(state);
}

void BM_Save(benchmark::State& state) { SaveBank(state, false); }
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

void BM_SaveAfterEdit(benchmark::State& state) { SaveBank(state, true); }
BENCHMARK(BM_SaveAfterEdit)->Unit(benchmark::kMillisecond);

// One load and one save by the Python library, timed inside Python so that starting the
// interpreter does not count. Reported as manual time (load + save) with both as counters.
void BM_Openpyxl(benchmark::State& state) {
  BankFile();
  const char* script =
      "/usr/bin/python3 -c \"import sys, time, openpyxl\n"
      "t0 = time.perf_counter()\n"
      "wb = openpyxl.load_workbook('/tmp/tarquel_bench_bank.xlsx')\n"
      "t1 = time.perf_counter()\n"
      "wb.save('/tmp/tarquel_bench_bank_openpyxl.xlsx')\n"
      "t2 = time.perf_counter()\n"
      "print(t1 - t0, t2 - t1)\" 2>/dev/null";
  for (auto _ : state) {
    FILE* python = popen(script, "r");
    double load = 0, save = 0;
    const bool read = python != nullptr && std::fscanf(python, "%lf %lf", &load, &save) == 2;
    if (python != nullptr) pclose(python);
    if (!read) {
      state.SkipWithError("python3-openpyxl did not run");
      return;
    }
    state.SetIterationTime(load + save);
    state.counters["load_s"] = load;
    state.counters["save_s"] = save;
  }
}
BENCHMARK(BM_Openpyxl)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarquel
