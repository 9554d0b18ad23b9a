// The question bank sheet: one question per row from row 1 without a header, the questions
// ending at the first row whose column D is empty. A sheet is a bank sheet when the first 10
// characters of its name are the base name; a workbook is expected to hold exactly one.
#ifndef TARQUEL_MODEL_BANK_SHEET_H_
#define TARQUEL_MODEL_BANK_SHEET_H_

#include <string>
#include <string_view>

namespace tarquel::host {
class Application;
class Sheets;
}  // namespace tarquel::host

namespace tarquel::model {

inline constexpr char kBankSheetBaseName[] = "ミラヴォ 同音・同訓";
// The number of characters of a sheet name that decide whether it is a bank sheet (the
// length of the base name, counted as the host counts).
inline constexpr std::size_t kBankSheetPrefixLength = 10;

// Columns of the bank, 1-based.
enum BankColumn : int {
  kSourceMemo = 1,    // A: where the question comes from (user's memo)
  kSecondMemo = 2,    // B: the same
  kGroupMark = 3,     // C: consecutive rows with the same mark form one group
  kQuestion = 4,      // D: the sentence, with its character formatting
  kAnswer = 5,        // E: the kanji to be written
  kFirstAttempt = 6,  // F: marks of attempt 1 ...
  kLastAttempt = 15,  // O: ... attempt 10
  kRemarks = 16,      // P
  kTimesSet = 17,     // Q: how often the question has been set
  kMustAppear = 18,   // R: "必出"
};

inline constexpr char kWrongMark[] = "X";
inline constexpr char kMustAppearMark[] = "必出";

// True for a wrong-answer mark of an attempt column: "X" or "Ｘ" in either letter case; the
// whole cell text counts, so a mark with a trailing space is none.
bool IsWrongMark(std::string_view text);

// True when the first 10 characters of `sheet_name` are the base name.
bool IsBankSheetName(std::string_view sheet_name);

// True when `sheets` has a sheet named exactly `name`; walks them from 1 to their count.
bool SheetExists(const host::Sheets& sheets, std::string_view name);

// The name of the active workbook's one bank sheet. When there is none, or more than one, tells
// the user why through the host's message box and returns "".
std::string LocateBankSheet(host::Application& app);

}  // namespace tarquel::model

#endif  // TARQUEL_MODEL_BANK_SHEET_H_
