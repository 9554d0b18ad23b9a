// The paper command (用紙調整): opens the paper adjustment dialog. The add-in's command surface
// calls it; it returns once the dialog has closed.
#ifndef TARQUEL_PAPER_SET_PAPER_H_
#define TARQUEL_PAPER_SET_PAPER_H_

namespace tarquel::model {
struct Body;
}

namespace tarquel::paper {

// Creates body.print_form as a PrintForm on first use and shows it modally. The dialog itself
// refuses, with a message, when the workbook has no test sheet or the active sheet is none.
// REQUIRES: body's start-up has run (HostApp) and a workbook is open.
void SetPaper(model::Body& body);

}  // namespace tarquel::paper

#endif  // TARQUEL_PAPER_SET_PAPER_H_
