// Showing the data file dialog: created on first use and kept in the module state, as start-up
// and the data file command share it.
#ifndef TARQUEL_DATAFILES_SHOW_FILE_SENTAKU_H_
#define TARQUEL_DATAFILES_SHOW_FILE_SENTAKU_H_

namespace tarquel::model {
struct Body;
}

namespace tarquel::datafiles {

// Shows FILE_Sentaku modally and returns when it has closed, having opened a workbook or built
// the blank bank. REQUIRES: start-up has run.
void ShowFileSentaku(model::Body& body);

}  // namespace tarquel::datafiles

#endif  // TARQUEL_DATAFILES_SHOW_FILE_SENTAKU_H_
