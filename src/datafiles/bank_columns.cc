#include "datafiles/bank_columns.h"

#include "host/cell_format.h"
#include "host/range.h"
#include "host/worksheet.h"

namespace tarquel::datafiles {

namespace {

struct ColumnLayout {
  const char* columns;
  double width;
  bool centred;
};

constexpr ColumnLayout kColumnLayouts[] = {
    {"A:C", 4, false},  // two memos and the group mark
    {"D", 40, false},   // the question sentence
    {"E", 15, false},   // the answer
    {"F:O", 4, true},   // a wrong or keep-out mark per attempt
    {"P", 50, false},   // remarks
    {"Q", 5, true},     // times set
    {"R", 5, true},     // must appear
};

}  // namespace

void LayOutBankColumns(host::Worksheet& sheet) {
  for (const ColumnLayout& layout : kColumnLayouts) {
    const host::Range columns = sheet.Columns(layout.columns);
    columns.Select();
    columns.SetColumnWidth(layout.width);
    columns.SetVerticalAlignment(host::VerticalAlignment::kCenter);
    if (layout.centred) columns.SetHorizontalAlignment(host::HorizontalAlignment::kCenter);
  }
}

}  // namespace tarquel::datafiles
