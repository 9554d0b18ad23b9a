#include "window/form_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <cmath>

namespace tarquel::window {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The caption without the host's accelerator mark ("&"), which Qt reads the same way.
QString Caption(const std::string& text) { return Q(text); }

}  // namespace

int TwipsToPixels(int twips, double dpi) {
  return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

FormDialog::FormDialog(host::Form& form, QWidget* parent, std::function<void()> after_action)
    : QDialog(parent), form_(form), after_action_(std::move(after_action)) {
  if (const QScreen* screen =
          parent != nullptr ? parent->screen() : QApplication::primaryScreen()) {
    dpi_ = screen->logicalDotsPerInch();
  }
  setModal(true);
  Build();
  Refresh();
}

QWidget* FormDialog::WidgetFor(const host::Control& control) const {
  const auto found = widgets_.find(&control);
  return found == widgets_.end() ? nullptr : found->second;
}

QWidget* FormDialog::ParentFor(const host::Control& control) {
  const host::MultiPage* multi_page = control.container();
  if (multi_page == nullptr) return this;
  QTabWidget* tabs = tabs_.at(multi_page);
  return tabs->widget(control.container_page());
}

void FormDialog::Build() {
  const host::Geometry& size = form_.geometry();
  setFixedSize(TwipsToPixels(size.width, dpi_), TwipsToPixels(size.height, dpi_));
  // Multi-pages first, so that the controls on their pages have somewhere to go.
  std::vector<host::Control*> ordered;
  for (host::Control* control : form_.controls()) {
    if (control->kind() == host::ControlKind::kMultiPage) ordered.push_back(control);
  }
  for (host::Control* control : form_.controls()) {
    if (control->kind() != host::ControlKind::kMultiPage) ordered.push_back(control);
  }
  for (host::Control* control : ordered) {
    QWidget* parent = ParentFor(*control);
    QWidget* widget = nullptr;
    switch (control->kind()) {
      case host::ControlKind::kTextBox: {
        auto& box = static_cast<host::TextBox&>(*control);
        if (box.multi_line()) {
          auto* edit = new QPlainTextEdit(parent);
          connect(edit, &QPlainTextEdit::textChanged, this, [this, edit, &box] {
            if (acting_) return;
            const std::string text = edit->toPlainText().toStdString();
            if (text != box.value()) Act([this, &box, text] { form_.Type(box, text); });
          });
          widget = edit;
        } else {
          auto* edit = new QLineEdit(parent);
          connect(edit, &QLineEdit::textEdited, this, [this, &box](const QString& text) {
            if (acting_) return;
            Act([this, &box, value = text.toStdString()] { form_.Type(box, value); });
          });
          widget = edit;
        }
        break;
      }
      case host::ControlKind::kCheckBox:
      case host::ControlKind::kToggleButton: {
        auto& boolean = static_cast<host::BooleanControl&>(*control);
        QAbstractButton* button = nullptr;
        if (control->kind() == host::ControlKind::kCheckBox) {
          button = new QCheckBox(parent);
        } else {
          auto* toggle = new QPushButton(parent);
          toggle->setCheckable(true);
          toggle->setAutoDefault(false);
          button = toggle;
        }
        // The click reaches the control, which decides the value; Refresh shows it.
        connect(button, &QAbstractButton::clicked, this,
                [this, &boolean] { Act([this, &boolean] { form_.Toggle(boolean); }); });
        widget = button;
        break;
      }
      case host::ControlKind::kCommandButton: {
        auto& command = static_cast<host::CommandButton&>(*control);
        auto* button = new QPushButton(parent);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this,
                [this, &command] { Act([this, &command] { form_.Press(command); }); });
        widget = button;
        break;
      }
      case host::ControlKind::kLabel:
      case host::ControlKind::kImage: {
        auto* label = new QLabel(parent);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widget = label;
        break;
      }
      case host::ControlKind::kMultiPage: {
        auto& multi_page = static_cast<host::MultiPage&>(*control);
        auto* tabs = new QTabWidget(parent);
        for (int page = 0; page < multi_page.page_count(); ++page) {
          tabs->addTab(new QWidget(tabs), Caption(multi_page.page(page).caption));
        }
        connect(tabs, &QTabWidget::currentChanged, this, [this, &multi_page](int page) {
          if (acting_ || page < 0 || page == multi_page.value()) return;
          Act([this, &multi_page, page] { form_.SelectPage(multi_page, page); });
        });
        // The pages change by clicks on their tabs, through the multi-page; Tab belongs to the
        // form's own order.
        tabs->tabBar()->setFocusPolicy(Qt::NoFocus);
        tabs_[&multi_page] = tabs;
        widget = tabs;
        break;
      }
    }
    widget->setObjectName(Q(control->name()));
    // Clicks reach the controls through their own actions; Qt moves the focus only by keyboard
    // for buttons, so that a refused exit can stop the click.
    if (host::TakesFocus(*control)) {
      widget->setFocusPolicy(control->kind() == host::ControlKind::kTextBox ? Qt::StrongFocus
                                                                            : Qt::TabFocus);
      widget->installEventFilter(this);
    } else {
      widget->setFocusPolicy(Qt::NoFocus);
    }
    widgets_[control] = widget;
    controls_[widget] = control;
  }
  AddCaptionsForUnlabelledBoxes();
}

