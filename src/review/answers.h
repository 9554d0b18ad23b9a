// Showing and erasing the answers on the active test sheet.
#ifndef TARQUEL_REVIEW_ANSWERS_H_
#define TARQUEL_REVIEW_ANSWERS_H_

namespace tarquel::model {
struct Body;
}

namespace tarquel::review {

// Fills the answer cell under every question of the active test sheet with the displayed
// answer of the question's bank row, walking bands and slots to the end of the laid-out pages.
void InPutAns(model::Body& body);

// Clears the answer rows of every page whose first question slot holds a question, then
// selects again the cell that was selected.
void ANS_DEL(model::Body& body);

}  // namespace tarquel::review

#endif  // TARQUEL_REVIEW_ANSWERS_H_
