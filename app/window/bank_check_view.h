// The bank check in the window: the findings of the active workbook's bank sheet in a list, each
// with its rows, reason and what to do; choosing one shows its first row in the grid.
#ifndef TARQUEL_APP_WINDOW_BANK_CHECK_VIEW_H_
#define TARQUEL_APP_WINDOW_BANK_CHECK_VIEW_H_

#include <QDialog>
#include <functional>

#include "bankcheck/finding.h"

class QListWidget;

namespace tarquel::window {

class BankCheckView : public QDialog {
  Q_OBJECT

 public:
  // `show_row` brings a bank row into view (it selects the row's sentence on the bank sheet).
  BankCheckView(const bankcheck::CheckResult& result, std::function<void(int32_t)> show_row,
                QWidget* parent);

  QListWidget* findings() const { return list_; }

 private:
  QListWidget* list_;
};

}  // namespace tarquel::window

#endif  // TARQUEL_APP_WINDOW_BANK_CHECK_VIEW_H_
