// The add-in's dialogs are made on first use and kept while the library stays loaded: each
// command that opens one shows the object kept in its slot of the add-in's state.
#ifndef TARQUEL_MODEL_KEPT_DIALOG_H_
#define TARQUEL_MODEL_KEPT_DIALOG_H_

#include <memory>
#include <utility>

#include "host/forms/form.h"

namespace tarquel::model {

// Makes the dialog `Dialog` from `args` when `slot` holds none, then shows it modally.
template <typename Dialog, typename... Args>
void ShowKeptDialog(std::unique_ptr<host::Form>& slot, Args&&... args) {
  if (slot == nullptr) slot = std::make_unique<Dialog>(std::forward<Args>(args)...);
  slot->Show();
}

}  // namespace tarquel::model

#endif  // TARQUEL_MODEL_KEPT_DIALOG_H_
