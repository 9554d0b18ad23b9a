// What the review commands share about the test sheets: which one the active sheet is, and
// the walk over its question cells to the end of the laid-out pages.
#ifndef TARQUEL_REVIEW_TEST_SHEET_WALK_H_
#define TARQUEL_REVIEW_TEST_SHEET_WALK_H_

#include <cstdint>
#include <functional>

namespace tarquel::host {
class Worksheet;
}
namespace tarquel::model {
struct Body;
}

namespace tarquel::review {

// Sets use_sheet40 from the active sheet when it is a test sheet and returns true; otherwise
// tells the user to choose a test sheet and returns false.
bool TakeTestSheetInUse(model::Body& body);

// Calls visit(row, column) for the question cells of `test`, band by band from the top and
// within a band from column T to column A, until the first question cell whose bottom edge is
// not a continuous line (the end of the laid-out pages) or until visit returns false. Returns
// false when visit stopped the walk.
bool WalkQuestionCells(host::Worksheet& test,
                       const std::function<bool(int32_t row, int32_t column)>& visit);

}  // namespace tarquel::review

#endif  // TARQUEL_REVIEW_TEST_SHEET_WALK_H_
