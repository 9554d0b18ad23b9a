// Printing a test sheet to a PDF file through LibreOffice Calc run headless. The workbook is
// copied through its package bytes; the copy keeps only the sheet to print visible and filled,
// gives every shrink-to-fit cell of vertical text the font size shrinking would give it (the
// converter does not shrink stacked text and would cut long sentences at the cell's bottom), and
// fits each page of a test sheet onto one sheet of paper. The converter runs in a private
// temporary folder with a profile of its own, so a running LibreOffice of the user's is not
// disturbed, and with the IPA fonts standing in for the host's Japanese fonts, whose metrics
// they share, so that stacked characters stand one em apart as they do in the host.
#ifndef TARQUEL_APP_TARQUEL_PRINT_PDF_H_
#define TARQUEL_APP_TARQUEL_PRINT_PDF_H_

#include <optional>
#include <string>
#include <string_view>

namespace tarquel::host {
class Platform;
class Workbook;
}  // namespace tarquel::host

namespace tarquel::app {

// Why printing failed. `missing_tool` is set when LibreOffice (soffice) or the fonts it needs are
// not installed, so that the caller can say what to install.
struct PdfError {
  std::string message;
  bool missing_tool = false;
};

// Prints sheet `sheet_name` of `workbook` (its print area and page setup, as the sheet defines
// them) to a PDF file at `pdf_path`, written atomically through `platform`: an existing file is
// replaced only on success. The workbook itself is not changed. On a test sheet, each page of the
// test is one page of the PDF: when a page does not fit the paper at the sheet's zoom, the zoom
// goes down until it does. soffice, else libreoffice, is looked for on the PATH the environment
// has at the time of the call; it, or a missing IPA font, is a PdfError with missing_tool set.
// Returns the error, or nullopt on success.
std::optional<PdfError> PrintSheetToPdf(const host::Workbook& workbook,
                                        const std::string& sheet_name, const std::string& pdf_path,
                                        host::Platform& platform);

// The font size at which `text` fits, as the host's shrink to fit shows it, in a cell of vertical
// text `cell_height_points` high at `font_size`; never larger than `font_size`. Each character
// stands on a line of its own, one em high whether it is full-width or half-width (a half-width
// letter is narrower, not lower); a line break starts a new column; the cell's padding at top and
// bottom is left free.
double ShrunkVerticalFontSize(std::string_view text, double font_size, double cell_height_points);

}  // namespace tarquel::app

#endif  // TARQUEL_APP_TARQUEL_PRINT_PDF_H_
