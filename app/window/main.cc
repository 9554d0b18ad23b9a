// tarquel-window: the question bank workbooks in a desktop window.
#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <string>

#include "host/platform/posix_platform.h"
#include "print/font_catalog.h"
#include "window/main_window.h"
#include "window/qt_ui.h"
#include "window/session.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tarquel-window"));
  const QStringList args = QApplication::arguments().mid(1);
  if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h")) ||
      args.size() > 1) {
    std::fputs(
        "Usage: tarquel-window [BANK]\n"
        "Opens the question bank workbook BANK in a window; without it the data file dialog\n"
        "offers the recent workbooks, the sample and a new blank bank.\n",
        args.size() > 1 ? stderr : stdout);
    return args.size() > 1 ? 2 : 0;
  }
  tarquel::host::PosixPlatform platform;
  tarquel::print::FontCatalog fonts;
  tarquel::window::QtUi ui(fonts, platform);
  tarquel::window::WindowSession session(ui, platform);
  tarquel::window::MainWindow window(session, ui, fonts);
  if (!args.isEmpty()) {
    const QFileInfo bank(args.front());
    if (!bank.isFile()) {
      std::fprintf(stderr, "tarquel-window: %s: no such file\n", args.front().toLocal8Bit().data());
      return 2;
    }
    ui.OpenAtStart(bank.absoluteFilePath().toStdString());
  }
  window.show();
  QTimer::singleShot(0, &window, [&window] { window.Start(); });
  return QApplication::exec();
}