void FormDialog::AddCaptionsForUnlabelledBoxes() {
  for (host::Control* control : form_.controls()) {
    if (control->kind() != host::ControlKind::kTextBox || control->tooltip().empty()) continue;
    const host::Geometry& box = control->geometry();
    const bool labelled = std::any_of(
        form_.controls().begin(), form_.controls().end(), [&](const host::Control* other) {
          if (other->kind() != host::ControlKind::kLabel) return false;
          if (other->container() != control->container() ||
              other->container_page() != control->container_page()) {
            return false;
          }
          const host::Geometry& g = other->geometry();
          return g.left < box.left && g.top < box.top + box.height && box.top < g.top + g.height;
        });
    if (labelled) continue;
    // A box with no label beside it says what it holds by its tool tip, in front of it, as the
    // picture it stands on would show.
    const int right = TwipsToPixels(box.left, dpi_) - 6;
    const int left = std::max(4, right - 220);
    if (right - left < 40) continue;
    auto* caption = new QLabel(ParentFor(*control));
    caption->setObjectName(Q(control->name()) + QStringLiteral("Caption"));
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    caption->setGeometry(left, TwipsToPixels(box.top, dpi_), right - left,
                         TwipsToPixels(box.height, dpi_));
    caption->setText(
        caption->fontMetrics().elidedText(Q(control->tooltip()), Qt::ElideRight, right - left));
    captions_[control] = caption;
  }
}

void FormDialog::Refresh() {
  acting_ = true;
  setWindowTitle(Q(form_.caption()));
  for (const auto& [control, widget] : widgets_) {
    const host::Geometry& g = control->geometry();
    widget->setGeometry(TwipsToPixels(g.left, dpi_), TwipsToPixels(g.top, dpi_),
                        TwipsToPixels(g.width, dpi_), TwipsToPixels(g.height, dpi_));
    widget->setEnabled(control->enabled());
    widget->setVisible(control->visible());
    widget->setToolTip(Q(control->tooltip()));
    switch (control->kind()) {
      case host::ControlKind::kTextBox: {
        const auto& box = static_cast<const host::TextBox&>(*control);
        const QString value = Q(box.value());
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
          if (edit->text() != value) edit->setText(value);
          edit->setReadOnly(box.locked());
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
          if (plain->toPlainText() != value) plain->setPlainText(value);
          plain->setReadOnly(box.locked());
        }
        break;
      }
      case host::ControlKind::kCheckBox:
      case host::ControlKind::kToggleButton: {
        const auto& boolean = static_cast<const host::BooleanControl&>(*control);
        auto* button = static_cast<QAbstractButton*>(widget);
        button->setText(Caption(boolean.caption()));
        button->setChecked(boolean.value());
        break;
      }
      case host::ControlKind::kCommandButton:
        static_cast<QPushButton*>(widget)->setText(
            Caption(static_cast<const host::CommandButton&>(*control).caption()));
        break;
      case host::ControlKind::kLabel:
        static_cast<QLabel*>(widget)->setText(
            Q(static_cast<const host::Label&>(*control).caption()));
        break;
      case host::ControlKind::kImage:
        break;
      case host::ControlKind::kMultiPage: {
        const auto& multi_page = static_cast<const host::MultiPage&>(*control);
        auto* tabs = static_cast<QTabWidget*>(widget);
        for (int page = 0; page < multi_page.page_count() && page < tabs->count(); ++page) {
          tabs->setTabText(page, Caption(multi_page.page(page).caption));
          tabs->setTabEnabled(page, multi_page.page(page).enabled);
          tabs->setTabVisible(page, multi_page.page(page).visible);
        }
        if (multi_page.value() >= 0 && tabs->currentIndex() != multi_page.value()) {
          tabs->setCurrentIndex(multi_page.value());
        }
        break;
      }
    }
  }
  for (const auto& [control, caption] : captions_) {
    caption->setVisible(control->visible());
    caption->setEnabled(control->enabled());
  }
  acting_ = false;
  if (!form_.shown()) {
    if (isVisible()) done(QDialog::Accepted);
    return;
  }
  ShowFormFocus();
}

