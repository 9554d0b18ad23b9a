// Fingerprints of everything the workbook writer takes from a workbook: its sheets in order with
// their names, visibility, cells (values, text formatting, formats, formulas, phonetic display),
// rows, columns, merged areas, comments, page setup, print area, view and selection, and which
// sheet is active. Opening a file records them; saving compares. A workbook whose fingerprint has
// not changed since then is written as the file's own bytes, so an untouched workbook is kept byte
// for byte and costs no regeneration; in a changed workbook, each sheet part and each sheet's
// comments whose fingerprint has not changed are written as the bytes read. Formats are compared
// by their ids, which name immutable entries of the workbook's style table.
#ifndef TARQUEL_HOST_XLSX_FINGERPRINT_H_
#define TARQUEL_HOST_XLSX_FINGERPRINT_H_

#include <cstdint>
#include <vector>

namespace tarquel::host {
class Workbook;
}

namespace tarquel::host::xlsx {

struct WorkbookFingerprints {
  uint64_t workbook = 0;  // everything, as WorkbookFingerprint
  // By sheet index - 1. What a sheet's worksheet part says: its cells, rows, columns, merged
  // areas, page setup, view and selection, and whether it has comments (the part then names their
  // drawing); not its name, visibility or print area, which the workbook part holds, nor whether
  // it is the active sheet (the writer compares that with the tab selection the part states).
  std::vector<uint64_t> sheet_parts;
  // By sheet index - 1: the sheet's comments, which have parts of their own.
  std::vector<uint64_t> comments;
};

// All of them in one pass over the cells.
WorkbookFingerprints TakeFingerprints(const Workbook& workbook);

uint64_t WorkbookFingerprint(const Workbook& workbook);

// The fingerprint less where the user is looking: which sheet is active and each sheet's
// selection and active cell. Moving about a workbook does not make it need saving; changing
// what it holds does.
uint64_t ContentFingerprint(const Workbook& workbook);

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_FINGERPRINT_H_
