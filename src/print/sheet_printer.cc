#include "print/sheet_printer.h"

#include "print/pdf_painter.h"
#include "print/print_error.h"
#include "print/sheet_renderer.h"

namespace tarquel::print {

PrintSummary PrintSheets(const std::vector<SheetToPrint>& sheets, FontCatalog& fonts,
                         Painter& painter) {
  if (sheets.empty()) throw PrintError("印刷するシートがありません。");
  // Every sheet is laid out before the first page is drawn, so that a sheet that cannot be
  // printed stops the whole job before a printer or a file has received anything.
  std::vector<SheetLayout> layouts;
  layouts.reserve(sheets.size());
  for (const SheetToPrint& item : sheets) {
    if (item.sheet == nullptr) throw PrintError("印刷するシートがありません。");
    layouts.push_back(LayOutPages(*item.sheet, item.options, fonts));
  }
  PrintSummary summary;
  for (std::size_t s = 0; s < sheets.size(); ++s) {
    for (const SheetPage& page : layouts[s].pages) {
      DrawPage(*sheets[s].sheet, page, fonts, painter);
      ++summary.pages;
    }
    summary.notes.insert(summary.notes.end(), layouts[s].notes.begin(), layouts[s].notes.end());
  }
  return summary;
}

std::string PrintSheetsToPdf(const std::vector<SheetToPrint>& sheets, FontCatalog& fonts,
                             PrintSummary* summary) {
  PdfPainter painter;
  std::string title;
  for (const SheetToPrint& item : sheets) {
    if (item.sheet == nullptr) continue;
    if (!title.empty()) title += "、";
    title += item.sheet->Name();
  }
  painter.SetTitle(title);
  PrintSummary printed = PrintSheets(sheets, fonts, painter);
  std::string pdf = painter.Finish();
  if (summary) *summary = std::move(printed);
  return pdf;
}

}  // namespace tarquel::print
