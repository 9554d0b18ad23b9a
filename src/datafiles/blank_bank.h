// The blank question bank: a new workbook whose active sheet is an empty bank, named with the
// bank's base name, its columns sized and aligned for what each bank column holds, every row
// 26 points high, and a note on each cell of row 1 from A to R that tells the user what goes
// into that column. Row 1 stays the first question row: the notes are comments, not values.
// Only the data file dialog builds it, when it closes without having opened a workbook.
#ifndef TARQUEL_DATAFILES_BLANK_BANK_H_
#define TARQUEL_DATAFILES_BLANK_BANK_H_

namespace tarquel::host {
class Application;
}

namespace tarquel::datafiles {

// The height of every row of the blank bank, in points.
inline constexpr double kBlankBankRowHeight = 26;

// Builds the blank bank in `app`: turns screen updating off (it stays off), adds a workbook,
// which becomes the active one, and builds the bank on its active sheet; the other sheets of
// the new workbook stay as they are. The workbook is left unsaved. Host errors pass through
// unchanged and leave what was built so far.
void BuildBlankBank(host::Application& app);

}  // namespace tarquel::datafiles

#endif  // TARQUEL_DATAFILES_BLANK_BANK_H_
