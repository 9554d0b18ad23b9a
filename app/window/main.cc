// tarquel-window: the question bank workbooks in a desktop window.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "host/platform/posix_platform.h"
#include "print/font_catalog.h"
#include "window/main_window.h"
#include "window/qt_ui.h"
#include "window/session.h"

namespace {

constexpr char kUsage[] =
    "Usage: tarquel-window [BANK]\n"
    "Opens the question bank workbook BANK in a window; without it the data file dialog\n"
    "offers the recent workbooks, the sample and a new blank bank.\n";

}  // namespace

int main(int argc, char** argv) {
  // The arguments are read before Qt starts, so that --help needs no display.
  const std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  if (args.size() > 1 || (!args.empty() && args.front().starts_with("-"))) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string bank;
  if (!args.empty()) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(args.front(), error)) {
      std::fprintf(stderr, "tarquel-window: %s: no such file\n", args.front().c_str());
      return 2;
    }
    bank = std::filesystem::absolute(args.front()).lexically_normal().string();
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tarquel-window"));
  tarquel::host::PosixPlatform platform;
  tarquel::print::FontCatalog fonts;
  tarquel::window::QtUi ui(fonts, platform);
  tarquel::window::WindowSession session(ui, platform);
  tarquel::window::MainWindow window(session, ui, fonts);
  if (!bank.empty()) ui.OpenAtStart(bank);
  window.show();
  QTimer::singleShot(0, &window, [&window] { window.Start(); });
  return QApplication::exec();
}
