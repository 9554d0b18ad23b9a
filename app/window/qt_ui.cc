#include "window/qt_ui.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "datafiles/file_sentaku.h"
#include "host/range.h"
#include "window/form_dialog.h"
#include "window/phonetic_editor.h"
#include "window/print_preview.h"

namespace tarquel::window {

namespace {

QMessageBox::Icon IconFor(host::MessageKind kind) {
  switch (kind) {
    case host::MessageKind::kResult:
      return QMessageBox::Information;
    case host::MessageKind::kQuestion:
      return QMessageBox::Question;
    case host::MessageKind::kStop:
    case host::MessageKind::kRefused:
      return QMessageBox::Warning;
    case host::MessageKind::kError:
      return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

// The host writes line breaks as CR LF.
QString PromptText(const std::string& prompt) {
  QString text = QString::fromStdString(prompt);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace

QString QtFilter(const std::vector<host::FileFilter>& filters) {
  QStringList parts;
  for (const host::FileFilter& filter : filters) {
    QString patterns = QString::fromStdString(filter.pattern);
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    parts << QString::fromStdString(filter.description) + QStringLiteral(" (") + patterns +
                 QLatin1Char(')');
  }
  return parts.join(QStringLiteral(";;"));
}

QtUi::QtUi(print::FontCatalog& fonts, host::Platform& platform)
    : fonts_(fonts), platform_(platform) {}

QWidget* QtUi::DialogParent() const {
  // Over the dialog that is open, so that a message from its handler is not hidden behind it.
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return parent_;
}

host::MessageAnswer QtUi::MessageBox(host::MessageKind kind, const std::string& prompt,
                                     host::MessageButtons buttons,
                                     const std::optional<std::string>& caption) {
  QMessageBox box(IconFor(kind), QString::fromStdString(caption.value_or(kHostTitle)),
                  PromptText(prompt), QMessageBox::NoButton, DialogParent());
  box.setObjectName(QStringLiteral("hostMessage"));
  QPushButton* yes = nullptr;
  if (buttons == host::MessageButtons::kYesNo) {
    yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    yes->setObjectName(QStringLiteral("yes"));
    no->setObjectName(QStringLiteral("no"));
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
  } else {
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
  }
  box.exec();
  if (after_action_) after_action_();
  if (yes == nullptr) return host::MessageAnswer::kOk;
  return box.clickedButton() == yes ? host::MessageAnswer::kYes : host::MessageAnswer::kNo;
}

std::string QtUi::GetOpenFilename(const std::vector<host::FileFilter>& filters) {
  if (start_file_pending_ && start_file_) {
    start_file_pending_ = false;
    return *std::exchange(start_file_, std::nullopt);
  }
  const QString path = QFileDialog::getOpenFileName(
      DialogParent(), QStringLiteral("ファイルを開く"), QString(), QtFilter(filters));
  return path.isEmpty() ? std::string("False") : path.toStdString();
}

void QtUi::PlaySound(host::SystemSound) { QApplication::beep(); }

void QtUi::EditPhonetics(host::Range& selection) {
  PhoneticEditor editor(selection, DialogParent());
  if (editor.exec() == QDialog::Accepted && after_action_) after_action_();
}

void QtUi::PrintPreview(const std::vector<host::Worksheet*>& sheets) {
  PrintPreviewDialog preview(sheets, fonts_, platform_, DialogParent());
  preview.exec();
}

void QtUi::ShowModal(host::Form& form) {
  // The file named on the command line is opened through the data file dialog's own button, so
  // that the add-in opens it and records it as it would any file the user chose.
  if (start_file_ && dynamic_cast<datafiles::FILE_Sentaku*>(&form) != nullptr) {
    auto& dialog = static_cast<datafiles::FILE_Sentaku&>(form);
    start_file_pending_ = true;
    form.Press(dialog.Command3);
    start_file_pending_ = false;
    if (!form.shown()) return;
  }
  FormDialog dialog(form, DialogParent(), after_action_);
  if (form.shown()) dialog.exec();
  if (dialog.error()) std::rethrow_exception(dialog.error());
}

}  // namespace tarquel::window
