// The bank check's findings written out: a plain list for a person and JSON for other tools.
// Both only build text; showing it is the front end's business.
#ifndef TARQUEL_BANKCHECK_REPORT_FORMAT_H_
#define TARQUEL_BANKCHECK_REPORT_FORMAT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "bankcheck/finding.h"

namespace tarquel::bankcheck {

// Rows as a person reads them: runs of consecutive rows joined, "3, 7〜9, 12".
std::string RowList(const std::vector<int32_t>& rows);

// A summary line (the sheet, its questions and groups), then per kind a heading with the number
// of findings and one entry per finding: its rows and reason, and on the next line what to do.
// Lines end with LF. A bank without findings gives the summary and a line saying so.
std::string FormatText(const CheckResult& result);

// One JSON object:
//   {"sheet": NAME, "last_question_row": N, "groups": G, "finding_count": F,
//    "findings": [{"kind": NAME, "title": TEXT, "rows": [..], "reason": TEXT,
//                  "action": TEXT}, ...]}
// with the findings in report order, strings UTF-8 escaped as JSON requires, ending with LF.
std::string FormatJson(const CheckResult& result);

}  // namespace tarquel::bankcheck

#endif  // TARQUEL_BANKCHECK_REPORT_FORMAT_H_
