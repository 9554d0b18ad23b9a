// The phonetic guide editor: the text of the selected cell with a reading box for each of its
// phonetic runs (one over the whole text when it has none). OK stores the readings in the cell;
// a reading left empty drops its run.
#ifndef TARQUEL_APP_WINDOW_PHONETIC_EDITOR_H_
#define TARQUEL_APP_WINDOW_PHONETIC_EDITOR_H_

#include <QDialog>
#include <cstdint>
#include <vector>

#include "host/range.h"

class QLineEdit;

namespace tarquel::window {

class PhoneticEditor : public QDialog {
  Q_OBJECT

 public:
  PhoneticEditor(host::Range& cell, QWidget* parent);

  // The reading boxes, one a run, in order.
  const std::vector<QLineEdit*>& readings() const { return readings_; }

  void accept() override;

 private:
  host::Range cell_;
  struct Span {
    uint32_t start;
    uint32_t end;
  };
  std::vector<Span> spans_;
  std::vector<QLineEdit*> readings_;
};

}  // namespace tarquel::window

#endif  // TARQUEL_APP_WINDOW_PHONETIC_EDITOR_H_
