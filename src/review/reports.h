// The read-only reports on the question bank: repeated answers, wrong answers per attempt,
// and the number of must-appear groups.
#ifndef TARQUEL_REVIEW_REPORTS_H_
#define TARQUEL_REVIEW_REPORTS_H_

#include <cstddef>

namespace tarquel::model {
struct Body;
}

namespace tarquel::review {

// The most lines the duplicate report shows; the rest is counted in a closing line.
inline constexpr std::size_t kMaxReportLines = 1000;

// Lists, for each bank row, the later rows with the same answer (active sheet, a bank sheet).
void RepeatKanji(model::Body& body);
// Counts the wrong marks of attempt 1, and of the next attempts while the user asks.
void NG_Report(model::Body& body);
// Counts the groups holding a must-appear question.
void HITU_Report(model::Body& body);

}  // namespace tarquel::review

#endif  // TARQUEL_REVIEW_REPORTS_H_
