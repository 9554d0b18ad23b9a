#include "window/bank_check_view.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>
#include <utility>

#include "bankcheck/report_format.h"

namespace tarquel::window {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString Summary(const bankcheck::CheckResult& result) {
  QString summary = QStringLiteral("シート「%1」: 問題 %2 行、グループ %3。")
                        .arg(Q(result.sheet_name))
                        .arg(result.last_question_row)
                        .arg(result.group_count);
  if (result.findings.empty()) return summary + QStringLiteral("気になる点はありません。");
  return summary + QStringLiteral("気になる点が %1 件あります（ダブルクリックでその行へ）。")
                       .arg(result.findings.size());
}

}  // namespace

BankCheckView::BankCheckView(const bankcheck::CheckResult& result,
                             std::function<void(int32_t)> show_row, QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)) {
  setWindowTitle(QStringLiteral("問題バンクの点検"));
  setObjectName(QStringLiteral("bankCheck"));
  auto* layout = new QVBoxLayout(this);
  auto* summary = new QLabel(Summary(result), this);
  summary->setWordWrap(true);
  layout->addWidget(summary);
  list_->setObjectName(QStringLiteral("findings"));
  for (const bankcheck::Finding& finding : result.findings) {
    const QString text =
        QStringLiteral("【%1】 行 %2: %3\n    → %4")
            .arg(Q(std::string(bankcheck::KindTitle(finding.kind))),
                 Q(bankcheck::RowList(finding.rows)), Q(finding.reason), Q(finding.action));
    auto* item = new QListWidgetItem(text, list_);
    item->setData(Qt::UserRole, finding.rows.front());
  }
  layout->addWidget(list_);
  connect(list_, &QListWidget::itemActivated, this,
          [show = std::move(show_row)](QListWidgetItem* item) {
            show(item->data(Qt::UserRole).toInt());
          });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("閉じる"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(720, 420);
}

}  // namespace tarquel::window
