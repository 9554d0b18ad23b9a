// The sample workbook: a new workbook whose one sheet is a question bank filled with the
// sample questions (sample_bank.h), laid out as a blank bank is (column widths, alignments,
// every row 26 points high) and with the word to be written underlined in each sentence, so
// that a new user can make a test at once. Front ends build it when the data folder has none
// and save it there; the data file dialog then offers it.
#ifndef TARQUEL_DATAFILES_SAMPLE_WORKBOOK_H_
#define TARQUEL_DATAFILES_SAMPLE_WORKBOOK_H_

#include <vector>

#include "datafiles/sample_bank.h"

namespace tarquel::host {
class Application;
class Workbook;
}  // namespace tarquel::host

namespace tarquel::datafiles {

// The font of the sentence and answer columns; the test sheet takes its fonts from them.
inline constexpr char kSampleFontName[] = "ＭＳ 明朝";
inline constexpr double kSampleFontSize = 12;
// The height of every row of the bank, in points.
inline constexpr double kSampleRowHeight = 26;

// Adds a workbook to `app` (it becomes the active one) and fills its sheet with `questions`
// from row 1 down, renaming the sheet to the bank's base name. The workbook is left unsaved and
// belongs to `app`. REQUIRES: the questions are as ParseSampleBank returns them.
host::Workbook& BuildSampleWorkbook(host::Application& app,
                                    const std::vector<SampleQuestion>& questions);

// The same with the questions of the embedded sample text. When the text does not parse, the
// host's run-time error is thrown before any workbook is added.
host::Workbook& BuildSampleWorkbook(host::Application& app);

}  // namespace tarquel::datafiles

#endif  // TARQUEL_DATAFILES_SAMPLE_WORKBOOK_H_
