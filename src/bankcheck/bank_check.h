// The bank check: reads a question bank sheet the way test generation and the review commands
// read it and lists what they will silently skip or get wrong (questions below the bank's end,
// a last group never closed, groups too large or split, repeated sentences, missing answers,
// marks that are not read, a header in row 1, sentences without an underlined word) and, when
// asked, answer kanji beyond a school year. It changes nothing in the workbook and shows
// nothing: the findings come back as data.
#ifndef TARQUEL_BANKCHECK_BANK_CHECK_H_
#define TARQUEL_BANKCHECK_BANK_CHECK_H_

#include <optional>

#include "bankcheck/finding.h"

namespace tarquel::host {
class Worksheet;
}

namespace tarquel::bankcheck {

struct CheckOptions {
  // With a school year (kFirstGrade..kLastGrade): also report answer kanji taught after it
  // and answer kanji in no grade table.
  std::optional<int> grade;
};

// Checks `bank`, a question bank sheet. The groups are those test generation forms (its own
// scan of the bank), the bank's end and the row a sentence leads to are those of the review
// commands' lookup, so what is reported is what the commands will do. Only rows that are set
// (above the first empty D) are checked for their content.
// REQUIRES: options.grade, when given, within kFirstGrade..kLastGrade.
CheckResult CheckBank(host::Worksheet& bank, const CheckOptions& options = {});

}  // namespace tarquel::bankcheck

#endif  // TARQUEL_BANKCHECK_BANK_CHECK_H_
