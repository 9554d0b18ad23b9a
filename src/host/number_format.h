// Number formats of the host: the text a cell shows for its value under its number format code
// (its `Text`), the localised names of format codes, and the reading of typed text as a number.
// Format codes use the workbook file syntax: up to four sections separated by ';' (positive;
// negative; zero; text), each made of digit placeholders, literals, date and time fields and
// bracketed conditions, colours and locale tags ("0.00;[Red]-0.00", "#,##0", "yyyy/m/d", "@").
// These are pure functions without state: any part of the host may call them, from any thread.
// A format code the host cannot read never fails: the value is shown as General instead.
#ifndef TARQUEL_HOST_NUMBER_FORMAT_H_
#define TARQUEL_HOST_NUMBER_FORMAT_H_

#include <optional>
#include <string>
#include <string_view>

namespace tarquel::host {

// Displayed text of a number under `format_code`.
// General (see IsGeneralFormat) shows integers of at most 11 digits in plain decimal and
// anything else in at most 11 characters, not counting a leading '-', rounded, without trailing
// zeros or a trailing decimal point, in scientific notation when the plain form would keep fewer
// significant digits (0.1+0.2 -> "0.3", 1/3 -> "0.333333333", 123456789012 -> "1.23457E+11",
// 1e-10 -> "1E-10").
// Other codes pick the section for the value (one section: all values, negatives with a leading
// '-'; two: non-negatives, negatives without sign; three: positives, negatives, zero; bracketed
// conditions override that) and lay the number out in it. Rounding is half away from zero on the
// value's 15 significant digits. A value shown under a date section must lie between 0 and the
// serial of 9999-12-31; otherwise, and for a section containing '@', a malformed code or a
// value that no section takes, the number is shown as General. A NaN or infinity shows "#NUM!".
std::string FormatNumber(double value, std::string_view format_code);

// Displayed text of a text value: `text` itself, unless the code has a text section (the fourth
// section, or a single section containing '@'); then that section's literals are shown with each
// '@' replaced by `text` ("@" -> text, "\"x\"@" -> "x" + text). A malformed code, or a text section
// with number or date fields, shows `text` itself. `text` is UTF-8 and copied unchanged.
std::string FormatText(std::string_view text, std::string_view format_code);

// "TRUE" or "FALSE": the host shows Booleans so under every number format.
std::string FormatBoolean(bool value);

// True for the empty code, for "General" in any letter case, and for the localised "G/標準".
bool IsGeneralFormat(std::string_view format_code);

// The format code as a Japanese user of the host sees and types it: "General" (any case) is
// "G/標準"; every other code reads the same in both forms. FromLocalFormat is the inverse and
// returns "General" for "G/標準".
std::string ToLocalFormat(std::string_view format_code);
std::string FromLocalFormat(std::string_view local_code);

// Reads UTF-8 `text` as a number the way the host does when text is entered into a cell whose
// format is not "@": optional surrounding spaces (ASCII or U+3000), an optional sign, digits with
// optional ',' between 3-digit groups, an optional '.' and fraction, an optional exponent
// ("1E3", "1e-3") and an optional trailing '%' that divides by 100. Full-width digits, signs,
// point, comma, percent and E (U+FF10..U+FF19 and so on) count as their ASCII forms.
// Returns nullopt for anything else: empty text, "1.2.3", "12abc", "inf", "nan", "0x1A", and
// numbers too large for a double. A negative zero reads as 0.
std::optional<double> ParseNumericText(std::string_view text);

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_NUMBER_FORMAT_H_
