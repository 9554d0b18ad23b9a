#include "qtprint/qt_printer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSizeF>
#include <QStringList>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>

#include "print/print_error.h"
#include "qtprint/qt_painter.h"

namespace tarquel::qtprint {
namespace {

constexpr double kMaxImageDpi = 1200;

bool Headless() {
  auto unset = [](const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr || *value == '\0';
  };
  return unset("DISPLAY") && unset("WAYLAND_DISPLAY");
}

std::string Quoted(const std::string& name) { return "「" + name + "」"; }

}  // namespace

GuiApplicationGuard::GuiApplicationGuard() {
  if (QCoreApplication::instance() != nullptr) {
    return;
  }
  if (Headless() && std::getenv("QT_QPA_PLATFORM") == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  }
  // Qt keeps references to the arguments for the application's lifetime.
  static int argc = 1;
  static char name[] = "tarquel";
  static char* argv[] = {name, nullptr};
  owned_ = std::make_unique<QGuiApplication>(argc, argv);
}

GuiApplicationGuard::~GuiApplicationGuard() = default;

QPageLayout PaperLayout(double width, double height) {
  const QSizeF upright(std::min(width, height), std::max(width, height));
  const QPageSize size(upright, QPageSize::Point, QString(), QPageSize::FuzzyMatch);
  QPageLayout layout(size, width > height ? QPageLayout::Landscape : QPageLayout::Portrait,
                     QMarginsF(0, 0, 0, 0), QPageLayout::Point);
  // The printer's smallest margins do not apply: the sheet's margins are on the page already.
  layout.setMode(QPageLayout::FullPageMode);
  return layout;
}

std::string NoSuchPrinterMessage(const std::string& printer_name,
                                 const std::vector<std::string>& available) {
  std::string message = printer_name.empty()
                            ? "既定のプリンターがありません。"
                            : "プリンター" + Quoted(printer_name) + "が見つかりません。";
  if (available.empty()) {
    return message + "このコンピューターには使えるプリンターがありません。";
  }
  message += "使えるプリンターは";
  for (const std::string& name : available) {
    message += Quoted(name);
  }
  return message + "です。";
}

print::PrintSummary PrintOnQPrinter(const std::vector<print::SheetToPrint>& sheets,
                                    print::FontCatalog& fonts, QPrinter& printer) {
  printer.setFullPage(true);
  // A printer writing a file has no name of its own: the file stands for it.
  const std::string printer_name =
      (printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName())
          .toStdString();
  QPainter painter;
  PageHooks hooks;
  hooks.begin_page = [&](double width, double height) {
    // Set before the page starts: the paper of each page is its own. A printer without such
    // paper prints on its nearest, as it would for any program.
    printer.setPageLayout(PaperLayout(width, height));
    if (!painter.isActive()) {
      if (!painter.begin(&printer)) {
        throw print::PrintError("プリンター" + Quoted(printer_name) + "で印刷を始められません。");
      }
    } else if (!printer.newPage()) {
      throw print::PrintError("プリンター" + Quoted(printer_name) +
                              "で次のページを始められません。");
    }
  };
  print::PrintSummary summary;
  try {
    // The printer's resolution is its device unit; with the full page the origin is the paper's
    // corner, as the layout has it.
    const double dots_per_point = printer.resolution() / 72.0;
    QtPainter qt_painter(painter, QTransform::fromScale(dots_per_point, dots_per_point), hooks);
    summary = print::PrintSheets(sheets, fonts, qt_painter);
  } catch (...) {
    if (painter.isActive()) {
      printer.abort();
      painter.end();
    }
    throw;
  }
  if (painter.isActive() && !painter.end()) {
    throw print::PrintError("プリンター" + Quoted(printer_name) + "への印刷が終わりませんでした。");
  }
  if (printer.printerState() == QPrinter::Error) {
    throw print::PrintError("プリンター" + Quoted(printer_name) + "で印刷できませんでした。");
  }
  return summary;
}

print::PrintSummary PrintToPrinter(const std::vector<print::SheetToPrint>& sheets,
                                   print::FontCatalog& fonts, const std::string& printer_name) {
  GuiApplicationGuard application;
  const QPrinterInfo info = printer_name.empty()
                                ? QPrinterInfo::defaultPrinter()
                                : QPrinterInfo::printerInfo(QString::fromStdString(printer_name));
  if (info.isNull()) {
    std::vector<std::string> available;
    for (const QString& name : QPrinterInfo::availablePrinterNames()) {
      available.push_back(name.toStdString());
    }
    throw print::PrintError(NoSuchPrinterMessage(printer_name, available));
  }
  QPrinter printer(info, QPrinter::HighResolution);
  if (!sheets.empty() && sheets.front().sheet != nullptr) {
    printer.setDocName(QString::fromStdString(sheets.front().sheet->Name()));
  }
  return PrintOnQPrinter(sheets, fonts, printer);
}

std::vector<QImage> RenderPagesToImages(const std::vector<print::SheetToPrint>& sheets,
                                        print::FontCatalog& fonts, double dpi,
                                        print::PrintSummary* summary) {
  if (!(dpi > 0 && dpi <= kMaxImageDpi)) {
    throw print::PrintError("画像の解像度 " + std::to_string(dpi) +
                            " dpi は使えません。0 より大きく 1200 以下にしてください。");
  }
  GuiApplicationGuard application;
  std::vector<QImage> images;
  // Declared after the images, so that it ends before they go.
  QPainter painter;
  const double dots_per_point = dpi / 72;
  PageHooks hooks;
  hooks.begin_page = [&](double width, double height) {
    if (painter.isActive()) {
      painter.end();
    }
    const int columns = std::max(1, static_cast<int>(std::ceil(width * dots_per_point)));
    const int rows = std::max(1, static_cast<int>(std::ceil(height * dots_per_point)));
    QImage image(columns, rows, QImage::Format_RGB32);
    const int dots_per_meter = static_cast<int>(std::lround(dpi / 0.0254));
    image.setDotsPerMeterX(dots_per_meter);
    image.setDotsPerMeterY(dots_per_meter);
    if (image.isNull()) {
      throw print::PrintError("ページの画像 (" + std::to_string(columns) + " × " +
                              std::to_string(rows) +
                              " ドット) を作れません。解像度を下げてください。");
    }
    image.fill(Qt::white);
    images.push_back(std::move(image));
    painter.begin(&images.back());
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  };
  hooks.end_page = [&] { painter.end(); };
  QtPainter qt_painter(painter, QTransform::fromScale(dots_per_point, dots_per_point), hooks);
  print::PrintSummary result = print::PrintSheets(sheets, fonts, qt_painter);
  if (painter.isActive()) {
    painter.end();
  }
  if (summary != nullptr) {
    *summary = std::move(result);
  }
  return images;
}

}  // namespace tarquel::qtprint
