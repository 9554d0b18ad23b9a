#include "bankcheck/grade_check.h"

#include <string>
#include <unordered_map>

#include "kanjigrade/grade_tables.h"
#include "kanjigrade/kanji_report.h"

namespace tarquel::bankcheck {

namespace {

// Every kanji of the tables and its group, built once: looking a kanji up in nine table
// strings for each row of a large bank would cost far more than the rest of the check.
const std::unordered_map<std::string, int>& GroupIndex() {
  static const std::unordered_map<std::string, int> index = [] {
    std::unordered_map<std::string, int> built;
    for (int group = kanjigrade::kFirstTableGroup; group <= kanjigrade::kLastTableGroup; ++group) {
      for (const std::string& kanji : kanjigrade::DistinctKanji(kanjigrade::GroupTable(group))) {
        built.emplace(kanji, group);
      }
    }
    return built;
  }();
  return index;
}

// "小学 1 年" for the elementary years; the junior-high groups are no school years of their own,
// so they go by the Kanken level the kanji grade search prints beside them ("中学・漢検 4 級").
std::string YearName(int group) {
  if (group <= kanjigrade::kLastElementaryGroup) return "小学 " + std::to_string(group) + " 年";
  return "中学・漢検 " + std::to_string(kanjigrade::KankenLevel(group)) + " 級";
}

}  // namespace

int GroupOfKanji(std::string_view kanji) {
  const auto& index = GroupIndex();
  const auto it = index.find(std::string(kanji));
  return it == index.end() ? kanjigrade::kHighSchoolGroup : it->second;
}

void CheckAnswerKanji(int32_t row, std::string_view answer, int grade,
                      std::vector<Finding>& findings) {
  std::string later;
  std::string later_years;
  std::string untabled;
  for (const std::string& kanji : kanjigrade::DistinctKanji(answer)) {
    const int group = GroupOfKanji(kanji);
    if (group == kanjigrade::kHighSchoolGroup) {
      untabled += "「" + kanji + "」";
    } else if (group > grade) {
      later += "「" + kanji + "」";
      later_years += (later_years.empty() ? "" : "、") + kanji + "は" + YearName(group);
    }
  }
  const std::string answer_text(answer);
  if (!later.empty()) {
    findings.push_back({FindingKind::kKanjiAboveGrade,
                        {row},
                        "答え「" + answer_text + "」の" + later + "は" + YearName(grade) +
                            "までに習わない漢字です（" + later_years + "）。",
                        "この学年向けのテストなら、問題を外すか答えを見直して下さい。"});
  }
  if (!untabled.empty()) {
    findings.push_back(
        {FindingKind::kKanjiInNoTable,
         {row},
         "答え「" + answer_text + "」の" + untabled + "は学年別の漢字表（常用漢字）にありません。",
         "字が正しいか（異体字や似た字でないか）確かめて下さい。"});
  }
}

}  // namespace tarquel::bankcheck
