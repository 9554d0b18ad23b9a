// The kanji grade command: opens the kanji grade search dialog. The add-in's command surface
// calls it; it returns once the dialog has closed.
#ifndef TARQUEL_KANJIGRADE_SHOW_FORM1_H_
#define TARQUEL_KANJIGRADE_SHOW_FORM1_H_

namespace tarquel::model {
struct Body;
}

namespace tarquel::kanjigrade {

// Creates body.form1 as a Form1 on first use and shows it modally; there is no precondition of
// its own. REQUIRES: body's start-up has run (HostApp) and a workbook is open.
void ShowForm1(model::Body& body);

}  // namespace tarquel::kanjigrade

#endif  // TARQUEL_KANJIGRADE_SHOW_FORM1_H_
