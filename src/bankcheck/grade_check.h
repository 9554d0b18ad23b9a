// The school-year check of answers: which kanji of an answer are taught after a given school
// year, and which stand in none of the grade tables.
#ifndef TARQUEL_BANKCHECK_GRADE_CHECK_H_
#define TARQUEL_BANKCHECK_GRADE_CHECK_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "bankcheck/finding.h"

namespace tarquel::bankcheck {

// School years a check can be asked for: 1 to 6 of elementary school, then 7 to 9 for the
// three junior-high groups of the tables.
inline constexpr int kFirstGrade = 1;
inline constexpr int kLastGrade = 9;

// The group of the grade tables that holds `kanji` (one character, UTF-8): 1 to 9, or 0 when
// no table holds it.
int GroupOfKanji(std::string_view kanji);

// Appends to `findings` what the kanji of `answer`, the answer of bank row `row`, show against
// school year `grade`: one kKanjiAboveGrade finding naming the kanji taught later, one
// kKanjiInNoTable finding naming those in no table. Kanji count as the kanji grade search
// counts them; kana, letters and digits are never reported.
// REQUIRES: kFirstGrade <= grade <= kLastGrade.
void CheckAnswerKanji(int32_t row, std::string_view answer, int grade,
                      std::vector<Finding>& findings);

}  // namespace tarquel::bankcheck

#endif  // TARQUEL_BANKCHECK_GRADE_CHECK_H_
