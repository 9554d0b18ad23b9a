#include "bankcheck/report_format.h"

#include <cstdio>
#include <string_view>

namespace tarquel::bankcheck {

namespace {

void AppendJsonString(std::string_view text, std::string& out) {
  out += '"';
  for (const char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

std::string Summary(const CheckResult& result) {
  std::string text = result.sheet_name + ": ";
  if (result.last_question_row == 0) return text + "問題 0 題";
  return text + "問題 " + std::to_string(result.last_question_row) + " 題（1〜" +
         std::to_string(result.last_question_row) + " 行目）、組 " +
         std::to_string(result.group_count);
}

}  // namespace

std::string RowList(const std::vector<int32_t>& rows) {
  std::string text;
  std::size_t i = 0;
  while (i < rows.size()) {
    std::size_t j = i;
    while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) ++j;
    if (!text.empty()) text += ", ";
    text += std::to_string(rows[i]);
    if (j > i) text += "〜" + std::to_string(rows[j]);
    i = j + 1;
  }
  return text;
}

std::string FormatText(const CheckResult& result) {
  std::string text = Summary(result);
  if (result.findings.empty()) return text + "\n見つかった問題はありません。\n";
  text += "\n" + std::to_string(result.findings.size()) + " 件見つかりました。\n";
  std::size_t i = 0;
  while (i < result.findings.size()) {
    const FindingKind kind = result.findings[i].kind;
    std::size_t j = i;
    while (j < result.findings.size() && result.findings[j].kind == kind) ++j;
    text += "\n■ " + std::string(KindTitle(kind)) + "（" + std::to_string(j - i) + " 件）\n";
    for (; i < j; ++i) {
      const Finding& finding = result.findings[i];
      text += "  " + RowList(finding.rows) + " 行目: " + finding.reason + "\n";
      text += "    → " + finding.action + "\n";
    }
  }
  return text;
}

std::string FormatJson(const CheckResult& result) {
  std::string out = "{\"sheet\": ";
  AppendJsonString(result.sheet_name, out);
  out += ", \"last_question_row\": " + std::to_string(result.last_question_row);
  out += ", \"groups\": " + std::to_string(result.group_count);
  out += ", \"finding_count\": " + std::to_string(result.findings.size());
  out += ", \"findings\": [";
  bool first = true;
  for (const Finding& finding : result.findings) {
    out += first ? "\n  " : ",\n  ";
    first = false;
    out += "{\"kind\": ";
    AppendJsonString(KindName(finding.kind), out);
    out += ", \"title\": ";
    AppendJsonString(KindTitle(finding.kind), out);
    out += ", \"rows\": [";
    for (std::size_t r = 0; r < finding.rows.size(); ++r) {
      if (r > 0) out += ", ";
      out += std::to_string(finding.rows[r]);
    }
    out += "], \"reason\": ";
    AppendJsonString(finding.reason, out);
    out += ", \"action\": ";
    AppendJsonString(finding.action, out);
    out += "}";
  }
  out += first ? "]}\n" : "\n]}\n";
  return out;
}

}  // namespace tarquel::bankcheck
