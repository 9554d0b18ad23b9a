// Form is the base of the add-in's dialogs. A dialog derives from it, declares its controls as
// public members (each constructed with the form, so it registers itself), wires their events
// to handlers named after the host's events (CommandButton1_Click, T1_Exit, ...) and overrides
// OnLoad, OnActivate and OnUnload for UserForm_Initialize, UserForm_Activate and the unload
// events.
//
// The lifecycle follows the host's forms. Show loads the form when it is not loaded, shows it,
// activates it, then hands it to Ui::ShowModal, which returns once it is hidden or unloaded.
// Unload discards the form's state: the next Show loads it afresh from its design state. Hide
// keeps it.
//
// The user's actions (Type, Press, Toggle, SelectPage, Tab, MoveFocus) are here rather than on
// the controls because the focus rules join them: leaving a text box raises its exit event,
// and a cancelled exit keeps the focus there and stops the action. Front ends forward what the
// user does through these; tests perform them directly. None of them acts on a form that is
// not shown or on a control the user cannot reach (disabled, invisible, on a page that is not
// current or not enabled).
//
// Exceptions from handlers pass through unchanged and leave the form as it was at the throw.
// Not thread-safe.
#ifndef TARQUEL_HOST_FORMS_FORM_H_
#define TARQUEL_HOST_FORMS_FORM_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/forms/controls.h"
#include "host/ui.h"

namespace tarquel::host {

// Whether a control takes the focus: text boxes, check boxes, toggle buttons and command buttons,
// what a person acts on. Labels, images and page frames do not.
bool TakesFocus(const Control& control);

class Form {
 public:
  // `ui` must outlive the form.
  explicit Form(Ui& ui);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  virtual ~Form();

  Ui& ui() const { return ui_; }

  // Caption and geometry are design state like the controls' properties (see Load).
  const std::string& caption() const { return caption_; }
  void set_caption(std::string caption) { caption_ = std::move(caption); }
  const Geometry& geometry() const { return geometry_; }
  void set_geometry(const Geometry& geometry) { geometry_ = geometry; }

  // The controls in declaration order.
  const std::vector<Control*>& controls() const { return controls_; }
  // The control named `name`, or nullptr.
  Control* FindControl(std::string_view name) const;

  // Loads the form when it is not loaded: the first load takes the form's and controls'
  // current properties as their design state, every later one restores that state; then
  // OnLoad runs. No control has the focus after a load. Code that sets controls before
  // showing a form calls Load first, as the host loads a form on first reference.
  void Load();

  // Shows the form modally: Load, mark shown, OnActivate; then, unless activation hid or
  // unloaded it, give the focus to the first control in tab order that can take it (without
  // raising its enter event) when OnActivate placed none, and call ui().ShowModal(*this). A form
  // still shown when ShowModal returns is unloaded, as its close box would. An exception out of
  // activation or the modal loop (a run-time error in a handler) unloads the form and passes
  // on. Throws HostError (400) when the form is already shown.
  void Show();

  // Hides the form; it stays loaded and keeps its state and focus. Nothing when not shown.
  void Hide();

  // Runs OnUnload and marks the form neither shown nor loaded. Nothing when not loaded or when
  // already unloading (an OnUnload that calls Unload).
  void Unload();

  bool loaded() const { return loaded_; }
  bool shown() const { return shown_; }

  // The control with the focus, or nullptr.
  Control* focused() const { return focused_; }

  // True when the form is shown and `control` is a text box, check box, toggle button or
  // command button the user can reach.
  bool CanFocus(const Control& control) const;

  // Moves the focus to `to`, as the user clicking into it or code setting the focus. When a text
  // box has the focus its on_exit runs first; if it cancels, or it hid the form, the focus
  // stays and this returns false. Landing on a text box raises its on_enter. Returns true when
  // the focus is on `to` afterwards, false (and does nothing) when `to` cannot take the focus.
  // A call made from inside an on_exit handler is ignored and returns false. Throws HostError
  // (invalid call) when `to` belongs to another form.
  bool MoveFocus(Control& to);

  // Moves the focus to the next control in tab order that can take it, wrapping round; to the
  // first one when nothing has the focus. Returns MoveFocus's answer, or false when no control
  // can take the focus; true, raising nothing, when the focused control is the only one.
  bool Tab();

  // The user typing `text` into `box`, replacing its value: MoveFocus to it, then, unless the
  // box is locked, SetValue. Returns false when the focus move was refused or the box is locked.
  bool Type(TextBox& box, std::string text);

  // The user pressing `button`: MoveFocus to it, then Click. So a text box whose exit is
  // cancelled keeps the focus and the click does not happen. Returns whether the click did.
  bool Press(CommandButton& button);

  // The user clicking a check box or toggle button: MoveFocus to it, then Click.
  bool Toggle(BooleanControl& control);

  // The user clicking the tab of page `page`: makes it current when the multi-page can be
  // reached and the page is enabled and visible. The focus does not move. Throws HostError
  // (invalid call) when there is no such page.
  bool SelectPage(MultiPage& multi_page, int page);

 protected:
  // UserForm_Initialize: runs on every fresh load, after the design state is in place.
  virtual void OnLoad() {}
  // UserForm_Activate: runs on every Show, after the form is marked shown. It may set the
  // focus, hide or unload the form.
  virtual void OnActivate() {}
  // The unload events: run while the form is still loaded and as shown as it was.
  virtual void OnUnload() {}

 private:
  friend class Control;

  void Register(Control& control);
  void Unregister(Control& control);
  // Enabled, visible and, for a control on a page, on the current, enabled and visible page of
  // a reachable multi-page. Says nothing about whether the form is shown.
  bool Reachable(const Control& control) const;
  // The controls that take the focus, in tab order.
  std::vector<Control*> TabOrder() const;

  Ui& ui_;
  std::string caption_;
  Geometry geometry_;
  std::string design_caption_;
  Geometry design_geometry_;
  std::vector<Control*> controls_;
  Control* focused_ = nullptr;
  bool design_captured_ = false;
  bool loaded_ = false;
  bool shown_ = false;
  bool unloading_ = false;
  bool exiting_ = false;
};

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_FORMS_FORM_H_
