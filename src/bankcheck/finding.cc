#include "bankcheck/finding.h"

namespace tarquel::bankcheck {

namespace {

struct KindText {
  std::string_view name;
  std::string_view title;
};

KindText TextOf(FindingKind kind) {
  switch (kind) {
    case FindingKind::kNoQuestions:
      return {"no_questions", "問題が１題もない"};
    case FindingKind::kRowsAfterEnd:
      return {"rows_after_end", "空の行より下にあって出題されない問題"};
    case FindingKind::kOpenLastGroup:
      return {"open_last_group", "閉じていない最後の組（出題されない）"};
    case FindingKind::kOversizeGroup:
      return {"oversize_group", "２０題を超える組（作成で断られる）"};
    case FindingKind::kRepeatedGroupMark:
      return {"repeated_group_mark", "離れた所でもう一度使われた組記号"};
    case FindingKind::kSingleRowGroup:
      return {"single_row_group", "１行だけの組"};
    case FindingKind::kDuplicateSentence:
      return {"duplicate_sentence", "同じ問題文の行"};
    case FindingKind::kEmptyAnswer:
      return {"empty_answer", "答えが空の問題"};
    case FindingKind::kAnswerInSentence:
      return {"answer_in_sentence", "答えが問題文の中にある問題"};
    case FindingKind::kUnreadAttemptMark:
      return {"unread_attempt_mark", "読まれない間違いの印"};
    case FindingKind::kUnreadMustAppearMark:
      return {"unread_must_appear_mark", "必出として読まれない R 列"};
    case FindingKind::kMustAppearElsewhere:
      return {"must_appear_elsewhere", "R 列以外の「必出」"};
    case FindingKind::kTextTimesSet:
      return {"text_times_set", "数でない出題回数（Q 列）"};
    case FindingKind::kHeaderRow:
      return {"header_row", "見出しのような１行目"};
    case FindingKind::kNoUnderline:
      return {"no_underline", "下線のない問題文"};
    case FindingKind::kKanjiAboveGrade:
      return {"kanji_above_grade", "まだ習わない漢字を使う答え"};
    case FindingKind::kKanjiInNoTable:
      return {"kanji_in_no_table", "学年別の表にない漢字を使う答え"};
  }
  return {"unknown", "不明"};
}

}  // namespace

std::string_view KindName(FindingKind kind) { return TextOf(kind).name; }

std::string_view KindTitle(FindingKind kind) { return TextOf(kind).title; }

}  // namespace tarquel::bankcheck
