#include "tarquel/print_pdf.h"

#include <functional>
#include <utility>

#include "host/host_error.h"
#include "host/platform/platform.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "model/test_sheet.h"
#include "print/font_catalog.h"
#include "print/print_error.h"
#include "print/sheet_printer.h"
#include "qtprint/qt_printer.h"

namespace tarquel::app {

print::PrintOptions PrintOptionsFor(const host::Worksheet& sheet) {
  print::PrintOptions options;
  for (const bool use_sheet40 : {true, false}) {
    if (sheet.Name() == model::TestSheetName(use_sheet40)) {
      options.rows_per_block = model::RowsPerPage(use_sheet40);
    }
  }
  return options;
}

namespace {

PrintResult Failed(std::string message, bool file_problem = false) {
  return PrintResult{.error = PrintFailure{std::move(message), file_problem}};
}

// The sheets' names as a message names them: "A", "B".
std::string SheetNames(const std::vector<const host::Worksheet*>& sheets) {
  std::string names;
  for (const host::Worksheet* sheet : sheets) {
    names += (names.empty() ? "\"" : ", \"") + sheet->Name() + "\"";
  }
  return names;
}

// Prints `sheets` through `print`, which draws them and returns the summary; a sheet that
// cannot be printed becomes the result's error.
PrintResult PrintThrough(
    const std::vector<const host::Worksheet*>& sheets,
    const std::function<print::PrintSummary(const std::vector<print::SheetToPrint>&,
                                            print::FontCatalog&)>& print) {
  std::vector<print::SheetToPrint> to_print;
  for (const host::Worksheet* sheet : sheets) to_print.push_back({sheet, PrintOptionsFor(*sheet)});
  try {
    print::FontCatalog fonts;
    print::PrintSummary summary = print(to_print, fonts);
    return PrintResult{.pages = summary.pages, .notes = std::move(summary.notes)};
  } catch (const print::PrintError& error) {
    return Failed("cannot print " + SheetNames(sheets) + ": " + error.what());
  } catch (const host::HostError& error) {
    return Failed("cannot print " + SheetNames(sheets) + ": " + error.description());
  }
}

}  // namespace

PrintResult PrintSheetsToPdf(const std::vector<const host::Worksheet*>& sheets,
                             const std::string& pdf_path, host::Platform& platform) {
  if (sheets.empty()) return Failed("no sheet to print to " + pdf_path);
  std::string pdf;
  PrintResult result = PrintThrough(sheets, [&](const auto& to_print, print::FontCatalog& fonts) {
    print::PrintSummary summary;
    pdf = print::PrintSheetsToPdf(to_print, fonts, &summary);
    return summary;
  });
  if (result.error) return result;
  if (std::optional<host::PlatformError> error = platform.WriteFileAtomically(pdf_path, pdf)) {
    return Failed(error->message, true);
  }
  return result;
}

PrintResult PrintSheetsOnPrinter(const std::vector<const host::Worksheet*>& sheets,
                                 const std::string& printer) {
  if (sheets.empty()) return Failed("no sheet to print on " + printer);
  return PrintThrough(sheets, [&](const auto& to_print, print::FontCatalog& fonts) {
    return qtprint::PrintToPrinter(to_print, fonts, printer);
  });
}

PrintResult PrintSheetToPdf(const host::Workbook& workbook, const std::string& sheet_name,
                            const std::string& pdf_path, host::Platform& platform) {
  const host::Worksheet* sheet = workbook.FindSheet(sheet_name);
  if (sheet == nullptr) {
    return Failed("\"" + workbook.Name() + "\" has no sheet \"" + sheet_name + "\" to print");
  }
  return PrintSheetsToPdf({sheet}, pdf_path, platform);
}

}  // namespace tarquel::app
