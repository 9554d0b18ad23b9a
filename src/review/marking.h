// Marking a question wrong or must-appear, from its bank row or from the test sheet, jumping
// between a test question and its bank row, and the phonetic guide editor.
#ifndef TARQUEL_REVIEW_MARKING_H_
#define TARQUEL_REVIEW_MARKING_H_

namespace tarquel::model {
struct Body;
}

namespace tarquel::review {

// "X" into the first empty attempt column (F..O) of the selected question's bank row.
void ThisQSisNG(model::Body& body);
// "必出" into column R of the selected question's bank row.
void ThisQSisHITU(model::Body& body);
// From a bank row to its question on the test sheet in use, or from a question (any cell of
// its band) to its bank row.
void GoJUMP(model::Body& body);
// Shows the selection's phonetic guide and opens the editor for it.
void Edit_Furigana(model::Body& body);

}  // namespace tarquel::review

#endif  // TARQUEL_REVIEW_MARKING_H_
