#include "bankcheck/bank_check.h"

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bankcheck/grade_check.h"
#include "host/address.h"
#include "host/range.h"
#include "host/utf16.h"
#include "host/worksheet.h"
#include "model/bank_sheet.h"
#include "model/generation_state.h"
#include "model/whole_number.h"
#include "review/bank_lookup.h"
#include "testgen/selection.h"

namespace tarquel::bankcheck {

namespace {

using model::BankColumn;

constexpr int32_t kAttemptColumns = model::kLastAttempt - model::kFirstAttempt + 1;

// What the check needs of one bank row, read in one pass over the cells that hold something.
struct RowCells {
  std::string group;     // C
  std::string sentence;  // D
  bool marks_word = false;
  std::string answer;  // E
  std::array<std::string, kAttemptColumns> attempts;
  std::string times_set;                // Q, when it holds something that is not a number
  std::string must;                     // R
  std::vector<int32_t> must_elsewhere;  // columns other than D, E and R that hold 必出
};

// Spaces at either end, ASCII or full-width, which a reader of the sheet does not see.
std::string_view Trim(std::string_view text) {
  constexpr std::string_view kIdeographicSpace = "\u3000";
  bool trimmed = true;
  while (trimmed) {
    trimmed = false;
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
      text.remove_prefix(1);
      trimmed = true;
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
      text.remove_suffix(1);
      trimmed = true;
    }
    if (text.starts_with(kIdeographicSpace)) {
      text.remove_prefix(kIdeographicSpace.size());
      trimmed = true;
    }
    if (text.ends_with(kIdeographicSpace)) {
      text.remove_suffix(kIdeographicSpace.size());
      trimmed = true;
    }
  }
  return text;
}

bool IsReadMark(std::string_view text) {
  return model::IsWrongMark(text) || testgen::IsKeepOutMark(text);
}

// A text a user may mean as a mark: a mark with spaces around it, or a cross that is not the
// letter X.
bool LooksLikeMark(std::string_view text) {
  const std::string_view trimmed = Trim(text);
  static constexpr std::string_view kCrosses[] = {"×", "✕", "✖", "╳", "Ⅹ", "ⅹ"};
  if (std::ranges::find(kCrosses, trimmed) != std::end(kCrosses)) return true;
  return IsReadMark(trimmed);
}

// Whether the sentence's character formatting underlines some of its characters but not all:
// the test shows the sentence as it is, so that is what tells the student which word to write.
bool MarksWord(const host::CellView& cell) {
  if (!cell.value().IsText()) return false;
  const host::Text& text = cell.value().text();
  const host::TextFormatting* formatting = text.format();
  if (formatting == nullptr || formatting->runs.empty()) return false;
  const bool cell_underlined = cell.format().font.underline != host::Underline::kNone;
  uint64_t underlined = 0;
  uint64_t total = 0;
  for (const host::FontRun& run : formatting->runs) {
    const bool on = run.font ? run.font->underline != host::Underline::kNone : cell_underlined;
    if (on) underlined += run.length;
    total += run.length;
  }
  return underlined > 0 && underlined < total;
}

std::string Rows(int32_t first, int32_t last) {
  if (first == last) return std::to_string(first) + " 行目";
  return std::to_string(first) + "〜" + std::to_string(last) + " 行目";
}

std::vector<int32_t> RowRange(int32_t first, int32_t last) {
  std::vector<int32_t> rows;
  for (int32_t row = first; row <= last; ++row) rows.push_back(row);
  return rows;
}

std::string Column(int32_t column) { return host::ColumnName(column) + " 列"; }

std::string Quoted(std::string_view text) { return "「" + std::string(text) + "」"; }

// Row 1 holding one of these in D or E is a header a user typed out of habit.
bool IsHeaderWord(std::string_view text) {
  static constexpr std::string_view kWords[] = {
      "問題文", "問題", "出題文", "例文", "文",   "設問", "答え", "答",  "解答",
      "正解",   "漢字", "読み",   "組",   "記号", "番号", "No",   "No.", "グループ"};
  return std::ranges::find(kWords, Trim(text)) != std::end(kWords);
}

std::vector<RowCells> ReadRows(host::Worksheet& bank, int32_t last) {
  std::vector<RowCells> rows(last + 1);
  if (last == 0) return rows;
  bank.ForEachUsedCell({1, 1, last, bank.ColumnCount()}, [&](const host::CellView& cell) {
    RowCells& row = rows[cell.row()];
    const int32_t column = cell.column();
    if (column == model::kQuestion) {
      row.sentence = cell.value().AsText();
      row.marks_word = MarksWord(cell);
      return;
    }
    std::string text = cell.value().AsText();
    if (column == model::kGroupMark) {
      row.group = std::move(text);
    } else if (column == model::kAnswer) {
      row.answer = std::move(text);
    } else if (column >= model::kFirstAttempt && column <= model::kLastAttempt) {
      row.attempts[column - model::kFirstAttempt] = std::move(text);
    } else if (column == model::kTimesSet) {
      if (!text.empty() && !model::NumericCellValue(cell.value())) row.times_set = std::move(text);
    } else if (column == model::kMustAppear) {
      row.must = std::move(text);
    }
    if (column != model::kAnswer && column != model::kMustAppear &&
        Trim(cell.value().AsText()) == model::kMustAppearMark) {
      row.must_elsewhere.push_back(column);
    }
  });
  return rows;
}

void CheckRowsAfterEnd(host::Worksheet& bank, int32_t end, std::vector<Finding>& findings) {
  if (end >= bank.RowCount()) return;
  std::vector<int32_t> stray;
  bank.ForEachUsedCell({end + 1, model::kQuestion, bank.RowCount(), model::kQuestion},
                       [&](const host::CellView& cell) {
                         if (!cell.value().AsText().empty()) stray.push_back(cell.row());
                       });
  if (stray.empty()) return;
  findings.push_back(
      {FindingKind::kRowsAfterEnd, stray,
       std::to_string(end) + " 行目の D 列が空なので問題はその上で終わり、下の " +
           std::to_string(stray.size()) + " 題は出題されません。",
       std::to_string(end) + " 行目を削除して行を詰めるか、その行に問題文を入れて下さい。"});
}

void CheckGroups(host::Worksheet& bank, const std::vector<RowCells>& rows, int32_t last,
                 CheckResult& result) {
  model::GenerationState state;
  testgen::ScanBank(bank, state);
  result.group_count = state.bank_group_count;
  std::vector<Finding>& findings = result.findings;

  int32_t closed_end = 0;
  std::unordered_map<std::string_view, const model::QuestionGroup*> first_use;
  for (const model::QuestionGroup& group : state.groups) {
    if (group.first_row > last) break;
    const int32_t group_last = std::min(group.first_row + group.row_count - 1, last);
    closed_end = group_last;
    const std::vector<int32_t> members = RowRange(group.first_row, group_last);
    const std::string& mark = rows[group.first_row].group;
    if (group.row_count > testgen::kBandRows) {
      findings.push_back({FindingKind::kOversizeGroup, members,
                          "組" + Quoted(mark) + "は " + std::to_string(group.row_count) +
                              " 題あり、１つの組の上限２０題を超えるので、この組を含む範囲ではテス"
                              "トを作成できません。",
                          "C 列の記号を変えて２０題以内の組に分けて下さい。"});
    }
    if (group.row_count == 1) {
      findings.push_back({FindingKind::kSingleRowGroup, members,
                          "組" + Quoted(mark) +
                              "は１行だけで、比べる同音・同訓の語がありません（出題はされます）。",
                          "前後の行と同じ組にするつもりなら、C 列の記号を揃えて下さい。"});
    }
    if (mark.empty()) continue;
    const auto [it, first] = first_use.try_emplace(mark, &group);
    if (!first) {
      const model::QuestionGroup& earlier = *it->second;
      findings.push_back(
          {FindingKind::kRepeatedGroupMark, members,
           "組記号" + Quoted(mark) + "は " +
               Rows(earlier.first_row, earlier.first_row + earlier.row_count - 1) +
               "でも使われています。離れた行は別の組として出題されます。",
           "一つの組にするなら行を並べ替えて続けて下さい。別の組なら違う記号にして下さい。"});
    }
  }
  if (closed_end < last) {
    const std::string below = bank.Cells(last + 1, model::kGroupMark).Value().AsText();
    findings.push_back({FindingKind::kOpenLastGroup, RowRange(closed_end + 1, last),
                        "最後の " + std::to_string(last - closed_end) + " 行の組記号が下の " +
                            std::to_string(last + 1) + " 行目の C 列" +
                            (below.empty() ? std::string("（空）") : Quoted(below)) +
                            "と同じなので組が閉じず、どのテストにも出題されません。",
                        Rows(closed_end + 1, last) + "の C 列に、" + std::to_string(last + 1) +
                            " 行目の C 列と違う組記号を付けて下さい。"});
  }
}

void CheckDuplicates(const review::QuestionIndex& index, const std::vector<RowCells>& rows,
                     int32_t last, std::vector<Finding>& findings) {
  std::map<int32_t, std::vector<int32_t>> copies;  // by the row every lookup finds
  for (int32_t row = 1; row <= last; ++row) {
    const std::optional<int32_t> first = index.FirstRowOf(rows[row].sentence);
    if (first && *first != row) copies[*first].push_back(row);
  }
  for (auto& [first, later] : copies) {
    std::vector<int32_t> all{first};
    all.insert(all.end(), later.begin(), later.end());
    findings.push_back({FindingKind::kDuplicateSentence, std::move(all),
                        "問題文" + Quoted(rows[first].sentence) + "が " +
                            std::to_string(later.size() + 1) +
                            " 行にあり、不正解・必出の印や解答はいつも上の " +
                            std::to_string(first) + " 行目のものになります。",
                        "重なった行を消すか、問題文を書き分けて下さい。"});
  }
}

void CheckAnswers(const RowCells& row, int32_t number, std::vector<Finding>& findings) {
  if (Trim(row.answer).empty()) {
    findings.push_back({FindingKind::kEmptyAnswer,
                        {number},
                        "E 列の答えが空なので、解答表示で答えが出ません。",
                        "E 列に答えの漢字を入れて下さい。"});
  } else if (row.sentence.find(row.answer) != std::string::npos) {
    findings.push_back({FindingKind::kAnswerInSentence,
                        {number},
                        "答え" + Quoted(row.answer) +
                            "が問題文の中にそのまま書かれていて、テストで答えが見えてしまいます。",
                        "問題文の答えの部分を読み仮名に書き換えて下さい。"});
  }
}

void CheckMarks(const RowCells& row, int32_t number, std::vector<Finding>& findings) {
  int32_t gap = 0;  // the first empty attempt column, where the scoring stops reading
  for (int32_t i = 0; i < kAttemptColumns; ++i) {
    const std::string& mark = row.attempts[i];
    const int32_t column = model::kFirstAttempt + i;
    if (mark.empty()) {
      if (gap == 0) gap = column;
      continue;
    }
    if (gap != 0) {
      if (IsReadMark(mark) || LooksLikeMark(mark)) {
        findings.push_back({FindingKind::kUnreadAttemptMark,
                            {number},
                            Column(column) + "の" + Quoted(mark) + "は、その前の " + Column(gap) +
                                "が空なので読まれません（印は F 列から空けずに読まれます）。",
                            "印を F 列から空けずに詰めて下さい。"});
      }
    } else if (!IsReadMark(mark) && LooksLikeMark(mark)) {
      const std::string_view trimmed = Trim(mark);
      findings.push_back(
          {FindingKind::kUnreadAttemptMark,
           {number},
           Column(column) + "の" + Quoted(mark) +
               "は印として読まれません（読まれるのは X・S・E・除・止・修・外 だけで、空白の付いた"
               "ものや × は別の文字です）。",
           trimmed != mark && IsReadMark(trimmed)
               ? "空白を消して" + Quoted(trimmed) + "とだけ書いて下さい。"
               : std::string("間違いの印は「X」と書いて下さい。")});
    }
  }
  if (!row.must.empty() && row.must != model::kMustAppearMark) {
    findings.push_back({FindingKind::kUnreadMustAppearMark,
                        {number},
                        "R 列の" + Quoted(row.must) +
                            "は必出の印として読まれません（読まれるのは「必出」だけです）。",
                        "必出にするなら「必出」とだけ書き、そうでなければ消して下さい。"});
  }
  for (const int32_t column : row.must_elsewhere) {
    findings.push_back(
        {FindingKind::kMustAppearElsewhere,
         {number},
         Column(column) + "の「必出」は読まれません（必出は R 列だけが読まれます）。",
         "必出にするなら R 列に「必出」と書いて下さい。"});
  }
  if (!row.times_set.empty()) {
    findings.push_back(
        {FindingKind::kTextTimesSet,
         {number},
         "Q 列の" + Quoted(row.times_set) + "は数でないので、出題回数 0 として読まれます。",
         "Q 列は数字だけにするか、空にして下さい。"});
  }
}

void CheckHeader(const RowCells& first, std::vector<Finding>& findings) {
  if (!IsHeaderWord(first.sentence) && !IsHeaderWord(first.answer)) return;
  findings.push_back({FindingKind::kHeaderRow,
                      {1},
                      "1 行目（" + Quoted(first.sentence) + "・" + Quoted(first.answer) +
                          "）は見出しのようですが、出題文シートに見出し行はなく、1 "
                          "行目も問題として出題され数えられます。",
                      "見出しの行を削除して、1 行目から問題を始めて下さい。"});
}

void CheckUnderlines(const std::vector<RowCells>& rows, int32_t last,
                     std::vector<Finding>& findings) {
  int32_t marked = 0;
  for (int32_t row = 1; row <= last; ++row) marked += rows[row].marks_word ? 1 : 0;
  if (marked * 2 <= last) return;  // underlining is not this bank's way
  for (int32_t row = 1; row <= last; ++row) {
    if (rows[row].marks_word) continue;
    findings.push_back({FindingKind::kNoUnderline,
                        {row},
                        "問題文に下線の付いた語がなく、テストでどの語を書くのかが分かりません（" +
                            std::to_string(marked) + " 題には下線があります）。",
                        "書かせる語に下線を付けて下さい。"});
  }
}

}  // namespace

