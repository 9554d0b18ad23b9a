// Form1 is the kanji grade search dialog (漢字の学年検索). When it opens it reads the text of the
// selected cells of the active sheet and shows at which stage of schooling its kanji are taught
// (the classification view); a button switches to the kanji of each stage that the text lacks
// (the missing-kanji view) and another back. It writes nothing to the workbook. Only the kanji
// grade command (ShowForm1) creates and shows it.
//
// A front end presents it as a fixed-size dialog box centred on the screen, without minimise
// and maximise buttons or a taskbar entry; the geometry below is its client area. Text1 has a
// vertical scroll bar and the button-face background.
//
// Whatever the dialog holds lives only while it is open: every opening starts from empty
// arrays, and closing it either way discards them.
#ifndef TARQUEL_KANJIGRADE_FORM1_H_
#define TARQUEL_KANJIGRADE_FORM1_H_

#include "host/forms/controls.h"
#include "host/forms/form.h"
#include "kanjigrade/kanji_report.h"

namespace tarquel::model {
struct Body;
}

namespace tarquel::kanjigrade {

class Form1 : public host::Form {
 public:
  // The caption names the view shown.
  static constexpr char kClassificationCaption[] = "小学校で習う漢字リスト【出題している漢字一覧】";
  static constexpr char kMissingCaption[] = "小学校で習う漢字リスト【出題していない漢字一覧】";
  // Text1's font, for front ends.
  static constexpr char kText1FontName[] = "ＭＳ ゴシック";
  static constexpr double kText1FontSize = 11.25;

  // `body` must outlive the dialog. REQUIRES: start-up has run (HostApp).
  explicit Form1(model::Body& body);

  host::TextBox Text1{*this, "Text1"};              // the result text, multi-line
  host::CommandButton CD1{*this, "CD1"};            // to the missing-kanji view
  host::CommandButton CD2{*this, "CD2"};            // back to the classification view
  host::CommandButton Command1{*this, "Command1"};  // 閉じる

  // The arrays of the view shown; all empty while the dialog is not loaded.
  const GroupArrays& arrays() const { return arrays_; }

 protected:
  void OnLoad() override { Form_Load(); }
  void OnActivate() override { Form_Activate(); }
  void OnUnload() override { Form_Unload(); }

 private:
  void Design();

  // Starts from empty arrays and classifies the selection before the dialog is shown.
  void Form_Load();
  // Closes the dialog at once when the selection could not be read.
  void Form_Activate();
  // Either way of closing discards the arrays.
  void Form_Unload();

  // The classification view of the selection's text; for a selection of several areas only
  // the refusal, and the dialog closes when it becomes active.
  void Kanji_Shiwake();
  void CD1_Click();
  void CD2_Click();
  void Command1_Click();

  model::Body& body_;
  GroupArrays arrays_;
  bool close_on_activate_ = false;  // CloseOnActivate
};

}  // namespace tarquel::kanjigrade

#endif  // TARQUEL_KANJIGRADE_FORM1_H_
