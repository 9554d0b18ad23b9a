// Sheets printed through Qt: on a printer of the system, or drawn on images for a preview and for
// tests. The pages are laid out and drawn by the printer subsystem on a QtPainter.
#ifndef TARQUEL_APP_QTPRINT_QT_PRINTER_H_
#define TARQUEL_APP_QTPRINT_QT_PRINTER_H_

#include <QImage>
#include <QPageLayout>
#include <memory>
#include <string>
#include <vector>

#include "print/font_catalog.h"
#include "print/sheet_printer.h"

class QGuiApplication;
class QPrinter;

namespace tarquel::qtprint {

// Makes sure a QGuiApplication exists while it lives (fonts and printers need one): when the
// program has none, it creates one and destroys it again; without a display (neither DISPLAY nor
// WAYLAND_DISPLAY set) Qt is told to draw offscreen, unless QT_QPA_PLATFORM already says where.
class GuiApplicationGuard {
 public:
  GuiApplicationGuard();
  ~GuiApplicationGuard();
  GuiApplicationGuard(const GuiApplicationGuard&) = delete;
  GuiApplicationGuard& operator=(const GuiApplicationGuard&) = delete;

 private:
  std::unique_ptr<QGuiApplication> owned_;
};

// The paper of a page `width` by `height` points as oriented: its size upright, matched to a
// standard size when it is one, the orientation, and no margins (the page's own layout has them).
QPageLayout PaperLayout(double width, double height);

// Prints the sheets on the printer named `printer_name` (the system's default printer when it is
// empty), each page on paper of its own size and orientation. Throws print::PrintError when there
// is no such printer (NoSuchPrinterMessage), when the printer fails, and as PrintSheets does
// (before anything reaches the printer).
print::PrintSummary PrintToPrinter(const std::vector<print::SheetToPrint>& sheets,
                                   print::FontCatalog& fonts, const std::string& printer_name);

// What PrintToPrinter does once it has its printer: the pages on `printer` (a printer, or a PDF
// file when its output format is PDF). The printer's job starts at the first page drawn and is
// cancelled when drawing fails. A QGuiApplication must exist.
print::PrintSummary PrintOnQPrinter(const std::vector<print::SheetToPrint>& sheets,
                                    print::FontCatalog& fonts, QPrinter& printer);

// The message for a printer that is not there: `printer_name` (empty: the default printer) and
// the printers there are, or that there are none.
std::string NoSuchPrinterMessage(const std::string& printer_name,
                                 const std::vector<std::string>& available);

// Every page of the sheets drawn on white images at `dpi` dots per inch, antialiased, as a print
// preview shows them. `summary`, when given, receives the summary. Throws print::PrintError as
// PrintSheets does, and for a resolution that is not a positive number up to 1200.
std::vector<QImage> RenderPagesToImages(const std::vector<print::SheetToPrint>& sheets,
                                        print::FontCatalog& fonts, double dpi,
                                        print::PrintSummary* summary = nullptr);

}  // namespace tarquel::qtprint

#endif  // TARQUEL_APP_QTPRINT_QT_PRINTER_H_
