// The print preview: the pages of the selected sheets as the printer draws them, one at a time,
// with page navigation, zoom, printing on a printer of the system and saving as a PDF file.
#ifndef TARQUEL_APP_WINDOW_PRINT_PREVIEW_H_
#define TARQUEL_APP_WINDOW_PRINT_PREVIEW_H_

#include <QDialog>
#include <QImage>
#include <string>
#include <vector>

#include "print/font_catalog.h"
#include "print/sheet_printer.h"

class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;

namespace tarquel::host {
class Platform;
class Worksheet;
}  // namespace tarquel::host

namespace tarquel::window {

// How the window prints `sheets`: each as the command-line program prints it (a test sheet one
// sheet of paper for each page of the test).
std::vector<print::SheetToPrint> SheetsToPrint(const std::vector<host::Worksheet*>& sheets);

class PrintPreviewDialog : public QDialog {
  Q_OBJECT

 public:
  // `fonts` and `platform` must outlive the dialog.
  PrintPreviewDialog(const std::vector<host::Worksheet*>& sheets, print::FontCatalog& fonts,
                     host::Platform& platform, QWidget* parent);

  int page_count() const { return static_cast<int>(pages_.size()); }
  int current_page() const { return current_; }  // 0-based
  const QImage& page_image(int index) const { return pages_[index]; }
  // Why there is nothing to show, or empty.
  const QString& error() const { return error_; }

  void ShowPage(int index);
  // A zoom in percent of the paper's size, or 0 for the whole page fitted to the view.
  void SetZoom(int percent);
  // The dots per inch the pages are drawn at now.
  double resolution() const;
  // Writes the pages to `path` as a PDF document; returns the message for the user.
  QString SaveAsPdf(const std::string& path);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The dots per inch the zoom asks for.
  double Resolution() const;
  // Draws the pages again when the resolution they need has changed.
  void Render();
  void PrintOnPrinter();
  void AskAndSavePdf();

  std::vector<host::Worksheet*> sheets_;
  print::FontCatalog& fonts_;
  host::Platform& platform_;
  std::vector<QImage> pages_;
  int current_ = 0;
  int zoom_ = 0;
  double rendered_dpi_ = 0;
  QString error_;
  QScrollArea* scroll_ = nullptr;
  QLabel* page_view_ = nullptr;
  QLabel* page_label_ = nullptr;
  QPushButton* previous_ = nullptr;
  QPushButton* next_ = nullptr;
  QComboBox* zoom_box_ = nullptr;
};

}  // namespace tarquel::window

#endif  // TARQUEL_APP_WINDOW_PRINT_PREVIEW_H_
