// Printing whole sheets: their pages laid out and drawn one after another on a painter, or
// written as a PDF document.
#ifndef TARQUEL_PRINT_SHEET_PRINTER_H_
#define TARQUEL_PRINT_SHEET_PRINTER_H_

#include <string>
#include <vector>

#include "host/worksheet.h"
#include "print/font_catalog.h"
#include "print/page_layout.h"
#include "print/painter.h"

namespace tarquel::print {

struct SheetToPrint {
  const host::Worksheet* sheet = nullptr;
  PrintOptions options;
};

struct PrintSummary {
  int pages = 0;
  std::vector<std::string> notes;  // the layouts' notes, for the user
};

// Draws every page of each sheet in turn on `painter`. Throws PrintError as LayOutPages does,
// before anything is drawn.
PrintSummary PrintSheets(const std::vector<SheetToPrint>& sheets, FontCatalog& fonts,
                         Painter& painter);

// The same pages as a PDF document (fonts embedded as subsets, text copyable). `summary`, when
// given, receives the summary. Throws PrintError.
std::string PrintSheetsToPdf(const std::vector<SheetToPrint>& sheets, FontCatalog& fonts,
                             PrintSummary* summary = nullptr);

}  // namespace tarquel::print

#endif  // TARQUEL_PRINT_SHEET_PRINTER_H_
