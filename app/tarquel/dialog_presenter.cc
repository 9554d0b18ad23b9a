#include "tarquel/dialog_presenter.h"

#include <algorithm>
#include <charconv>
#include <ostream>

#include "host/forms/controls.h"

namespace tarquel::cli {

namespace {

template <typename T>
T* Find(host::Form& form, const std::string& name) {
  return dynamic_cast<T*>(form.FindControl(name));
}

// Seen by the user: visible, and on the form or on the current page of a visible multi-page.
bool Seen(const host::Control& control) {
  if (!control.visible()) return false;
  const host::MultiPage* page = control.container();
  return page == nullptr || (page->visible() && page->value() == control.container_page());
}

// Text boxes, check boxes, toggle buttons and command buttons: what a person acts on.
bool Actionable(const host::Control& control) {
  switch (control.kind()) {
    case host::ControlKind::kTextBox:
    case host::ControlKind::kCheckBox:
    case host::ControlKind::kToggleButton:
    case host::ControlKind::kCommandButton:
      return true;
    default:
      return false;
  }
}

// The controls a person can see, in tab order, for numbering.
std::vector<host::Control*> SeenControls(const host::Form& form) {
  std::vector<host::Control*> seen;
  for (host::Control* control : form.controls()) {
    if (Seen(*control) && control->kind() != host::ControlKind::kImage) seen.push_back(control);
  }
  std::stable_sort(seen.begin(), seen.end(), [](const host::Control* a, const host::Control* b) {
    return a->tab_index() < b->tab_index();
  });
  return seen;
}

std::string Indent(const std::string& text, const std::string& prefix) {
  std::string result;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find('\n', start);
    result += prefix + text.substr(start, end - start) + "\n";
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return result;
}

std::string DrawControl(const host::Control& control) {
  const std::string off = control.enabled() ? "" : " (not available)";
  switch (control.kind()) {
    case host::ControlKind::kTextBox: {
      const auto& box = static_cast<const host::TextBox&>(control);
      const std::string value = TerminalText(box.value());
      if (box.multi_line() && value.find('\n') != std::string::npos) {
        return control.name() + ":" + off + "\n" + Indent(value, "      |");
      }
      return control.name() + " = \"" + value + "\"" + off + "\n";
    }
    case host::ControlKind::kCheckBox:
    case host::ControlKind::kToggleButton: {
      const auto& box = static_cast<const host::BooleanControl&>(control);
      return std::string(box.value() ? "[x] " : "[ ] ") + box.caption() + "  (" + control.name() +
             ")" + off + "\n";
    }
    case host::ControlKind::kCommandButton: {
      const auto& button = static_cast<const host::CommandButton&>(control);
      std::string line = "<" + button.caption() + ">  (" + control.name() + ")" + off;
      if (!control.tooltip().empty()) line += "  " + control.tooltip();
      return line + "\n";
    }
    case host::ControlKind::kLabel:
      return static_cast<const host::Label&>(control).caption() + "\n";
    case host::ControlKind::kMultiPage: {
      const auto& pages = static_cast<const host::MultiPage&>(control);
      std::string line = "pages:";
      for (int i = 0; i < pages.page_count(); ++i) {
        if (!pages.page(i).visible) continue;
        line += (i == pages.value() ? "  *" : "   ") + std::to_string(i + 1) + " " +
                pages.page(i).caption;
      }
      return line + "\n";
    }
    case host::ControlKind::kImage:
      break;
  }
  return "";
}

// Acts on control `control` as the person asked; `text` is set for "NAME=TEXT".
bool Act(host::Form& form, host::Control& control, const std::optional<std::string>& text) {
  switch (control.kind()) {
    case host::ControlKind::kTextBox:
      if (!text) return form.MoveFocus(control);
      return form.Type(static_cast<host::TextBox&>(control), *text);
    case host::ControlKind::kCheckBox:
    case host::ControlKind::kToggleButton:
      return form.Toggle(static_cast<host::BooleanControl&>(control));
    case host::ControlKind::kCommandButton:
      return form.Press(static_cast<host::CommandButton&>(control));
    default:
      return false;
  }
}

host::Control* ControlNamed(host::Form& form, const std::string& name) {
  int number = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), number);
  if (error == std::errc() && end == name.data() + name.size()) {
    std::vector<host::Control*> seen = SeenControls(form);
    std::erase_if(seen, [](const host::Control* control) { return !Actionable(*control); });
    if (number >= 1 && number <= static_cast<int>(seen.size())) return seen[number - 1];
    return nullptr;
  }
  return form.FindControl(name);
}

