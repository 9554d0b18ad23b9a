#include "tarquel/dialog_presenter.h"

#include <algorithm>
#include <charconv>
#include <ostream>

#include "host/forms/controls.h"
#include "host/utf16.h"

namespace tarquel::cli {

namespace {

// Seen by the user: visible, and on the form or on the current page of a visible multi-page.
bool Seen(const host::Control& control) {
  if (!control.visible()) return false;
  const host::MultiPage* page = control.container();
  return page == nullptr || (page->visible() && page->value() == control.container_page());
}

// The controls a person can see, in tab order (which orders those that share a place).
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

// The dialogs' font draws a full-width character 180 twips wide (9 pt) and a half-width one
// half that: enough to tell where a label's words stand beside the boxes it frames.
int TwipsOf(char32_t ch) { return ch < 0x80 || (ch >= 0xFF61 && ch <= 0xFF9F) ? 90 : 180; }

bool IsBlank(char32_t ch) { return ch == U' ' || ch == U'\u3000'; }

// One thing drawn on a line of the dialog: a control, or a run of a label's words (a label
// that frames boxes with runs of spaces, "出題範囲　　　　～", is cut at the spaces so that the
// boxes stand where the spaces were).
struct Piece {
  int left = 0;
  std::string text;
  bool words = false;  // a label's words, drawn close to the boxes they name
};

struct Line {
  std::vector<Piece> pieces;
  std::string block;  // the lines of a multi-line box, below the line
};

// Where the control stands on the form. A multi-page is drawn as the line of its tabs, above
// the controls on its pages.
host::Geometry OnForm(const host::Control& control) {
  host::Geometry geometry = control.geometry();
  if (control.kind() == host::ControlKind::kMultiPage) geometry.height = 0;
  if (const host::MultiPage* page = control.container()) {
    geometry.left += page->geometry().left;
    geometry.top += page->geometry().top;
  }
  return geometry;
}

void AddLabelWords(const host::Label& label, int left, std::vector<Piece>& pieces) {
  const std::string& caption = label.caption();
  int x = left;
  std::string words;
  int words_left = x;
  for (std::size_t i = 0; i < caption.size();) {
    const std::size_t start = i;
    const char32_t ch = host::DecodeUtf8(caption, &i);
    if (IsBlank(ch)) {
      if (!words.empty()) pieces.push_back({words_left, words, true});
      words.clear();
    } else {
      if (words.empty()) words_left = x;
      words += caption.substr(start, i - start);
    }
    x += TwipsOf(ch);
  }
  if (!words.empty()) pieces.push_back({words_left, words, true});
}

std::string Numbered(int number) { return number > 0 ? std::to_string(number) + ")" : ""; }

std::string DrawnControl(const host::Control& control, int number, std::string& block) {
  const std::string off = control.enabled() ? "" : " (not available)";
  switch (control.kind()) {
    case host::ControlKind::kTextBox: {
      const auto& box = static_cast<const host::TextBox&>(control);
      const std::string value = TerminalText(box.value());
      std::string named = control.tooltip().empty() ? "" : control.tooltip() + " ";
      if (box.multi_line() && value.find('\n') != std::string::npos) {
        block = Indent(value, "      |");
        return named + Numbered(number) + "[...]" + off;
      }
      return named + Numbered(number) + "[" + value + "]" + off;
    }
    case host::ControlKind::kCheckBox:
    case host::ControlKind::kToggleButton: {
      const auto& box = static_cast<const host::BooleanControl&>(control);
      return Numbered(number) + (box.value() ? "[x] " : "[ ] ") + box.caption() + off;
    }
    case host::ControlKind::kCommandButton: {
      const auto& button = static_cast<const host::CommandButton&>(control);
      std::string text = Numbered(number) + "<" + button.caption() + ">" + off;
      if (!control.tooltip().empty()) text += " " + control.tooltip();
      return text;
    }
    case host::ControlKind::kMultiPage: {
      const auto& pages = static_cast<const host::MultiPage&>(control);
      std::string text = "pages:";
      for (int i = 0; i < pages.page_count(); ++i) {
        if (!pages.page(i).visible) continue;
        text += (i == pages.value() ? "  *" : "   ") + std::to_string(i + 1) + " " +
                pages.page(i).caption;
      }
      return text;
    }
    case host::ControlKind::kLabel:
    case host::ControlKind::kImage:
      break;
  }
  return "";
}

// The controls the user can see in lines as the dialog shows them: those whose middles lie
// within a line's height stand on it, left to right. A control without a size stands on a line
// of its own.
std::vector<std::vector<host::Control*>> ControlLines(const host::Form& form) {
  std::vector<host::Control*> seen = SeenControls(form);
  std::stable_sort(seen.begin(), seen.end(), [](const host::Control* a, const host::Control* b) {
    return OnForm(*a).top < OnForm(*b).top;
  });
  std::vector<std::vector<host::Control*>> lines;
  int top = 0;
  int bottom = 0;
  for (host::Control* control : seen) {
    const host::Geometry at = OnForm(*control);
    const int middle = at.top + at.height / 2;
    if (lines.empty() || at.height <= 0 || bottom <= top || middle < top || middle >= bottom) {
      lines.emplace_back();
      top = at.top;
      bottom = at.top + at.height;
    }
    bottom = std::max(bottom, at.top + at.height);
    lines.back().push_back(control);
  }
  for (auto& line : lines) {
    std::stable_sort(line.begin(), line.end(), [](const host::Control* a, const host::Control* b) {
      return OnForm(*a).left < OnForm(*b).left;
    });
  }
  return lines;
}

// What a person acts on, numbered from 1 in reading order: line by line, left to right.
std::vector<host::Control*> NumberedControls(const host::Form& form) {
  std::vector<host::Control*> numbered;
  for (const auto& line : ControlLines(form)) {
    for (host::Control* control : line) {
      if (host::TakesFocus(*control)) numbered.push_back(control);
    }
  }
  return numbered;
}

std::vector<Line> LayOut(const host::Form& form) {
  std::vector<Line> lines;
  int number = 0;
  for (const auto& controls : ControlLines(form)) {
    Line& line = lines.emplace_back();
    for (const host::Control* control : controls) {
      const int left = OnForm(*control).left;
      if (control->kind() == host::ControlKind::kLabel) {
        AddLabelWords(static_cast<const host::Label&>(*control), left, line.pieces);
        continue;
      }
      std::string block;
      const std::string text =
          DrawnControl(*control, host::TakesFocus(*control) ? ++number : 0, block);
      if (!text.empty()) line.pieces.push_back({left, text, false});
      line.block += block;
    }
  }
  return lines;
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
    const std::vector<host::Control*> numbered = NumberedControls(form);
    if (number >= 1 && number <= static_cast<int>(numbered.size())) return numbered[number - 1];
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

bool SetTickedOn(host::Form& form, host::BooleanControl& box, bool on) {
  return box.value() == on || (form.Toggle(box) && box.value() == on);
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
  for (Line& line : LayOut(form)) {
    std::stable_sort(line.pieces.begin(), line.pieces.end(),
                     [](const Piece& a, const Piece& b) { return a.left < b.left; });
    std::string drawn;
    for (std::size_t i = 0; i < line.pieces.size(); ++i) {
      // A label's words stand close to the boxes they name; other controls apart.
      if (i > 0) drawn += line.pieces[i - 1].words || line.pieces[i].words ? " " : "   ";
      drawn += line.pieces[i].text;
    }
    if (!drawn.empty()) text += "  " + drawn + "\n";
    text += line.block;
  }
  return text;
}

void PresentInteractively(host::Form& form, const Terminal& terminal,
                          const std::function<void(host::Form&)>& after_action) {
  while (form.shown()) {
    terminal.out << DrawForm(form);
    const std::optional<std::string> line = terminal.Ask(
        "Type N to press, tick or go to control N, N=TEXT to type TEXT into box N,\n"
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
    if (!Act(form, *control, text)) terminal.err << name << " did not take that.\n";
    if (after_action) after_action(form);
  }
}

}  // namespace tarquel::cli
