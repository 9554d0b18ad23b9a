#include "host/address.h"

#include <gtest/gtest.h>

namespace tarquel::host {
namespace {

TEST(AddressTest, ReadsA1ReferencesOfEveryShape) {
  struct Case {
    const char* text;
    std::vector<CellRect> areas;
  };
  const Case cases[] = {
      {"A1", {{1, 1, 1, 1}}},
      {"$U$8", {{8, 21, 8, 21}}},
      {"b2:a1", {{1, 1, 2, 2}}},
      {"A1:U65536", {{1, 1, 65536, 21}}},
      {"A:T", {{1, 1, 65536, 20}}},
      {"3:5", {{3, 1, 5, 256}}},
      {"$2:$2", {{2, 1, 2, 256}}},
      {"A3:T3,A7:T7", {{3, 1, 3, 20}, {7, 1, 7, 20}}},
      {"A5:U65536,A1:T4", {{5, 1, 65536, 21}, {1, 1, 4, 20}}},
      {"IV65536", {{65536, 256, 65536, 256}}},
  };
  for (const Case& c : cases) {
    auto areas = ParseA1Reference(c.text);
    ASSERT_TRUE(areas.has_value()) << c.text;
    EXPECT_EQ(*areas, c.areas) << c.text;
  }
}

TEST(AddressTest, RefusesWhatIsNoReference) {
  for (const char* text : {"", "A", "3", "A0", "A65537", "IW1", "A1:", ":A1", "A1,,B2", "A1:3",
                           "1A", "A1 ", "R1C1", "$$A1", "A-1"}) {
    EXPECT_FALSE(ParseA1Reference(text).has_value()) << text;
  }
}

TEST(AddressTest, WritesR1C1AddressesAsTheHost) {
  struct Case {
    CellRect rect;
    const char* r1c1;
    const char* a1;
  };
  const Case cases[] = {
      {{4, 5, 4, 5}, "R4C5", "$E$4"},
      {{2, 3, 9, 4}, "R2C3:R9C4", "$C$2:$D$9"},
      {{2, 1, 2, 256}, "R2", "$2:$2"},
      {{1, 1, 3, 256}, "R1:R3", "$1:$3"},
      {{1, 3, 65536, 3}, "C3", "$C:$C"},
      {{1, 1, 65536, 3}, "C1:C3", "$A:$C"},
      {{1, 1, 65536, 256}, "R1:R65536", "$1:$65536"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatAddress(c.rect, ReferenceStyle::kR1C1), c.r1c1);
    EXPECT_EQ(FormatAddress(c.rect, ReferenceStyle::kA1), c.a1);
    // What is written reads back as the same rectangle.
    EXPECT_EQ(ParseR1C1Reference(c.r1c1), std::vector<CellRect>{c.rect}) << c.r1c1;
    EXPECT_EQ(ParseA1Reference(c.a1), std::vector<CellRect>{c.rect}) << c.a1;
  }
  EXPECT_EQ(FormatAddress({{3, 1, 3, 20}, {7, 1, 7, 20}}, ReferenceStyle::kR1C1),
            "R3C1:R3C20,R7C1:R7C20");
  EXPECT_EQ(FormatAddress(CellRect{3, 1, 3, 20}, ReferenceStyle::kA1, false), "A3:T3");
}

TEST(AddressTest, SingleCellsReadWithoutAreas) {
  EXPECT_EQ(ParseCellAddress("B12"), (std::pair<int32_t, int32_t>{12, 2}));
  EXPECT_EQ(ParseCellAddress("$U$8"), (std::pair<int32_t, int32_t>{8, 21}));
  EXPECT_EQ(ParseCellAddress("XFD1048576", kMaxFileRows, kMaxFileColumns),
            (std::pair<int32_t, int32_t>{1048576, 16384}));
  for (const char* text : {"", "B", "12", "A1:B2", "XFE1", "A0", "1A"}) {
    EXPECT_FALSE(ParseCellAddress(text, kMaxFileRows, kMaxFileColumns).has_value()) << text;
  }
}

TEST(AddressTest, ColumnNamesRoundTrip) {
  for (int32_t column : {1, 26, 27, 52, 256, 702, 703, 16384}) {
    EXPECT_EQ(ParseColumnName(ColumnName(column), kMaxFileColumns), column);
  }
  EXPECT_EQ(ColumnName(21), "U");
  EXPECT_FALSE(ParseColumnName("IW", kSheetColumns).has_value());
  EXPECT_FALSE(ParseColumnName("XFE", kMaxFileColumns).has_value());
}

}  // namespace
}  // namespace tarquel::host
