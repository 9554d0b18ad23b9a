#include "model/test_sheet.h"

namespace tarquel::model {

RowRole RoleOfRow(int32_t row, bool use_sheet40) {
  switch (row % RowsPerPage(use_sheet40)) {
    case 1:
    case 5:
      return RowRole::kNumber;
    case 2:
    case 6:
      return RowRole::kQuestion;
    case 3:
    case 7:
      return RowRole::kAnswer;
    case 4:
      // On the 20 sheet row mod 4 is never 4; on the 40 sheet 4 is the gap between bands.
      return RowRole::kBandSpacer;
    default:
      return RowRole::kPageFoot;
  }
}

std::string PageOneSlotRows(RowRole role, bool use_sheet40) {
  std::string address;
  for (int32_t row = 1; row <= RowsPerPage(use_sheet40); ++row) {
    if (RoleOfRow(row, use_sheet40) != role) continue;
    if (!address.empty()) address += ",";
    address += "A" + std::to_string(row) + ":T" + std::to_string(row);
  }
  return address;
}

std::string TestCode(std::string_view seed_text, int32_t first_group, int32_t last_group,
                     int32_t requested_groups) {
  return std::string(seed_text) + "[" + std::to_string(first_group) + "-" +
         std::to_string(last_group) + "]" + std::to_string(requested_groups);
}

}  // namespace tarquel::model