// Selects page `page` (1-based) of the form's first multi-page.
bool TurnPage(host::Form& form, int page) {
  for (host::Control* control : form.controls()) {
    if (auto* pages = dynamic_cast<host::MultiPage*>(control)) {
      if (page < 1 || page > pages->page_count()) return false;
      return form.SelectPage(*pages, page - 1);
    }
  }
  return false;
}

}  // namespace

DialogStep TypeInto(std::string control, std::string text) {
  return [control = std::move(control), text = std::move(text)](host::Form& form) {
    auto* box = Find<host::TextBox>(form, control);
    return box != nullptr && form.Type(*box, text);
  };
}

DialogStep Press(std::string control) {
  return [control = std::move(control)](host::Form& form) {
    auto* button = Find<host::CommandButton>(form, control);
    return button != nullptr && form.Press(*button);
  };
}

DialogStep SetTicked(std::string control, bool on) {
  return [control = std::move(control), on](host::Form& form) {
    auto* box = Find<host::BooleanControl>(form, control);
    if (box == nullptr) return false;
    return box->value() == on || (form.Toggle(*box) && box->value() == on);
  };
}

DialogStep Inspect(std::function<void(host::Form&)> look) {
  return [look = std::move(look)](host::Form& form) {
    look(form);
    return true;
  };
}

bool RunScript(host::Form& form, const DialogScript& script) {
  for (const DialogStep& step : script) {
    if (!form.shown()) return true;
    if (!step(form)) return false;
  }
  return true;
}

std::string DrawForm(const host::Form& form) {
  std::string text = "== " + form.caption() + " ==\n";
  int number = 0;
  for (const host::Control* control : SeenControls(form)) {
    std::string mark = "    ";
    if (Actionable(*control)) {
      ++number;
      mark = (number < 10 ? " " : "") + std::to_string(number) + ") ";
    }
    std::string drawn = DrawControl(*control);
    if (!drawn.empty() && drawn.back() == '\n') drawn.pop_back();
    // The number stands before the control's first line only.
    const std::size_t first_end = std::min(drawn.find('\n'), drawn.size());
    text += "  " + mark + drawn.substr(0, first_end) + "\n";
    if (first_end < drawn.size()) text += Indent(drawn.substr(first_end + 1), "      ");
  }
  return text;
}

void PresentInteractively(host::Form& form, const Terminal& terminal) {
  while (form.shown()) {
    terminal.out << DrawForm(form);
    const std::optional<std::string> line = terminal.Ask(
        "Type N or NAME to press, tick or enter a control, N=TEXT to type into a box,\n"
        "page N to turn a page, or an empty line to close: ");
    if (!line || line->empty()) return;  // the caller's Show closes it as the close box does
    std::optional<std::string> text;
    std::string name = *line;
    if (name.starts_with("page ")) {
      int page = 0;
      std::from_chars(name.data() + 5, name.data() + name.size(), page);
      if (!TurnPage(form, page)) terminal.err << "There is no page " << name.substr(5) << ".\n";
      continue;
    }
    if (const std::size_t equals = name.find('='); equals != std::string::npos) {
      text = name.substr(equals + 1);
      name.resize(equals);
    }
    host::Control* control = ControlNamed(form, name);
    if (control == nullptr) {
      terminal.err << "There is no control " << name << " here.\n";
      continue;
    }
    if (!Act(form, *control, text)) {
      terminal.err << control->name() << " did not take that.\n";
    }
  }
}

}  // namespace tarquel::cli
