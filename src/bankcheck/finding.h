// What the bank check finds: each finding is one kind of trouble, the bank rows it concerns, a
// one-line reason and what to do about it, all as data; front ends decide how to show them.
#ifndef TARQUEL_BANKCHECK_FINDING_H_
#define TARQUEL_BANKCHECK_FINDING_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarquel::bankcheck {

// The kinds, in the order a report lists them.
enum class FindingKind {
  kNoQuestions,           // D1 is empty: the bank holds no question at all
  kRowsAfterEnd,          // questions below the first empty D, never set
  kOpenLastGroup,         // the last rows still in an open group when the bank ends
  kOversizeGroup,         // a group of more rows than a band holds, refused at 作成
  kRepeatedGroupMark,     // a mark used again further down, which makes a second group
  kSingleRowGroup,        // a group of one row
  kDuplicateSentence,     // the same sentence in several rows; lookups find the upper one
  kEmptyAnswer,           // a question without an answer
  kAnswerInSentence,      // the answer stands in its own sentence
  kUnreadAttemptMark,     // an attempt mark the scoring does not read as the user means
  kUnreadMustAppearMark,  // something in column R other than "必出"
  kMustAppearElsewhere,   // "必出" outside column R
  kTextTimesSet,          // text in column Q, read as 0
  kHeaderRow,             // row 1 looks like a header, but is set as a question
  kNoUnderline,           // a sentence without an underlined word, where most have one
  kKanjiAboveGrade,       // answer kanji taught after the school year asked about
  kKanjiInNoTable,        // answer kanji in none of the grade tables
};

inline constexpr FindingKind kAllFindingKinds[] = {
    FindingKind::kNoQuestions,          FindingKind::kRowsAfterEnd,
    FindingKind::kOpenLastGroup,        FindingKind::kOversizeGroup,
    FindingKind::kRepeatedGroupMark,    FindingKind::kSingleRowGroup,
    FindingKind::kDuplicateSentence,    FindingKind::kEmptyAnswer,
    FindingKind::kAnswerInSentence,     FindingKind::kUnreadAttemptMark,
    FindingKind::kUnreadMustAppearMark, FindingKind::kMustAppearElsewhere,
    FindingKind::kTextTimesSet,         FindingKind::kHeaderRow,
    FindingKind::kNoUnderline,          FindingKind::kKanjiAboveGrade,
    FindingKind::kKanjiInNoTable,
};

struct Finding {
  FindingKind kind = FindingKind::kNoQuestions;
  std::vector<int32_t> rows;  // bank rows, ascending, at least one
  std::string reason;         // one line, Japanese
  std::string action;         // what to do, one line, Japanese

  bool operator==(const Finding&) const = default;
};

// A stable name for tools ("rows_after_end").
std::string_view KindName(FindingKind kind);
// The heading a report shows over the findings of a kind, Japanese.
std::string_view KindTitle(FindingKind kind);

// What the check found in one bank sheet.
struct CheckResult {
  std::string sheet_name;
  int32_t last_question_row = 0;  // the row above the first empty D; 0 when D1 is empty
  int32_t group_count = 0;        // the groups a test can be made from
  std::vector<Finding> findings;  // by kind in the order above, then by first row
};

}  // namespace tarquel::bankcheck

#endif  // TARQUEL_BANKCHECK_FINDING_H_
