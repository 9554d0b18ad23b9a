#include "datafiles/sample_bank.h"

#include <charconv>

#include "host/host_error.h"
#include "host/utf16.h"
#include "model/bank_sheet.h"

namespace tarquel::datafiles {

namespace {

constexpr std::size_t kFieldCount = 9;
constexpr std::size_t kMaxAttempts = model::kLastAttempt - model::kFirstAttempt + 1;
constexpr std::string_view kOpenBracket = "〔";
constexpr std::string_view kCloseBracket = "〕";

[[noreturn]] void Refuse(int line, const std::string& what) {
  throw host::HostError(host::HostError::kApplicationDefined,
                        "サンプルデータの " + std::to_string(line) + " 行目: " + what);
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t end = text.find(separator); end != std::string_view::npos;
       end = text.find(separator, start)) {
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

bool HasBracket(std::string_view text) {
  return text.find(kOpenBracket) != std::string_view::npos ||
         text.find(kCloseBracket) != std::string_view::npos;
}

void ReadSentence(std::string_view field, int line, SampleQuestion& question) {
  const std::size_t open = field.find(kOpenBracket);
  const std::size_t close = field.find(kCloseBracket);
  if (open == std::string_view::npos && close == std::string_view::npos) {
    Refuse(line, "問題文に〔 〕で囲んだ語がありません。");
  }
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
    Refuse(line, "問題文の〔 と 〕が組になっていません。");
  }
  const std::string_view before = field.substr(0, open);
  const std::string_view word =
      field.substr(open + kOpenBracket.size(), close - open - kOpenBracket.size());
  const std::string_view after = field.substr(close + kCloseBracket.size());
  if (HasBracket(word) || HasBracket(after)) Refuse(line, "問題文の〔 〕は一組だけです。");
  if (word.empty()) Refuse(line, "〔 〕の中が空です。");
  question.sentence = std::string(before) + std::string(word) + std::string(after);
  question.word_start = static_cast<uint32_t>(host::Utf16Length(before));
  question.word_length = static_cast<uint32_t>(host::Utf16Length(word));
}

void ReadAttempts(std::string_view field, int line, SampleQuestion& question) {
  if (field.empty()) return;
  for (std::string_view mark : Split(field, ',')) {
    if (mark.empty()) Refuse(line, "F～O 列の記録に空のものがあります（記録は左から詰めます）。");
    question.attempts.emplace_back(mark);
  }
  if (question.attempts.size() > kMaxAttempts) {
    Refuse(line, "F～O 列の記録は " + std::to_string(kMaxAttempts) + " 個までです。");
  }
}

void ReadTimesSet(std::string_view field, int line, SampleQuestion& question) {
  if (field.empty()) return;
  int count = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), count);
  if (error != std::errc() || end != field.data() + field.size() || count < 0) {
    Refuse(line, "Q 列（出題回数）「" + std::string(field) + "」は 0 以上の整数ではありません。");
  }
  question.times_set = count;
}

void ReadMustAppear(std::string_view field, int line, SampleQuestion& question) {
  if (field.empty()) return;
  if (field != model::kMustAppearMark) {
    Refuse(line, "R 列は「必出」か空です。「" + std::string(field) + "」は使えません。");
  }
  question.must_appear = true;
}

std::string Required(std::string_view field, int line, const char* column) {
  if (field.empty()) Refuse(line, std::string(column) + " が空です。");
  return std::string(field);
}

SampleQuestion ReadQuestion(std::string_view text, int line) {
  if (!host::IsValidUtf8(text)) Refuse(line, "UTF-8 の文字として読めません。");
  const std::vector<std::string_view> fields = Split(text, '\t');
  if (fields.size() != kFieldCount) {
    Refuse(line, "タブで区切った列が " + std::to_string(kFieldCount) + " 個ではなく " +
                     std::to_string(fields.size()) + " 個あります。");
  }
  SampleQuestion question;
  question.line = line;
  question.source_memo = fields[0];
  question.second_memo = fields[1];
  question.group_mark = Required(fields[2], line, "C 列（グループ記号）");
  ReadSentence(Required(fields[3], line, "D 列（問題文）"), line, question);
  question.answer = Required(fields[4], line, "E 列（答え）");
  ReadAttempts(fields[5], line, question);
  question.remarks = fields[6];
  ReadTimesSet(fields[7], line, question);
  ReadMustAppear(fields[8], line, question);
  return question;
}

}  // namespace

std::string SampleQuestion::Word() const {
  return std::string(host::Utf16Substr(sentence, word_start, word_length));
}

std::vector<SampleQuestion> ParseSampleBank(std::string_view text) {
  std::vector<SampleQuestion> questions;
  int line = 0;
  for (std::string_view content : Split(text, '\n')) {
    ++line;
    // A checkout on Windows may have turned the line ends into CR LF.
    if (content.ends_with('\r')) content.remove_suffix(1);
    if (content.empty() || content.starts_with('#')) continue;
    questions.push_back(ReadQuestion(content, line));
  }
  if (questions.empty()) {
    throw host::HostError(host::HostError::kApplicationDefined,
                          "サンプルデータに問題が１題もありません。");
  }
  return questions;
}

}  // namespace tarquel::datafiles
