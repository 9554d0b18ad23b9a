// The paper geometry of the test sheets: row heights and column widths taken from the settings
// file, where the paper adjustment dialog keeps them. The print preview of that dialog calls
// these; the test generator calls them after it has written a test sheet. Both work on the
// active sheet through its selection, as the host's macros do, and so change the selection.
#ifndef TARQUEL_PAPER_GEOMETRY_H_
#define TARQUEL_PAPER_GEOMETRY_H_

#include <cstdint>

namespace tarquel::model {
struct Body;
}

namespace tarquel::paper {

// Selects the whole row `row` of the active sheet and gives it the height stored for its
// place in the page: on the 40-question sheet (body.use_sheet40) the number, question and answer
// rows of both bands, the spacer between the bands and the page foot; on the 20-question sheet
// the number, question and answer rows and the page foot. A stored value the host cannot take
// as a row height is the host's run-time error, which passes through; the row keeps its height.
// REQUIRES: body's start-up has run (HostApp), a workbook is open, 1 <= row <= 65536.
void ApplyRowHeight(model::Body& body, int32_t row);

// Gives columns A to T of the active sheet the stored slot width and column U the stored side
// width (of the 40- or 20-question sheet as body.use_sheet40 says), then selects U1. Errors as
// for ApplyRowHeight.
void ApplyColumnWidths(model::Body& body);

}  // namespace tarquel::paper

#endif  // TARQUEL_PAPER_GEOMETRY_H_
