// The question bank's columns as a new bank has them: widths for what each column holds, every
// column centred vertically, the narrow mark and count columns also horizontally. The blank
// bank and the sample bank are laid out alike.
#ifndef TARQUEL_DATAFILES_BANK_COLUMNS_H_
#define TARQUEL_DATAFILES_BANK_COLUMNS_H_

namespace tarquel::host {
class Worksheet;
}

namespace tarquel::datafiles {

// Selects each group of columns of `sheet` in turn, A:C, D, E, F:O, P, Q, R, and sets its width
// and alignments. The sheet must be the active one (selecting needs it).
void LayOutBankColumns(host::Worksheet& sheet);

}  // namespace tarquel::datafiles

#endif  // TARQUEL_DATAFILES_BANK_COLUMNS_H_
