#include "window/phonetic_editor.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/host_error.h"

namespace tarquel::window {

PhoneticEditor::PhoneticEditor(host::Range& cell, QWidget* parent)
    : QDialog(parent), cell_(cell.MergeArea()) {
  setWindowTitle(QStringLiteral("ふりがなの編集"));
  setObjectName(QStringLiteral("phoneticEditor"));
  auto* layout = new QVBoxLayout(this);
  // Qt's strings count UTF-16 units, as the runs do.
  const QString text = QString::fromStdString(cell_.Value().AsText());
  auto* shown = new QLabel(text, this);
  QFont big = shown->font();
  big.setPointSizeF(big.pointSizeF() * 1.5);
  shown->setFont(big);
  layout->addWidget(shown);
  auto* form = new QFormLayout;
  std::vector<host::PhoneticRun> runs = cell_.PhoneticRuns();
  if (runs.empty() && !text.isEmpty()) {
    runs.push_back({0, static_cast<uint32_t>(text.size()), std::string()});
  }
  for (const host::PhoneticRun& run : runs) {
    auto* reading = new QLineEdit(QString::fromStdString(run.text), this);
    reading->setObjectName(QStringLiteral("reading%1").arg(readings_.size()));
    form->addRow(text.mid(run.start, run.end - run.start), reading);
    spans_.push_back({run.start, run.end});
    readings_.push_back(reading);
  }
  layout->addLayout(form);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void PhoneticEditor::accept() {
  std::vector<host::PhoneticRun> runs;
  for (std::size_t i = 0; i < spans_.size(); ++i) {
    const std::string reading = readings_[i]->text().trimmed().toStdString();
    if (!reading.empty()) runs.push_back({spans_[i].start, spans_[i].end, reading});
  }
  try {
    cell_.SetPhoneticRuns(std::move(runs));
  } catch (const host::HostError& error) {
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(error.Display()));
    return;
  }
  QDialog::accept();
}

}  // namespace tarquel::window
