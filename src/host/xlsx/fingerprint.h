// A fingerprint of everything the workbook writer takes from a workbook: its sheets in order
// with their names, visibility, cells (values, text formatting, formats, formulas, phonetic
// display), rows, columns, merged areas, comments, page setup, print area, view and selection,
// and which sheet is active. Opening a file records it; saving a workbook whose fingerprint has
// not changed since then writes the file's own bytes back, so an untouched workbook is kept
// byte for byte and costs no regeneration. Formats are compared by their ids, which name
// immutable entries of the workbook's style table.
#ifndef TARQUEL_HOST_XLSX_FINGERPRINT_H_
#define TARQUEL_HOST_XLSX_FINGERPRINT_H_

#include <cstdint>

namespace tarquel::host {
class Workbook;
}

namespace tarquel::host::xlsx {

uint64_t WorkbookFingerprint(const Workbook& workbook);

// The fingerprint less where the user is looking: which sheet is active and each sheet's
// selection and active cell. Moving about a workbook does not make it need saving; changing
// what it holds does.
uint64_t ContentFingerprint(const Workbook& workbook);

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_FINGERPRINT_H_
