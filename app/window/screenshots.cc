// tarquel-window-screenshots: starts the window as `tarquel-window` does, opens the sample from
// the data file dialog, and drives it as a person would while saving what the display shows:
// the grid with the bank, the test creation dialog, the grid with the 40-a-page test made from
// it, and that test's print preview.
// scripts/window-screenshots.sh runs it under Xvfb, where no tool of the desktop can click.
#include <QApplication>
#include <QEventLoop>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <string>

#include "datafiles/file_sentaku.h"
#include "host/application.h"
#include "host/platform/posix_platform.h"
#include "host/workbook.h"
#include "model/bank_sheet.h"
#include "print/font_catalog.h"
#include "testgen/user_form1.h"
#include "window/form_dialog.h"
#include "window/main_window.h"
#include "window/qt_ui.h"
#include "window/session.h"

namespace {

using tarquel::window::FormDialog;

void Wait(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

// Runs `act` on the modal dialog on top once `is` says it is the one.
void WhenShown(std::function<bool(QWidget*)> is, std::function<void(QWidget*)> act) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, is, act] {
    QWidget* widget = QApplication::activeModalWidget();
    if (widget == nullptr || !widget->isVisible() || !is(widget)) return;
    timer->stop();
    timer->deleteLater();
    act(widget);
  });
  timer->start(20);
}

template <typename F>
bool IsForm(QWidget* widget) {
  auto* dialog = qobject_cast<FormDialog*>(widget);
  return dialog != nullptr && dynamic_cast<F*>(&dialog->form()) != nullptr;
}

void Click(QWidget* dialog, const char* name) {
  if (auto* button = dialog->findChild<QAbstractButton*>(QString::fromLatin1(name))) {
    button->click();
  } else {
    std::fprintf(stderr, "tarquel-window-screenshots: no button %s\n", name);
  }
}

// What the display shows of `widget` and a margin round it, as the user sees it.
bool Shoot(QWidget* widget, const QString& path) {
  Wait(400);
  const QRect frame = widget->frameGeometry().adjusted(-8, -8, 8, 8);
  const QPixmap shot =
      widget->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
  if (!shot.save(path)) {
    std::fprintf(stderr, "tarquel-window-screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QStringList args = QApplication::arguments().mid(1);
  if (args.size() != 1) {
    std::fputs("Usage: tarquel-window-screenshots OUTDIR\n", stderr);
    return 2;
  }
  const QString out = args.front();
  tarquel::host::PosixPlatform platform;
  tarquel::print::FontCatalog fonts;
  tarquel::window::QtUi ui(fonts, platform);
  tarquel::window::WindowSession session(ui, platform);
  tarquel::window::MainWindow window(session, ui, fonts);
  window.move(8, 8);
  window.resize(1180, 820);
  window.show();
  int failures = 0;
  QTimer::singleShot(200, &window, [&] {
    WhenShown(IsForm<tarquel::datafiles::FILE_Sentaku>,
              [](QWidget* dialog) { Click(dialog, "Sample"); });
    window.Start();
    tarquel::host::Workbook* book = session.app().ActiveWorkbook();
    if (book == nullptr || book->FindSheet(tarquel::model::kBankSheetBaseName) == nullptr) {
      std::fputs("tarquel-window-screenshots: the sample did not open\n", stderr);
      QApplication::exit(1);
      return;
    }
    book->FindSheet(tarquel::model::kBankSheetBaseName)->Activate();
    session.app().Range("D4").Select();
    window.SyncFromHost();
    failures += !Shoot(&window, out + QStringLiteral("/window-bank.png"));

    // The test creation dialog, then a 40-a-page test made from it.
    WhenShown(IsForm<tarquel::testgen::UserForm1>, [&](QWidget* dialog) {
      auto& form =
          static_cast<tarquel::testgen::UserForm1&>(static_cast<FormDialog*>(dialog)->form());
      if (!form.TB1.value()) Click(dialog, "TB1");
      failures += !Shoot(dialog, out + QStringLiteral("/test-dialog.png"));
      Click(dialog, "CommandButton1");
      Click(dialog, "CommandButton2");
    });
    window.RunMacro("M_START");
    session.app().Range("T2").Select();
    window.SyncFromHost();
    failures += !Shoot(&window, out + QStringLiteral("/window-test-sheet.png"));

    WhenShown([](QWidget* w) { return w->objectName() == QStringLiteral("printPreview"); },
              [&](QWidget* preview) {
                preview->resize(900, 980);
                failures += !Shoot(preview, out + QStringLiteral("/print-preview.png"));
                Click(preview, "closePreview");
              });
    session.app().ActiveWindow().PrintPreviewSelectedSheets();

    // Leave the sample as it was.
    WhenShown([](QWidget* w) { return w->objectName() == QStringLiteral("saveQuestion"); },
              [](QWidget* box) { Click(box, "dontSave"); });
    window.close();
    QApplication::exit(failures == 0 ? 0 : 1);
  });
  return QApplication::exec();
}
