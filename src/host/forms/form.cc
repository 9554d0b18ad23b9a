#include "host/forms/form.h"

#include <algorithm>

#include "host/host_error.h"

namespace tarquel::host {

bool TakesFocus(const Control& control) {
  switch (control.kind()) {
    case ControlKind::kTextBox:
    case ControlKind::kCheckBox:
    case ControlKind::kToggleButton:
    case ControlKind::kCommandButton:
      return true;
    case ControlKind::kLabel:
    case ControlKind::kImage:
    case ControlKind::kMultiPage:
      return false;
  }
  return false;
}

namespace {

// Resets a flag however the scope is left, so a throwing handler does not leave the form
// believing it is still inside that handler.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;
  ~FlagScope() { flag_ = false; }

 private:
  bool& flag_;
};

}  // namespace

Form::Form(Ui& ui) : ui_(ui) {}

Form::~Form() = default;

Control* Form::FindControl(std::string_view name) const {
  for (Control* control : controls_) {
    if (control->name() == name) return control;
  }
  return nullptr;
}

void Form::Register(Control& control) {
  if (FindControl(control.name()) != nullptr) {
    ThrowInvalidCall("the form already has a control named " + control.name());
  }
  controls_.push_back(&control);
}

void Form::Unregister(Control& control) {
  std::erase(controls_, &control);
  if (focused_ == &control) focused_ = nullptr;
}

void Form::Load() {
  if (loaded_) return;
  if (!design_captured_) {
    design_caption_ = caption_;
    design_geometry_ = geometry_;
    for (Control* control : controls_) control->CaptureDesign();
    design_captured_ = true;
  } else {
    caption_ = design_caption_;
    geometry_ = design_geometry_;
    for (Control* control : controls_) control->RestoreDesign();
  }
  focused_ = nullptr;
  loaded_ = true;
  OnLoad();
}

void Form::Show() {
  if (shown_) {
    throw HostError(400,
                    "フォームは既に表示されています。モーダル表示はできません。\r\n" + caption_);
  }
  Load();
  shown_ = true;
  try {
    OnActivate();
    if (!shown_) return;
    // The host gives the first control of the tab order the focus without raising its Enter.
    if (focused_ == nullptr) {
      for (Control* control : TabOrder()) {
        if (CanFocus(*control)) {
          focused_ = control;
          break;
        }
      }
    }
    ui_.ShowModal(*this);
  } catch (...) {
    // A run-time error ends the command and, with it, the dialog it showed; a form left shown
    // would refuse every later Show.
    Unload();
    throw;
  }
  if (shown_) Unload();
}

void Form::Hide() { shown_ = false; }

void Form::Unload() {
  if (!loaded_ || unloading_) return;
  {
    FlagScope scope(unloading_);
    OnUnload();
  }
  focused_ = nullptr;
  shown_ = false;
  loaded_ = false;
}

bool Form::Reachable(const Control& control) const {
  for (const Control* c = &control; c != nullptr; c = c->container()) {
    if (!c->enabled() || !c->visible()) return false;
    const MultiPage* multi_page = c->container();
    if (multi_page == nullptr) break;
    if (multi_page->value() != c->container_page()) return false;
    const MultiPage::Page& page = multi_page->page(c->container_page());
    if (!page.enabled || !page.visible) return false;
  }
  return true;
}

bool Form::CanFocus(const Control& control) const {
  return shown_ && &control.form() == this && TakesFocus(control) && Reachable(control);
}

std::vector<Control*> Form::TabOrder() const {
  std::vector<Control*> order;
  for (Control* control : controls_) {
    if (TakesFocus(*control)) order.push_back(control);
  }
  std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
    return a->tab_index() < b->tab_index();
  });
  return order;
}

bool Form::MoveFocus(Control& to) {
  if (&to.form() != this) {
    ThrowInvalidCall(to.name() + " is not a control of " + caption_);
  }
  if (exiting_ || !CanFocus(to)) return false;
  if (focused_ == &to) return true;
  if (focused_ != nullptr && focused_->kind() == ControlKind::kTextBox) {
    auto& box = static_cast<TextBox&>(*focused_);
    if (box.on_exit) {
      bool cancel = false;
      {
        FlagScope scope(exiting_);
        box.on_exit(cancel);
      }
      // The handler may also have closed the form or disabled the target.
      if (cancel || !CanFocus(to)) return false;
    }
  }
  focused_ = &to;
  if (to.kind() == ControlKind::kTextBox) {
    auto& box = static_cast<TextBox&>(to);
    if (box.on_enter) box.on_enter();
  }
  return true;
}

bool Form::Tab() {
  std::vector<Control*> order = TabOrder();
  auto current = std::find(order.begin(), order.end(), focused_);
  // Start just after the focused control (or at the start) and go once round.
  std::size_t start = current == order.end() ? 0 : (current - order.begin()) + 1;
  for (std::size_t i = 0; i < order.size(); ++i) {
    Control* candidate = order[(start + i) % order.size()];
    if (candidate == focused_) return CanFocus(*candidate);
    if (CanFocus(*candidate)) return MoveFocus(*candidate);
  }
  return false;
}

bool Form::Type(TextBox& box, std::string text) {
  if (!MoveFocus(box) || box.locked()) return false;
  box.SetValue(std::move(text));
  return true;
}

bool Form::Press(CommandButton& button) { return MoveFocus(button) && button.Click(); }

bool Form::Toggle(BooleanControl& control) { return MoveFocus(control) && control.Click(); }

bool Form::SelectPage(MultiPage& multi_page, int page) {
  const MultiPage::Page& target = multi_page.page(page);
  if (!shown_ || !Reachable(multi_page) || !target.enabled || !target.visible) return false;
  multi_page.SetValue(page);
  return true;
}

}  // namespace tarquel::host
