#include "review/reports.h"

#include <string>
#include <unordered_map>
#include <vector>

#include "host/application.h"
#include "model/bank_sheet.h"
#include "model/body.h"

namespace tarquel::review {

namespace {

std::string Cell(host::Worksheet& sheet, int32_t row, int32_t column) {
  return sheet.Cells(row, column).Value().AsText();
}

// The duplicate report's line for one row.
std::string RowLine(host::Worksheet& bank, int32_t row) {
  return std::to_string(row) + " 行目：" + Cell(bank, row, model::kAnswer) + "( " +
         Cell(bank, row, model::kQuestion) + " )\r\n";
}

// Appends lines to the report until it holds kMaxReportLines, counting the rest.
class BoundedReport {
 public:
  void Add(const std::string& line) {
    if (lines_ < kMaxReportLines) {
      text_ += line;
    } else {
      ++left_out_;
    }
    ++lines_;
  }
  bool empty() const { return lines_ == 0; }
  std::string Finish() const {
    if (left_out_ == 0) return text_;
    return text_ + "（ほかに " + std::to_string(left_out_) + " 行あります。）";
  }

 private:
  std::string text_;
  std::size_t lines_ = 0;
  std::size_t left_out_ = 0;
};

void ReportWrongAnswers(model::Body& body, int32_t attempt) {
  host::Application& app = body.HostApp();
  const std::string bank_name = model::LocateBankSheet(app);
  if (bank_name.empty()) return;
  body.bank_sheet_name = bank_name;
  host::Worksheet& bank = app.ActiveSheet().workbook().Sheets().Item(bank_name);
  int32_t count = 0;
  for (int32_t row = 1; row <= bank.RowCount(); ++row) {
    if (Cell(bank, row, model::kQuestion).empty()) break;
    if (model::IsWrongMark(Cell(bank, row, model::kFirstAttempt + attempt))) ++count;
  }
  app.ui().MessageBox(host::MessageKind::kResult,
                      "第 " + std::to_string(attempt + 1) + " 回目の間違い総数は、 " +
                          std::to_string(count) + " 問です。 ",
                      host::MessageButtons::kOk, bank_name);
  if (attempt == 9) return;
  if (count == 0) {
    app.ui().MessageBox(host::MessageKind::kResult, "これで終了します。", host::MessageButtons::kOk,
                        "終了");
    return;
  }
  if (app.ui().MessageBox(
          host::MessageKind::kQuestion,
          "続けて第 " + std::to_string(attempt + 2) + " 回目の間違い総数を調べますか？",
          host::MessageButtons::kYesNo, "確認") == host::MessageAnswer::kYes) {
    ReportWrongAnswers(body, attempt + 1);
  }
}

}  // namespace

void RepeatKanji(model::Body& body) {
  host::Application& app = body.HostApp();
  host::Worksheet& bank = app.ActiveSheet();
  if (!model::IsBankSheetName(bank.Name())) {
    app.ui().MessageBox(
        host::MessageKind::kStop,
        std::string("シート名「 ") + model::kBankSheetBaseName + " 」を選択して下さい。",
        host::MessageButtons::kOk, std::nullopt);
    return;
  }
  body.bank_sheet_name = bank.Name();
  body.start_sheet_name = bank.Name();
  // The bank ends before the first row without a question.
  int32_t last = 0;
  while (last + 1 < bank.RowCount() && !Cell(bank, last + 1, model::kQuestion).empty()) ++last;
  // Rows by answer, in order: each row's group is itself and the later rows of its list.
  std::unordered_map<std::string, std::vector<int32_t>> rows_by_answer;
  std::vector<std::pair<const std::vector<int32_t>*, std::size_t>> places(last + 1);
  for (int32_t row = 1; row <= last; ++row) {
    std::vector<int32_t>& rows = rows_by_answer[Cell(bank, row, model::kAnswer)];
    rows.push_back(row);
  }
  for (const auto& [answer, rows] : rows_by_answer) {
    for (std::size_t i = 0; i < rows.size(); ++i) places[rows[i]] = {&rows, i};
  }
  BoundedReport report;
  for (int32_t row = 1; row <= last; ++row) {
    const auto& [rows, place] = places[row];
    if (rows->size() - place < 2) continue;
    for (std::size_t i = place; i < rows->size(); ++i) report.Add(RowLine(bank, (*rows)[i]));
    report.Add("\r\n");
  }
  if (report.empty()) {
    app.ui().MessageBox(host::MessageKind::kResult, "重複なし", host::MessageButtons::kOk,
                        "同音・同訓");
  } else {
    app.ui().MessageBox(host::MessageKind::kResult, report.Finish(), host::MessageButtons::kOk,
                        std::nullopt);
  }
}

void NG_Report(model::Body& body) { ReportWrongAnswers(body, 0); }

void HITU_Report(model::Body& body) {
  host::Application& app = body.HostApp();
  const std::string bank_name = model::LocateBankSheet(app);
  if (bank_name.empty()) return;
  body.bank_sheet_name = bank_name;
  host::Worksheet& bank = app.ActiveSheet().workbook().Sheets().Item(bank_name);
  const int32_t rows = app.ActiveSheet().RowCount();
  int32_t count = 0;
  int32_t row = 1;
  while (row <= rows) {
    if (Cell(bank, row, model::kQuestion).empty()) break;
    if (Cell(bank, row, model::kMustAppear) != model::kMustAppearMark) {
      ++row;
      continue;
    }
    ++count;
    const std::string group = Cell(bank, row, model::kGroupMark);
    int32_t next = row + 1;
    // An empty group mark always differs, so a row without a mark is a group of its own.
    while (next <= rows) {
      const std::string mark = Cell(bank, next, model::kGroupMark);
      if (mark.empty() || mark != group) break;
      ++next;
    }
    row = next <= rows ? next : row + 1;
  }
  app.ui().MessageBox(host::MessageKind::kResult,
                      "必出に設定している問題数は、" + std::to_string(count) + " 題です。",
                      host::MessageButtons::kOk, "必出総数");
}

}  // namespace tarquel::review
