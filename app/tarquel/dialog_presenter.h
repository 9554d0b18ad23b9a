// Presenting the add-in's dialogs at a terminal. A command that knows what the user wants
// answers a dialog with a script: the user's actions in order (type into a box, tick a check
// box, press a button), each through the form's own user actions so that a box is checked when
// it is left, exactly as by hand. With no script and a person at the terminal, the dialog is
// drawn as text and the person acts on it line by line.
#ifndef TARQUEL_APP_TARQUEL_DIALOG_PRESENTER_H_
#define TARQUEL_APP_TARQUEL_DIALOG_PRESENTER_H_

#include <concepts>
#include <functional>
#include <string>
#include <vector>

#include "host/forms/controls.h"
#include "host/forms/form.h"
#include "tarquel/terminal.h"

namespace tarquel::cli {

// One action on a shown form. Returns false when the form refused it (a box that would not be
// left, a control the user cannot reach), which ends the script.
using DialogStep = std::function<bool(host::Form&)>;
using DialogScript = std::vector<DialogStep>;

// The user's actions name a control by its member of the dialog's class, so that a misspelt
// control does not compile: TypeInto(&testgen::UserForm1::T1, "3"). A step given a form of
// another class is refused.

// The user typing `text` into the text box `box`.
template <typename F>
DialogStep TypeInto(host::TextBox F::*box, std::string text) {
  return [box, text = std::move(text)](host::Form& form) {
    auto* dialog = dynamic_cast<F*>(&form);
    return dialog != nullptr && form.Type(dialog->*box, text);
  };
}

// The user pressing the command button `button`.
template <typename F>
DialogStep Press(host::CommandButton F::*button) {
  return [button](host::Form& form) {
    auto* dialog = dynamic_cast<F*>(&form);
    return dialog != nullptr && form.Press(dialog->*button);
  };
}

// The user clicking the check box or toggle button `box` when it is not `on` already.
bool SetTickedOn(host::Form& form, host::BooleanControl& box, bool on);
template <typename F, std::derived_from<host::BooleanControl> B>
DialogStep SetTicked(B F::*box, bool on) {
  return [box, on](host::Form& form) {
    auto* dialog = dynamic_cast<F*>(&form);
    return dialog != nullptr && SetTickedOn(form, dialog->*box, on);
  };
}

// Something the command does between actions (prints what the dialog shows, say).
DialogStep Inspect(std::function<void(host::Form&)> look);

// Runs the steps in order while the form is shown. Returns false when a step was refused.
bool RunScript(host::Form& form, const DialogScript& script);

// The form as text: its caption, then the controls the user can see in lines as the dialog
// lays them out, each label's words beside the boxes they name. The controls a person acts on
// are numbered in reading order ("1)[15]", "3)<作成>"); a text box without a label shows its tool
// tip before it.
std::string DrawForm(const host::Form& form);

// Lets the person at `terminal` act on the form until it closes, or the input ends (which
// closes it as its close box would). `after_action`, when set, runs after each action.
void PresentInteractively(host::Form& form, const Terminal& terminal,
                          const std::function<void(host::Form&)>& after_action = {});

}  // namespace tarquel::cli

#endif  // TARQUEL_APP_TARQUEL_DIALOG_PRESENTER_H_