void FormDialog::ShowFormFocus() {
  QWidget* widget = form_.focused() != nullptr ? WidgetFor(*form_.focused()) : nullptr;
  if (widget == nullptr || widget->hasFocus()) return;
  syncing_focus_ = true;
  widget->setFocus(Qt::OtherFocusReason);
  syncing_focus_ = false;
}

void FormDialog::Act(const std::function<void()>& action) {
  try {
    action();
  } catch (...) {
    // A run-time error in a handler ends the dialog; ShowModal passes it on to the command.
    error_ = std::current_exception();
    done(QDialog::Rejected);
    return;
  }
  if (after_action_) after_action_();
  Refresh();
}

std::vector<host::Control*> FormDialog::TabOrder() const {
  std::vector<host::Control*> order;
  for (host::Control* control : form_.controls()) {
    if (form_.CanFocus(*control)) order.push_back(control);
  }
  std::stable_sort(order.begin(), order.end(), [](const host::Control* a, const host::Control* b) {
    return a->tab_index() < b->tab_index();
  });
  return order;
}

void FormDialog::TabBackwards() {
  const std::vector<host::Control*> order = TabOrder();
  if (order.empty()) return;
  const auto current = std::find(order.begin(), order.end(), form_.focused());
  const std::size_t index = current == order.end() ? 0 : current - order.begin();
  form_.MoveFocus(*order[(index + order.size() - 1) % order.size()]);
}

bool FormDialog::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = qobject_cast<QWidget*>(watched);
  const auto found = widget != nullptr ? controls_.find(widget) : controls_.end();
  if (found == controls_.end()) return QDialog::eventFilter(watched, event);
  host::Control* control = found->second;
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool single_line_box = qobject_cast<QLineEdit*>(widget) != nullptr;
    if (key->key() == Qt::Key_Tab ||
        (single_line_box && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter))) {
      Act([this] { form_.Tab(); });
      return true;
    }
    if (key->key() == Qt::Key_Backtab) {
      Act([this] { TabBackwards(); });
      return true;
    }
  } else if (event->type() == QEvent::FocusIn && !syncing_focus_ && !acting_ &&
             form_.focused() != control) {
    // The user put the focus here (a click into a box): the form decides, after this event, so
    // that a box refusing to be left can show its message outside Qt's focus handling.
    QMetaObject::invokeMethod(
        this, [this, control] { Act([this, control] { form_.MoveFocus(*control); }); },
        Qt::QueuedConnection);
  }
  return QDialog::eventFilter(watched, event);
}

void FormDialog::closeEvent(QCloseEvent* event) {
  if (form_.shown()) {
    // The close box unloads the form, as the host's does.
    Act([this] { form_.Unload(); });
  }
  if (form_.shown()) {
    event->ignore();
  } else {
    event->accept();
  }
}

void FormDialog::reject() {
  // Escape does nothing while the form is shown, as in the host's forms, whose buttons the
  // add-in never makes the cancel button; the close box is the way out.
  if (form_.shown()) return;
  QDialog::reject();
}

}  // namespace tarquel::window