CheckResult CheckBank(host::Worksheet& bank, const CheckOptions& options) {
  CheckResult result;
  result.sheet_name = bank.Name();
  const review::QuestionIndex index(bank);
  const int32_t end = index.first_empty_row();
  const int32_t last = end - 1;
  result.last_question_row = last;
  std::vector<Finding>& findings = result.findings;

  if (last == 0) {
    findings.push_back(
        {FindingKind::kNoQuestions,
         {1},
         "1 行目の D 列が空なので、問題が１題もありません（テストを作成できません）。",
         "1 行目から D 列に問題文を入れて下さい。"});
  }
  CheckRowsAfterEnd(bank, end, findings);
  const std::vector<RowCells> rows = ReadRows(bank, last);
  if (last > 0) {
    CheckGroups(bank, rows, last, result);
    CheckDuplicates(index, rows, last, findings);
    CheckHeader(rows[1], findings);
    CheckUnderlines(rows, last, findings);
  }
  for (int32_t row = 1; row <= last; ++row) {
    CheckAnswers(rows[row], row, findings);
    CheckMarks(rows[row], row, findings);
    if (options.grade) CheckAnswerKanji(row, rows[row].answer, *options.grade, findings);
  }
  std::ranges::stable_sort(findings, [](const Finding& a, const Finding& b) {
    if (a.kind != b.kind) return a.kind < b.kind;
    return a.rows.front() < b.rows.front();
  });
  return result;
}

}  // namespace tarquel::bankcheck
