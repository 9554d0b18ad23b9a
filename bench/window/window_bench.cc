// The desktop window's speed: opening a 65,535-row bank to a painted window (target under
// 1.5 s), and painting one screenful of the 40-a-page test sheet (target under 16 ms, a frame).
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QPixmap>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/platform/posix_platform.h"
#include "host/workbook.h"
#include "model/test_sheet.h"
#include "print/font_catalog.h"
#include "settings/keys.h"
#include "settings/settings_file.h"
#include "support/bank_package.h"
#include "support/started_add_in.h"
#include "testgen/generate.h"
#include "window/main_window.h"
#include "window/qt_ui.h"
#include "window/session.h"
#include "window/sheet_grid.h"

namespace tarquel {
namespace {

namespace fs = std::filesystem;

print::FontCatalog& Fonts() {
  static print::FontCatalog fonts;
  return fonts;
}

// A home of its own with the bank file in it, for the run.
struct BankHome {
  explicit BankHome(int rows) {
    home = fs::temp_directory_path() / ("tarquel-window-bench-" + std::to_string(::getpid()));
    fs::create_directories(home);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    bank = home / "bank.xlsx";
    std::ofstream(bank, std::ios::binary) << BankPackage(rows);
  }
  ~BankHome() {
    std::error_code ignored;
    fs::remove_all(home, ignored);
  }
  fs::path home;
  fs::path bank;
};

// `tarquel-window BANK` up to the first painting of its window: the add-in loaded, the bank
// opened through the data file dialog, the window painted with the bank's first screenful.
void BM_OpenBankToPaintedWindow(benchmark::State& state) {
  const BankHome files(static_cast<int>(state.range(0)));
  host::PosixPlatform platform;
  for (auto _ : state) {
    window::QtUi ui(Fonts(), platform);
    window::WindowSession session(ui, platform);
    window::MainWindow main_window(session, ui, Fonts());
    main_window.resize(1280, 800);
    ui.OpenAtStart(files.bank.string());
    main_window.show();
    main_window.Start();
    const QPixmap painted = main_window.grab();
    benchmark::DoNotOptimize(painted.cacheKey());
    if (session.app().ActiveWorkbook() == nullptr ||
        session.app().ActiveWorkbook()->FullName() != files.bank.string()) {
      state.SkipWithError("the bank did not open");
      break;
    }
    state.PauseTiming();
    main_window.hide();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenBankToPaintedWindow)->Arg(65535)->Unit(benchmark::kMillisecond)->Iterations(3);

// One screenful (1280 by 800 pixels) of a 40-a-page test made from a 2,000-row bank.
void BM_PaintTestSheetScreen(benchmark::State& state) {
  StartedAddIn bench(2000);
  model::Body& body = bench.add_in.body();
  body.use_sheet40 = true;
  // The test is made from the active sheet's workbook: the bank's, not the blank one start-up
  // built.
  bench.bank->Activate();
  // The test code the dialog would have stored before making the test.
  settings::WriteSettings(body.Settings(), {{settings::kRandomCode.name, "1234"}});
  if (!testgen::Generate(body, {1, 100000, 80})) {
    state.SkipWithError("no test was made");
    return;
  }
  host::Worksheet* test = bench.app.ActiveWorkbook()->FindSheet(model::kTestSheet40Name);
  window::SheetGrid grid(Fonts());
  grid.resize(1280, 800);
  grid.show();
  grid.SetSheet(test);
  for (auto _ : state) {
    const QPixmap painted = grid.viewport()->grab();
    benchmark::DoNotOptimize(painted.cacheKey());
  }
  state.counters["rows"] = static_cast<double>(grid.rows_in_view().size());
  state.counters["columns"] = static_cast<double>(grid.columns_in_view().size());
}
BENCHMARK(BM_PaintTestSheetScreen)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarquel

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
