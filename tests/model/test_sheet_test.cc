// The test sheets' row roles, which the row heights, the formats of page 1 and the answer commands
// all compute rows from.
#include "model/test_sheet.h"

#include <gtest/gtest.h>

#include <string>

namespace tarquel::model {
namespace {

TEST(TestSheetTest, RowRolesRepeatByPage) {
  const struct {
    int32_t row;
    bool use_sheet40;
    RowRole role;
  } cases[] = {
      {1, true, RowRole::kNumber},    {2, true, RowRole::kQuestion},
      {3, true, RowRole::kAnswer},    {4, true, RowRole::kBandSpacer},
      {5, true, RowRole::kNumber},    {7, true, RowRole::kAnswer},
      {8, true, RowRole::kPageFoot},  {12, true, RowRole::kBandSpacer},
      {16, true, RowRole::kPageFoot}, {13, true, RowRole::kNumber},
      {1, false, RowRole::kNumber},   {2, false, RowRole::kQuestion},
      {3, false, RowRole::kAnswer},   {4, false, RowRole::kPageFoot},
      {8, false, RowRole::kPageFoot}, {6, false, RowRole::kQuestion},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RoleOfRow(c.row, c.use_sheet40), c.role)
        << c.row << (c.use_sheet40 ? " of 40" : " of 20");
  }
}

TEST(TestSheetTest, PageOneRowsOfARoleAsAnAddress) {
  EXPECT_EQ(PageOneSlotRows(RowRole::kAnswer, true), "A3:T3,A7:T7");
  EXPECT_EQ(PageOneSlotRows(RowRole::kAnswer, false), "A3:T3");
  EXPECT_EQ(PageOneSlotRows(RowRole::kNumber, true), "A1:T1,A5:T5");
  EXPECT_EQ(PageOneSlotRows(RowRole::kBandSpacer, false), "");
  EXPECT_EQ(TestCode("1234", 3, 57, 40), "1234[3-57]40");
}

}  // namespace
}  // namespace tarquel::model
