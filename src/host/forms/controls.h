// The controls of the add-in's dialogs, independent of any window system: text boxes, check
// boxes, toggle buttons, command buttons, labels, images and multi-pages, with the properties
// and events the dialogs rely on. A control belongs to one Form: it is declared as a member of
// a class deriving from Form and registers itself with that form when constructed. Dialog code
// sets properties and handles events; front ends bind their widgets to the controls and re-read
// them after each user action they forward; tests act on them through the Form's user actions
// (Form::Type, Form::Press, ...), which apply the focus rules.
//
// Events are plain callbacks. A value change raises the control's events synchronously, inside
// the call that changed it, and only when the value really changes; a handler may change other
// controls (or the same one) and so raise their events in turn.
//
// Controls are neither copyable nor movable: handlers capture the form's `this` and refer to
// controls by address. Not thread-safe; everything runs on the thread of the command.
#ifndef TARQUEL_HOST_FORMS_CONTROLS_H_
#define TARQUEL_HOST_FORMS_CONTROLS_H_

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace tarquel::host {

class Form;
class MultiPage;

// Position and size in twips, relative to the control's container.
struct Geometry {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  bool operator==(const Geometry&) const = default;
};

enum class ControlKind {
  kTextBox,
  kCheckBox,
  kToggleButton,
  kCommandButton,
  kLabel,
  kImage,
  kMultiPage,
};

// The properties every control has. Setters raise no events.
//
// Design state: whatever a control holds when its form is first loaded is its design state;
// every later fresh load of the form restores it before the form's OnLoad runs (see Form).
class Control {
 public:
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control();

  virtual ControlKind kind() const = 0;

  // The form the control belongs to; it outlives the control.
  Form& form() const { return form_; }
  const std::string& name() const { return name_; }

  bool enabled() const { return common_.enabled; }
  void set_enabled(bool enabled) { common_.enabled = enabled; }
  bool visible() const { return common_.visible; }
  void set_visible(bool visible) { common_.visible = visible; }
  const Geometry& geometry() const { return common_.geometry; }
  void set_geometry(const Geometry& geometry) { common_.geometry = geometry; }
  // Position in the form's tab order; lower comes first, ties go by declaration order. Defaults
  // to the number of controls declared before this one.
  int tab_index() const { return common_.tab_index; }
  void set_tab_index(int tab_index) { common_.tab_index = tab_index; }
  const std::string& tooltip() const { return common_.tooltip; }
  void set_tooltip(std::string tooltip) { common_.tooltip = std::move(tooltip); }

  // The multi-page and page the control sits on, or nullptr and -1 when it sits on the form
  // itself. A control on a page can be reached by the user only while that page is current.
  MultiPage* container() const { return container_; }
  int container_page() const { return container_page_; }
  // Puts the control on page `page` of `multi_page`. Throws HostError (invalid call) when the
  // page does not exist, when `multi_page` belongs to another form or is this control itself.
  void PlaceOn(MultiPage& multi_page, int page);

 protected:
  // Registers the control with `form` under `name`. Throws HostError (invalid call) when the
  // form already has a control of that name.
  Control(Form& form, std::string name);

  // Copy the current properties to the design state and back. Overriders call the base.
  virtual void CaptureDesign();
  virtual void RestoreDesign();

 private:
  friend class Form;

  struct Properties {
    bool enabled = true;
    bool visible = true;
    Geometry geometry;
    int tab_index = 0;
    std::string tooltip;
  };

  Form& form_;
  const std::string name_;
  Properties common_;
  Properties common_design_;
  MultiPage* container_ = nullptr;
  int container_page_ = -1;
};

// A text box. Its value is UTF-8 text. The user cannot edit a locked text box but can put the
// focus in it.
class TextBox : public Control {
 public:
  TextBox(Form& form, std::string name) : Control(form, std::move(name)) {}

  ControlKind kind() const override { return ControlKind::kTextBox; }

  const std::string& value() const { return props_.value; }
  // Sets the value; raises on_change when it differs from the old one. A whole value set at once
  // raises one change, where the host raises one per keystroke.
  void SetValue(std::string value);

  bool multi_line() const { return props_.multi_line; }
  void set_multi_line(bool multi_line) { props_.multi_line = multi_line; }
  bool locked() const { return props_.locked; }
  void set_locked(bool locked) { props_.locked = locked; }

  // Raised after the value really changed.
  std::function<void()> on_change;
  // Raised when the focus arrives in the box.
  std::function<void()> on_enter;
  // Raised when the focus is about to leave the box; setting `cancel` keeps the focus here and
  // stops whatever moved it.
  std::function<void(bool& cancel)> on_exit;

 protected:
  void CaptureDesign() override;
  void RestoreDesign() override;

 private:
  struct Properties {
    std::string value;
    bool multi_line = false;
    bool locked = false;
  };
  Properties props_;
  Properties design_;
};

// What check boxes and toggle buttons share: a caption and a Boolean value.
class BooleanControl : public Control {
 public:
  const std::string& caption() const { return props_.caption; }
  void set_caption(std::string caption) { props_.caption = std::move(caption); }

  bool value() const { return props_.value; }
  // Sets the value; when it differs from the old one raises on_change, then on_click (the host
  // raises Click for a change made by code too).
  void SetValue(bool value);

  // The user clicking: toggles the value (and so raises the events) when the control is
  // enabled and visible. Returns whether it did.
  bool Click();

  std::function<void()> on_change;
  std::function<void()> on_click;

 protected:
  using Control::Control;
  void CaptureDesign() override;
  void RestoreDesign() override;

 private:
  struct Properties {
    std::string caption;
    bool value = false;
  };
  Properties props_;
  Properties design_;
};

class CheckBox : public BooleanControl {
 public:
  CheckBox(Form& form, std::string name) : BooleanControl(form, std::move(name)) {}
  ControlKind kind() const override { return ControlKind::kCheckBox; }
};

class ToggleButton : public BooleanControl {
 public:
  ToggleButton(Form& form, std::string name) : BooleanControl(form, std::move(name)) {}
  ControlKind kind() const override { return ControlKind::kToggleButton; }
};

class CommandButton : public Control {
 public:
  CommandButton(Form& form, std::string name) : Control(form, std::move(name)) {}

  ControlKind kind() const override { return ControlKind::kCommandButton; }

  const std::string& caption() const { return caption_; }
  void set_caption(std::string caption) { caption_ = std::move(caption); }

  // The user clicking: raises on_click unless the button is disabled or invisible. Returns
  // whether it did.
  bool Click();

  std::function<void()> on_click;

 protected:
  void CaptureDesign() override;
  void RestoreDesign() override;

 private:
  std::string caption_;
  std::string design_caption_;
};

class Label : public Control {
 public:
  Label(Form& form, std::string name) : Control(form, std::move(name)) {}

  ControlKind kind() const override { return ControlKind::kLabel; }

  const std::string& caption() const { return caption_; }
  void set_caption(std::string caption) { caption_ = std::move(caption); }

 protected:
  void CaptureDesign() override;
  void RestoreDesign() override;

 private:
  std::string caption_;
  std::string design_caption_;
};

class Image : public Control {
 public:
  Image(Form& form, std::string name) : Control(form, std::move(name)) {}

  ControlKind kind() const override { return ControlKind::kImage; }

  // The name of the picture resource shown; empty for none.
  const std::string& picture() const { return picture_; }
  void set_picture(std::string picture) { picture_ = std::move(picture); }

 protected:
  void CaptureDesign() override;
  void RestoreDesign() override;

 private:
  std::string picture_;
  std::string design_picture_;
};

// A set of pages with tabs, one of them current. Controls are put on a page with
// Control::PlaceOn.
class MultiPage : public Control {
 public:
  struct Page {
    std::string caption;
    bool enabled = true;
    bool visible = true;
  };

  MultiPage(Form& form, std::string name) : Control(form, std::move(name)) {}

  ControlKind kind() const override { return ControlKind::kMultiPage; }

  // Appends a page and returns its index. The first page added becomes current without raising
  // on_change.
  int AddPage(std::string caption);
  int page_count() const { return static_cast<int>(props_.pages.size()); }
  // Page `index`. Throws HostError (invalid call) when there is no such page.
  const Page& page(int index) const;
  Page& page(int index);

  // The index of the current page; -1 while there are no pages.
  int value() const { return props_.value; }
  // Makes page `index` current (a disabled page too, as code may); raises on_change when it
  // differs from the current one. Throws HostError (invalid call), changing nothing, when there
  // is no such page.
  void SetValue(int index);

  std::function<void()> on_change;

 protected:
  void CaptureDesign() override;
  void RestoreDesign() override;

 private:
  struct Properties {
    std::vector<Page> pages;
    int value = -1;
  };
  Properties props_;
  Properties design_;
};

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_FORMS_CONTROLS_H_
