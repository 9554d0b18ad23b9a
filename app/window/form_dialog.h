// FormDialog presents one of the add-in's dialogs (a host::Form) as a real dialog: a widget for
// each control at its position and size (twips to pixels at the screen's resolution), with its
// caption, tool tip, enabled and visible state, on the pages of its multi-page. Whatever the
// user does goes through the form's own user actions (Form::MoveFocus, Press, Toggle, Tab,
// SelectPage) or the control's value, so the dialog's events run exactly as in tests: a box
// whose exit is refused keeps the focus. After each action the widgets are read back from the
// controls, and the dialog closes once the form is no longer shown.
#ifndef TARQUEL_APP_WINDOW_FORM_DIALOG_H_
#define TARQUEL_APP_WINDOW_FORM_DIALOG_H_

#include <QDialog>
#include <exception>
#include <functional>
#include <map>
#include <vector>

#include "host/forms/controls.h"
#include "host/forms/form.h"

class QLabel;
class QTabWidget;

namespace tarquel::window {

// Pixels for `twips` at `dpi` dots per inch (1440 twips an inch).
int TwipsToPixels(int twips, double dpi);

class FormDialog : public QDialog {
  Q_OBJECT

 public:
  // `after_action` runs after each action of the user (the window shows what a command changed
  // in the workbook meanwhile).
  FormDialog(host::Form& form, QWidget* parent, std::function<void()> after_action = {});

  host::Form& form() const { return form_; }
  // The widget that stands for `control`, or nullptr.
  QWidget* WidgetFor(const host::Control& control) const;
  // Reads every widget back from its control; closes the dialog when the form is not shown.
  void Refresh();
  // The run-time error a handler threw, which ended the dialog; null when none.
  std::exception_ptr error() const { return error_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void Build();
  // Text boxes that have a tool tip but no label beside them get their tip as a caption.
  void AddCaptionsForUnlabelledBoxes();
  QWidget* ParentFor(const host::Control& control);
  // Runs one user action, then refreshes.
  void Act(const std::function<void()>& action);
  // The focus of the form shown by Qt as well.
  void ShowFormFocus();
  // The controls that take the focus, in tab order.
  std::vector<host::Control*> TabOrder() const;
  void TabBackwards();

  host::Form& form_;
  std::function<void()> after_action_;
  double dpi_ = 96;
  std::map<const host::Control*, QWidget*> widgets_;
  std::map<QWidget*, host::Control*> controls_;
  std::map<const host::MultiPage*, QTabWidget*> tabs_;
  std::map<const host::Control*, QLabel*> captions_;
  bool acting_ = false;
  bool syncing_focus_ = false;
  std::exception_ptr error_;
};

}  // namespace tarquel::window

#endif  // TARQUEL_APP_WINDOW_FORM_DIALOG_H_
