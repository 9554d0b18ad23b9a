// Row heights and column widths of the test sheets, from the settings file or its defaults.
#include "paper/geometry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "host/host_error.h"
#include "host/range.h"
#include "host/worksheet.h"
#include "model/body.h"
#include "model/test_sheet.h"
#include "settings/settings_file.h"
#include "support/add_in_fixture.h"

namespace tarquel::paper {
namespace {

class GeometryTest : public testing::AddInTest {
 protected:
  void SetUp() override {
    host::Workbook& book = app_.Workbooks().Add();
    StartUp();
    sheet40_ = &book.Sheets().Add();
    sheet40_->SetName(model::kTestSheet40Name);
    sheet20_ = &book.Sheets().Add();
    sheet20_->SetName(model::kTestSheet20Name);
  }

  // Activates the sheet in use, as the dialog leaves it before applying the geometry.
  host::Worksheet& Use(bool sheet40) {
    host::Worksheet& sheet = sheet40 ? *sheet40_ : *sheet20_;
    sheet.Activate();
    body().use_sheet40 = sheet40;
    return sheet;
  }

  void Store(const char* key, const char* value) {
    settings::WriteSetting(body().Settings(), key, value, false);
  }

  host::Worksheet* sheet40_ = nullptr;
  host::Worksheet* sheet20_ = nullptr;
};

TEST_F(GeometryTest, EachRowTakesTheSettingOfItsPlaceInThePage) {
  // Every key gets its own value so that a row given the wrong key shows.
  const std::pair<const char*, const char*> stored[] = {
      {"No", "21"},   {"Qs", "191"},   {"As", "91"},    {"Bi1", "19"},      {"Bi2", "11"},
      {"No20", "22"}, {"Qs20", "354"}, {"As20", "244"}, {"Bi2-20", "12.5"},
  };
  for (const auto& [key, value] : stored) Store(key, value);
  struct Case {
    bool sheet40;
    int32_t row;
    double height;
  };
  const Case cases[] = {
      {true, 1, 21},    {true, 2, 191}, {true, 3, 91},   {true, 4, 19},   {true, 5, 21},
      {true, 6, 191},   {true, 7, 91},  {true, 8, 11},   {true, 12, 19},  {true, 13, 21},
      {true, 16, 11},   {false, 1, 22}, {false, 2, 354}, {false, 3, 244}, {false, 4, 12.5},
      {false, 8, 12.5}, {false, 9, 22},
  };
  for (const Case& c : cases) {
    host::Worksheet& sheet = Use(c.sheet40);
    ApplyRowHeight(body(), c.row);
    EXPECT_EQ(sheet.RowHeightOf(c.row), c.height) << sheet.Name() << " row " << c.row;
    EXPECT_EQ(sheet.selection(), std::vector<host::CellRect>{sheet.Rows(c.row).FirstArea()});
    EXPECT_EQ(sheet.RowHeightOf(c.row + 1), host::kDefaultRowHeight) << "only the row itself";
  }
}

TEST_F(GeometryTest, MissingSettingsGiveTheDefaults) {
  host::Worksheet& sheet = Use(true);
  ApplyRowHeight(body(), 2);
  ApplyRowHeight(body(), 8);
  ApplyColumnWidths(body());
  EXPECT_EQ(sheet.RowHeightOf(2), 190);
  EXPECT_EQ(sheet.RowHeightOf(8), 10.5);
  EXPECT_EQ(sheet.ColumnWidthOf(1), 6.4);
  EXPECT_EQ(sheet.ColumnWidthOf(20), 6.4);
  EXPECT_EQ(sheet.ColumnWidthOf(21), 7);
  EXPECT_EQ(sheet.ColumnWidthOf(22), host::kDefaultColumnWidth);
  EXPECT_EQ(sheet.selection(), std::vector<host::CellRect>{host::CellRect::Cell(1, 21)});

  host::Worksheet& other = Use(false);
  ApplyRowHeight(body(), 2);
  EXPECT_EQ(other.RowHeightOf(2), 353);
  EXPECT_FALSE(SettingsFile().has_value()) << "reading writes nothing";
}

TEST_F(GeometryTest, ColumnWidthsFollowTheSheetInUse) {
  Store("C1", "5");
  Store("C2", "9");
  Store("C1-20", "4.5");
  Store("C2-20", "8");
  host::Worksheet& sheet20 = Use(false);
  ApplyColumnWidths(body());
  EXPECT_EQ(sheet20.ColumnWidthOf(1), 4.5);
  EXPECT_EQ(sheet20.ColumnWidthOf(20), 4.5);
  EXPECT_EQ(sheet20.ColumnWidthOf(21), 8);
  EXPECT_EQ(sheet40_->ColumnWidthOf(1), host::kDefaultColumnWidth) << "the other sheet stays";
}

TEST_F(GeometryTest, AStoredValueTheHostCannotTakeIsItsRunTimeError) {
  Store("Qs", "高い");
  Store("C2", "300");
  host::Worksheet& sheet = Use(true);
  EXPECT_THROW(ApplyRowHeight(body(), 2), host::HostError);
  EXPECT_EQ(sheet.RowHeightOf(2), host::kDefaultRowHeight);
  EXPECT_THROW(ApplyColumnWidths(body()), host::HostError);
  EXPECT_EQ(sheet.ColumnWidthOf(21), host::kDefaultColumnWidth);
}

// The check before a test is made must refuse exactly what applying the values would: a value
// it lets through that the host refuses stops the test halfway, one it refuses that the host
// takes blocks a good test.
TEST_F(GeometryTest, FindRefusedPaperSettingAgreesWithTheHost) {
  const char* const keys[] = {"No",   "Qs",   "As",   "Bi1",    "Bi2",   "C1",   "C2",
                              "No20", "Qs20", "As20", "Bi2-20", "C1-20", "C2-20"};
  const char* const values[] = {"0",      "409",  "409.5", "255", "255.5", "-0.1", "abc", "",
                                "１００", " 12 ", "1e2",   "12%", "1,000", "高い", "7.0"};
  for (const char* key : keys) {
    for (const char* value : values) {
      Store(key, value);
      for (const bool sheet40 : {true, false}) {
        SCOPED_TRACE(std::string(key) + ":\"" + value + "\" on " +
                     std::string(model::TestSheetName(sheet40)));
        const std::optional<RefusedSetting> refused =
            FindRefusedPaperSetting(body().Settings(), sheet40);
        Use(sheet40);
        bool host_refused = false;
        try {
          for (int32_t row = 1; row <= model::RowsPerPage(sheet40); ++row) {
            ApplyRowHeight(body(), row);
          }
          ApplyColumnWidths(body());
        } catch (const host::HostError&) {
          host_refused = true;
        }
        EXPECT_EQ(refused.has_value(), host_refused);
        if (refused) {
          EXPECT_EQ(refused->key, key);
          EXPECT_EQ(refused->value, value);
        }
      }
      settings::WriteSetting(body().Settings(), key, "", true);
    }
  }
}

TEST_F(GeometryTest, FindRefusedPaperSettingNamesTheFirstInTheDialogsOrder) {
  Store("C2", "999");
  Store("As", "abc");
  Store("Qs20", "-1");
  const std::optional<RefusedSetting> on40 = FindRefusedPaperSetting(body().Settings(), true);
  ASSERT_TRUE(on40);
  EXPECT_EQ(on40->key, "As");
  EXPECT_STREQ(on40->limits.what, "行の高さ");
  EXPECT_EQ(on40->limits.high, host::kMaxRowHeight);
  Store("As", "90");
  const std::optional<RefusedSetting> width = FindRefusedPaperSetting(body().Settings(), true);
  ASSERT_TRUE(width);
  EXPECT_EQ(width->key, "C2");
  EXPECT_STREQ(width->limits.what, "列の幅");
  EXPECT_EQ(width->limits.high, host::kMaxColumnWidth);
  const std::optional<RefusedSetting> on20 = FindRefusedPaperSetting(body().Settings(), false);
  ASSERT_TRUE(on20);
  EXPECT_EQ(on20->key, "Qs20");
  EXPECT_EQ(on20->value, "-1");
  EXPECT_FALSE(platform_.RemoveFile(kSettingsPath).has_value());
  EXPECT_FALSE(FindRefusedPaperSetting(body().Settings(), true)) << "the defaults";
  EXPECT_FALSE(FindRefusedPaperSetting(body().Settings(), false));
}

}  // namespace
}  // namespace tarquel::paper
