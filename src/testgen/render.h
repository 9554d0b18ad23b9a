// Writing a test onto its test sheet: creating and formatting the sheet the first time,
// clearing the previous test, preparing every page from page 1, placing each chosen group's
// questions (copied from the bank with all their formatting) with the group's ordinal, and
// counting each set question in the bank. The layout is the test sheet's (model/test_sheet.h).
#ifndef TARQUEL_TESTGEN_RENDER_H_
#define TARQUEL_TESTGEN_RENDER_H_

#include <cstdint>

namespace tarquel::model {
struct Body;
}

namespace tarquel::testgen {

// Adds and formats the test sheet in use when the workbook has none of that name.
void EnsureTestSheet(model::Body& body);

// Writes the test chosen by the last selection (body.generation) onto the test sheet in use.
// REQUIRES: at least one page; `first_group` and `last_group` are the clamped range.
void RenderTest(model::Body& body, int32_t first_group, int32_t last_group);

// The steps of RenderTest, in their order.
void ClearTestSheet(model::Body& body);
void FormatAnswerRows(model::Body& body);
void LayOutPages(model::Body& body, int32_t first_group, int32_t last_group);
void ApplySheetGeometry(model::Body& body);
void PlaceQuestions(model::Body& body);

// One-time formatting of a new sheet; both end with SetupPrintPage.
void FormatSheet20(model::Body& body);
void FormatSheet40(model::Body& body);
// The page setup of the active sheet.
void SetupPrintPage(model::Body& body);

}  // namespace tarquel::testgen

#endif  // TARQUEL_TESTGEN_RENDER_H_
