// Builds question bank rows for command tests: one call per row, from row 1 down.
#ifndef TARQUEL_TESTS_SUPPORT_BANK_BUILDER_H_
#define TARQUEL_TESTS_SUPPORT_BANK_BUILDER_H_

#include <string>
#include <vector>

#include "host/range.h"
#include "host/worksheet.h"

namespace tarquel::testing {

struct BankRow {
  std::string group;                       // C
  std::string question;                    // D
  std::string answer;                      // E
  std::vector<std::string> attempts = {};  // F, G, ...
  std::string times_set = {};              // Q ("" leaves it empty)
  std::string must = {};                   // R
};

inline void FillBank(host::Worksheet& sheet, const std::vector<BankRow>& rows) {
  int32_t r = 1;
  for (const BankRow& row : rows) {
    if (!row.group.empty()) sheet.Cells(r, 3).SetValueFromText(row.group);
    sheet.Cells(r, 4).SetValue(host::CellValue(row.question));
    sheet.Cells(r, 5).SetValue(host::CellValue(row.answer));
    for (std::size_t i = 0; i < row.attempts.size(); ++i) {
      if (!row.attempts[i].empty()) {
        sheet.Cells(r, 6 + static_cast<int32_t>(i)).SetValue(host::CellValue(row.attempts[i]));
      }
    }
    if (!row.times_set.empty()) sheet.Cells(r, 17).SetValueFromText(row.times_set);
    if (!row.must.empty()) sheet.Cells(r, 18).SetValue(host::CellValue(row.must));
    ++r;
  }
}

// A bank of `groups` groups of the given sizes, cycling; question texts "問<row>".
inline void FillNumberedBank(host::Worksheet& sheet, const std::vector<int>& sizes) {
  int32_t r = 1;
  int group = 0;
  for (int size : sizes) {
    ++group;
    for (int i = 0; i < size; ++i, ++r) {
      sheet.Cells(r, 3).SetValue(host::CellValue("g" + std::to_string(group)));
      sheet.Cells(r, 4).SetValue(host::CellValue("問" + std::to_string(r)));
      sheet.Cells(r, 5).SetValue(host::CellValue("答" + std::to_string(r)));
    }
  }
}

}  // namespace tarquel::testing

#endif  // TARQUEL_TESTS_SUPPORT_BANK_BUILDER_H_
