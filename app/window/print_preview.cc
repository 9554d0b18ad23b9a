#include "window/print_preview.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "host/worksheet.h"
#include "print/print_error.h"
#include "qtprint/qt_printer.h"
#include "tarquel/print_pdf.h"

namespace tarquel::window {

namespace {

// 0 is the whole page fitted to the view.
constexpr int kZooms[] = {0, 50, 75, 100, 150, 200};

}  // namespace

std::vector<print::SheetToPrint> SheetsToPrint(const std::vector<host::Worksheet*>& sheets) {
  std::vector<print::SheetToPrint> result;
  for (const host::Worksheet* sheet : sheets) {
    result.push_back({sheet, app::PrintOptionsFor(*sheet)});
  }
  return result;
}

PrintPreviewDialog::PrintPreviewDialog(const std::vector<host::Worksheet*>& sheets,
                                       print::FontCatalog& fonts, host::Platform& platform,
                                       QWidget* parent)
    : QDialog(parent), sheets_(sheets), fonts_(fonts), platform_(platform) {
  setObjectName(QStringLiteral("printPreview"));
  setWindowTitle(QStringLiteral("印刷プレビュー"));
  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  previous_ = new QPushButton(QStringLiteral("前へ(&P)"), this);
  previous_->setObjectName(QStringLiteral("previousPage"));
  next_ = new QPushButton(QStringLiteral("次へ(&N)"), this);
  next_->setObjectName(QStringLiteral("nextPage"));
  page_label_ = new QLabel(this);
  zoom_box_ = new QComboBox(this);
  zoom_box_->setObjectName(QStringLiteral("zoom"));
  for (const int zoom : kZooms) {
    zoom_box_->addItem(zoom == 0 ? QStringLiteral("ページ全体") : QStringLiteral("%1%").arg(zoom),
                       zoom);
  }
  zoom_box_->setCurrentIndex(0);
  auto* print = new QPushButton(QStringLiteral("印刷(&T)..."), this);
  auto* pdf = new QPushButton(QStringLiteral("PDFで保存(&S)..."), this);
  auto* close = new QPushButton(QStringLiteral("閉じる(&C)"), this);
  close->setObjectName(QStringLiteral("closePreview"));
  for (QWidget* widget :
       std::initializer_list<QWidget*>{previous_, next_, page_label_, zoom_box_, print, pdf}) {
    bar->addWidget(widget);
  }
  bar->addStretch();
  bar->addWidget(close);
  layout->addLayout(bar);
  auto* scroll = new QScrollArea(this);
  scroll_ = scroll;
  scroll->setAlignment(Qt::AlignCenter);
  scroll->setBackgroundRole(QPalette::Dark);
  page_view_ = new QLabel;
  page_view_->setObjectName(QStringLiteral("pageView"));
  scroll->setWidget(page_view_);
  layout->addWidget(scroll, 1);
  connect(previous_, &QPushButton::clicked, this, [this] { ShowPage(current_ - 1); });
  connect(next_, &QPushButton::clicked, this, [this] { ShowPage(current_ + 1); });
  connect(zoom_box_, &QComboBox::currentIndexChanged, this,
          [this](int index) { SetZoom(zoom_box_->itemData(index).toInt()); });
  connect(print, &QPushButton::clicked, this, &PrintPreviewDialog::PrintOnPrinter);
  connect(pdf, &QPushButton::clicked, this, &PrintPreviewDialog::AskAndSavePdf);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  resize(900, 1000);
  Render();
}

double PrintPreviewDialog::Resolution() const {
  constexpr double kScreenDpi = 96;
  if (zoom_ > 0 || pages_.empty()) return kScreenDpi * (zoom_ > 0 ? zoom_ : 100) / 100.0;
  // The largest page as rendered last, fitted inside the view with a small margin.
  double widest = 0;
  double tallest = 0;
  for (const QImage& page : pages_) {
    widest = std::max(widest, page.width() / rendered_dpi_);
    tallest = std::max(tallest, page.height() / rendered_dpi_);
  }
  const QSize view = scroll_->viewport()->size() - QSize(16, 16);
  if (widest <= 0 || tallest <= 0 || view.isEmpty()) return kScreenDpi;
  return std::clamp(std::min(view.width() / widest, view.height() / tallest), 10.0, 600.0);
}

void PrintPreviewDialog::Render() {
  const double dpi = Resolution();
  if (!pages_.empty() && dpi == rendered_dpi_) return;
  pages_.clear();
  error_.clear();
  try {
    pages_ = qtprint::RenderPagesToImages(SheetsToPrint(sheets_), fonts_, dpi);
    rendered_dpi_ = dpi;
  } catch (const print::PrintError& failure) {
    error_ = QString::fromStdString(failure.what());
  }
  ShowPage(std::clamp(current_, 0, std::max(0, page_count() - 1)));
}

void PrintPreviewDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (zoom_ == 0 && !pages_.empty()) Render();
}

void PrintPreviewDialog::ShowPage(int index) {
  if (pages_.empty()) {
    page_view_->setText(error_.isEmpty() ? QStringLiteral("印刷するページがありません。") : error_);
    page_view_->adjustSize();
    page_label_->setText(QString());
    previous_->setEnabled(false);
    next_->setEnabled(false);
    return;
  }
  current_ = std::clamp(index, 0, page_count() - 1);
  page_view_->setPixmap(QPixmap::fromImage(pages_[current_]));
  page_view_->adjustSize();
  page_label_->setText(QStringLiteral("%1 / %2 ページ").arg(current_ + 1).arg(page_count()));
  previous_->setEnabled(current_ > 0);
  next_->setEnabled(current_ + 1 < page_count());
}

void PrintPreviewDialog::SetZoom(int percent) {
  if (percent == zoom_) return;
  zoom_ = percent;
  Render();
}

double PrintPreviewDialog::resolution() const { return rendered_dpi_; }

void PrintPreviewDialog::PrintOnPrinter() {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  try {
    qtprint::PrintOnQPrinter(SheetsToPrint(sheets_), fonts_, printer);
  } catch (const print::PrintError& failure) {
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(failure.what()));
  }
}

QString PrintPreviewDialog::SaveAsPdf(const std::string& path) {
  std::vector<const host::Worksheet*> sheets(sheets_.begin(), sheets_.end());
  const app::PrintResult result = app::PrintSheetsToPdf(sheets, path, platform_);
  if (result.error) return QString::fromStdString(result.error->message);
  return QStringLiteral("%1 ページを保存しました。").arg(result.pages);
}

void PrintPreviewDialog::AskAndSavePdf() {
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("PDFで保存"), QString(),
                                                    QStringLiteral("PDF (*.pdf)"));
  if (path.isEmpty()) return;
  QMessageBox::information(this, windowTitle(), SaveAsPdf(path.toStdString()));
}

}  // namespace tarquel::window
