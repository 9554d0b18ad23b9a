#include "host/number_format.h"

#include <cmath>
#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace tarquel::host {
namespace {

struct NumberCase {
  double value;
  const char* code;
  const char* expected;
};

void ExpectFormats(const std::vector<NumberCase>& cases) {
  for (const NumberCase& c : cases) {
    EXPECT_EQ(FormatNumber(c.value, c.code), c.expected)
        << "value " << c.value << " under \"" << c.code << "\"";
  }
}

TEST(NumberFormatTest, GeneralFitsElevenCharacters) {
  ExpectFormats({
      {3, "General", "3"},
      {-3, "General", "-3"},
      {0, "General", "0"},
      {0.5, "General", "0.5"},
      {-0.5, "General", "-0.5"},
      {12345678901, "General", "12345678901"},
      {123456789012, "General", "1.23457E+11"},
      {1e15, "General", "1E+15"},
      {1e100, "General", "1E+100"},
      {99999999999.5, "General", "1E+11"},  // rounding carries into a 12th digit
      {1.0 / 3, "General", "0.333333333"},
      {-1.0 / 3, "General", "-0.333333333"},
      {0.1 + 0.2, "General", "0.3"},
      {1234.5678901234, "General", "1234.56789"},
      {0.000123456789, "General", "0.000123457"},
      {1.23456789e-5, "General", "1.23457E-05"},
      {1e-10, "General", "1E-10"},
  });
}

TEST(NumberFormatTest, GeneralCodes) {
  for (const char* code : {"", "General", "GENERAL", "general", "G/標準"}) {
    EXPECT_TRUE(IsGeneralFormat(code)) << code;
    EXPECT_EQ(FormatNumber(0.1 + 0.2, code), "0.3") << code;
  }
  EXPECT_FALSE(IsGeneralFormat("0"));
  EXPECT_FALSE(IsGeneralFormat("General0"));
  EXPECT_EQ(FormatNumber(NAN, "0"), "#NUM!");
}

TEST(NumberFormatTest, DigitPlaceholdersAndRounding) {
  ExpectFormats({
      {2.5, "0", "3"},
      {-2.5, "0", "-3"},
      {0.4, "0", "0"},
      {-0.4, "0", "-0"},  // the host keeps the sign of a value that rounds to zero
      {1.25, "0.0", "1.3"},
      {0.05, "0.0", "0.1"},
      {1.005, "0.00", "1.01"},
      {5, "000", "005"},
      {0, "#", ""},
      {1, "0.#", "1."},
      {0.5, "#.##", ".5"},
      {1.5, ".00", "1.50"},
      {1.5, "0.0#", "1.5"},
      {1.5, "0.0?", "1.5 "},
      {1234567, "000-0000", "123-4567"},
      {1e20, "0", "100000000000000000000"},
  });
}

TEST(NumberFormatTest, GroupingScalingPercent) {
  ExpectFormats({
      {1234567, "#,##0", "1,234,567"},
      {123, "#,##0", "123"},
      {0, "#,##0", "0"},
      {-1234.5, "#,##0.00", "-1,234.50"},
      {1234567, "#,##0,", "1,235"},
      {1234567, "0.0,,", "1.2"},
      {0.5, "0%", "50%"},
      {0.07, "0%", "7%"},
      {0.125, "0.0%", "12.5%"},
  });
}

TEST(NumberFormatTest, Scientific) {
  ExpectFormats({
      {12345.678, "0.00E+00", "1.23E+04"},
      {0.00012, "0.0E+00", "1.2E-04"},
      {9.999, "0.00E+00", "1.00E+01"},
      {0, "0.00E+00", "0.00E+00"},
      {12345, "0.0E-0", "1.2E4"},
      {12345, "##0.0E+0", "12.3E+3"},
      {0.001234, "##0.0E+0", "1.2E-3"},
  });
}

TEST(NumberFormatTest, LiteralsAndBrackets) {
  ExpectFormats({
      {3, "\"No.\"0", "No.3"},
      {-3, "\"No.\"0", "-No.3"},
      {3, "0\"個\"", "3個"},
      {3, "0円", "3円"},
      {3, "\\$0", "$3"},
      {3, "(0)", "(3)"},
      {3, "0_)", "3 "},
      {3, "*-0", "3"},
      {5, "\"abc\"", "abc"},
      {1500, "[$¥-411]#,##0", "¥1,500"},
      {1500, "[$-411]0", "1500"},
      {5, "[Red]0", "5"},
      {5, "[color10]0", "5"},
      {-3, "[Red]General", "-3"},
      {3, "@", "3"},
      {0.1 + 0.2, "@", "0.3"},
  });
}

TEST(NumberFormatTest, SectionChoice) {
  ExpectFormats({
      {1.5, "0.00;[Red]-0.00", "1.50"},
      {-1.5, "0.00;[Red]-0.00", "-1.50"},
      {-3, "0;0", "3"},
      {-3, "0;(0)", "(3)"},
      {-3, "General;(General)", "(3)"},
      {0, "0;-0;\"zero\"", "zero"},
      {-0.0, "0;-0;\"zero\"", "zero"},
      {-3, "0;;", ""},
      {0, "0;-0;;@", ""},
      {150, "[>100]\"big\";0", "big"},
      {50, "[>100]\"big\";0", "50"},
      {-50, "[>100]\"big\";0", "-50"},
      {-5, "[>100]\"big\";[>0]\"small\";0", "-5"},
      {50.5, "[>100]0", "50.5"},  // no section takes it
  });
}

TEST(NumberFormatTest, DatesInThe1900System) {
  ExpectFormats({
      {45000, "yyyy/m/d", "2023/3/15"},
      {45000, "yy/mm/dd", "23/03/15"},
      {45000, "yyyy.mm.dd", "2023.03.15"},
      {0, "yyyy/m/d", "1900/1/0"},
      {1, "yyyy/m/d", "1900/1/1"},
      {59, "yyyy/m/d", "1900/2/28"},
      {60, "yyyy/m/d", "1900/2/29"},
      {61, "yyyy/m/d", "1900/3/1"},
      {2958465, "yyyy/m/d", "9999/12/31"},
      {45000, "mmm d, yyyy", "Mar 15, 2023"},
      {45000, "mmmm mmmmm", "March M"},
      {45000, "ddd dddd", "Wed Wednesday"},
      {1, "ddd", "Sun"},
      {45000, "aaa aaaa", "水 水曜日"},
      {45000, "ggge\"年\"m\"月\"d\"日\"", "令和5年3月15日"},
      {43585, "ge", "H31"},  // 2019-04-30, the last day of Heisei
      {43586, "gge", "令1"},
      {-1, "yyyy/m/d", "-1"},
      {3e6, "yyyy", "3000000"},
  });
}

TEST(NumberFormatTest, Times) {
  ExpectFormats({
      {0.5, "h:mm", "12:00"},
      {45000.75, "yyyy/m/d h:mm", "2023/3/15 18:00"},
      {45000.5, "h:m", "12:0"},
      {61.0 / 86400, "m:ss", "1:01"},
      {0.999999999, "h:mm:ss", "0:00:00"},  // rounds to the next midnight
      {0.5 + 1.25 / 86400, "h:mm:ss.00", "12:00:01.25"},
      {0.75, "h:mm AM/PM", "6:00 PM"},
      {0, "h AM/PM", "12 AM"},
      {0.5, "hh:mm am/pm", "12:00 pm"},
      {0.25, "h A/P", "6 A"},
      {1.5, "[h]:mm", "36:00"},
      {1.0 / 48, "[mm]", "30"},
  });
}

TEST(NumberFormatTest, TextValues) {
  struct TextCase {
    const char* text;
    const char* code;
    const char* expected;
  };
  const std::vector<TextCase> cases = {
      {"abc", "@", "abc"},
      {"abc", "\"x\"@", "xabc"},
      {"abc", "@ @", "abc abc"},
      {"abc", "0;0;0;\"[\"@\"]\"", "[abc]"},
      {"abc", "0;0;0;\"none\"", "none"},
      {"漢字", "@\"様\"", "漢字様"},
      {"abc", "0", "abc"},
      {"abc", "0;@", "abc"},
      {"abc", "General", "abc"},
      {"abc", "0;0;0;0", "abc"},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(FormatText(c.text, c.code), c.expected) << c.code;
  }
  EXPECT_EQ(FormatBoolean(true), "TRUE");
  EXPECT_EQ(FormatBoolean(false), "FALSE");
}

TEST(NumberFormatTest, MalformedCodesShowGeneral) {
  for (const char* code :
       {"\"unterminated", "[",        "[]",      "0;0;0;0;0", "\\",   "_",         "*",
        "[Purple]0",      "[>]0",     "[<abc]0", "0.0E+",     "E+00", "0.0E+0E+0", "abc",
        "0 km",           "0General", "yyyy0",   "00@",       "A",    "[Color99]0"}) {
    EXPECT_EQ(FormatNumber(1.5, code), "1.5") << code;
    EXPECT_EQ(FormatText("t", code), "t") << code;
  }
}

TEST(NumberFormatTest, LocalGeneralName) {
  EXPECT_EQ(ToLocalFormat("General"), "G/標準");
  EXPECT_EQ(ToLocalFormat("GENERAL"), "G/標準");
  EXPECT_EQ(ToLocalFormat("0.0"), "0.0");
  EXPECT_EQ(FromLocalFormat("G/標準"), "General");
  EXPECT_EQ(FromLocalFormat("#,##0"), "#,##0");
}

TEST(ParseNumericTextTest, ReadsNumbers) {
  struct Case {
    const char* text;
    double expected;
  };
  const std::vector<Case> cases = {
      {"123", 123},
      {" 42 ", 42},
      {"-3", -3},
      {"+3", 3},
      {"007", 7},
      {"1,234", 1234},
      {"1,234,567.5", 1234567.5},
      {"1.5", 1.5},
      {".5", 0.5},
      {"5.", 5},
      {"1E3", 1000},
      {"1e-3", 0.001},
      {"50%", 0.5},
      {"1.1%", 0.011},
      {"１２３", 123},
      {"－１．５", -1.5},
      {"５０％", 0.5},
      {"１，２３４", 1234},
      {"　１２　", 12},
  };
  for (const Case& c : cases) {
    const std::optional<double> v = ParseNumericText(c.text);
    ASSERT_TRUE(v.has_value()) << c.text;
    EXPECT_EQ(*v, c.expected) << c.text;
  }
  const std::optional<double> zero = ParseNumericText("-0");
  ASSERT_TRUE(zero.has_value());
  EXPECT_FALSE(std::signbit(*zero));
}

TEST(ParseNumericTextTest, RejectsOtherText) {
  for (const char* text : {"",    " ",    "1.2.3", "12abc",     "０x",  "X",     "必出",    "inf",
                           "nan", "0x1A", "1,23",  "12,34,567", ",123", "1e",    "1e+",     "--1",
                           "+",   ".",    "%",     "1 000",     "1%%",  "1e400", "\xEF\xBC"}) {
    EXPECT_FALSE(ParseNumericText(text).has_value()) << text;
  }
}

}  // namespace
}  // namespace tarquel::host
