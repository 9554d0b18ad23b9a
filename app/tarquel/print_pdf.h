// Printing sheets with the project's own printer (src/print), to a PDF file or on a printer of
// the system: each sheet's print area and page setup as the sheet defines them, and a test sheet
// one sheet of paper for each page of the test. The workbook is only read; a PDF file is written
// atomically, so a failure leaves an old file as it was and nothing half written.
#ifndef TARQUEL_APP_TARQUEL_PRINT_PDF_H_
#define TARQUEL_APP_TARQUEL_PRINT_PDF_H_

#include <optional>
#include <string>
#include <vector>

#include "print/page_layout.h"

namespace tarquel::host {
class Platform;
class Workbook;
class Worksheet;
}  // namespace tarquel::host

namespace tarquel::app {

// Why printing failed.
struct PrintFailure {
  std::string message;
  // The file could not be written (no such folder, no permission, something else in its place),
  // as opposed to a sheet that cannot be printed.
  bool file_problem = false;
};

struct PrintResult {
  std::optional<PrintFailure> error = {};  // nullopt when the pages were printed
  int pages = 0;
  // What the printer did other than the page setup asked (an unknown paper size printed on A4),
  // for the user, in Japanese.
  std::vector<std::string> notes = {};
};

// How `sheet` is printed: a test sheet (by its name) keeps each page of the test, 8 or 4 rows,
// on one sheet of paper; any other sheet is broken into pages as its page setup says.
print::PrintOptions PrintOptionsFor(const host::Worksheet& sheet);

// Prints `sheets`, in order, into one PDF document written to `pdf_path` through `platform`. An
// empty list, a sheet with nothing to print or a print area outside its sheet is an error that
// names the sheet; nothing is written then.
PrintResult PrintSheetsToPdf(const std::vector<const host::Worksheet*>& sheets,
                             const std::string& pdf_path, host::Platform& platform);

// The sheet of `workbook` named `sheet_name`, as PrintSheetsToPdf prints it; a name the workbook
// has no sheet of is an error.
PrintResult PrintSheetToPdf(const host::Workbook& workbook, const std::string& sheet_name,
                            const std::string& pdf_path, host::Platform& platform);

// Prints `sheets`, in order, on the system's printer named `printer` (no display is needed). A
// printer that is not there is an error that names the printers there are.
PrintResult PrintSheetsOnPrinter(const std::vector<const host::Worksheet*>& sheets,
                                 const std::string& printer);

}  // namespace tarquel::app

#endif  // TARQUEL_APP_TARQUEL_PRINT_PDF_H_
