// The sample question bank's source text, embedded when the program is built: the build turns
// data/sample_bank.tsv into the definition below. Only the sample bank's reader uses it.
#ifndef TARQUEL_DATAFILES_SAMPLE_BANK_TEXT_H_
#define TARQUEL_DATAFILES_SAMPLE_BANK_TEXT_H_

#include <string>

namespace tarquel::datafiles {

// The whole text as the file held it when the program was built (UTF-8).
std::string SampleBankText();

}  // namespace tarquel::datafiles

#endif  // TARQUEL_DATAFILES_SAMPLE_BANK_TEXT_H_
